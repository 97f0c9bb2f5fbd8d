#pragma once
// The volume's allocation bitmap, read from the $Bitmap record: which clusters are free. Pieces of
// the bitmap are read on first use and kept for the object's life. AllFreeBitmap stands in when
// the bitmap could not be loaded. ClusterBitmapSlot is where an analyzer keeps its bitmap.
//
// A ClusterBitmap is used by one thread at a time (the thread of the analyzer it reads through);
// ClusterBitmapSlot may be used from several threads.
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "ntfs/mft_record.h"

namespace orvande {

class ClusterBitmap : public MftRecord {
 public:
  // Reads through the analyzer's MFT; its cluster count is total sectors / sectors per cluster.
  explicit ClusterBitmap(NtfsAnalyzer* analyzer);
  ~ClusterBitmap() override;

  // Reads the $Bitmap record at an MFT position and keeps the data size of its unnamed $DATA
  // (0 when it has none). The status of the record read.
  virtual uint32_t Load(uint64_t position, OperationLog* log);
  // A cluster whose bit lies beyond the bitmap's data, or in a piece that can't be read, is not
  // free.
  virtual bool IsFree(uint64_t cluster, OperationLog* log);
  // Moves *cluster to the next free cluster after it. False when there is none: past the cluster
  // count, past the bitmap's data, or at a piece that can't be read. All ones has no next.
  virtual bool Advance(uint64_t* cluster, OperationLog* log);
  // How many of the clusters [first, first + count) IsFree would call free.
  virtual uint64_t CountFree(uint64_t first, uint64_t count, OperationLog* log);

  uint64_t ClusterCount() const { return clusterCount_; }
  uint64_t BitmapBytes() const { return dataSize_; }

 private:
  // Bitmap bytes are read in chunks; a chunk that can't be read whole is read piece by piece
  // (one sector each), and a piece that fails reads as all ones (not free) and is remembered.
  // A chunk whose bytes are all alike (a stretch of free or used clusters, or one that could not
  // be read at all) keeps one byte instead of all of them.
  struct Chunk {
    uint64_t length = 0;
    std::vector<uint8_t> bytes;      // empty when uniform
    uint8_t fill = 0xFF;             // every byte, when uniform
    std::vector<bool> failedPieces;  // empty when every piece was read
    bool allFailed = false;
    uint64_t freeCount = 0;
    uint8_t Byte(uint64_t index) const { return bytes.empty() ? fill : bytes[index]; }
  };
  const Chunk& ChunkOf(uint64_t byteIndex, OperationLog* log);
  Chunk ReadChunk(uint64_t index, OperationLog* log);
  uint64_t ChunkBytes() const;
  uint64_t PieceBytes() const;
  bool PieceFailed(const Chunk& chunk, uint64_t byteInChunk) const;

  uint64_t dataSize_ = 0;
  uint64_t clusterCount_ = 0;
  std::unordered_map<uint64_t, Chunk> chunks_;
};

// Every cluster free: the second analyzing step then searches every cluster.
class AllFreeBitmap : public ClusterBitmap {
 public:
  using ClusterBitmap::ClusterBitmap;
  uint32_t Load(uint64_t position, OperationLog* log) override;
  bool IsFree(uint64_t cluster, OperationLog* log) override;
  bool Advance(uint64_t* cluster, OperationLog* log) override;
  uint64_t CountFree(uint64_t first, uint64_t count, OperationLog* log) override;
};

// An analyzer's bitmap. The analysis worker hands a bitmap to the reader analyzer while the user
// interface may be asking that analyzer for probabilities, so every use goes through Lock().
class ClusterBitmapSlot {
 public:
  using Lock = std::unique_lock<std::recursive_mutex>;
  Lock Acquire() const { return Lock(mutex_); }
  // Callers hold the lock (or are the only thread using the analyzer).
  ClusterBitmap* Get() const { return bitmap_.get(); }
  void Reset(std::unique_ptr<ClusterBitmap> bitmap = nullptr) { bitmap_ = std::move(bitmap); }

 private:
  mutable std::recursive_mutex mutex_;
  std::unique_ptr<ClusterBitmap> bitmap_;
};

}  // namespace orvande
