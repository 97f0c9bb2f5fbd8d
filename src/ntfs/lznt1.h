#pragma once
// LZNT1, the compression of NTFS compression units: a series of chunks, each a u16 header (bits 0
// to 11: stored size - 1; bit 15: compressed) and up to 4096 bytes of output. A header word of 0
// ends the data. Not thread-safe (decoded chunks are kept inside the object).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvande {

inline constexpr uint32_t kLznt1ChunkOutput = 4096;

// Decodes the data of one compressed chunk (after its header) into out: flag bytes, each followed
// by up to 8 tokens taken from its lowest bit up; bit 0 is a literal byte, bit 1 a u16 back
// reference whose split between distance and length narrows the length as the output grows. The
// produced length, or nullopt when a reference points before the start of the chunk's output.
std::optional<uint32_t> DecompressLznt1Chunk(std::span<const uint8_t> data,
                                             std::span<uint8_t, kLznt1ChunkOutput> out);

// The compressed data of one unit. Chunks are decoded only when output is asked of them, and each
// at most once.
class Lznt1Unit {
 public:
  explicit Lznt1Unit(std::vector<uint8_t> compressed);

  // Fills out with the unit's output from byte `from` on, chunk i standing for the output bytes
  // from i * 4096. Chunks that end before `from` are skipped without decoding. The bytes
  // produced (fewer than out.size() when the data ends first), or nullopt on invalid data in a
  // chunk that was needed.
  std::optional<size_t> Extract(uint64_t from, std::span<uint8_t> out);

  size_t ChunkCount() const { return chunks_.size(); }
  const std::vector<uint8_t>& Compressed() const { return input_; }

 private:
  struct Chunk {
    size_t dataOffset = 0;
    uint32_t dataSize = 0;
    bool compressed = false;
    bool decoded = false;
    bool valid = false;
    uint32_t outputLength = 0;
  };

  // The chunk's output, decoding it on first use; nullopt when invalid.
  std::optional<std::span<const uint8_t>> ChunkOutput(size_t index);

  std::vector<uint8_t> input_;
  std::vector<Chunk> chunks_;
  std::vector<uint8_t> output_;  // chunk i's output at i * 4096, grown as chunks are decoded
};

}  // namespace orvande
