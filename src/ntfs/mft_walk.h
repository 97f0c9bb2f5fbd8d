#pragma once
// The first analyzing step: every record of the MFT in order, handed to the tree builder, with
// the cluster bitmap loaded from the $Bitmap record on the way. Used by the analysis worker only.
#include <cstdint>
#include <string>

#include "core/folder_tree.h"
#include "core/volume_analyzer.h"

namespace orvande {

class AllocationMapReceiver;
class MftRecord;
class NtfsAnalyzer;
class NtfsTreeBuilder;
class OperationLog;

// Scales 64-bit progress values into the bar's 32-bit range. Used by the analysis worker only.
class ProgressScale {
 public:
  ProgressScale(ProgressBar* bar, uint64_t range);
  void Position(uint64_t value) const;

 private:
  ProgressBar* bar_;
  uint32_t shift_ = 0;
};

class MftWalk {
 public:
  // Record numbers stay below this: ids with the top bit set belong to placeholders.
  static constexpr uint32_t kMaxRecords = 0x7FFFFFFF;
  // The $Bitmap record is looked for among the first records only.
  static constexpr uint32_t kBitmapSearchRecords = 32;

  MftWalk(NtfsAnalyzer& analyzer, const BuildTreeContext& context, NtfsTreeBuilder& builder,
          OperationLog* log);

  // Walks MFT positions [0, allocatedSize); records ending beyond dataSize arrive as outside.
  // tolerant: an unreadable record ends the walk with a warning instead of an error. The status:
  // 0 when the walk reached its end, was stopped or was tolerant; else the failure that ended it.
  uint32_t Run(uint64_t dataSize, uint64_t allocatedSize, bool tolerant);

  bool Stopped() const { return stopped_; }
  // Records counted (the next record number).
  uint32_t Count() const { return n_; }
  uint32_t FirstOutside() const { return firstOutside_; }
  // MFT positions below this one were read by the walk.
  uint64_t WalkedEnd() const { return walkedEnd_; }

 private:
  // Steps over unused slots that lie in a sparse stretch of the table; true when it moved.
  bool SkipSparseSlots(uint64_t* position, uint64_t end);
  uint32_t HandOver(MftRecord& record, bool outside, bool lookForBitmap);
  void LoadBitmaps(uint64_t position);
  void LogInvalid(uint64_t position, uint32_t status, bool warning) const;

  NtfsAnalyzer& analyzer_;
  const BuildTreeContext& context_;
  NtfsTreeBuilder& builder_;
  OperationLog* log_;
  AllocationMapReceiver* readerMap_ = nullptr;  // the reader instance's, or null
  uint32_t n_ = 0;
  uint32_t firstOutside_ = 0;
  uint64_t walkedEnd_ = 0;
  bool stopped_ = false;
  bool bitmapFound_ = false;
  std::string name_;
  TreeNode top_ = kNoNode;
  bool topExpanded_ = false;
};

}  // namespace orvande
