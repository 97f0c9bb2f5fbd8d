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

std::string JoinPath(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "/" + name;
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Walks the tree depth first and hands each kept item to the visitor as it is met, so that a
// listing of millions of items never holds more than the folders on the way to the current one.
// A folder that is only kept on the way to a kept item is handed over just before the first such
// item, which keeps the tree order.
class Lister {
 public:
  Lister(const FolderTree& tree, const ItemStore& store, ReadWriteLock& lock,
         const ListingOptions& options, const ListedItemVisitor& visit)
      : tree_(tree), store_(store), lock_(lock), options_(options), visit_(visit) {}

  void Run() {
    // Without recursion: the tree's depth comes from the volume.
    struct Pending {
      TreeNode node;
      size_t depth;  // folders listed above this one
      std::string parentPath;
    };
    std::vector<Pending> stack;
    std::vector<TreeNode> top = tree_.Children(kNoNode);
    for (auto it = top.rbegin(); it != top.rend(); ++it) stack.push_back({*it, 0, std::string()});
    while (!stack.empty()) {
      Pending pending = std::move(stack.back());
      stack.pop_back();
      const std::string text = tree_.Text(pending.node);
      const bool volumeRoot = pending.depth == 0 && pending.parentPath.empty() &&
                              tree_.Parent(pending.node) == kNoNode && text == kVolumeRootText;
      const std::string path = volumeRoot ? std::string() : JoinPath(pending.parentPath, text);
      // The folders above this one stay; those of earlier branches are done.
      chain_.resize(pending.depth);
      AddFolder(pending.node, path, volumeRoot);
      std::vector<TreeNode> children = tree_.Children(pending.node);
      for (auto it = children.rbegin(); it != children.rend(); ++it)
        stack.push_back({*it, chain_.size(), path});
    }
  }

 private:
  struct ChainFolder {
    ListedItem item;
    bool handedOver = false;
  };

  // Lists the folder (unless it is a volume root), then its files.
  void AddFolder(TreeNode node, const std::string& path, bool volumeRoot) {
    const uint32_t id = tree_.Data(node);
    FolderRef folder = store_.FindRef(id);
    if (!volumeRoot) {
      ChainFolder entry;
      ListedItem& item = entry.item;
      item.path = path;
      item.folder = true;
      item.id = id;
      if (folder) {
        item.deleted = folder->Deleted() != 0;
        item.created = folder->Created();
        item.modified = folder->Modified();
      }
      const bool keep = KeepsFolder(item);
      chain_.push_back(std::move(entry));
      if (keep) HandOverChain();
    }
    if (folder) AddFiles(*folder, path);
  }

  void AddFiles(FolderItem& folder, const std::string& path) {
    ReadLockGuard guard(lock_);
    ListedItem item;
    for (const FileRecord& file : folder.Files()) {
      item.path = JoinPath(path, std::string(file.Name()));
      item.id = file.id;
      item.deleted = file.deleted != 0;
      item.size = file.size;
      item.created = file.created;
      item.modified = file.modified;
      item.location = file.location;
      item.probability = item.deleted ? Probability(file) : kProbabilityNotDeleted;
      item.streams.clear();
      if (!KeepsFile(item)) continue;
      if (options_.streams && options_.reader != nullptr) {
        ItemLocation location = file.location;
        item.streams = options_.reader->NamedStreams(location, nullptr);
      }
      HandOverChain();
      visit_(item);
    }
  }

  // The folders on the way to a kept item that were not handed over yet, outermost first.
  void HandOverChain() {
    for (ChainFolder& entry : chain_) {
      if (entry.handedOver) continue;
      entry.handedOver = true;
      visit_(entry.item);
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

  uint32_t Probability(const FileRecord& file) {
    if (options_.reader == nullptr) return kProbabilityUnknown;
    // The analyzer may correct a location it is handed; the listing keeps the stored one.
    ItemLocation location = file.location;
    const uint32_t code = options_.reader->GetRecoveryProbability(location, file.size, nullptr);
    return code <= kProbabilityNotDeleted ? code : kProbabilityUnknown;
  }

  const FolderTree& tree_;
  const ItemStore& store_;
  ReadWriteLock& lock_;
  const ListingOptions& options_;
  const ListedItemVisitor& visit_;
  std::vector<ChainFolder> chain_;  // the folders from the top down to the one being listed
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

void VisitTree(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock,
               const ListingOptions& options, const ListedItemVisitor& visit) {
  Lister(tree, store, storeLock, options, visit).Run();
}

std::vector<ListedItem> ListTree(const FolderTree& tree, const ItemStore& store,
                                 ReadWriteLock& storeLock, const ListingOptions& options) {
  std::vector<ListedItem> items;
  VisitTree(tree, store, storeLock, options,
            [&](const ListedItem& item) { items.push_back(item); });
  return items;
}

}  // namespace orvande::cli
