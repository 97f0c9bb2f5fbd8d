#include "ntfs/ntfs_tree_builder.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <exception>

#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/ports.h"
#include "core/read_write_lock.h"
#include "core/safe_names.h"
#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"
#include "ntfs/nameless_record.h"
#include "ntfs/ntfs_status.h"
#include "support/code_pages.h"
#include "support/le_reader.h"
#include "support/operation_log.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;
constexpr uint16_t kRecordInUse = 0x0001;

// $STANDARD_INFORMATION value.
namespace standard_information {
constexpr size_t kCreatedOffset = 0;   // u64
constexpr size_t kModifiedOffset = 8;  // u64
// Only the two times are used; for the resident value a record holds, reading more of it
// would fail or succeed alike.
constexpr size_t kUsedBytes = 16;
}  // namespace standard_information

// $FILE_NAME value.
namespace file_name {
constexpr size_t kParentOffset = 0;       // u64, the low 32 bits are used
constexpr size_t kCreatedOffset = 8;      // u64
constexpr size_t kModifiedOffset = 16;    // u64
constexpr size_t kDataSizeOffset = 48;    // u64
constexpr size_t kFlagsOffset = 56;       // u32
constexpr size_t kNameLengthOffset = 64;  // u8, UTF-16 units
constexpr size_t kNameSpaceOffset = 65;   // u8
constexpr size_t kNameOffset = 66;        // UTF-16LE
constexpr uint32_t kMaximumValue = 4095;
constexpr uint32_t kDirectoryFlag = 0x10000000;
constexpr uint32_t kSkippedFlag = 0x40;
constexpr uint8_t kShortNameSpace = 2;
}  // namespace file_name

}  // namespace

struct NtfsTreeBuilder::RecordValues {
  bool deleted = false;
  uint64_t size = 0;
  bool sizeFromFileName = false;
  uint64_t created = 0;
  uint64_t modified = 0;
  std::string name;
  bool directory = false;
  uint32_t parent = 0;
};

std::string NtfsTreeBuilder::PlaceholderName(uint32_t parent) {
  char text[32];
  std::snprintf(text, sizeof text, "$$folder_%u", parent);
  return text;
}

void NtfsTreeBuilder::ReplaceUnshownCharacters(std::string& name) {
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || std::strchr(":<>*\"|", c) != nullptr) c = '?';
  }
}

NtfsTreeBuilder::Scan NtfsTreeBuilder::ScanAttributes(MftRecord& record, RecordValues& values,
                                                      OperationLog* log) {
  Scan result = Scan::kNoName;
  std::vector<uint8_t>& value = value_;
  record.ForEachAttribute([&](const Attribute& attribute) {
    const uint32_t type = attribute.Type();
    if (type > kAttrFileName) return false;
    if (type == kAttrStandardInformation) {
      value.assign(standard_information::kUsedBytes, 0);
      uint64_t got = 0;
      if (!record.ReadAttribute(attribute, value.data(), 0, value.size(), &got, log)) {
        result = Scan::kFailed;
        return false;
      }
      LeReader fields(value);
      values.created = fields.U64(standard_information::kCreatedOffset);
      values.modified = fields.U64(standard_information::kModifiedOffset);
      return true;
    }
    if (type != kAttrFileName || !attribute.HeaderFits(attribute_header::kResidentHeaderSize))
      return true;
    // A $FILE_NAME is always resident; a non-resident one is damage and is passed over.
    if (attribute.NonResident()) return true;
    const uint32_t length = attribute.ValueLength();
    if (length == 0 || length > file_name::kMaximumValue) return true;
    value.assign(length, 0);
    uint64_t got = 0;
    if (!record.ReadAttribute(attribute, value.data(), 0, length, &got, log)) {
      result = Scan::kFailed;
      return false;
    }
    LeReader fields(std::span<const uint8_t>(value).first(std::min<uint64_t>(got, length)));
    // The name ends where the value does, whatever its length byte claims.
    const size_t units = fields.U8(file_name::kNameLengthOffset);
    const size_t available =
        fields.size() > file_name::kNameOffset ? fields.size() - file_name::kNameOffset : 0;
    std::string name =
        Utf16LeToUtf8(fields.Sub(file_name::kNameOffset, std::min(units * 2, available / 2 * 2)));
    name.resize(Utf8PrefixLength(name, kMaxNameBytes));
    if (name.empty()) {
      result = Scan::kFailed;
      return false;
    }
    const uint32_t flags = fields.U32(file_name::kFlagsOffset);
    if ((flags & file_name::kSkippedFlag) != 0 ||
        fields.U8(file_name::kNameSpaceOffset) == file_name::kShortNameSpace)
      return true;
    values.name = std::move(name);
    values.directory = (flags & file_name::kDirectoryFlag) != 0;
    values.parent = fields.U32(file_name::kParentOffset);
    if (values.created == 0) values.created = fields.U64(file_name::kCreatedOffset);
    if (values.modified == 0) values.modified = fields.U64(file_name::kModifiedOffset);
    if (values.sizeFromFileName) values.size = fields.U64(file_name::kDataSizeOffset);
    result = Scan::kNamed;
    return false;
  });
  return result;
}

NtfsTreeBuilder::Scan NtfsTreeBuilder::ScanExtensions(MftRecord& record, RecordValues& values,
                                                      OperationLog* log) {
  if (record.Location().Kind() != kKindMft || !record.HasUsableAttributeList())
    return Scan::kNoName;
  AttributeListWalk walk(record.AttributeListBytes());
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    if (entry->Type() != kAttrStandardInformation && entry->Type() != kAttrFileName) continue;
    std::optional<uint64_t> position = entry->RecordPosition(record.RecordSize());
    if (!position || *position == record.Location().Position()) continue;
    MftRecord* extension = record.FindExtension(*position);
    if (extension == nullptr) continue;
    const Scan scan = ScanAttributes(*extension, values, log);
    if (scan != Scan::kNoName) return scan;
  }
  return Scan::kNoName;
}

bool NtfsTreeBuilder::IsShown(FolderItem& folder) const {
  if (context_.shownNode == nullptr) return false;
  const TreeNode shown = context_.shownNode->load(std::memory_order_relaxed);
  return shown != kNoNode && folder.HasNode(shown);
}

uint32_t NtfsTreeBuilder::AddRecordToTree(MftRecord& record, uint32_t n, std::string* nameBuffer,
                                          bool outside, uint32_t parentLimit, OperationLog* log) {
  if (nameBuffer != nullptr) nameBuffer->clear();
  RecordValues values;
  values.deleted = outside || (record.Flags() & kRecordInUse) == 0;
  try {
    uint64_t allocated = 0;
    if (!record.GetAttributeSize(kAttrData, AttributeName::None(), &values.size, &allocated))
      values.size = 0;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    if (log != nullptr) log->Add(OperationLog::kError, ntfs_codes::kTreeDataSize);
    values.sizeFromFileName = true;
  }
  Scan scan = ScanAttributes(record, values, log);
  if (scan == Scan::kNoName) scan = ScanExtensions(record, values, log);
  if (scan == Scan::kNoName && !values.sizeFromFileName)
    return PlaceNameless(record, n, values, log);
  if (scan != Scan::kNamed) return kSuccess;

  ReplaceUnshownCharacters(values.name);
  if (nameBuffer != nullptr) *nameBuffer = values.name;
  return Place(record, n, values, parentLimit);
}

uint32_t NtfsTreeBuilder::PlaceNameless(MftRecord& record, uint32_t n, const RecordValues& values,
                                        OperationLog* log) {
  if (!HoldsLostData(record, n, values.size, log)) return kSuccess;
  if (!types_.IsPrepared()) types_.Prepare(TypePlugin());
  LostRecordFile file;
  file.id = n;
  file.location = record.Location();
  file.name = LostRecordName(record, n, values.size, types_, log);
  file.size = values.size;
  file.created = values.created;
  file.modified = values.modified;
  file.deleted = values.deleted;
  return AddLostRecordFile(lostAndFound_, file, context_, kNoNode);
}

uint32_t NtfsTreeBuilder::Place(MftRecord& record, uint32_t n, RecordValues& values,
                                uint32_t parentLimit) {
  ItemStore& store = context_.itemStore;
  FolderTree& tree = context_.folderTree;
  uint32_t p = values.parent;
  if (p <= parentLimit && p > kLastSystemRecord) p |= kUntrustedParent;

  FolderRef parent;
  if (p != n) {
    parent = store.FindRef(p);
    if (!parent) {
      parent.reset(new FolderItem(p));
      if (parent->InsertAtTop(PlaceholderName(p), true, tree, kNoNode) == kNoNode)
        return kStatusTreeInsertFailed;
      parent->SetDeleted(1);
      store.Insert(p, parent.get());
    }
  }

  ItemLocation location = record.Location();
  location.SetDeleted(values.deleted ? 1 : 0);
  const uint8_t deleted = values.deleted ? 1 : 0;
  if (values.directory) {
    FolderRef own = store.FindRef(n);
    if (!own) {
      FolderRef folder(new FolderItem(n, location));
      folder->SetCreated(values.created);
      folder->SetModified(values.modified);
      folder->SetDeleted(deleted);
      store.Insert(n, folder.get());
      const TreeNode node = parent
                                ? folder->InsertUnder(values.name, values.deleted, parent.get(),
                                                      tree, context_.shownNode, context_.notifySink)
                                : folder->InsertAtTop(values.name, values.deleted, tree, kNoNode);
      if (node == kNoNode) return kStatusTreeInsertFailed;
      if (values.deleted && parent)
        parent->MarkContainsDeleted(tree, context_.notifySink, context_.shownNode);
    } else {
      // A placeholder made for this folder before its record came: it takes its own name and
      // moves to its place.
      own->SetCreated(values.created);
      own->SetModified(values.modified);
      own->SetDeleted(deleted);
      own->SetLocation(location);
      own->MoveTo(values.name, values.deleted, parent.get(), tree, store, context_.shownNode,
                  context_.notifySink);
    }
    return kSuccess;
  }

  // A file record that names itself as its parent has nowhere to go.
  if (!parent) return kSuccess;
  {
    WriteLockGuard guard(context_.storeLock);
    parent->AddFile(n, location, values.name.c_str(), values.size, values.created, values.modified,
                    deleted);
  }
  if (values.deleted) parent->MarkContainsDeleted(tree, context_.notifySink, context_.shownNode);
  if (context_.notifySink != nullptr && IsShown(*parent))
    context_.notifySink->Send(kMsgFolderChanged, context_.shownNode->load(), 0);
  return kSuccess;
}

}  // namespace orvande
