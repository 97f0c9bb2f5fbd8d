#pragma once
// Device ports for tests: a fake file layer, a fixed access mode, and raw disk 0 named "disk0";
// and a listener that records filled ranges.
#include <string>
#include <utility>
#include <vector>

#include "disk/device_ports.h"
#include "disk/filled_sector_listener.h"
#include "fake_raw_io.h"

namespace orvande::test {

inline DevicePorts TestPorts(FakeRawIo& io, uint32_t accessMode = platform::kAccessModeDevicePaths,
                             VolumeServiceCalls* calls = nullptr, IoDriver* driver = nullptr) {
  DevicePorts ports;
  ports.io = &io;
  ports.queryVersion = [accessMode] {
    return platform::PlatformVersion{accessMode, platform::kPlatformKindNt5Later};
  };
  ports.volumeCalls = calls ? calls : &SystemVolumeServiceCalls();
  ports.ioDriver = driver ? driver : &SystemIoDriver();
  ports.diskPath = [](uint32_t number) {
    return number == 0 ? std::string("disk0") : std::string();
  };
  return ports;
}

// Hears which byte ranges a device's reads filled with zeros.
struct FilledRanges : FilledSectorListener {
  void OnFilled(uint64_t offset, uint64_t count) override { ranges.push_back({offset, count}); }
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
};

}  // namespace orvande::test
