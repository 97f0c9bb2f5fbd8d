#pragma once
// The running system's name, release and machine as uname tells them. Safe from any thread.
#include <string>

namespace orvande::platform {

struct OsIdentity {
  std::string sysname;  // "Linux"
  std::string release;
  std::string machine;  // "x86_64"
};

// Empty fields when uname fails.
OsIdentity QueryOsIdentity();

}  // namespace orvande::platform
