#include "ntfs/cluster_bitmap.h"

#include <algorithm>
#include <bit>

#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_status.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr uint64_t kChunkBytes = 64 * 1024;
constexpr uint64_t kNone = ~uint64_t{0};

uint64_t ZeroBits(uint8_t byte) {
  return 8 - static_cast<uint64_t>(std::popcount(byte));
}

}  // namespace

ClusterBitmap::ClusterBitmap(NtfsAnalyzer* analyzer) : MftRecord(analyzer) {
  const uint64_t perCluster = analyzer->SectorsPerCluster();
  // Clusters past the end of a short image count as not free, as those past the volume's end.
  clusterCount_ = perCluster == 0 ? 0 : analyzer->HeldSectors() / perCluster;
}

ClusterBitmap::~ClusterBitmap() = default;

uint32_t ClusterBitmap::Load(uint64_t position, OperationLog* log) {
  chunks_.clear();
  dataSize_ = 0;
  uint64_t next = 0;
  uint32_t status = ReadFromMft(Analyzer()->MftTable(), position, &next, log);
  if (!IsSuccess(status)) return status;
  if (!HasBuffer()) return kStatusMftStreamReadFailed;
  uint64_t allocated = 0;
  if (!GetAttributeSize(kAttrData, AttributeName::None(), &dataSize_, &allocated)) dataSize_ = 0;
  // Bits past the last cluster describe nothing; a damaged size claiming more is not read.
  dataSize_ = std::min(dataSize_, clusterCount_ / 8 + 1);
  return status;
}

uint64_t ClusterBitmap::PieceBytes() const {
  return std::max<uint32_t>(1, Analyzer()->BytesPerSector());
}

uint64_t ClusterBitmap::ChunkBytes() const {
  return std::max(kChunkBytes, PieceBytes());
}

ClusterBitmap::Chunk ClusterBitmap::ReadChunk(uint64_t index, OperationLog* log) {
  Chunk chunk;
  const uint64_t start = index * ChunkBytes();
  const uint64_t length = std::min(ChunkBytes(), dataSize_ - start);
  chunk.bytes.assign(length, 0xFF);
  uint64_t got = 0;
  if (!ReadStream(kAttrData, AttributeName::None(), chunk.bytes.data(), start, length, &got, log) ||
      got != length) {
    // Piece by piece, so that one bad sector costs only its own piece.
    const uint64_t piece = PieceBytes();
    chunk.failedPieces.assign((length + piece - 1) / piece, false);
    for (uint64_t at = 0; at < length; at += piece) {
      const uint64_t take = std::min(piece, length - at);
      uint64_t pieceGot = 0;
      if (!ReadStream(kAttrData, AttributeName::None(), chunk.bytes.data() + at, start + at, take,
                      &pieceGot, log) ||
          pieceGot != take) {
        std::fill_n(chunk.bytes.begin() + static_cast<std::ptrdiff_t>(at), take, uint8_t{0xFF});
        chunk.failedPieces[at / piece] = true;
      }
    }
  }
  chunk.length = length;
  for (uint8_t byte : chunk.bytes) chunk.freeCount += ZeroBits(byte);
  chunk.allFailed = !chunk.failedPieces.empty() &&
                    std::all_of(chunk.failedPieces.begin(), chunk.failedPieces.end(),
                                [](bool failed) { return failed; });
  const bool uniform = std::all_of(chunk.bytes.begin(), chunk.bytes.end(),
                                   [&](uint8_t byte) { return byte == chunk.bytes.front(); });
  if (length > 0 && uniform && (chunk.failedPieces.empty() || chunk.allFailed)) {
    chunk.fill = chunk.bytes.front();
    chunk.bytes = {};
    chunk.failedPieces = {};
  }
  return chunk;
}

const ClusterBitmap::Chunk& ClusterBitmap::ChunkOf(uint64_t byteIndex, OperationLog* log) {
  const uint64_t index = byteIndex / ChunkBytes();
  auto it = chunks_.find(index);
  if (it == chunks_.end()) it = chunks_.emplace(index, ReadChunk(index, log)).first;
  return it->second;
}

bool ClusterBitmap::PieceFailed(const Chunk& chunk, uint64_t byteInChunk) const {
  return chunk.allFailed ||
         (!chunk.failedPieces.empty() && chunk.failedPieces[byteInChunk / PieceBytes()]);
}

bool ClusterBitmap::IsFree(uint64_t cluster, OperationLog* log) {
  const uint64_t byteIndex = cluster / 8;
  if (byteIndex >= dataSize_) return false;
  const Chunk& chunk = ChunkOf(byteIndex, log);
  // Failed pieces hold all ones, so they answer "not free" here by themselves.
  return (chunk.Byte(byteIndex % ChunkBytes()) & (1u << (cluster % 8))) == 0;
}

uint64_t ClusterBitmap::CountFree(uint64_t first, uint64_t count, OperationLog* log) {
  const uint64_t bitLimit = dataSize_ > kNone / 8 ? kNone : dataSize_ * 8;
  if (first >= bitLimit || count == 0) return 0;
  const uint64_t end = std::min(bitLimit, count > bitLimit - first ? bitLimit : first + count);
  const uint64_t chunkBits = ChunkBytes() * 8;
  uint64_t free = 0;
  uint64_t at = first;
  while (at < end) {
    const Chunk& chunk = ChunkOf(at / 8, log);
    const uint64_t chunkStart = at / chunkBits * chunkBits;
    const uint64_t chunkEnd = chunkStart + chunk.length * 8;
    const uint64_t stop = std::min(end, chunkEnd);
    if (at == chunkStart && stop == chunkEnd) {
      free += chunk.freeCount;
      at = stop;
      continue;
    }
    while (at < stop) {
      const uint8_t byte = chunk.Byte((at - chunkStart) / 8);
      if (at % 8 == 0 && stop - at >= 8) {
        free += ZeroBits(byte);
        at += 8;
      } else {
        free += (byte & (1u << (at % 8))) == 0 ? 1 : 0;
        ++at;
      }
    }
  }
  return free;
}

bool ClusterBitmap::Advance(uint64_t* cluster, OperationLog* log) {
  if (*cluster == kNone) return false;
  uint64_t at = *cluster + 1;
  if (at >= clusterCount_) return false;
  const uint64_t chunkBytes = ChunkBytes();
  // Bounded by the bitmap's data: every step moves at least one bit on.
  while (at / 8 < dataSize_) {
    const uint64_t byteIndex = at / 8;
    const Chunk& chunk = ChunkOf(byteIndex, log);
    const uint64_t inChunk = byteIndex % chunkBytes;
    if (PieceFailed(chunk, inChunk)) return false;
    if (chunk.bytes.empty() && chunk.fill == 0xFF) {
      // A whole chunk of used clusters.
      at = (byteIndex - inChunk + chunk.length) * 8;
      continue;
    }
    const uint8_t byte = chunk.Byte(inChunk);
    if (byte == 0xFF && at % 8 == 0) {
      at += 8;
      continue;
    }
    if ((byte & (1u << (at % 8))) == 0) {
      *cluster = at;
      return true;
    }
    ++at;
  }
  return false;
}

uint32_t AllFreeBitmap::Load(uint64_t /*position*/, OperationLog* /*log*/) {
  return kSuccess;
}

bool AllFreeBitmap::IsFree(uint64_t /*cluster*/, OperationLog* /*log*/) {
  return true;
}

bool AllFreeBitmap::Advance(uint64_t* cluster, OperationLog* /*log*/) {
  if (*cluster == kNone || *cluster + 1 >= ClusterCount()) return false;
  ++*cluster;
  return true;
}

uint64_t AllFreeBitmap::CountFree(uint64_t /*first*/, uint64_t count, OperationLog* /*log*/) {
  return count;
}

}  // namespace orvande
