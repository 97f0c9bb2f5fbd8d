#pragma once
// A small NTFS volume in memory for the NTFS fuzz targets: a boot sector, an MFT whose record 0
// maps 16 clusters from cluster 16, and the fuzzer's bytes as record 1 and as the data clusters
// that follow the table. Records and runs in the input may point anywhere in it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_device.h"
#include "ntfs/ntfs_analyzer.h"
#include "support/le_reader.h"

namespace orvande::fuzz {

inline constexpr uint32_t kClusterBytes = 4096;
inline constexpr uint64_t kMftCluster = 16;
inline constexpr uint64_t kDataCluster = 40;
inline constexpr uint64_t kVolumeClusters = 256;

inline void Put(std::vector<uint8_t>& image, size_t at, uint64_t value, size_t width) {
  StoreLe(image, at, value, width);
}

// Record 0 of the table: a $DATA over clusters 16 to 31, made with a valid update sequence.
inline void PutTableRecord(std::vector<uint8_t>& image) {
  const size_t r = kMftCluster * kClusterBytes;
  std::memcpy(&image[r], "FILE", 4);
  Put(image, r + 4, 0x30, 2);
  Put(image, r + 6, 3, 2);
  Put(image, r + 20, 0x38, 2);
  Put(image, r + 22, 1, 2);
  Put(image, r + 28, 1024, 4);
  const size_t a = r + 0x38;
  Put(image, a, 0x80, 4);
  Put(image, a + 4, 72, 4);
  Put(image, a + 8, 1, 1);
  Put(image, a + 24, 15, 8);
  Put(image, a + 32, 64, 2);
  Put(image, a + 40, 16 * kClusterBytes, 8);
  Put(image, a + 48, 16 * kClusterBytes, 8);
  const uint8_t runs[] = {0x11, 16, static_cast<uint8_t>(kMftCluster), 0};
  std::memcpy(&image[a + 64], runs, sizeof runs);
  Put(image, a + 72, 0xFFFFFFFF, 4);
  Put(image, r + 24, 0x38 + 72 + 8, 4);
}

// The volume with the input as record 1 (up to the table's end) and as data from cluster 40,
// made in `image` (its memory is reused when it already has the size).
inline void MakeImageIn(std::vector<uint8_t>& image, const uint8_t* data, size_t size) {
  image.assign(kVolumeClusters * kClusterBytes + 512, 0);
  std::memcpy(image.data() + 3, "NTFS", 4);
  Put(image, 11, 512, 2);
  Put(image, 13, kClusterBytes / 512, 1);
  Put(image, 0x28, kVolumeClusters * kClusterBytes / 512, 8);
  Put(image, 0x30, kMftCluster, 8);
  PutTableRecord(image);
  const size_t record = kMftCluster * kClusterBytes + 1024;
  std::memcpy(&image[record], data, std::min<size_t>(size, 15 * kClusterBytes - 1024));
  const size_t dataAt = kDataCluster * kClusterBytes;
  std::memcpy(&image[dataAt], data, std::min<size_t>(size, image.size() - dataAt));
}

// An analyzer opened on the image, which the caller keeps alive; null when Open refuses it.
inline std::unique_ptr<NtfsAnalyzer> OpenImage(std::span<const uint8_t> image) {
  auto* device = new FuzzDevice(image);
  auto analyzer = std::make_unique<NtfsAnalyzer>();
  const bool opened = analyzer->Open(device, true, nullptr);
  device->Release();
  if (!opened) return nullptr;
  return analyzer;
}

}  // namespace orvande::fuzz
