#include "ntfs_tree_fixture.h"

#include <algorithm>

#include "support/le_reader.h"

namespace orvande::test {

Bytes FileName(const NameFields& fields) {
  Bytes value(66 + 2 * fields.name.size(), 0);
  StoreLe(value, 0, fields.parent | (uint64_t{1} << 48), 8);
  StoreLe(value, 8, fields.created, 8);
  StoreLe(value, 16, fields.modified, 8);
  StoreLe(value, 40, fields.dataSize, 8);
  StoreLe(value, 48, fields.dataSize, 8);
  StoreLe(value, 56, fields.flags | (fields.directory ? kFileNameDirectory : 0), 4);
  value[64] = static_cast<uint8_t>(fields.name.size());
  value[65] = fields.nameSpace;
  const Bytes units = Utf16(fields.name);
  std::copy(units.begin(), units.end(), value.begin() + 66);
  return value;
}

Bytes StandardInformation(uint64_t created, uint64_t modified) {
  Bytes value(48, 0);
  StoreLe(value, 0, created, 8);
  StoreLe(value, 8, modified, 8);
  return value;
}

Bytes SimpleRecord(const NameFields& fields, uint16_t flags, const Bytes& data, uint64_t created,
                   uint64_t modified, uint32_t recordSize) {
  RecordBuilder builder(recordSize);
  builder.Flags(flags)
      .Resident(kAttrStandardInformation, u"", StandardInformation(created, modified))
      .Resident(kAttrFileName, u"", FileName(fields));
  if (!fields.directory) builder.Resident(kAttrData, u"", data);
  return builder.Build();
}

void PatchAttribute(Bytes& record, uint32_t type, size_t offset, uint64_t value, size_t width) {
  LeReader reader(record);
  size_t at = reader.U16(0x14);
  while (reader.Fits(at, 8) && reader.U32(at) != 0xFFFFFFFF && reader.U32(at + 4) != 0) {
    if (reader.U32(at) == type) {
      StoreLe(record, at + offset, value, width);
      return;
    }
    at += reader.U32(at + 4);
  }
  ADD_FAILURE() << "no attribute of type " << type;
}

Bytes BitmapBytes(uint64_t clusters, const std::vector<std::pair<uint64_t, uint64_t>>& usedRanges) {
  Bytes bits((clusters + 7) / 8, 0);
  for (const auto& [first, count] : usedRanges) {
    for (uint64_t c = first; c < first + count && c < clusters; ++c) bits[c / 8] |= 1u << (c % 8);
  }
  return bits;
}

void AddSystemRecords(TestVolume& volume, const std::vector<uint64_t>& used) {
  const VolumeGeometry& g = volume.Geometry();
  volume.PutRecord(kRootRecord,
                   SimpleRecord({.name = u".", .parent = kRootRecord, .directory = true}, 3));
  const uint64_t clusters = g.totalSectors / g.sectorsPerCluster;
  std::vector<std::pair<uint64_t, uint64_t>> ranges{{0, g.mftCluster + g.mftClusters}};
  for (uint64_t c : used) ranges.emplace_back(c, 1);
  volume.PutRecord(kBitmapRecord,
                   SimpleRecord({.name = u"$Bitmap"}, 1, BitmapBytes(clusters, ranges)));
}

TreeUnderTest::TreeUnderTest() = default;

BuildTreeContext TreeUnderTest::Context(VolumeAnalyzer* reader) {
  return BuildTreeContext{&stop, &notify, store, tree, &shown, lock, &progress, reader};
}

std::map<std::string, ListedEntry> TreeUnderTest::List() const {
  std::map<std::string, ListedEntry> entries;
  std::vector<TreeNode> pending = tree.Children(kNoNode);
  while (!pending.empty()) {
    const TreeNode node = pending.back();
    pending.pop_back();
    for (TreeNode child : tree.Children(node)) pending.push_back(child);
    FolderRef folder = store.FindRef(tree.Data(node));
    if (!folder) {
      ADD_FAILURE() << "node without a folder: " << tree.Text(node);
      continue;
    }
    const std::string path = tree.PathOf(node);
    if (!path.empty()) {
      ListedEntry& entry = entries[path];
      entry.folder = true;
      entry.deleted = folder->Deleted() != 0;
      entry.id = folder->Id();
      entry.created = folder->Created();
      entry.modified = folder->Modified();
      entry.location = folder->Location();
      entry.image = tree.Image(node);
    }
    for (const FileRecord& file : folder->Files()) {
      const std::string name(file.Name());
      ListedEntry& entry = entries[path.empty() ? name : path + "/" + name];
      entry.deleted = file.deleted != 0;
      entry.size = file.size;
      entry.id = file.id;
      entry.created = file.created;
      entry.modified = file.modified;
      entry.location = file.location;
    }
  }
  return entries;
}

std::string TreeUnderTest::Summary() const {
  std::string text;
  for (const auto& [path, entry] : List()) {
    if (!text.empty()) text += ' ';
    text += path + (entry.folder ? ":d" : ":f") + (entry.deleted ? "D" : "-");
  }
  return text;
}

}  // namespace orvande::test
