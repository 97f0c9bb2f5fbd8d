#include "common/memory_device.h"

#include <algorithm>
#include <cstring>

#include "support/result_codes.h"

namespace orvande::test {

void MemoryImage::Put(uint64_t offset, const void* data, size_t size) {
  if (bytes.size() < offset + size) bytes.resize(offset + size);
  std::memcpy(bytes.data() + offset, data, size);
}

MemorySectorDevice::MemorySectorDevice(std::shared_ptr<MemoryImage> image,
                                       std::shared_ptr<MemoryDeviceProbe> probe, DeviceNode* node)
    : image_(std::move(image)),
      probe_(probe ? std::move(probe) : std::make_shared<MemoryDeviceProbe>()),
      node_(node) {
  ++probe_->devicesMade;
  ++probe_->devicesAlive;
  ++probe_->references;
}

MemorySectorDevice::MemorySectorDevice(std::vector<uint8_t> bytes)
    : MemorySectorDevice(
          std::make_shared<MemoryImage>(MemoryImage{std::move(bytes), {}, {}, true})) {}

MemorySectorDevice::~MemorySectorDevice() {
  --probe_->devicesAlive;
}

uint32_t MemorySectorDevice::AddRef() {
  ++probe_->references;
  return SectorDevice::AddRef();
}

uint32_t MemorySectorDevice::Release() {
  // The probe is kept alive past a last Release that deletes this device.
  std::shared_ptr<MemoryDeviceProbe> probe = probe_;
  --probe->references;
  return SectorDevice::Release();
}

bool MemorySectorDevice::Open(bool /*quiet*/, Prompter* /*prompter*/) {
  ++probe_->opens;
  open_ = image_->openSucceeds;
  return open_;
}

void MemorySectorDevice::Close() {
  ++probe_->closes;
  open_ = false;
}

const uint8_t* MemorySectorDevice::GetStoredBootSector() {
  return image_->storedBootSector ? image_->storedBootSector->data() : nullptr;
}

uint32_t MemorySectorDevice::FailureIn(uint64_t offset, uint64_t size) const {
  if (size == 0) return 0;
  auto it = image_->failures.lower_bound(offset / 512);
  if (it == image_->failures.end() || it->first > (offset + size - 1) / 512) return 0;
  return it->second;
}

uint32_t MemorySectorDevice::ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                         uint32_t* result, uint32_t count, int unitShift,
                                         bool fillBadSectors) {
  ReadCall call{first, count, unitShift, fillBadSectors};
  probe_->reads.push_back(call);
  uint32_t localResult = 0;
  if (result == nullptr) result = &localResult;
  *result = kSuccess;
  uint32_t delivered = 0;
  const uint64_t unit = uint64_t{1} << unitShift;
  if (!open_) {
    *result = ErrNotOpen;
  } else if (count * unit > bufferSize) {
    *result = ErrBufferTooSmall;
  } else {
    const uint64_t size = image_->bytes.size();
    const uint64_t start = first * unit;
    uint64_t available = start < size ? std::min<uint64_t>(count * unit, size - start) : 0;
    uint32_t failure = FailureIn(start, available);
    if (failure == kSuccess) {
      if (available > 0) std::memcpy(buffer, image_->bytes.data() + start, available);
      delivered = static_cast<uint32_t>(available / unit);
    } else if (fillBadSectors && failure == ErrDataError) {
      for (uint32_t k = 0; k < count; ++k) {
        uint8_t* slot = buffer + k * unit;
        uint64_t at = start + k * unit;
        if (at + unit <= size && FailureIn(at, unit) == kSuccess)
          std::memcpy(slot, image_->bytes.data() + at, unit);
        else if (at + unit <= size) {
          std::memset(slot, 0, unit);
          ReportFilled(at, unit);
        } else {
          std::memset(slot, 0, unit);
        }
      }
      delivered = count;
    } else {
      *result = failure;
    }
  }
  if (onRead) onRead(call);
  return delivered;
}

MemoryNode::MemoryNode(std::vector<uint8_t> bytes, int kind, int fsKind, char driveLetter)
    : kind_(kind),
      fsKind_(fsKind),
      driveLetter_(driveLetter),
      image_(std::make_shared<MemoryImage>(MemoryImage{std::move(bytes), {}, {}, true})),
      probe_(std::make_shared<MemoryDeviceProbe>()) {}

SectorDevice* MemoryNode::CreateDevice() {
  if (failCreate) return nullptr;
  return new MemorySectorDevice(image_, probe_, this);
}

}  // namespace orvande::test
