#pragma once
// The files and folders one recovery run has written, known by their identity on the
// destination's file system, so that a later name that comes out equal (or equal but for case,
// where the file system ignores case) never replaces a file nor mixes two folders' files. Used by
// one job's thread at a time.
#include <cstdint>
#include <map>
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

  // Notes the folder now at path as the one written for `owner` (the item it recovers).
  void AddFolder(const std::string& path, uint64_t owner);
  // True when path names a folder this run wrote for another owner.
  bool FolderOfOtherOwner(const std::string& path, uint64_t owner) const;

 private:
  using Identity = std::pair<uint64_t, uint64_t>;
  std::set<Identity> identities_;
  std::map<Identity, uint64_t> folderOwners_;
};

}  // namespace orvande
