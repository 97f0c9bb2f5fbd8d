#include "platform/os_identity.h"

#include <sys/utsname.h>

namespace orvande::platform {

OsIdentity QueryOsIdentity() {
  utsname names{};
  if (uname(&names) != 0) return {};
  return {names.sysname, names.release, names.machine};
}

}  // namespace orvande::platform
