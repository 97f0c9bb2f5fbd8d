#pragma once
// Where discovery looks: the sysfs root, the folder of device nodes, the volume probe and the
// ports the listed nodes read through. Tests point all of them at doubles. Copied freely.
#include <string>

#include "disk/device_ports.h"
#include "platform/block_device_facts.h"
#include "platform/volume_probe.h"

namespace orvande {

struct DiscoverySources {
  std::string sysRoot = platform::kSysfsRoot;
  std::string devFolder = "/dev";
  platform::VolumeProbe probe = &platform::ProbeVolume;
  DevicePorts ports = SystemDevicePorts();
};

}  // namespace orvande
