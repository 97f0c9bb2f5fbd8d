#pragma once
// One disk image job: the analyzer that reads the volume, the target file, and what the worker
// shares with the user-interface thread (bytes written, the cancel flag, the progress position).
// WriteImageSectors is the worker's body. The analyzer and target belong to the worker while it
// runs; Position, Range and the cancel flag may be used from any thread.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "core/stop_flag.h"

namespace orvande {

class ImageTarget;
class Prompter;
class StatusTextSink;
class VolumeAnalyzer;

// The position the worker publishes as its last report: the progress window closes on it.
inline constexpr uint32_t kImagePositionDone = 0xFFFFFFFF;
// Above this many sectors the progress counts one step per kImageCoarseSectors sectors.
inline constexpr uint64_t kImageFineProgressLimit = 0x7FFFFFFF;
inline constexpr uint32_t kImageCoarseShift = 8;
inline constexpr uint32_t kImageCoarseSectors = 1u << kImageCoarseShift;
// Sectors are copied in runs of this size for speed; the file still grows in sector order.
inline constexpr size_t kImageBatchBytes = size_t{1} << 20;

class ImageWriterJob {
 public:
  // Both may be null (the worker then answers ErrNotAvailable). The prompter null: the default
  // one; the status sink null: no status line.
  ImageWriterJob(VolumeAnalyzer* analyzer, ImageTarget* target, Prompter* prompter,
                 StatusTextSink* statusText);

  // Total sectors x sector size; 0 without an analyzer.
  uint64_t ImageSize() const;
  uint64_t TotalSectors() const;
  // The progress window's range: the sectors, or a step per 256 of them when there are too many.
  uint32_t Range() const;
  uint32_t Position() const { return position_.load(std::memory_order_acquire); }
  uint64_t BytesWritten() const { return bytesWritten_.load(std::memory_order_acquire); }
  StopFlag& Cancel() { return cancel_; }

  // How many bytes one read and one write carry at most (rounded down to whole sectors, at
  // least one sector). Set before the worker starts.
  void SetBatchBytes(size_t bytes) { batchBytes_ = bytes; }

 private:
  friend uint32_t WriteImageSectors(ImageWriterJob& job);

  VolumeAnalyzer* analyzer_;
  ImageTarget* target_;
  Prompter* prompter_;
  StatusTextSink* statusText_;
  size_t batchBytes_ = kImageBatchBytes;
  std::atomic<uint64_t> bytesWritten_{0};
  std::atomic<uint32_t> position_{0};
  StopFlag cancel_{0};
};

// Copies every sector of the volume into the target in order: unreadable sectors as zeros, a
// found partition's stored boot sector as sector 0. Asks whether to go on when the disk is full.
// Returns the last result code; publishes kImagePositionDone and clears the cancel flag at the end.
uint32_t WriteImageSectors(ImageWriterJob& job);

}  // namespace orvande
