#include "core/written_files.h"

#include "platform/file_system.h"

namespace orvande {

void WrittenFiles::Add(const std::string& path) {
  platform::FileIdentity identity;
  if (platform::FileIdentityOf(path, &identity) == 0)
    identities_.emplace(identity.device, identity.inode);
}

bool WrittenFiles::Contains(const std::string& path) const {
  platform::FileIdentity identity;
  if (platform::FileIdentityOf(path, &identity) != 0) return false;
  return identities_.count({identity.device, identity.inode}) != 0;
}

void WrittenFiles::AddFolder(const std::string& path, uint64_t owner) {
  platform::FileIdentity identity;
  if (platform::FileIdentityOf(path, &identity) == 0)
    folderOwners_.emplace(Identity{identity.device, identity.inode}, owner);
}

bool WrittenFiles::FolderOfOtherOwner(const std::string& path, uint64_t owner) const {
  platform::FileIdentity identity;
  if (platform::FileIdentityOf(path, &identity) != 0) return false;
  auto found = folderOwners_.find({identity.device, identity.inode});
  return found != folderOwners_.end() && found->second != owner;
}

}  // namespace orvande
