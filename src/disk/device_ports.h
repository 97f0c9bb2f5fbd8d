#pragma once
// Everything a device needs from the outside world, bundled so that one value can be handed from
// a node to the devices it makes, and tests can replace any piece with a double. A DevicePorts
// value is copied freely; the referenced ports outlive every device (they are process-wide or
// owned by the test).
#include <cstdint>
#include <functional>
#include <string>

#include "disk/io_driver.h"
#include "disk/volume_service_calls.h"
#include "platform/raw_io.h"
#include "platform/version.h"

namespace orvande {

struct DevicePorts {
  platform::RawIo* io = nullptr;
  // The platform's version as access mode and platform kind; asked once per open.
  std::function<platform::PlatformVersion()> queryVersion;
  VolumeServiceCalls* volumeCalls = nullptr;
  IoDriver* ioDriver = nullptr;
  // The device path of raw disk `number`, empty when there is none.
  std::function<std::string(uint32_t number)> diskPath;
};

// The real ones: system file layer, the platform's version, /sys/block numbering.
DevicePorts SystemDevicePorts();

}  // namespace orvande
