// Feeds arbitrary bytes to the FAT analyzer as a small volume: the first byte picks a FAT12,
// FAT16 or FAT32 boot sector made here (the rest of the input becomes the root directory and
// the data, and is copied into the table as well) or takes the input as the whole image, boot sector included. Open and
// BuildTree must end cleanly whatever the bytes are.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "disk/sector_device.h"
#include "fat/fat_analyzer.h"
#include "support/le_reader.h"
#include "support/operation_log.h"
#include "support/result_codes.h"

namespace {

using namespace orvande;

// Reads like an image file: a short count where the image ends.
class FuzzDevice : public SectorDevice {
 public:
  explicit FuzzDevice(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Open(bool) override { return true; }
  void Close() override {}
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool) override {
    if (result != nullptr) *result = kSuccess;
    const uint64_t unit = uint64_t{1} << unitShift;
    if (uint64_t{count} * unit > bufferSize) {
      if (result != nullptr) *result = ErrBufferTooSmall;
      return 0;
    }
    if (bytes_.empty() || first >= bytes_.size() / unit) return 0;
    const uint64_t available = bytes_.size() / unit - first;
    const uint32_t delivered = static_cast<uint32_t>(std::min<uint64_t>(count, available));
    std::memcpy(buffer, bytes_.data() + first * unit, static_cast<size_t>(delivered * unit));
    return delivered;
  }
  DeviceNode* GetNode() override { return nullptr; }
  const uint8_t* GetStoredBootSector() override { return nullptr; }

 private:
  std::vector<uint8_t> bytes_;
};

struct Layout {
  uint32_t totalSectors;
  uint32_t rootEntries;
  uint32_t sectorsPerFat;
  bool fat32;
};

// Small tables and root directories, so that the input's bytes land in them.
constexpr Layout kLayouts[] = {
    {400, 32, 2, false},     // FAT12
    {5000, 32, 2, false},    // FAT16
    {70000, 0, 4, true},     // FAT32, root at cluster 2
};

std::vector<uint8_t> MakeImage(const uint8_t* data, size_t size) {
  const uint8_t mode = size > 0 ? data[0] : 0;
  if (size > 0) {
    ++data;
    --size;
  }
  if (mode % 4 == 3) return std::vector<uint8_t>(data, data + size);
  const Layout& layout = kLayouts[mode % 4];
  std::vector<uint8_t> image(512, 0);
  std::span<uint8_t> boot(image.data(), 512);
  StoreLe(boot, 11, 512, 2);
  boot[13] = static_cast<uint8_t>(1u << ((mode >> 2) % 4));  // 1 to 8 sectors per cluster
  StoreLe(boot, 14, 1, 2);
  boot[16] = 1;
  StoreLe(boot, 17, layout.rootEntries, 2);
  if (layout.fat32) {
    StoreLe(boot, 32, layout.totalSectors, 4);
    StoreLe(boot, 36, layout.sectorsPerFat, 4);
    StoreLe(boot, 44, 2, 4);
  } else {
    StoreLe(boot, 19, layout.totalSectors, 2);
    StoreLe(boot, 22, layout.sectorsPerFat, 2);
  }
  // The directories come first in the input so that short inputs reach them; the table gets
  // the same bytes, which gives chains to follow.
  const size_t fatBytes = size_t{layout.sectorsPerFat} * 512;
  const size_t directoryOffset = 512 + fatBytes;
  image.resize(directoryOffset + size);
  std::memcpy(image.data() + directoryOffset, data, size);
  std::memcpy(image.data() + 512, data, std::min(size, fatBytes));
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzDevice* device = new FuzzDevice(MakeImage(data, size));
  {
    FatAnalyzer analyzer;
    OperationLog log;
    if (analyzer.Open(device, false, &log)) {
      ItemStore store;
      FolderTree tree;
      ReadWriteLock lock(true);
      ShownNode shown{kNoNode};
      StopFlag stop{0};
      BuildTreeContext context{&stop, nullptr, store, tree, &shown, lock, nullptr, nullptr};
      analyzer.BuildTree(context, &log);
      store.Clear();
    }
  }
  device->Release();
  return 0;
}
