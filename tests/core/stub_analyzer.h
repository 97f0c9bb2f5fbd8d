#pragma once
// An analyzer with a chosen sector count and geometry over an in-memory device, for the parts of
// the core that only read sectors through the base reader. One test thread uses it.
#include <cstdint>
#include <string>
#include <vector>

#include "common/idle_analyzer.h"
#include "common/memory_device.h"
#include "core/item_location.h"
#include "core/volume_analyzer.h"

namespace orvande::test {

class StubAnalyzer : public IdleAnalyzer {
 public:
  // The device reads `bytes`; the volume claims `totalSectors` sectors of `bytesPerSector`.
  StubAnalyzer(std::vector<uint8_t> bytes, uint64_t totalSectors, uint32_t bytesPerSector = 512)
      : totalSectors_(totalSectors) {
    auto* device = new MemorySectorDevice(std::move(bytes));
    device->Open(true, nullptr);
    VolumeAnalyzer::Open(device, true, nullptr);
    device->Release();  // the analyzer holds its own reference
    SetGeometry(bytesPerSector, 1);
    device_ = device;
  }

  MemorySectorDevice& Memory() { return *device_; }

  uint64_t GetTotalSectors() const override { return totalSectors_; }

 private:
  uint64_t totalSectors_;
  MemorySectorDevice* device_;
};

}  // namespace orvande::test
