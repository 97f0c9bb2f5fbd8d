#include "app/registry_backend.h"

#include <array>

namespace orvande {
namespace {

constexpr std::array<std::string_view, 5> kHives = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG",
                                                    "HKEY_USERS"};

}  // namespace

const char* RegistryKindName(RegistryKind kind) {
  switch (kind) {
    case RegistryKind::kString:
      return "REG_SZ";
    case RegistryKind::kBinary:
      return "REG_BINARY";
    case RegistryKind::kDword:
      return "REG_DWORD";
  }
  return "";
}

bool IsKnownHive(std::string_view hive) {
  for (std::string_view known : kHives) {
    if (hive == known) return true;
  }
  return false;
}

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> keys;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) keys.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return keys;
}

ResultCode SplitRegistryRoot(std::string_view root, std::string* hive,
                             std::vector<std::string>* keys) {
  const size_t slash = root.find('\\');
  const std::string_view first = root.substr(0, slash);
  if (!IsKnownHive(first)) return kRegistryNotOpen;
  if (hive != nullptr) *hive = std::string(first);
  if (keys != nullptr) {
    *keys = slash == std::string_view::npos ? std::vector<std::string>()
                                            : SplitKeyPath(root.substr(slash + 1));
  }
  return kSuccess;
}

}  // namespace orvande
