#pragma once
// The files one recovery run has written, known by their identity on the destination's file
// system, so that a later name that comes out equal (or equal but for case, where the file system
// ignores case) never replaces one of them. Used by one job's thread at a time.
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace orvande {

class WrittenFiles {
 public:
  // Notes the file now at path (nothing when it cannot be looked at).
  void Add(const std::string& path);
  // True when path names one of the noted files.
  bool Contains(const std::string& path) const;

 private:
  std::set<std::pair<uint64_t, uint64_t>> identities_;
};

}  // namespace orvande
