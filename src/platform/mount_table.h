#pragma once
// The mounts the process sees, read from a mountinfo file (a parameter so that tests can hand in
// their own). Safe from any thread.
#include <string>
#include <vector>

namespace orvande::platform {

inline constexpr const char* kSelfMountInfo = "/proc/self/mountinfo";

struct MountEntry {
  std::string mountPoint;  // escapes undone: "/media/my disk"
  std::string source;      // "/dev/sdb1", or what a pseudo file system names itself
  std::string fsType;
  bool readOnly = false;   // either the mount or its file system is read-only
};

// In the file's order (parents before the mounts inside them); empty when it cannot be read.
std::vector<MountEntry> ReadMountTable(const std::string& mountInfoPath = kSelfMountInfo);

}  // namespace orvande::platform
