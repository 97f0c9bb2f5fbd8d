#include "disk/partition_node.h"

#include <algorithm>
#include <new>

#include "disk/partition_device.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr size_t kBytesPerSectorOffset = 0x0B;     // u16
constexpr size_t kSectorsPerClusterOffset = 0x0D;  // u8
constexpr size_t kReservedSectorsOffset = 0x0E;    // u16
constexpr size_t kNumberOfFatsOffset = 0x10;       // u8
constexpr size_t kRootEntriesOffset = 0x11;        // u16
constexpr size_t kTotalSectors16Offset = 0x13;     // u16
constexpr size_t kSectorsPerFat16Offset = 0x16;    // u16
constexpr size_t kTotalSectors32Offset = 0x20;     // u32
constexpr size_t kSectorsPerFat32Offset = 0x24;    // u32
constexpr uint32_t kDirEntrySize = 32;

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
  const uint32_t sectorsPerCluster = boot.U8(kSectorsPerClusterOffset);
  const uint32_t bytesPerSector = boot.U16(kBytesPerSectorOffset);
  if (sectorsPerCluster == 0 || bytesPerSector == 0) return 0;
  uint32_t total = boot.U16(kTotalSectors16Offset);
  if (total == 0) total = boot.U32(kTotalSectors32Offset);
  uint32_t perFat = boot.U16(kSectorsPerFat16Offset);
  if (perFat == 0) perFat = boot.U32(kSectorsPerFat32Offset);
  const uint32_t rootSectors =
      (boot.U16(kRootEntriesOffset) * kDirEntrySize + bytesPerSector - 1) / bytesPerSector;
  // Unsigned 32-bit on purpose: a damaged boot sector wraps to a large count, as it always has.
  const uint32_t clusters = (total - (boot.U16(kReservedSectorsOffset) +
                                      boot.U8(kNumberOfFatsOffset) * perFat + rootSectors)) /
                            sectorsPerCluster;
  if (clusters < 4085) return 12;
  if (clusters < 65525) return 16;
  return 32;
}

}  // namespace orvande
