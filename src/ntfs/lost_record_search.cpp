#include "ntfs/lost_record_search.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "ntfs/cluster_bitmap.h"
#include "ntfs/mft_record.h"
#include "ntfs/mft_walk.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_status.h"
#include "ntfs/ntfs_tree_builder.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kSignature[] = "FILE";
constexpr size_t kSignatureSize = 4;
constexpr uint32_t kProgressEvery = 11;

}  // namespace

LostRecordSearch::LostRecordSearch(NtfsAnalyzer& analyzer, const BuildTreeContext& context,
                                   NtfsTreeBuilder& builder, CoveredRanges covered,
                                   OperationLog* log)
    : analyzer_(analyzer),
      context_(context),
      builder_(builder),
      covered_(std::move(covered)),
      log_(log) {}

LostRecordSearch::Outcome LostRecordSearch::Search(const uint8_t* bytes, uint64_t size,
                                                   uint64_t start, uint32_t* status) {
  const uint64_t sector = analyzer_.BytesPerSector();
  const uint64_t end = start + size;
  uint64_t at = std::max(start, resume_);
  MftRecord record(&analyzer_);
  while (at < end) {
    // What the walk read as part of the MFT is not found a second time.
    if (const uint64_t skip = covered_.SkipFrom(at); skip != at) {
      at = skip;
      continue;
    }
    if (end - at < kSignatureSize ||
        std::memcmp(bytes + (at - start), kSignature, kSignatureSize) != 0) {
      if (!tolerant_) return Outcome::kEndStep;
      at += sector;
      continue;
    }
    uint64_t next = 0;
    uint32_t read = kSuccess;
    try {
      read = record.ReadDirect(at, &next, true, log_);
    } catch (const std::bad_alloc&) {
      *status = kErrOutOfMemory;
      return Outcome::kEndStep;
    } catch (const std::exception&) {
      read = kStatusNtfsFault;
    }
    const bool usable = IsSuccess(read) && record.HasBuffer();
    if (usable || read == kStatusNotUsableRecord) {
      if (n_ >= MftWalk::kMaxRecords) return Outcome::kEndStep;
      ++n_;
      if (usable && !record.IsExtension()) {
        uint32_t added = kSuccess;
        try {
          added = builder_.AddRecordToTree(record, n_ - 1, nullptr, true, firstOutside_, log_);
        } catch (const std::bad_alloc&) {
          added = kErrOutOfMemory;
        } catch (const std::exception&) {
          // A record that contradicts itself adds nothing.
        }
        if (!IsSuccess(added)) {
          *status = added;
          return Outcome::kEndStep;
        }
      }
    }
    at = next > at ? next : at + sector;
    resume_ = at;
  }
  return Outcome::kGoOn;
}

uint64_t LostRecordSearch::FreeRun(ClusterBitmap& clusters, uint64_t c, uint64_t clusterCount) {
  const uint64_t most = std::max<uint64_t>(1, kReadAheadBytes / analyzer_.BytesPerCluster());
  uint64_t count = 1;
  while (count < most && c + count < clusterCount && clusters.IsFree(c + count, log_)) ++count;
  return count;
}

bool LostRecordSearch::ReadSpareTail(int64_t lcn, uint32_t spare, std::vector<uint8_t>& buffer,
                                     uint64_t* start) {
  const uint64_t perCluster = analyzer_.SectorsPerCluster();
  const uint64_t first = static_cast<uint64_t>(lcn) * perCluster + perCluster - spare;
  buffer.assign(uint64_t{spare} * analyzer_.BytesPerSector(), 0);
  uint32_t status = kSuccess;
  const uint32_t got = analyzer_.ReadVolumeSectors(
      first, buffer.data(), static_cast<uint32_t>(buffer.size()), &status, spare, false, true);
  *start = first * analyzer_.BytesPerSector();
  return got == spare;
}

uint32_t LostRecordSearch::Run(ClusterBitmap& clusters, bool tolerant, uint32_t* n,
                               uint32_t* firstOutside) {
  tolerant_ = tolerant;
  n_ = *n;
  firstOutside_ = *firstOutside;
  const uint32_t bytesPerSector = analyzer_.BytesPerSector();
  const uint32_t perCluster = analyzer_.SectorsPerCluster();
  const uint32_t clusterBytes = analyzer_.BytesPerCluster();
  uint64_t c = analyzer_.MftCluster();
  if (!clusters.Advance(&c, log_)) return kSuccess;

  // When records do not fill their clusters, the spare sectors at the end of the MFT's cluster
  // may hold one more.
  MftRecord& table = analyzer_.MftTable();
  const uint32_t sectorsPerRecord = table.RecordSize() / bytesPerSector;
  const uint32_t clustersPerRecord = (sectorsPerRecord + perCluster - 1) / perCluster;
  const uint32_t spare = clustersPerRecord * perCluster - sectorsPerRecord;
  bool tailPending = false;
  int64_t tailLcn = -1;
  if (spare != 0 && clustersPerRecord != 0) {
    VcnMapping mapping;
    try {
      tailPending = table.MapVcnByName(kAttrData, AttributeName::None(), clustersPerRecord - 1,
                                       &mapping, false) &&
                    !mapping.sparse && mapping.lcn >= 0;
      tailLcn = mapping.lcn;
    } catch (const std::exception&) {
      tailPending = false;
    }
  }

  // Cluster offsets in bytes must fit 64 bits, however large the boot sector says the volume is.
  const uint64_t clusterCount =
      std::min<uint64_t>(analyzer_.GetTotalSectors() / perCluster, UINT64_MAX / clusterBytes);
  const uint64_t begin = c;
  const ProgressScale progress(context_.progressBar, clusterCount > c ? clusterCount - c : 0);
  if (firstOutside_ == 0) firstOutside_ = n_;
  if (log_ != nullptr) log_->AddId(OperationLog::kPlain, strings::kIdSecondAnalyzingStep);

  uint32_t status = kSuccess;
  std::vector<uint8_t> buffer;
  uint32_t round = 0;
  while (c < clusterCount) {
    if (StopRequested(context_.stop)) {
      status = kSuccess;
      break;
    }
    if (round++ % kProgressEvery == 0) progress.Position(c - begin);
    if (tailPending && static_cast<uint64_t>(tailLcn) < c) {
      tailPending = false;
      uint64_t start = 0;
      if (ReadSpareTail(tailLcn, spare, buffer, &start) &&
          Search(buffer.data(), buffer.size(), start, &status) == Outcome::kEndStep)
        break;
      continue;
    }
    // Free clusters in a row are read in one request; one that can't be read whole is read
    // alone, and a cluster that can't be read ends the step.
    const uint64_t run = FreeRun(clusters, c, clusterCount);
    buffer.resize(run * clusterBytes);
    uint64_t got = analyzer_.ReadVolumeSectors(c * perCluster, buffer.data(),
                                               static_cast<uint32_t>(buffer.size()), nullptr,
                                               static_cast<uint32_t>(run * perCluster), true, true);
    uint64_t clustersRead = run;
    if (got != run * perCluster) {
      if (!analyzer_.ReadVolumeCluster(c * perCluster, buffer.data(), clusterBytes, nullptr, true,
                                       true))
        break;
      clustersRead = 1;
    }
    const uint64_t start = c * clusterBytes;
    c += clustersRead - 1;
    const bool last = !clusters.Advance(&c, log_);
    if (Search(buffer.data(), clustersRead * clusterBytes, start, &status) == Outcome::kEndStep ||
        last)
      break;
  }
  progress.Position(0);
  *n = n_;
  *firstOutside = firstOutside_;
  return status;
}

}  // namespace orvande
