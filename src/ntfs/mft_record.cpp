#include "ntfs/mft_record.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_status.h"
#include "ntfs/record_fault.h"
#include "ntfs/update_sequence.h"
#include "support/le_reader.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

constexpr uint32_t kKindDirect = 0;
constexpr uint32_t kKindMft = 1;
// A record read through the MFT is first read this far at most.
constexpr uint32_t kMaximumFirstMftRead = 16384;

bool HasFileSignature(std::span<const uint8_t> bytes) {
  constexpr char kSignature[] = "FILE";
  return LeReader(bytes).Fits(record_header::kSignatureOffset, 4) &&
         std::memcmp(bytes.data() + record_header::kSignatureOffset, kSignature, 4) == 0;
}

void LogFault(OperationLog* log, const char* code) {
  if (log != nullptr) log->Add(OperationLog::kError, code);
}

uint64_t RoundUp(uint64_t value, uint64_t unit) {
  return (value + unit - 1) / unit * unit;
}

}  // namespace

MftRecord::MftRecord(NtfsAnalyzer* analyzer) : analyzer_(analyzer) {}

MftRecord::~MftRecord() = default;

void MftRecord::Reset(uint32_t kind, uint64_t position) {
  location_.SetPosition(kind, position);
  buffer_.clear();
  recordSize_ = 0;
  firstAttribute_ = 0;
  attributeList_.clear();
  listState_ = ListState::kNotLoaded;
  recordCache_.clear();
  runLists_.clear();
  joinedRuns_.reset();
}

bool MftRecord::AllocateBuffer() {
  try {
    buffer_.assign(RoundUp(recordSize_, analyzer_->BytesPerSector()), 0);
    return true;
  } catch (const std::bad_alloc&) {
    buffer_.clear();
    return false;
  }
}

uint32_t MftRecord::CheckAndFix(const char* updateSequenceCode, OperationLog* log) {
  LeReader header(buffer_);
  if (!HasFileSignature(buffer_)) return kStatusNoFileSignature;
  if (header.U32(record_header::kUsedSizeOffset) > recordSize_) return kStatusUsedSizeTooLarge;
  try {
    // Whether every word could be put back does not decide whether the record is used.
    ApplyUpdateSequence(buffer_, recordSize_, analyzer_->BytesPerSector());
  } catch (const std::exception&) {
    LogFault(log, updateSequenceCode);
  }
  const uint32_t firstAttribute = header.U16(record_header::kFirstAttributeOffset);
  if (firstAttribute != 0) {
    if (firstAttribute >= recordSize_) return kStatusNotUsableRecord;
    firstAttribute_ = firstAttribute;
  }
  return kSuccess;
}

uint32_t MftRecord::ReadDirect(uint64_t offset, uint64_t* next, bool checkAttributeList,
                               OperationLog* log) {
  uint64_t localNext = 0;
  if (next == nullptr) next = &localNext;
  Reset(kKindDirect, offset);
  *next = 0;
  uint32_t status = ReadDirectRecord(offset, next, log);
  if (!IsSuccess(status)) return status;
  status = CheckAndFix(ntfs_codes::kDirectUpdateSequence, log);
  if (!IsSuccess(status) || !checkAttributeList) return status;
  try {
    if (FindAttribute(kAttrAttributeList, AttributeName::Any())) return kStatusNotUsableRecord;
  } catch (const std::exception&) {
    LogFault(log, ntfs_codes::kDirectListCheck);
  }
  return kSuccess;
}

uint32_t MftRecord::ReadDirectRecord(uint64_t offset, uint64_t* next, OperationLog* log) {
  NtfsAnalyzer& analyzer = *analyzer_;
  const uint32_t bytesPerSector = analyzer.BytesPerSector();
  const uint32_t sectorsPerCluster = analyzer.SectorsPerCluster();
  const uint64_t firstSector = offset / bytesPerSector;
  std::vector<uint8_t> first;
  uint32_t status = kSuccess;
  uint32_t sectorsRead = 0;
  try {
    first.resize(analyzer.BytesPerCluster());
    sectorsRead = analyzer.ReadVolumeSectors(firstSector, first.data(), analyzer.BytesPerCluster(),
                                             &status, sectorsPerCluster, true, true);
  } catch (const std::exception&) {
    LogFault(log, ntfs_codes::kDirectFirstRead);
    return kStatusNtfsFault;
  }
  if (sectorsRead == 0 && !IsSuccess(status)) return status;
  const uint64_t bytesRead =
      std::min<uint64_t>(uint64_t{sectorsRead} * bytesPerSector, first.size());
  if (bytesRead < record_header::kMinimumRead) return kStatusShortDirectRead;
  if (!HasFileSignature(first)) return kStatusNoFileSignature;
  const uint32_t recordSize = LeReader(first).U32(record_header::kAllocatedSizeOffset);
  if (recordSize < record_header::kMinimumSize) return kStatusDirectRecordTooSmall;
  if (recordSize > record_header::kMaximumSize) return kStatusRecordTooLarge;
  recordSize_ = recordSize;
  *next = offset + RoundUp(recordSize, bytesPerSector);
  try {
    if (!AllocateBuffer()) return kErrOutOfMemory;
    std::memcpy(buffer_.data(), first.data(), std::min<uint64_t>(bytesRead, buffer_.size()));
    if (bytesRead < recordSize) {
      const uint64_t restSectors = (recordSize - bytesRead + bytesPerSector - 1) / bytesPerSector;
      const uint32_t got =
          analyzer.ReadVolumeSectors(firstSector + sectorsRead, buffer_.data() + bytesRead,
                                     static_cast<uint32_t>(buffer_.size() - bytesRead), &status,
                                     static_cast<uint32_t>(restSectors), true, true);
      if (got < restSectors) {
        buffer_.clear();
        // The rest could not be read even though the device reported no failure: the record is
        // still unreadable, and says so.
        return IsSuccess(status) ? kStatusShortDirectRead : status;
      }
    }
  } catch (const std::exception&) {
    buffer_.clear();
    LogFault(log, ntfs_codes::kDirectRecordRead);
    return kStatusNtfsFault;
  }
  return kSuccess;
}

uint32_t MftRecord::ReadFromMft(MftRecord& table, uint64_t position, uint64_t* next,
                                OperationLog* log) {
  uint64_t localNext = 0;
  if (next == nullptr) next = &localNext;
  Reset(kKindMft, position);
  *next = 0;
  // A record can't be read through itself.
  if (&table == this) return kStatusMftStreamReadFailed;
  tableRecordSize_ = table.recordSize_;
  uint32_t status = ReadMftRecord(table, position, next, log);
  if (!IsSuccess(status)) return status;
  status = CheckAndFix(ntfs_codes::kMftUpdateSequence, log);
  if (!IsSuccess(status)) return status;
  try {
    LoadAttributeList(log);
  } catch (const std::exception&) {
    LogFault(log, ntfs_codes::kMftAttributeList);
  }
  return kSuccess;
}

uint32_t MftRecord::ReadMftRecord(MftRecord& table, uint64_t position, uint64_t* next,
                                  OperationLog* log) {
  const uint32_t bytesPerSector = analyzer_->BytesPerSector();
  std::vector<uint8_t> first;
  uint64_t got = 0;
  try {
    first.resize(std::min(tableRecordSize_, kMaximumFirstMftRead));
    if (!table.ReadStream(kAttrData, AttributeName::None(), first.data(), position, first.size(),
                          &got, log))
      return kStatusMftStreamReadFailed;
  } catch (const std::exception&) {
    LogFault(log, ntfs_codes::kMftFirstRead);
    return kStatusNtfsFault;
  }
  got = std::min<uint64_t>(got, first.size());
  if (got < record_header::kMinimumRead) return kStatusShortMftRead;
  if (!HasFileSignature(first)) {
    // An unused slot: the caller steps over it by the table's record size.
    *next = position + tableRecordSize_;
    return kStatusNotUsableRecord;
  }
  const uint32_t recordSize = LeReader(first).U32(record_header::kAllocatedSizeOffset);
  if (recordSize < record_header::kMinimumSize) return kStatusMftRecordTooSmall;
  if (recordSize > record_header::kMaximumSize) return kStatusRecordTooLarge;
  recordSize_ = recordSize;
  *next = position + RoundUp(recordSize, bytesPerSector);
  try {
    if (!AllocateBuffer()) return kErrOutOfMemory;
    std::memcpy(buffer_.data(), first.data(), std::min<uint64_t>(got, buffer_.size()));
    if (got < recordSize) {
      const uint64_t rest = recordSize - got;
      uint64_t restRead = 0;
      if (!table.ReadStream(kAttrData, AttributeName::None(), buffer_.data() + got, position + got,
                            rest, &restRead, log) ||
          restRead != rest) {
        buffer_.clear();
        return kStatusMftStreamReadFailed;
      }
    }
  } catch (const std::exception&) {
    buffer_.clear();
    LogFault(log, ntfs_codes::kMftRecordRead);
    return kStatusNtfsFault;
  }
  return kSuccess;
}

}  // namespace orvande
