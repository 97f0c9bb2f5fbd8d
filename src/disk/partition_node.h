#pragma once
// A partition known without any partition table: found by the lost partition search or loaded
// from a partitions information file, or listed by the disk's partition table. It carries all
// that is needed to read it. Not locked: set it up on one thread, then share it; once shared,
// every const call is safe from any thread.
#include <array>
#include <cstdint>
#include <string>

#include "disk/device_node.h"
#include "disk/device_ports.h"

namespace orvande {

class PartitionNode final : public DeviceNode {
 public:
  static constexpr size_t kBootSectorSize = 512;

  // The search and the loader pass an empty display text.
  explicit PartitionNode(int32_t diskNumber = -1, std::string displayText = std::string(),
                         DevicePorts ports = SystemDevicePorts());

  int GetKind() const override { return kNodePartition; }
  // Always 0: the analyzer factory recognises the file system from the stored boot sector.
  int GetFsKind() const override { return kFsNone; }
  // "%s[%s - %s] size:%s": the type, start, end and size.
  std::string GetName() const override;
  int IsRemovable() const override { return -1; }
  char GetDriveLetter() const override { return '0'; }
  SectorDevice* CreateDevice() override;

  // Clears the stored boot sector; with a null pointer returns false and changes nothing else,
  // otherwise stores the values and a copy of the 512-byte boot sector.
  bool InitPartition(uint32_t bytesPerSector, uint32_t fsKind, uint64_t firstSector,
                     uint64_t sectorCount, const uint8_t* bootSector);

  // 12, 16 or 32 from the stored boot sector; 0 when it cannot be worked out.
  int GetFatWidth() const;

  int32_t GetDiskNumber() const { return diskNumber_; }
  uint32_t GetPartitionFsKind() const { return fsKind_; }
  uint32_t GetBytesPerSector() const { return bytesPerSector_; }
  uint64_t GetFirstSector() const { return firstSector_; }
  uint64_t GetSectorCount() const { return sectorCount_; }
  const uint8_t* GetBootSector() const { return bootSector_.data(); }
  const DevicePorts& GetPorts() const { return ports_; }

 protected:
  int32_t diskNumber_;
  uint32_t fsKind_ = kFsNone;
  uint32_t bytesPerSector_ = 0;
  uint64_t firstSector_ = 0;
  uint64_t sectorCount_ = 0;
  std::array<uint8_t, kBootSectorSize> bootSector_{};
  std::string displayText_;  // as given at construction; the name is always built afresh
  DevicePorts ports_;
};

}  // namespace orvande
