#include "ntfs/cluster_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_status.h"
#include "support/le_reader.h"
#include "support/operation_log.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// Bytes one device request may cover, and bytes the window of recent clusters keeps.
constexpr uint64_t kMaxRequestBytes = 1u << 20;
constexpr uint64_t kWindowBytes = 256u << 10;

}  // namespace

ClusterReader::ClusterReader(NtfsAnalyzer& analyzer) : analyzer_(analyzer) {}

ClusterReader::~ClusterReader() = default;

uint64_t ClusterReader::ClustersInVolumeFrom(int64_t lcn) const {
  const uint64_t perCluster = analyzer_.SectorsPerCluster();
  if (lcn < 0 || perCluster == 0) return 0;
  // A cluster lies inside when its last sector does: first + per cluster <= total.
  const uint64_t clusters = analyzer_.HeldSectors() / perCluster;
  const uint64_t start = static_cast<uint64_t>(lcn);
  return start < clusters ? clusters - start : 0;
}

uint64_t ClusterReader::MaxBatch() const {
  return std::max<uint64_t>(1,
                            kMaxRequestBytes / std::max<uint32_t>(1, analyzer_.BytesPerCluster()));
}

void ClusterReader::LogReadFailure(uint32_t status, uint64_t firstSector, bool compressed,
                                   OperationLog* log) {
  if (log == nullptr) return;
  if (status == kStatusOutsideVolume && firstSector < analyzer_.GetTotalSectors()) {
    // Inside the volume, but past the end of a short image.
    log->AddFormat(OperationLog::kWarning, strings::kPastDeviceEndFormat,
                   static_cast<unsigned long long>(firstSector),
                   static_cast<unsigned long long>(analyzer_.HeldSectors()));
  } else if (status == kStatusSectorNotFound || status == kStatusOutsideVolume) {
    log->AddId(OperationLog::kWarning, strings::kIdNotInVolume);
    analyzer_.LogGeometry(log);
    log->AddFormat(
        OperationLog::kPlain,
        compressed ? ntfs_texts::kCurrentCompressedSectorFormat : ntfs_texts::kCurrentSectorFormat,
        firstSector);
  } else if (status == ErrDataError) {
    log->AddId(OperationLog::kWarning, strings::kIdBadSectorAt, firstSector);
  } else {
    log->AddFormat(
        OperationLog::kWarning,
        compressed ? ntfs_texts::kCompressedReadErrorFormat : ntfs_texts::kReadErrorFormat, status);
    log->AddFormat(OperationLog::kWarning, ntfs_texts::kSectorFormat, firstSector);
  }
}

uint32_t ClusterReader::ReadOne(int64_t lcn, uint8_t* cluster, uint32_t* status,
                                OperationLog* log) {
  const uint32_t perCluster = analyzer_.SectorsPerCluster();
  const uint64_t firstSector = static_cast<uint64_t>(lcn) * perCluster;
  *status = kSuccess;
  if (ClustersInVolumeFrom(lcn) == 0) {
    *status = kStatusOutsideVolume;
    LogReadFailure(*status, firstSector, false, log);
    return 0;
  }
  const uint32_t sectors = analyzer_.ReadVolumeSectors(
      firstSector, cluster, analyzer_.BytesPerCluster(), status, perCluster, true, true);
  if (!IsSuccess(*status)) LogReadFailure(*status, firstSector, false, log);
  // Bad sectors come back zero-filled, so the cluster is still used.
  return sectors * analyzer_.BytesPerSector();
}

bool ClusterReader::ReadClean(int64_t lcn, uint64_t count, uint8_t* out) {
  const uint64_t sectors = count * analyzer_.SectorsPerCluster();
  const uint64_t bytes = count * analyzer_.BytesPerCluster();
  if (lcn < 0 || count == 0 || sectors > UINT32_MAX || bytes > UINT32_MAX) return false;
  uint32_t status = kSuccess;
  const uint32_t got = analyzer_.ReadVolumeSectors(
      static_cast<uint64_t>(lcn) * analyzer_.SectorsPerCluster(), out, static_cast<uint32_t>(bytes),
      &status, static_cast<uint32_t>(sectors), true, true);
  return got == sectors && IsSuccess(status);
}

const uint8_t* ClusterReader::CachedCluster(int64_t lcn) const {
  const uint64_t clusterBytes = analyzer_.BytesPerCluster();
  if (windowCount_ > 0 && lcn >= windowLcn_ && static_cast<uint64_t>(lcn - windowLcn_) < windowCount_)
    return window_.data() + (lcn - windowLcn_) * clusterBytes;
  if (loneLcn_ >= 0 && lcn == loneLcn_) return lone_.data();
  return nullptr;
}

const uint8_t* ClusterReader::FillCaches(int64_t lcn, uint64_t ahead) {
  const uint64_t clusterBytes = analyzer_.BytesPerCluster();
  // Reading ahead pays for a reader that goes on where it stopped (a walk over the table, a
  // file's data). A lone cluster read elsewhere (a record looked up for a deleted file) gets a
  // slot of its own, so that it neither costs a whole window nor evicts the walk's.
  const bool continues = windowCount_ == 0 || lcn == nextLcn_ ||
                         lcn == windowLcn_ + static_cast<int64_t>(windowCount_);
  if (!continues) {
    loneLcn_ = -1;
    lone_.resize(clusterBytes);
    if (!ReadClean(lcn, 1, lone_.data())) return nullptr;
    loneLcn_ = lcn;
    return lone_.data();
  }
  const uint64_t windowClusters = std::max<uint64_t>(1, kWindowBytes / clusterBytes);
  uint64_t fill =
      std::min({std::max<uint64_t>(ahead, 1), windowClusters, ClustersInVolumeFrom(lcn)});
  if (fill == 0) return nullptr;
  windowCount_ = 0;
  window_.resize(fill * clusterBytes);
  // A failure further on must not cost this cluster its place in the window.
  if (!ReadClean(lcn, fill, window_.data())) {
    if (fill == 1 || !ReadClean(lcn, 1, window_.data())) return nullptr;
    fill = 1;
  }
  windowLcn_ = lcn;
  windowCount_ = fill;
  return window_.data();
}

bool ClusterReader::ReadRange(int64_t lcn, uint64_t count, uint64_t inCluster, uint64_t bytes,
                              uint8_t* out, uint64_t ahead) {
  const uint64_t clusterBytes = analyzer_.BytesPerCluster();
  try {
    if (count == 1) {
      const uint8_t* cluster = CachedCluster(lcn);
      if (cluster == nullptr) cluster = FillCaches(lcn, ahead);
      if (cluster == nullptr) return false;
      nextLcn_ = lcn + 1;
      std::memcpy(out, cluster + inCluster, bytes);
      return true;
    }
    if (inCluster == 0 && bytes == count * clusterBytes) return ReadClean(lcn, count, out);
    scratch_.resize(count * clusterBytes);
    if (!ReadClean(lcn, count, scratch_.data())) return false;
    std::memcpy(out, scratch_.data() + inCluster, bytes);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

Lznt1Unit* ClusterReader::CachedUnit(const VcnMapping& mapping) {
  if (!unit_ || unitLcns_.size() != mapping.unitLcnCount) return nullptr;
  if (!std::equal(unitLcns_.begin(), unitLcns_.end(), mapping.unitLcns.begin())) return nullptr;
  return unit_.get();
}

bool ClusterReader::ReadUnit(const VcnMapping& mapping, std::vector<uint8_t>& data,
                             uint32_t* status, OperationLog* log) {
  const uint32_t count = mapping.unitLcnCount;
  const uint64_t clusterBytes = analyzer_.BytesPerCluster();
  const auto& lcns = mapping.unitLcns;
  bool clean = true;
  for (uint32_t i = 0; i < count && clean;) {
    uint32_t j = i + 1;
    while (j < count && lcns[j] == lcns[j - 1] + 1) ++j;
    clean = ClustersInVolumeFrom(lcns[i]) >= j - i &&
            ReadClean(lcns[i], j - i, data.data() + i * clusterBytes);
    i = j;
  }
  if (clean) return true;
  // Read again one cluster at a time so that the failure is found and reported where it is.
  const uint32_t perCluster = analyzer_.SectorsPerCluster();
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t firstSector = static_cast<uint64_t>(lcns[i]) * perCluster;
    if (ClustersInVolumeFrom(lcns[i]) == 0) {
      *status = kStatusOutsideVolume;
      LogReadFailure(*status, firstSector, true, log);
      return false;
    }
    *status = kSuccess;
    const uint32_t got = analyzer_.ReadVolumeSectors(firstSector, data.data() + i * clusterBytes,
                                                     static_cast<uint32_t>(clusterBytes), status,
                                                     perCluster, true, true);
    if (!IsSuccess(*status) || got != perCluster) {
      LogReadFailure(*status, firstSector, true, log);
      return false;
    }
  }
  return true;
}

uint32_t ClusterReader::ReadCompressed(const VcnMapping& mapping, uint8_t* cluster,
                                       uint32_t* status, OperationLog* log) {
  *status = kSuccess;
  const uint64_t clusterBytes = analyzer_.BytesPerCluster();
  Lznt1Unit* unit = CachedUnit(mapping);
  if (unit == nullptr) {
    std::vector<uint8_t> data;
    try {
      data.resize(mapping.unitLcnCount * clusterBytes);
    } catch (const std::bad_alloc&) {
      *status = kErrOutOfMemory;
      return 0;
    }
    if (!ReadUnit(mapping, data, status, log)) return 0;
    unit_.reset();
    unit_ = std::make_unique<Lznt1Unit>(std::move(data));
    unitLcns_.assign(mapping.unitLcns.begin(), mapping.unitLcns.begin() + mapping.unitLcnCount);
    unit = unit_.get();
  }
  std::optional<size_t> produced =
      unit->Extract(uint64_t{mapping.indexInUnit} * clusterBytes, std::span(cluster, clusterBytes));
  if (!produced) {
    *status = kStatusInvalidCompressedData;
    if (log != nullptr) {
      log->Add(OperationLog::kWarning, strings::kInvalidData);
      std::vector<uint8_t> dump(mapping.unitLcnCount * 8);
      for (uint32_t i = 0; i < mapping.unitLcnCount; ++i)
        StoreLe(dump, i * 8, static_cast<uint64_t>(mapping.unitLcns[i]), 8);
      log->AddByteDump(OperationLog::kWarning, ntfs_texts::kLcnDumpTitle, dump.data(), dump.size());
      log->AddFormat(OperationLog::kWarning, ntfs_texts::kDecompressErrorFormat, *status);
    }
    return 0;
  }
  return static_cast<uint32_t>(*produced);
}

}  // namespace orvande
