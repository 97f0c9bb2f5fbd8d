#pragma once
// Device ports for tests: a fake file layer, a fixed access mode, and raw disk 0 named "disk0".
#include <string>

#include "disk/device_ports.h"
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

}  // namespace orvande::test
