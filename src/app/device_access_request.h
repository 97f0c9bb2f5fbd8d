#pragma once
// Authorising read access to one block device for a program that does not run as root: the
// routes are tried in order (the desktop's disk service first, then the privileged helper
// through pkexec), and the first descriptor one of them returns is kept as the device's grant,
// so that the next open of the path reads through it. Plain functions and routes; a route says
// itself from which thread it may be used.
#include <cstdint>
#include <string>
#include <vector>

namespace orvande {

inline constexpr const char kDeviceAccessQuestionFormat[] =
    "Orvande can ask the system for permission to read %s. The device is opened for reading "
    "only; you may be asked for an administrator's password. Do you want to authorise read "
    "access to this device?";
inline constexpr const char kOpenDeviceHelperName[] = "orvande-open-device";

class DeviceAccessRoute {
 public:
  virtual ~DeviceAccessRoute() = default;
  // False when the route cannot be used here at all (no service, no pkexec).
  virtual bool Available() = 0;
  // A read-only descriptor of the device at path, or -1 with *error set.
  virtual int Open(const std::string& path, uint32_t* error) = 0;
};

// The helper run through pkexec: command pkexec + helperPath.
class HelperAccessRoute final : public DeviceAccessRoute {
 public:
  explicit HelperAccessRoute(std::string helperPath, std::string elevator = "pkexec");
  bool Available() override;
  int Open(const std::string& path, uint32_t* error) override;

 private:
  std::string helperPath_;
  std::string elevator_;
};

// The helper next to the program, else the one on the program search path.
std::string FindOpenDeviceHelper(const std::string& programFolder);

// Tries the available routes in order; true once one granted access to path.
bool AuthorizeDeviceRead(const std::string& path, const std::vector<DeviceAccessRoute*>& routes);

}  // namespace orvande
