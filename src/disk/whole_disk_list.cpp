#include "disk/whole_disk_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace orvande {
namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// "nvme0n1" names a namespace (a disk); the controller itself ("nvme0") is a character device
// and never shows up here, but guard the pattern anyway.
bool IsNvmeNamespace(const std::string& name) {
  if (!StartsWith(name, "nvme")) return false;
  size_t n = name.find('n', 4);
  return n != std::string::npos && n > 4 && n + 1 < name.size();
}

bool IsDiskName(const std::string& name) {
  static const char* const kPrefixes[] = {"sd", "hd", "vd", "xvd", "mmcblk"};
  for (const char* prefix : kPrefixes) {
    if (StartsWith(name, prefix)) return true;
  }
  return IsNvmeNamespace(name);
}

// An unbound loop device has no backing file and reads as empty.
bool IsBoundLoop(const fs::path& entry) {
  std::error_code ec;
  return fs::exists(entry / "loop" / "backing_file", ec);
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t i2 = i, j2 = j;
      while (i2 < a.size() && a[i2] == '0') ++i2;
      while (j2 < b.size() && b[j2] == '0') ++j2;
      size_t iEnd = i2, jEnd = j2;
      while (iEnd < a.size() && IsDigit(a[iEnd])) ++iEnd;
      while (jEnd < b.size() && IsDigit(b[jEnd])) ++jEnd;
      // More significant digits means a larger value; equal length compares digit by digit.
      if (iEnd - i2 != jEnd - j2) return iEnd - i2 < jEnd - j2;
      int cmp = a.compare(i2, iEnd - i2, b, j2, jEnd - j2);
      if (cmp != 0) return cmp < 0;
      i = iEnd;
      j = jEnd;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

std::vector<std::string> ListWholeDisks(const std::string& sysBlockFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(sysBlockFolder, ec);
  if (ec) return names;
  for (const fs::directory_entry& entry : it) {
    std::string name = entry.path().filename().string();
    if (IsDiskName(name) || (StartsWith(name, "loop") && IsBoundLoop(entry.path()))) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

std::string WholeDiskPath(uint32_t number, const std::string& sysBlockFolder) {
  std::vector<std::string> names = ListWholeDisks(sysBlockFolder);
  if (number >= names.size()) return std::string();
  return "/dev/" + names[number];
}

}  // namespace orvande
