#pragma once
// A small FAT volume in memory for the FAT fuzz targets: the first input byte picks a FAT12,
// FAT16 or FAT32 boot sector made here (the rest of the input becomes the root directory and the
// data, and is copied into the table as well, which gives chains to follow) or takes the input
// as the whole image, boot sector included.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "fat/fat_analyzer.h"
#include "fuzz_device.h"
#include "support/le_reader.h"
#include "support/operation_log.h"

namespace orvande::fuzz {

struct FatFuzzLayout {
  uint32_t totalSectors;
  uint32_t rootEntries;
  uint32_t sectorsPerFat;
  bool fat32;
};

// Small tables and root directories, so that the input's bytes land in them.
inline constexpr FatFuzzLayout kFatFuzzLayouts[] = {
    {400, 32, 2, false},   // FAT12
    {5000, 32, 2, false},  // FAT16
    {70000, 0, 4, true},   // FAT32, root at cluster 2
};

inline std::vector<uint8_t> MakeFatFuzzImage(const uint8_t* data, size_t size) {
  const uint8_t mode = size > 0 ? data[0] : 0;
  if (size > 0) {
    ++data;
    --size;
  }
  if (mode % 4 == 3) return std::vector<uint8_t>(data, data + size);
  const FatFuzzLayout& layout = kFatFuzzLayouts[mode % 4];
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
  // The directories come first in the input so that short inputs reach them.
  const size_t fatBytes = size_t{layout.sectorsPerFat} * 512;
  const size_t directoryOffset = 512 + fatBytes;
  image.resize(directoryOffset + size);
  std::memcpy(image.data() + directoryOffset, data, size);
  std::memcpy(image.data() + 512, data, std::min(size, fatBytes));
  return image;
}

// What a tree build needs besides the analyzer. One fuzz input at a time.
struct FuzzTree {
  ItemStore store;
  FolderTree tree;
  ReadWriteLock lock{true};
  ShownNode shown{kNoNode};
  StopFlag stop{0};
  BuildTreeContext context{&stop, nullptr, store, tree, &shown, lock, nullptr, nullptr};
};

// Opens the FAT analyzer on the fuzzed volume, builds its tree and hands both to `afterBuild`
// (analyzer, tree, log) before everything is released again.
template <class AfterBuild>
void BuildFatFuzzTree(const uint8_t* data, size_t size, AfterBuild afterBuild) {
  FuzzDevice* device = new FuzzDevice(MakeFatFuzzImage(data, size));
  {
    FatAnalyzer analyzer;
    OperationLog log;
    if (analyzer.Open(device, false, &log)) {
      FuzzTree build;
      analyzer.BuildTree(build.context, &log);
      afterBuild(analyzer, build, log);
      build.store.Clear();
    }
  }
  device->Release();
}

}  // namespace orvande::fuzz
