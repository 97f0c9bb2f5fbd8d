#include "app/sector_device_source.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "disk/device_bytes.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr uint32_t kBootSectorBytes = 512;

}  // namespace

SectorDeviceSource::SectorDeviceSource(DeviceRef device, uint32_t bytesPerSector,
                                       uint32_t bytesPerCluster, uint64_t totalSize,
                                       std::shared_ptr<const DeviceNode> node)
    : node_(std::move(node)),
      device_(std::move(device)),
      bytesPerSector_(bytesPerSector == 0 ? 512 : bytesPerSector),
      bytesPerCluster_(bytesPerCluster == 0 ? bytesPerSector_ : bytesPerCluster),
      totalSize_(totalSize) {}

SectorDeviceSource::~SectorDeviceSource() {
  if (device_) device_->Close();
}

size_t SectorDeviceSource::Read(uint64_t offset, uint8_t* buffer, size_t count) {
  if (!device_ || offset >= totalSize_) return 0;
  count = static_cast<size_t>(std::min<uint64_t>(count, totalSize_ - offset));
  count = std::min<size_t>(count, std::numeric_limits<uint32_t>::max());
  size_t got = ReadRun(offset, buffer, count);
  if (got < count) {
    // Once more in sector steps: what lies before the first unreadable sector still shows.
    got = 0;
    while (got < count) {
      const size_t step = std::min<size_t>(bytesPerSector_, count - got);
      const size_t part = ReadRun(offset + got, buffer + got, step);
      got += part;
      if (part < step) break;
    }
  }
  PutStoredBootSector(offset, buffer, got);
  return got;
}

size_t SectorDeviceSource::ReadRun(uint64_t offset, uint8_t* buffer, size_t count) {
  uint32_t result = kSuccess;
  // No fill: the viewer shows an unreadable byte as such.
  return ReadDeviceBytes(*device_, offset, buffer, static_cast<uint32_t>(count), &result);
}

void SectorDeviceSource::PutStoredBootSector(uint64_t offset, uint8_t* buffer, size_t count) {
  if (offset >= kBootSectorBytes || count == 0) return;
  const uint8_t* stored = device_->GetStoredBootSector();
  if (stored == nullptr) return;
  const size_t length = std::min<size_t>(count, kBootSectorBytes - offset);
  std::memcpy(buffer, stored + offset, length);
}

}  // namespace orvande
