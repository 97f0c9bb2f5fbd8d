#include "fat/fat_analyzer.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "disk/sector_device.h"
#include "support/operation_log.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr const char kBytesPerSectorFormat[] = "Bytes per sector: %d";
constexpr const char kSectorsPerClusterFormat[] = "Sectors per cluster: %d";
constexpr const char kDataBeyondVolumeFormat[] =
    "The data area starts at sector %llu, beyond the volume's %u sectors.";

// Data cluster counts from which the wider tables are used.
constexpr uint64_t kMinFat16Clusters = 4085;
constexpr uint64_t kMinFat32Clusters = 65525;

constexpr uint32_t kMinBytesPerSector = 512;
constexpr uint32_t kMaxBytesPerSector = 4096;

constexpr uint32_t kMask12 = 0xFFF;
constexpr uint32_t kMask16 = 0xFFFF;
constexpr uint32_t kMask32 = 0x0FFFFFFF;

// Sector sizes other than these would make every later computation meaningless (a size of 0
// divides by zero, one that is not a power of two breaks the sector shift).
bool IsUsableSectorSize(uint32_t bytes) {
  return bytes >= kMinBytesPerSector && bytes <= kMaxBytesPerSector && std::has_single_bit(bytes);
}

}  // namespace

FatAnalyzer::FatAnalyzer() = default;
FatAnalyzer::~FatAnalyzer() = default;

std::string FatAnalyzer::FileSystemName() const {
  return "FAT" + std::to_string(FatWidth());
}

std::unique_ptr<VolumeAnalyzer> MakeFatAnalyzer() {
  return std::unique_ptr<VolumeAnalyzer>(new (std::nothrow) FatAnalyzer());
}

bool FatAnalyzer::Open(SectorDevice* device, bool quiet, OperationLog* log) {
  if (!VolumeAnalyzer::Open(device, quiet, log)) return false;
  OperationLog* const report = quiet ? nullptr : log;
  SetGeometry(kMinBytesPerSector, 1);

  if (const uint8_t* stored = device->GetStoredBootSector()) {
    std::memcpy(bootSector_.data(), stored, bootSector_.size());
  } else if (ReadVolumeSectors(0, bootSector_.data(), static_cast<uint32_t>(bootSector_.size()),
                               nullptr, 1, false, true) != 1) {
    if (report) report->Add(OperationLog::kError, strings::kCantReadBootSector);
    return false;
  }
  boot_ = FatBootFields::Decode(bootSector_);
  if (boot_.ntfsOemName) return false;

  if (!IsUsableSectorSize(boot_.bytesPerSector)) {
    if (report)
      report->AddFormat(OperationLog::kError, kBytesPerSectorFormat,
                        static_cast<int>(boot_.bytesPerSector));
    return false;
  }
  // Powers of two only: the cluster shift is taken from the cluster size's trailing zero bits.
  if (!std::has_single_bit(boot_.sectorsPerCluster)) {
    if (report)
      report->AddFormat(OperationLog::kError, kSectorsPerClusterFormat,
                        static_cast<int>(boot_.sectorsPerCluster));
    return false;
  }
  SetGeometry(boot_.bytesPerSector, boot_.sectorsPerCluster);

  // The width is decided on the data clusters the boot sector describes.
  const uint64_t total = boot_.TotalSectors();
  const uint64_t provisionalFirstData = uint64_t{boot_.reservedSectors} +
                                        uint64_t{boot_.numberOfFats} * boot_.SectorsPerFatAny() +
                                        boot_.FixedRootDirSectors();
  if (provisionalFirstData > total) {
    // Tolerating this would make the data sector count wrap around to billions of clusters.
    if (report)
      report->AddFormat(OperationLog::kError, kDataBeyondVolumeFormat,
                        static_cast<unsigned long long>(provisionalFirstData),
                        static_cast<unsigned>(total));
    return false;
  }
  const uint64_t provisionalData = total - provisionalFirstData;
  const uint32_t spc = boot_.sectorsPerCluster;
  clusterCount_ = static_cast<uint32_t>((provisionalData + spc - 1) / spc);
  const uint64_t wholeClusters = provisionalData / spc;
  fatWidth_ = wholeClusters < kMinFat16Clusters ? 12 : wholeClusters < kMinFat32Clusters ? 16 : 32;

  reservedSectors_ = boot_.reservedSectors;
  sectorsPerFat_ = fatWidth_ == 32 ? boot_.SectorsPerFatAny() : boot_.sectorsPerFat16;
  // With these values the data area starts no later than above, so it still lies in the volume.
  const uint64_t firstData =
      uint64_t{reservedSectors_} + uint64_t{boot_.numberOfFats} * sectorsPerFat_ + RootDirSectors();
  firstDataSector_ = static_cast<uint32_t>(firstData);
  dataSectors_ = static_cast<uint32_t>(total - firstData);

  // A short image is analysed as far as it goes; one that ends before the data area holds no
  // file that could be read.
  heldSectors_ = static_cast<uint32_t>(ReadableSectors(total));
  if (!CheckDeviceHoldsVolume(total, report) && heldSectors_ <= firstDataSector_) {
    if (report)
      report->AddFormat(OperationLog::kError, strings::kNothingReadableFormat,
                        static_cast<unsigned long long>(heldSectors_),
                        static_cast<unsigned long long>(firstDataSector_));
    return false;
  }

  liveChains_.reset();
  try {
    table_ = std::make_unique<FatTable>(*this, BytesPerSector(), reservedSectors_, sectorsPerFat_,
                                        fatWidth_, boot_.numberOfFats);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

uint32_t FatAnalyzer::WholeDataClusters() const {
  return SectorsPerCluster() == 0 ? 0 : dataSectors_ / SectorsPerCluster();
}

uint32_t FatAnalyzer::SweepEnd() const {
  // Cluster numbers are 32-bit; a table this large cannot address more anyway.
  return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{WholeDataClusters()} + 2, UINT32_MAX));
}

uint32_t FatAnalyzer::RootDirSectors() const {
  return fatWidth_ == 32 ? 0 : boot_.FixedRootDirSectors();
}

uint32_t FatAnalyzer::FirstRootDirSector() const {
  if (fatWidth_ == 32) return 0;
  // At most 65535 + 255 x 65535: fits 32 bits.
  return static_cast<uint32_t>(uint64_t{boot_.reservedSectors} +
                               uint64_t{boot_.numberOfFats} * boot_.sectorsPerFat16);
}

uint32_t FatAnalyzer::RootCluster() const { return fatWidth_ == 32 ? boot_.rootCluster : 0; }

uint64_t FatAnalyzer::ClusterToSector(uint32_t cluster) const {
  if (cluster < 2) return firstDataSector_;
  return uint64_t{firstDataSector_} + uint64_t{cluster - 2} * SectorsPerCluster();
}

uint32_t FatAnalyzer::ClusterMask() const {
  return fatWidth_ == 12 ? kMask12 : fatWidth_ == 16 ? kMask16 : kMask32;
}

uint32_t FatAnalyzer::MaskCluster(uint32_t cluster) const { return cluster & ClusterMask(); }

}  // namespace orvande
