#include "ntfs/mft_own_record.h"

#include "ntfs/ntfs_layout.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr size_t kHeaderPeek = 8;  // type and length must fit to take a step
constexpr uint32_t kMftNameLength = 4;
constexpr char16_t kMftName[] = u"$MFT";

bool IsMftFileName(const LeReader& record, size_t attribute) {
  using namespace attribute_header;
  if (record.U8(attribute + kNonResidentOffset) != 0) return false;
  if (!record.Fits(attribute, kResidentHeaderSize)) return false;
  const size_t valueOffset = record.U16(attribute + kValueOffsetOffset);
  const uint32_t valueLength = record.U32(attribute + kValueLengthOffset);
  if (valueOffset == 0 || valueLength == 0) return false;
  const size_t value = attribute + valueOffset;
  if (!record.Fits(value, file_name_value::kNameOffset + 2)) return false;
  if (record.U8(value + file_name_value::kNameLengthOffset) != kMftNameLength) return false;
  if (!record.Fits(value, file_name_value::kNameOffset + 2 * kMftNameLength)) return false;
  for (uint32_t i = 0; i < kMftNameLength; ++i) {
    if (record.U16(value + file_name_value::kNameOffset + 2 * i) != kMftName[i]) return false;
  }
  return true;
}

}  // namespace

bool IsMftOwnRecord(const uint8_t* buffer, size_t size) {
  if (buffer == nullptr || size < record_header::kMinimumSize) return false;
  LeReader record(buffer, size);
  size_t offset = record.U16(record_header::kFirstAttributeOffset);
  if (offset == 0 || offset >= size) return false;
  // Every step moves forward by a non-zero length, so the walk ends inside the buffer.
  while (record.Fits(offset, kHeaderPeek)) {
    const uint32_t type = record.U32(offset + attribute_header::kTypeOffset);
    const uint32_t length = record.U32(offset + attribute_header::kLengthOffset);
    if (length == 0 || type == attribute_header::kEndMarker || type > kAttrFileName) return false;
    if (type == kAttrFileName) return IsMftFileName(record, offset);
    offset += length;
  }
  return false;
}

}  // namespace orvande
