#pragma once
// What the tree-building tests share: $FILE_NAME and $STANDARD_INFORMATION values with chosen
// fields, a volume with a root folder and a $Bitmap record, the item tree a build fills, and a
// flat listing of that tree by path. Not thread-safe.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "core/folder_tree.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "ntfs_test_volume.h"

namespace orvande::test {

inline constexpr uint32_t kRootRecord = 5;
inline constexpr uint32_t kBitmapRecord = 6;
inline constexpr uint32_t kFileNameDirectory = 0x10000000;

struct NameFields {
  std::u16string name;
  uint32_t parent = kRootRecord;
  bool directory = false;
  uint8_t nameSpace = 1;
  uint32_t flags = 0;  // added to the directory flag
  uint64_t created = 0;
  uint64_t modified = 0;
  uint64_t dataSize = 0;
};
Bytes FileName(const NameFields& fields);
Bytes StandardInformation(uint64_t created, uint64_t modified);

// A record with $STANDARD_INFORMATION, one $FILE_NAME and, for files, a resident $DATA.
Bytes SimpleRecord(const NameFields& fields, uint16_t flags = 1, const Bytes& data = {},
                   uint64_t created = 0x01D7000000000001, uint64_t modified = 0x01D7000000000002,
                   uint32_t recordSize = 1024);

// Overwrites `width` bytes at `offset` inside the first attribute of `type` of a record made by
// RecordBuilder (the update sequence only touches sector ends, which attribute headers avoid).
void PatchAttribute(Bytes& record, uint32_t type, size_t offset, uint64_t value, size_t width);

// The default volume with the root folder (record 5) and a $Bitmap record (6) whose resident
// data marks the clusters up to the MFT's end as used, plus `used` more.
void AddSystemRecords(TestVolume& volume, const std::vector<uint64_t>& used = {});
Bytes BitmapBytes(uint64_t clusters, const std::vector<std::pair<uint64_t, uint64_t>>& usedRanges);

struct ListedEntry {
  bool folder = false;
  bool deleted = false;
  uint64_t size = 0;
  uint32_t id = 0;
  uint64_t created = 0;
  uint64_t modified = 0;
  ItemLocation location;
  uint32_t image = 0;  // folders: the node's image
};

// The item tree one build fills, with the ports a build reports to.
class TreeUnderTest {
 public:
  TreeUnderTest();
  BuildTreeContext Context(VolumeAnalyzer* reader = nullptr);

  // Every folder node and file by path ("." left out at the top, '/' between names).
  std::map<std::string, ListedEntry> List() const;
  // "path" -> 'd' or 'f', 'D' or '-', joined by ' ', for compact expectations.
  std::string Summary() const;

  ItemStore store;
  FolderTree tree;
  ReadWriteLock lock{true};
  ShownNode shown{kNoNode};
  StopFlag stop{0};
  RecordingNotifySink notify;
  RecordingProgressBar progress;
};

}  // namespace orvande::test
