#pragma once
// A named data stream of a file (an NTFS alternate stream): its name and its size in bytes.
#include <cstdint>
#include <string>

namespace orvande {

struct NamedStream {
  std::string name;  // UTF-8, as the volume has it
  uint64_t size = 0;
};

}  // namespace orvande
