#include "ntfs/lznt1.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr uint16_t kChunkSizeMask = 0x0FFF;
constexpr uint16_t kChunkCompressedBit = 0x8000;
constexpr uint32_t kMinimumMatch = 3;
constexpr uint32_t kWidestLengthField = 12;

// Bits of a back reference that hold the length at output position p: 12 up to position 16, one
// fewer each time p - 1 doubles past 15 (so that the distance can reach back to the start).
uint32_t LengthBits(uint32_t p) {
  if (p <= 16) return kWidestLengthField;
  return kWidestLengthField - (static_cast<uint32_t>(std::bit_width(p - 1)) - 4);
}

}  // namespace

std::optional<uint32_t> DecompressLznt1Chunk(std::span<const uint8_t> data,
                                             std::span<uint8_t, kLznt1ChunkOutput> out) {
  const size_t size = data.size();
  const LeReader tokens(data);
  size_t in = 0;
  uint32_t p = 0;
  while (in < size && p < kLznt1ChunkOutput) {
    const uint8_t flags = data[in++];
    // Eight literals in a row, the most common group in text: copied at once.
    if (flags == 0 && in + 8 <= size && p + 8 <= kLznt1ChunkOutput) {
      std::memcpy(out.data() + p, data.data() + in, 8);
      in += 8;
      p += 8;
      continue;
    }
    for (int bit = 0; bit < 8 && in < size && p < kLznt1ChunkOutput; ++bit) {
      if ((flags & (1u << bit)) == 0) {
        out[p++] = data[in++];
        continue;
      }
      // A reference cut off by the end of the chunk ends the chunk.
      if (in + 1 >= size) return p;
      const uint32_t token = tokens.U16(in);
      in += 2;
      const uint32_t lengthBits = LengthBits(p);
      const uint32_t distance = (token >> lengthBits) + 1;
      uint32_t length = (token & ((1u << lengthBits) - 1)) + kMinimumMatch;
      if (distance > p) return std::nullopt;
      length = std::min(length, kLznt1ChunkOutput - p);
      uint8_t* to = out.data() + p;
      const uint8_t* from = to - distance;
      if (distance >= length) {
        std::memcpy(to, from, length);
      } else {
        // Overlapping: byte by byte, so that a short distance repeats a pattern.
        for (uint32_t k = 0; k < length; ++k) to[k] = from[k];
      }
      p += length;
    }
  }
  return p;
}

Lznt1Unit::Lznt1Unit(std::vector<uint8_t> compressed) : input_(std::move(compressed)) {
  LeReader reader(input_);
  size_t at = 0;
  // Each chunk takes at least its header, so this ends within input_.size() / 2 steps.
  while (reader.Fits(at, 2)) {
    const uint16_t header = reader.U16(at);
    if (header == 0) break;
    const uint32_t dataSize = (header & kChunkSizeMask) + 1u;
    if (!reader.Fits(at + 2, dataSize)) break;
    Chunk chunk;
    chunk.dataOffset = at + 2;
    chunk.dataSize = dataSize;
    chunk.compressed = (header & kChunkCompressedBit) != 0;
    chunks_.push_back(chunk);
    at += 2 + dataSize;
  }
}

std::optional<std::span<const uint8_t>> Lznt1Unit::ChunkOutput(size_t index) {
  Chunk& chunk = chunks_[index];
  const size_t start = index * kLznt1ChunkOutput;
  if (!chunk.decoded) {
    if (output_.size() < start + kLznt1ChunkOutput) output_.resize(start + kLznt1ChunkOutput);
    std::span<uint8_t, kLznt1ChunkOutput> out(output_.data() + start, kLznt1ChunkOutput);
    std::span<const uint8_t> data(input_.data() + chunk.dataOffset, chunk.dataSize);
    chunk.decoded = true;
    if (chunk.compressed) {
      std::optional<uint32_t> produced = DecompressLznt1Chunk(data, out);
      chunk.valid = produced.has_value();
      chunk.outputLength = produced.value_or(0);
    } else {
      // A stored chunk's data is its output.
      chunk.outputLength = std::min<uint32_t>(chunk.dataSize, kLznt1ChunkOutput);
      std::memcpy(out.data(), data.data(), chunk.outputLength);
      chunk.valid = true;
    }
  }
  if (!chunk.valid) return std::nullopt;
  return std::span<const uint8_t>(output_.data() + start, chunk.outputLength);
}

std::optional<size_t> Lznt1Unit::Extract(uint64_t from, std::span<uint8_t> out) {
  uint64_t w = from;
  size_t remaining = out.size();
  uint8_t* to = out.data();
  for (size_t i = 0; i < chunks_.size() && remaining > 0; ++i) {
    const uint64_t u = uint64_t{i} * kLznt1ChunkOutput;
    if (u + kLznt1ChunkOutput <= w) continue;
    std::optional<std::span<const uint8_t>> output = ChunkOutput(i);
    if (!output) return std::nullopt;
    if (w < u) {
      // The chunk before produced less than 4096 bytes: its missing tail reads as zeros.
      const size_t gap = static_cast<size_t>(std::min<uint64_t>(u - w, remaining));
      std::memset(to, 0, gap);
      to += gap;
      w += gap;
      remaining -= gap;
      if (remaining == 0) break;
    }
    const uint64_t inChunk = w - u;
    const size_t available = inChunk < output->size() ? output->size() - inChunk : 0;
    const size_t take = std::min(available, remaining);
    if (take > 0) std::memcpy(to, output->data() + inChunk, take);
    to += take;
    w += take;
    remaining -= take;
  }
  return out.size() - remaining;
}

}  // namespace orvande
