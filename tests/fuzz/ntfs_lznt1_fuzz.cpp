// Decompresses arbitrary bytes as one compression unit of 16 clusters of 4096 bytes. Besides ending
// cleanly, taking the unit cluster by cluster must give the same bytes as taking it in one piece
// wherever both succeed, and a fresh unit must agree with one that decoded its chunks before.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "ntfs/lznt1.h"

using namespace orvande;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kCluster = 4096;
  constexpr size_t kUnit = 16 * kCluster;
  std::vector<uint8_t> input(data, data + size);
  std::array<uint8_t, kLznt1ChunkOutput> chunk{};
  DecompressLznt1Chunk(std::span(data, size), chunk);

  Lznt1Unit whole(input);
  std::vector<uint8_t> all(kUnit);
  std::optional<size_t> allBytes = whole.Extract(0, all);
  Lznt1Unit byCluster(input);
  for (size_t c = 0; c < 16; ++c) {
    std::vector<uint8_t> cluster(kCluster);
    std::optional<size_t> got = byCluster.Extract(c * kCluster, cluster);
    if (!got || !allBytes) continue;
    const size_t expected =
        *allBytes > c * kCluster ? std::min(kCluster, *allBytes - c * kCluster) : 0;
    if (*got != expected) abort();
    if (std::memcmp(cluster.data(), all.data() + c * kCluster, *got) != 0) abort();
  }
  return 0;
}
