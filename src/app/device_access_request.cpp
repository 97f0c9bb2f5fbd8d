#include "app/device_access_request.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/device_access.h"
#include "platform/error_numbers.h"

namespace orvande {
namespace {

bool IsExecutable(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  return !error && std::filesystem::is_regular_file(status) &&
         (status.permissions() & std::filesystem::perms::owner_exec) !=
             std::filesystem::perms::none;
}

// name as the shell would find it (a path as it is, a bare name through $PATH), as a full
// path; empty when it is not there.
std::string FoundOnSearchPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return IsExecutable(name) ? name : std::string();
  const char* searchPath = std::getenv("PATH");
  if (searchPath == nullptr) return std::string();
  std::string_view rest(searchPath);
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (!folder.empty() && IsExecutable(candidate)) return candidate.string();
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return std::string();
}

}  // namespace

HelperAccessRoute::HelperAccessRoute(std::string helperPath, std::string elevator)
    : helperPath_(std::move(helperPath)), elevator_(std::move(elevator)) {}

bool HelperAccessRoute::Available() {
  return !helperPath_.empty() && !FoundOnSearchPath(helperPath_).empty() &&
         (elevator_.empty() || !FoundOnSearchPath(elevator_).empty());
}

int HelperAccessRoute::Open(const std::string& path, uint32_t* error) {
  std::vector<std::string> command;
  if (!elevator_.empty()) command.push_back(elevator_);
  command.push_back(helperPath_);
  return platform::OpenThroughHelperCommand(command, path, error);
}

std::string FindOpenDeviceHelper(const std::string& programFolder) {
  if (!programFolder.empty()) {
    const std::filesystem::path beside = std::filesystem::path(programFolder) /
                                         kOpenDeviceHelperName;
    if (IsExecutable(beside)) return beside.string();
  }
  // pkexec runs only programs named by their full path.
  return FoundOnSearchPath(kOpenDeviceHelperName);
}

bool AuthorizeDeviceRead(const std::string& path, const std::vector<DeviceAccessRoute*>& routes) {
  for (DeviceAccessRoute* route : routes) {
    if (route == nullptr || !route->Available()) continue;
    uint32_t error = 0;
    const int descriptor = route->Open(path, &error);
    if (descriptor < 0) continue;
    platform::GrantDeviceDescriptor(path, descriptor);
    return true;
  }
  return false;
}

}  // namespace orvande
