#include "disk/partition_node.h"

#include <algorithm>
#include <new>

#include "disk/partition_device.h"
#include "support/format.h"
#include "support/formatters.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

// FAT12 and FAT16 end below these cluster counts; the boot sector's own label is not trusted.
constexpr uint32_t kFat12ClusterLimit = 4085;
constexpr uint32_t kFat16ClusterLimit = 65525;
constexpr uint32_t kDirectoryEntryBytes = 32;

std::string TypeText(uint32_t fsKind, int fatWidth) {
  if (fsKind == kFsNtfs) return "NTFS";
  if (fsKind != kFsFat) return std::string();
  return fatWidth == 0 ? std::string("FAT") : Format("FAT%d", fatWidth);
}

}  // namespace

PartitionNode::PartitionNode(int32_t diskNumber, std::string displayText, DevicePorts ports)
    : diskNumber_(diskNumber), displayText_(std::move(displayText)), ports_(std::move(ports)) {}

SectorDevice* PartitionNode::CreateDevice() {
  return new (std::nothrow) PartitionDevice(this, ports_);
}

bool PartitionNode::InitPartition(uint32_t bytesPerSector, uint32_t fsKind, uint64_t firstSector,
                                  uint64_t sectorCount, const uint8_t* bootSector) {
  bootSector_.fill(0);
  if (bootSector == nullptr) return false;
  bytesPerSector_ = bytesPerSector;
  fsKind_ = fsKind;
  firstSector_ = firstSector;
  sectorCount_ = sectorCount;
  std::copy_n(bootSector, kBootSectorSize, bootSector_.begin());
  return true;
}

int PartitionNode::GetFatWidth() const {
  LeReader boot(bootSector_.data(), bootSector_.size());
  const uint32_t sectorsPerCluster = boot.U8(0x0D);
  const uint32_t bytesPerSector = boot.U16(0x0B);
  if (sectorsPerCluster == 0 || bytesPerSector == 0) return 0;
  uint32_t totalSectors = boot.U16(0x13);
  if (totalSectors == 0) totalSectors = boot.U32(0x20);
  uint32_t sectorsPerTable = boot.U16(0x16);
  if (sectorsPerTable == 0) sectorsPerTable = boot.U32(0x24);
  const uint32_t rootSectors =
      (uint32_t{boot.U16(0x11)} * kDirectoryEntryBytes + bytesPerSector - 1) / bytesPerSector;
  const uint32_t metadataSectors =
      uint32_t{boot.U16(0x0E)} + uint32_t{boot.U8(0x10)} * sectorsPerTable + rootSectors;
  // Wraps like the unsigned arithmetic it stands for when the fields make no sense.
  const uint32_t clusters = (totalSectors - metadataSectors) / sectorsPerCluster;
  if (clusters < kFat12ClusterLimit) return 12;
  if (clusters < kFat16ClusterLimit) return 16;
  return 32;
}

std::string PartitionNode::GetName() const {
  const uint64_t start = firstSector_ * bytesPerSector_;
  const uint64_t size = sectorCount_ * bytesPerSector_;
  const int fatWidth = fsKind_ == kFsFat ? GetFatWidth() : 0;
  // Built afresh on every call rather than cached in the node: the device list and a worker may
  // name the same shared node at once, and the text follows from fields that never change.
  return Format("%s[%s - %s] size:%s", TypeText(fsKind_, fatWidth).c_str(),
                FormatSize(static_cast<double>(start)).c_str(),
                FormatSize(static_cast<double>(start + size)).c_str(),
                FormatSize(static_cast<double>(size)).c_str());
}

}  // namespace orvande
