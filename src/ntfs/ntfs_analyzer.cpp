#include "ntfs/ntfs_analyzer.h"

#include <bit>
#include <cstring>
#include <new>

#include "core/item_location.h"
#include "disk/sector_device.h"
#include "ntfs/ntfs_status.h"
#include "ntfs/record_fault.h"
#include "support/le_reader.h"
#include "support/operation_log.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kNtfsMark[] = "NTFS";
constexpr size_t kNtfsMarkSize = 4;

// The record's byte offset: MFT cluster x sectors per cluster x bytes per sector, when it fits.
bool MftByteOffset(uint64_t mftCluster, uint64_t sectorsPerCluster, uint64_t bytesPerSector,
                   uint64_t* sector, uint64_t* offset) {
  return !__builtin_mul_overflow(mftCluster, sectorsPerCluster, sector) &&
         !__builtin_mul_overflow(*sector, bytesPerSector, offset);
}

}  // namespace

NtfsAnalyzer::NtfsAnalyzer() : mftRecord_(this), clusters_(*this) {}

NtfsAnalyzer::~NtfsAnalyzer() = default;

uint64_t NtfsAnalyzer::GetTotalSectors() const {
  return LeReader(bootSector_).U64(ntfs_boot::kTotalSectorsOffset);
}

uint64_t NtfsAnalyzer::MftCluster() const {
  return LeReader(bootSector_).U64(ntfs_boot::kMftClusterOffset);
}

void NtfsAnalyzer::LogGeometry(OperationLog* log) const {
  if (log == nullptr) return;
  log->AddFormat(OperationLog::kPlain, ntfs_texts::kVolumeSizeFormat, GetTotalSectors());
  log->AddFormat(OperationLog::kPlain, ntfs_texts::kClusterSizeFormat,
                 static_cast<int>(BytesPerSector() * SectorsPerCluster()));
}

bool NtfsAnalyzer::Open(SectorDevice* device, bool quiet, OperationLog* log) {
  if (!VolumeAnalyzer::Open(device, quiet, log)) return false;
  OperationLog* messages = quiet ? nullptr : log;
  SetGeometry(512, 1);
  if (const uint8_t* stored = device->GetStoredBootSector()) {
    std::memcpy(bootSector_.data(), stored, bootSector_.size());
  } else {
    uint32_t status = kSuccess;
    if (ReadVolumeSectors(0, bootSector_.data(), ntfs_boot::kSize, &status, 1, false, true) != 1) {
      if (messages != nullptr) messages->Add(OperationLog::kError, strings::kCantReadBootSector);
      return false;
    }
    if (std::memcmp(bootSector_.data() + ntfs_boot::kOemNameOffset, kNtfsMark, kNtfsMarkSize) != 0)
      return false;
  }
  LeReader boot(bootSector_);
  const uint32_t bytesPerSector = boot.U16(ntfs_boot::kBytesPerSectorOffset);
  const uint32_t sectorsPerCluster = boot.U8(ntfs_boot::kSectorsPerClusterOffset);
  // Sector sizes that are not a power of two would break every sector count read from the device.
  if (bytesPerSector == 0 || sectorsPerCluster == 0 || !std::has_single_bit(bytesPerSector)) {
    if (messages != nullptr)
      messages->AddFormat(OperationLog::kError, ntfs_texts::kBadGeometryFormat,
                          static_cast<int>(sectorsPerCluster), static_cast<int>(bytesPerSector));
    return false;
  }
  SetGeometry(bytesPerSector, sectorsPerCluster);

  uint64_t mftSector = 0;
  uint64_t mftOffset = 0;
  uint32_t status = kStatusOutsideVolume;
  const bool mftPlaced =
      MftByteOffset(MftCluster(), sectorsPerCluster, bytesPerSector, &mftSector, &mftOffset);
  // A short image is analysed as far as it goes; one that ends before the MFT holds nothing.
  heldSectors_ = ReadableSectors(GetTotalSectors());
  if (!CheckDeviceHoldsVolume(GetTotalSectors(), messages) && mftPlaced &&
      heldSectors_ <= mftSector) {
    if (messages != nullptr)
      messages->AddFormat(OperationLog::kError, strings::kNothingReadableFormat,
                          static_cast<unsigned long long>(heldSectors_),
                          static_cast<unsigned long long>(mftSector));
    return false;
  }
  if (mftPlaced) {
    MftRecord direct(this);
    uint64_t next = 0;
    try {
      status = direct.ReadDirect(mftOffset, &next, false, log);
      if (IsSuccess(status) && !direct.HasBuffer()) status = kStatusShortDirectRead;
    } catch (const std::exception&) {
      if (log != nullptr) log->Add(OperationLog::kError, ntfs_codes::kOpenDirect);
      status = kStatusNtfsFault;
    }
    if (IsSuccess(status)) {
      try {
        status = mftRecord_.ReadFromMft(direct, 0, &next, log);
        if (IsSuccess(status) && !mftRecord_.HasBuffer()) status = kStatusMftStreamReadFailed;
      } catch (const std::exception&) {
        if (log != nullptr) log->Add(OperationLog::kError, ntfs_codes::kOpenThroughRuns);
        status = kStatusNtfsFault;
      }
    }
  }
  if (!IsSuccess(status)) {
    if (messages != nullptr)
      messages->AddFormat(OperationLog::kError, ntfs_texts::kRecordReadErrorFormat, status,
                          mftSector, BytesPerCluster());
    return false;
  }
  return true;
}

bool NtfsAnalyzer::RecoverFile(ItemLocation& location, uint64_t size, const std::string& path,
                               bool recoverStreams, RecoveryContext& context, OperationLog* log) {
  if (location.Kind() == ItemLocation::kKindRuns) {
    return location.Runs() != nullptr &&
           WriteRunsToFile(path, size, *location.Runs(), context, log);
  }
  MftRecord record(this);
  if (!ReadFileRecord(location, record, log)) return false;
  return record.WriteFileData(path, recoverStreams, context, log);
}

std::vector<uint8_t>& NtfsAnalyzer::StreamPiece() {
  if (streamPiece_.size() != MftRecord::kStreamPiece) streamPiece_.resize(MftRecord::kStreamPiece);
  return streamPiece_;
}

std::vector<NamedStream> NtfsAnalyzer::NamedStreams(ItemLocation& location, OperationLog* log) {
  MftRecord record(this);
  if (!ReadFileRecord(location, record, log)) return {};
  return record.UserNamedStreams();
}

bool NtfsAnalyzer::ReadFileRecord(const ItemLocation& location, MftRecord& record,
                                  OperationLog* log) {
  uint64_t next = 0;
  uint32_t status = kStatusNotUsableRecord;
  if (location.Kind() == 1) {
    status = record.ReadFromMft(mftRecord_, location.Position(), &next, log);
  } else if (location.Kind() == 0) {
    status = record.ReadDirect(location.Position(), &next, true, log);
  }
  return IsSuccess(status) && record.HasBuffer();
}

std::unique_ptr<VolumeAnalyzer> MakeNtfsAnalyzer() {
  return std::make_unique<NtfsAnalyzer>();
}

}  // namespace orvande
