#pragma once
// Every folder and file of a built files tree with its path from the volume root, in tree order:
// a folder, then its files in the order found, then its subfolders. Used by one thread at a time.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/item_location.h"
#include "core/named_stream.h"

namespace orvande {
class FileFilter;
class FolderTree;
class ItemStore;
class ReadWriteLock;
class VolumeAnalyzer;
}  // namespace orvande

namespace orvande::cli {

struct ListedItem {
  std::string path;  // "a/b/c.txt": node texts joined by '/', a top-level "." left out
  bool folder = false;
  uint32_t id = 0;
  bool deleted = false;
  uint64_t size = 0;         // 0 for folders
  uint32_t probability = 4;  // a kProbability code; 4 (not deleted) for folders and live files
  uint64_t created = 0;      // 100 ns units since 1601-01-01 UTC; 0 when unknown
  uint64_t modified = 0;
  std::vector<NamedStream> streams;  // files only, when the options ask for them
  ItemLocation location;             // files only: where the analyzer keeps the data
};

struct ListingOptions {
  // Only deleted files and folders, with the folders that lead to them.
  bool deletedOnly = false;
  // Only the files it matches, with the folders that lead to them; null (or an empty filter)
  // keeps every file and folder.
  const FileFilter* filter = nullptr;
  // Asked for the recovery probability of each deleted file, and for the named streams of each
  // listed file when `streams`; null leaves probabilities unknown and lists no streams.
  VolumeAnalyzer* reader = nullptr;
  bool streams = false;
};

// A file time as "2004-06-15T17:45:10Z" (iso) or "2004-06-15 17:45:10" (UTC, whole seconds);
// empty for 0 and for times the calendar cannot show.
std::string UtcTimeText(uint64_t fileTime, bool iso);

using ListedItemVisitor = std::function<void(const ListedItem&)>;

// Hands each listed item to visit as it is met, in the order above; nothing of the listing is
// kept beyond the folders leading to the current item. File lists are read under the read side
// of the store lock, which visit is called under. A volume root (a top-level ".") is not listed
// itself; its contents are.
void VisitTree(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock,
               const ListingOptions& options, const ListedItemVisitor& visit);

// The same items gathered into a list.
std::vector<ListedItem> ListTree(const FolderTree& tree, const ItemStore& store,
                                 ReadWriteLock& storeLock, const ListingOptions& options);

}  // namespace orvande::cli
