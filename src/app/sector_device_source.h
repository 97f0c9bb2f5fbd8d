#pragma once
// A sector viewer source over an open sector device: the volume's bytes with the device's stored
// boot sector standing in for sector 0, as the analyzers read it. A read that fails part of the
// way is read again sector by sector, so that the bytes before a bad sector still show. The
// source keeps its own reference to the device, and the device's node alive for it, so that it
// outlives the device list's entry; one thread reads at a time.
#include <memory>

#include "app/sector_data_source.h"
#include "disk/device_ref.h"

namespace orvande {

class SectorDeviceSource final : public SectorDataSource {
 public:
  // device: open. A zero sector size counts as 512, a zero cluster size as one sector.
  // node: what owns the device's node, or null when its owner outlives the source.
  SectorDeviceSource(DeviceRef device, uint32_t bytesPerSector, uint32_t bytesPerCluster,
                     uint64_t totalSize, std::shared_ptr<const DeviceNode> node = nullptr);
  ~SectorDeviceSource() override;

  size_t Read(uint64_t offset, uint8_t* buffer, size_t count) override;
  uint32_t BlockSize() const override { return bytesPerSector_; }
  uint32_t BytesPerSector() const override { return bytesPerSector_; }
  uint32_t BytesPerCluster() const override { return bytesPerCluster_; }
  uint64_t TotalSize() const override { return totalSize_; }

 private:
  size_t ReadRun(uint64_t offset, uint8_t* buffer, size_t count);
  void PutStoredBootSector(uint64_t offset, uint8_t* buffer, size_t count);

  std::shared_ptr<const DeviceNode> node_;  // before the device: it goes last
  DeviceRef device_;
  uint32_t bytesPerSector_;
  uint32_t bytesPerCluster_;
  uint64_t totalSize_;
};

}  // namespace orvande
