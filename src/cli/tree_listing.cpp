#include "cli/tree_listing.h"

#include <cstdio>
#include <utility>

#include "app/file_filter.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/folder_tree.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "platform/file_time.h"

namespace orvande::cli {
namespace {

constexpr char kVolumeRootText[] = ".";

// Kept beside each listed item: the item's folder and whether the listing keeps it.
struct Link {
  int parent = -1;  // index of the folder entry holding this one
  bool keep = false;
};

std::string JoinPath(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "/" + name;
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

class Lister {
 public:
  Lister(const FolderTree& tree, const ItemStore& store, ReadWriteLock& lock,
         const ListingOptions& options)
      : tree_(tree), store_(store), lock_(lock), options_(options) {}

  std::vector<ListedItem> Run() {
    // A large volume lists hundreds of thousands of items: room for all of them is made once.
    const size_t expected = ExpectedCount();
    items_.reserve(expected);
    links_.reserve(expected);
    // Depth first without recursion: the tree's depth comes from the volume.
    struct Pending {
      TreeNode node;
      int parent;
      std::string parentPath;
    };
    std::vector<Pending> stack;
    std::vector<TreeNode> top = tree_.Children(kNoNode);
    for (auto it = top.rbegin(); it != top.rend(); ++it) stack.push_back({*it, -1, std::string()});
    while (!stack.empty()) {
      Pending pending = std::move(stack.back());
      stack.pop_back();
      const std::string text = tree_.Text(pending.node);
      const bool volumeRoot = pending.parent < 0 && pending.parentPath.empty() &&
                              tree_.Parent(pending.node) == kNoNode && text == kVolumeRootText;
      const std::string path = volumeRoot ? std::string() : JoinPath(pending.parentPath, text);
      const int index = AddFolder(pending.node, path, pending.parent, volumeRoot);
      std::vector<TreeNode> children = tree_.Children(pending.node);
      for (auto it = children.rbegin(); it != children.rend(); ++it)
        stack.push_back({*it, index, path});
    }
    return Collect();
  }

 private:
  // Adds the folder (unless it is a volume root) and its files; returns the index the folder's
  // children refer to.
  int AddFolder(TreeNode node, const std::string& path, int parent, bool volumeRoot) {
    const uint32_t id = tree_.Data(node);
    FolderRef folder = store_.FindRef(id);
    int index = parent;
    if (!volumeRoot) {
      ListedItem item;
      item.path = path;
      item.folder = true;
      item.id = id;
      if (folder) {
        item.deleted = folder->Deleted() != 0;
        item.created = folder->Created();
        item.modified = folder->Modified();
      }
      index = static_cast<int>(items_.size());
      const bool keep = KeepsFolder(item);
      Add(std::move(item), parent, keep);
    }
    if (folder) AddFiles(*folder, path, index);
    return index;
  }

  void AddFiles(FolderItem& folder, const std::string& path, int parent) {
    ReadLockGuard guard(lock_);
    for (const FileRecord& file : folder.Files()) {
      ListedItem item;
      item.path = JoinPath(path, std::string(file.Name()));
      item.id = file.id;
      item.deleted = file.deleted != 0;
      item.size = file.size;
      item.created = file.created;
      item.modified = file.modified;
      item.location = file.location;
      item.probability = item.deleted ? Probability(file) : kProbabilityNotDeleted;
      const bool keep = KeepsFile(item);
      if (keep && options_.streams && options_.reader != nullptr) {
        ItemLocation location = file.location;
        item.streams = options_.reader->NamedStreams(location, nullptr);
      }
      Add(std::move(item), parent, keep);
    }
  }

  bool KeepsFile(const ListedItem& item) const {
    if (options_.deletedOnly && !item.deleted) return false;
    return !Filtering() || options_.filter->Matches(BaseName(item.path), item.size, item.modified,
                                                    item.probability);
  }

  // A folder stays by itself unless a filter asks for files: it then stays only on the way to one.
  bool KeepsFolder(const ListedItem& item) const {
    return !Filtering() && (!options_.deletedOnly || item.deleted);
  }

  bool Filtering() const { return options_.filter != nullptr && !options_.filter->Empty(); }

  void Add(ListedItem item, int parent, bool keep) {
    links_.push_back({parent, keep});
    items_.push_back(std::move(item));
  }

  // Folders and files in the store: what the listing holds at most (a folder with several
  // nodes is listed once per node, so this may fall short, which only costs a reallocation).
  size_t ExpectedCount() const {
    size_t count = 0;
    ReadLockGuard guard(lock_);
    store_.ForEach([&](uint32_t, FolderItem* folder) { count += 1 + folder->Files().size(); });
    return count;
  }

  uint32_t Probability(const FileRecord& file) {
    if (options_.reader == nullptr) return kProbabilityUnknown;
    // The analyzer may correct a location it is handed; the listing keeps the stored one.
    ItemLocation location = file.location;
    const uint32_t code = options_.reader->GetRecoveryProbability(location, file.size, nullptr);
    return code <= kProbabilityNotDeleted ? code : kProbabilityUnknown;
  }

  std::vector<ListedItem> Collect() {
    // Parents come before their children, so one pass from the end carries "keep" upwards.
    for (size_t i = links_.size(); i-- > 0;) {
      if (links_[i].keep && links_[i].parent >= 0) links_[links_[i].parent].keep = true;
    }
    // The kept items move to the front in place.
    size_t kept = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
      if (!links_[i].keep) continue;
      if (kept != i) items_[kept] = std::move(items_[i]);
      ++kept;
    }
    items_.resize(kept);
    return std::move(items_);
  }

  const FolderTree& tree_;
  const ItemStore& store_;
  ReadWriteLock& lock_;
  const ListingOptions& options_;
  std::vector<ListedItem> items_;
  std::vector<Link> links_;  // one per item
};

}  // namespace

std::string UtcTimeText(uint64_t fileTime, bool iso) {
  platform::CalendarTime time;
  if (fileTime == 0 || !platform::FileTimeToUtcCalendar(fileTime, &time)) return {};
  char text[48];
  std::snprintf(text, sizeof text,
                iso ? "%04d-%02d-%02dT%02d:%02d:%02dZ" : "%04d-%02d-%02d %02d:%02d:%02d", time.year,
                time.month, time.day, time.hour, time.minute, time.second);
  return text;
}

std::vector<ListedItem> ListTree(const FolderTree& tree, const ItemStore& store,
                                 ReadWriteLock& storeLock, const ListingOptions& options) {
  return Lister(tree, store, storeLock, options).Run();
}

}  // namespace orvande::cli
