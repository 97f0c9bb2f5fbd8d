// Attribute lookups of MftRecord: finding attributes, their sizes, and the attribute list with the
// extension records it names.
#include <exception>

#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_analyzer.h"
#include "support/le_reader.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;

}  // namespace

std::optional<Attribute> MftRecord::FindAttribute(uint32_t type, const AttributeName& name) const {
  std::optional<Attribute> found;
  ForEachAttribute([&](const Attribute& attribute) {
    if (attribute.Type() > type) return false;
    if (attribute.Type() == type && attribute.HasName(name)) {
      found = attribute;
      return false;
    }
    return true;
  });
  return found;
}

bool MftRecord::AttributeSizes(const Attribute& attribute, uint64_t* dataSize,
                               uint64_t* allocatedSize) {
  if (!attribute.HeaderFits(attribute_header::kNonResidentOffset + 1)) return false;
  if (attribute.NonResident()) {
    if (!attribute.HeaderFits(attribute_header::kDataSizeOffset + 8)) return false;
    *dataSize = attribute.DataSize();
    *allocatedSize = attribute.AllocatedSize();
    return true;
  }
  if (!attribute.HeaderFits(attribute_header::kValueLengthOffset + 4)) return false;
  *dataSize = attribute.ValueLength();
  *allocatedSize = attribute.ValueLength();
  return true;
}

bool MftRecord::GetAttributeSize(uint32_t type, const AttributeName& name, uint64_t* dataSize,
                                 uint64_t* allocatedSize) const {
  *dataSize = 0;
  *allocatedSize = 0;
  if (std::optional<Attribute> attribute = FindAttribute(type, name))
    return AttributeSizes(*attribute, dataSize, allocatedSize);
  if (location_.Kind() != kKindMft || !HasUsableAttributeList()) return true;
  AttributeListWalk walk(attributeList_);
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    if (entry->Type() != type || !entry->HasName(name)) continue;
    std::optional<uint64_t> position = entry->RecordPosition(recordSize_);
    if (!position) return false;
    if (*position == location_.Position()) continue;
    const MftRecord* extension = FindExtension(*position);
    if (extension == nullptr) return false;
    uint64_t extentData = 0;
    uint64_t extentAllocated = 0;
    if (!extension->GetAttributeSize(type, name, &extentData, &extentAllocated)) return false;
    *dataSize += extentData;
    *allocatedSize += extentAllocated;
  }
  return !walk.EndedAtZeroLength();
}

bool MftRecord::IsExtension() const {
  return LeReader(buffer_).U64(record_header::kBaseReferenceOffset) != 0;
}

uint16_t MftRecord::Flags() const {
  return LeReader(buffer_).U16(record_header::kFlagsOffset);
}

MftRecord* MftRecord::FindExtension(uint64_t position) const {
  auto it = recordCache_.find(position);
  return it == recordCache_.end() ? nullptr : it->second.get();
}

bool MftRecord::LoadAttributeList(OperationLog* log) {
  if (location_.Kind() != kKindMft || listState_ != ListState::kNotLoaded) return true;
  if (isExtensionCopy_) {
    listState_ = ListState::kAbsent;
    return true;
  }
  std::optional<Attribute> attribute = FindAttribute(kAttrAttributeList, AttributeName::Any());
  if (!attribute) {
    listState_ = ListState::kAbsent;
    return true;
  }
  uint64_t dataSize = 0;
  uint64_t allocatedSize = 0;
  if (!AttributeSizes(*attribute, &dataSize, &allocatedSize)) {
    listState_ = ListState::kAbsent;
    return false;
  }
  // A list this long is not trusted; the record is used as if it had none.
  if (dataSize >= list_entry::kMaximumListSize) {
    listState_ = ListState::kAbsent;
    return false;
  }
  std::vector<uint8_t> value(dataSize);
  uint64_t got = 0;
  if (!ReadAttribute(*attribute, value.data(), 0, dataSize, &got, log)) return false;
  value.resize(std::min<uint64_t>(got, value.size()));
  attributeList_ = std::move(value);
  listState_ = ListState::kLoaded;
  return LoadExtensions(log);
}

bool MftRecord::LoadExtensions(OperationLog* log) {
  AttributeListWalk walk(attributeList_);
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    std::optional<uint64_t> position = entry->RecordPosition(recordSize_);
    if (!position) return false;
    if (*position == location_.Position() || recordCache_.count(*position) != 0) continue;
    auto extension = std::make_unique<MftRecord>(analyzer_);
    extension->isExtensionCopy_ = true;
    uint64_t next = 0;
    const uint32_t status = extension->ReadFromMft(analyzer_->MftTable(), *position, &next, log);
    if (!IsSuccess(status) || !extension->HasBuffer()) return false;
    recordCache_.emplace(*position, std::move(extension));
  }
  return true;
}

}  // namespace orvande
