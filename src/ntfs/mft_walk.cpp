#include "ntfs/mft_walk.h"

#include <strings.h>

#include <algorithm>
#include <cinttypes>
#include <exception>
#include <new>

#include "core/allocation_map_receiver.h"
#include "core/ports.h"
#include "ntfs/cluster_bitmap.h"
#include "ntfs/mft_layout.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_status.h"
#include "ntfs/ntfs_tree_builder.h"
#include "support/operation_log.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr char kInvalidMftFormat[] =
    "MFT structure is invalid (position: 0x%016" PRIx64 "). Status %x";
constexpr char kBitmapName[] = "$bitmap";
// A record read through the MFT is first read this far at most.
constexpr uint64_t kMaximumFirstMftRead = 16384;
// How often the progress bar moves, in records.
constexpr uint32_t kProgressEvery = 11;

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

}  // namespace

ProgressScale::ProgressScale(ProgressBar* bar, uint64_t range) : bar_(bar) {
  while ((range >> shift_) > 0xFFFFFFFFu) ++shift_;
  if (bar_ != nullptr) bar_->SetRange(0, static_cast<uint32_t>(range >> shift_));
}

void ProgressScale::Position(uint64_t value) const {
  if (bar_ != nullptr) bar_->SetPosition(static_cast<uint32_t>(value >> shift_));
}

MftWalk::MftWalk(NtfsAnalyzer& analyzer, const BuildTreeContext& context, NtfsTreeBuilder& builder,
                 OperationLog* log)
    : analyzer_(analyzer),
      context_(context),
      builder_(builder),
      log_(log),
      readerMap_(context.reader != nullptr ? context.reader->AllocationMapTarget() : nullptr) {}

void MftWalk::LogInvalid(uint64_t position, uint32_t status, bool warning) const {
  if (log_ != nullptr)
    log_->AddFormat(warning ? OperationLog::kWarning : OperationLog::kError, kInvalidMftFormat,
                    position, status);
}

bool MftWalk::SkipSparseSlots(uint64_t* position, uint64_t end) {
  MftRecord& table = analyzer_.MftTable();
  const uint64_t clusterBytes = analyzer_.BytesPerCluster();
  const uint64_t slot = table.RecordSize();
  if (clusterBytes == 0 || slot == 0) return false;
  VcnMapping mapping;
  try {
    if (!table.MapVcnByName(kAttrData, AttributeName::None(), *position / clusterBytes, &mapping,
                            false) ||
        !mapping.sparse || mapping.compressed)
      return false;
  } catch (const std::exception&) {
    return false;
  }
  // Every slot whose first read lies wholly inside the stretch reads as zeros: no record there.
  const uint64_t vcnEnd = *position / clusterBytes + mapping.alike;
  const uint64_t stretchEnd =
      vcnEnd > UINT64_MAX / clusterBytes ? UINT64_MAX : vcnEnd * clusterBytes;
  const uint64_t firstRead = std::min(slot, kMaximumFirstMftRead);
  if (*position > stretchEnd || stretchEnd - *position < firstRead) return false;
  uint64_t slots = (stretchEnd - *position - firstRead) / slot + 1;
  slots = std::min(slots, (end - *position + slot - 1) / slot);
  slots = std::min<uint64_t>(slots, kMaxRecords - n_);
  if (slots <= 1) return false;
  *position += slots * slot;
  n_ += static_cast<uint32_t>(slots);
  return true;
}

void MftWalk::LoadBitmaps(uint64_t position) {
  try {
    if (!readerMap_->LoadAllocationMap(position, log_)) return;
    bitmapFound_ = true;
    auto own = std::make_unique<ClusterBitmap>(&analyzer_);
    if (IsSuccess(own->Load(position, log_))) {
      ClusterBitmapSlot::Lock lock = analyzer_.BitmapSlot().Acquire();
      analyzer_.BitmapSlot().Reset(std::move(own));
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // A bitmap that can't be read leaves every probability unknown; the walk goes on.
  }
}

uint32_t MftWalk::HandOver(MftRecord& record, bool outside, bool lookForBitmap) {
  FolderTree& tree = context_.folderTree;
  const bool quiet = top_ == kNoNode;
  if (quiet) tree.SetRedraw(false);
  uint32_t status = kSuccess;
  try {
    status = builder_.AddRecordToTree(record, n_, lookForBitmap ? &name_ : nullptr, outside,
                                      firstOutside_, log_);
  } catch (const std::bad_alloc&) {
    status = kErrOutOfMemory;
  } catch (const std::exception&) {
    // A record that contradicts itself adds nothing.
    name_.clear();
  }
  if (quiet) {
    tree.SetRedraw(true);
    top_ = tree.FirstChild(kNoNode);
    if (top_ != kNoNode) tree.Select(top_);
  } else if (!topExpanded_ && tree.HasChildren(top_)) {
    tree.Expand(top_);
    topExpanded_ = true;
  }
  return status;
}

uint32_t MftWalk::Run(uint64_t dataSize, uint64_t allocatedSize, bool tolerant) {
  MftRecord& table = analyzer_.MftTable();
  const ProgressScale progress(context_.progressBar, allocatedSize);
  // A run list that maps clusters twice would have the walk read the same records over and over:
  // it ends where that begins.
  const uint64_t limit = std::min(
      allocatedSize, MftLayout::Of(table).FirstRepeatedPosition(analyzer_.BytesPerCluster()));
  MftRecord record(&analyzer_);
  uint64_t p = 0;
  uint32_t status = kSuccess;
  while (p < allocatedSize) {
    if (StopRequested(context_.stop)) {
      stopped_ = true;
      status = kSuccess;
      break;
    }
    if (n_ % kProgressEvery == 0) progress.Position(p);
    if (n_ >= kMaxRecords || p >= limit) {
      status = kStatusMftStreamReadFailed;
      LogInvalid(p, status, tolerant);
      if (tolerant) status = kSuccess;
      break;
    }
    if (SkipSparseSlots(&p, allocatedSize)) continue;
    uint64_t q = 0;
    try {
      status = record.ReadFromMft(table, p, &q, log_);
    } catch (const std::bad_alloc&) {
      status = kErrOutOfMemory;
    } catch (const std::exception&) {
      status = kStatusNtfsFault;
    }
    if (status == kErrOutOfMemory) break;
    const bool usable = IsSuccess(status) && record.HasBuffer();
    if (!usable && status != kStatusNotUsableRecord) {
      if (IsSuccess(status)) status = kStatusMftStreamReadFailed;
      LogInvalid(p, status, tolerant);
      if (tolerant) status = kSuccess;
      break;
    }
    if (q <= p) {
      status = kStatusMftStalled;
      LogInvalid(p, status, true);
      break;
    }
    const uint64_t position = p;
    p = q;
    walkedEnd_ = p;
    if (usable && !record.IsExtension()) {
      const bool outside = p > dataSize;
      if (outside && firstOutside_ == 0) firstOutside_ = n_;
      const bool lookForBitmap =
          !bitmapFound_ && readerMap_ != nullptr && n_ < kBitmapSearchRecords;
      const uint32_t added = HandOver(record, outside, lookForBitmap);
      if (!IsSuccess(added)) return added;
      if (lookForBitmap && EqualsIgnoringCase(name_, kBitmapName)) LoadBitmaps(position);
    }
    ++n_;
    status = kSuccess;
  }
  walkedEnd_ = std::max(walkedEnd_, std::min(p, allocatedSize));
  return status;
}

}  // namespace orvande
