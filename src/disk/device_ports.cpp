#include "disk/device_ports.h"

#include "disk/whole_disk_list.h"

namespace orvande {

DevicePorts SystemDevicePorts() {
  DevicePorts ports;
  ports.io = &platform::SystemRawIo();
  ports.queryVersion = &platform::QueryPlatformVersion;
  ports.volumeCalls = &SystemVolumeServiceCalls();
  ports.ioDriver = &SystemIoDriver();
  ports.diskPath = [](uint32_t number) { return WholeDiskPath(number); };
  return ports;
}

}  // namespace orvande
