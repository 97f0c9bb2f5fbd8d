#include "core/item_store.h"

#include <utility>
#include <vector>

namespace orvande {

ItemStore::~ItemStore() {
  Clear();
}

void ItemStore::Insert(uint32_t id, FolderItem* folder) {
  if (folder == nullptr) return;
  folder->AddRef();
  FolderItem* replaced = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto [it, inserted] = folders_.try_emplace(id, folder);
    if (!inserted) {
      replaced = it->second;
      it->second = folder;
    }
  }
  // Released outside the mutex: a folder's destruction must never run under the store's lock.
  if (replaced != nullptr) replaced->Release();
}

FolderItem* ItemStore::Find(uint32_t id) const {
  std::lock_guard lock(mutex_);
  auto it = folders_.find(id);
  if (it == folders_.end()) return nullptr;
  it->second->AddRef();
  return it->second;
}

bool ItemStore::Remove(uint32_t id, FolderItem* folder) {
  {
    std::lock_guard lock(mutex_);
    auto it = folders_.find(id);
    if (it == folders_.end() || it->second != folder) return false;
    folders_.erase(it);
  }
  folder->Release();
  return true;
}

void ItemStore::Clear() {
  std::map<uint32_t, FolderItem*> taken;
  {
    std::lock_guard lock(mutex_);
    taken.swap(folders_);
  }
  for (auto& [id, folder] : taken) folder->Release();
}

size_t ItemStore::Size() const {
  std::lock_guard lock(mutex_);
  return folders_.size();
}

void ItemStore::ForEach(const std::function<void(uint32_t id, FolderItem* folder)>& fn) const {
  std::lock_guard lock(mutex_);
  for (const auto& [id, folder] : folders_) fn(id, folder);
}

}  // namespace orvande
