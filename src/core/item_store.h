#pragma once
// The map from item id to folder through which everyone reaches a folder. Holds one reference
// per entry. Thread-safe: every operation takes the store's own mutex.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

#include "core/folder_item.h"

namespace orvande {

class ItemStore {
 public:
  ItemStore() = default;
  ~ItemStore();
  ItemStore(const ItemStore&) = delete;
  ItemStore& operator=(const ItemStore&) = delete;

  // Takes a reference. An id already present is replaced and its old folder released.
  void Insert(uint32_t id, FolderItem* folder);
  // The folder with a new reference (the caller releases it), or null.
  FolderItem* Find(uint32_t id) const;
  FolderRef FindRef(uint32_t id) const { return FolderRef(Find(id)); }
  // Releases and erases the entry only when id maps to that very folder.
  bool Remove(uint32_t id, FolderItem* folder);
  // Releases every folder and empties the map.
  void Clear();
  size_t Size() const;
  // Calls fn for each entry in id order, under the store's mutex: fn must not call the store.
  void ForEach(const std::function<void(uint32_t id, FolderItem* folder)>& fn) const;

 private:
  mutable std::mutex mutex_;
  std::map<uint32_t, FolderItem*> folders_;
};

}  // namespace orvande
