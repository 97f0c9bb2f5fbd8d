#include "platform/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace orvande::platform {
namespace {

std::string WithoutFinalSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string AccountHomeFolder() {
  std::vector<char> buffer(16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr) {
    return std::string();
  }
  return found->pw_dir;
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return WithoutFinalSlash(home);
  return WithoutFinalSlash(AccountHomeFolder());
}

std::string UserConfigFolder() {
  // A relative value is invalid by the convention and is ignored.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return WithoutFinalSlash(config);
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

std::string UserStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return WithoutFinalSlash(state);
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/state";
}

}  // namespace orvande::platform
