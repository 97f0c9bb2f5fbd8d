#include "platform/version.h"

#include <sys/utsname.h>

namespace orvande::platform {

PlatformVersion QueryPlatformVersion() {
  return PlatformVersion{kAccessModeDevicePaths, kPlatformKindNt5Later};
}

std::string FormatOsVersionText() {
  struct utsname name {};
  if (uname(&name) != 0) return std::string();
  return std::string("Linux ") + name.release + " (" + name.machine + ")";
}

}  // namespace orvande::platform
