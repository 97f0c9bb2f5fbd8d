#pragma once
// Byte offsets of the NTFS structures this analyzer reads, one namespace per structure. Constants
// only: safe to use from any thread.
#include <cstddef>
#include <cstdint>

namespace orvande {

namespace ntfs_boot {
inline constexpr size_t kSize = 512;
inline constexpr size_t kOemNameOffset = 3;             // 4 bytes, "NTFS"
inline constexpr size_t kBytesPerSectorOffset = 11;     // u16
inline constexpr size_t kSectorsPerClusterOffset = 13;  // u8, a plain count
inline constexpr size_t kTotalSectorsOffset = 0x28;     // u64
inline constexpr size_t kMftClusterOffset = 0x30;       // u64, LCN of the MFT
}  // namespace ntfs_boot

// File record header.
namespace record_header {
inline constexpr size_t kSignatureOffset = 0;          // 4 bytes, "FILE"
inline constexpr size_t kUsaOffsetOffset = 4;          // u16, update sequence array offset
inline constexpr size_t kUsaCountOffset = 6;           // u16, entries including the number
inline constexpr size_t kFirstAttributeOffset = 0x14;  // u16
inline constexpr size_t kFlagsOffset = 0x16;           // u16, bit 0 in use, bit 1 directory
inline constexpr size_t kUsedSizeOffset = 0x18;        // u32
inline constexpr size_t kAllocatedSizeOffset = 0x1C;   // u32, the record size
inline constexpr size_t kBaseReferenceOffset = 0x20;   // u64, non-zero in extension records
// u32, the record's own number; only headers whose update sequence array starts at or after
// kOwnNumberEnd hold it.
inline constexpr size_t kOwnNumberOffset = 0x2C;
inline constexpr size_t kOwnNumberEnd = 0x30;
// The header fields above all lie in the first 32 bytes plus the base reference.
inline constexpr uint32_t kMinimumRead = 32;
// Smallest and largest record sizes accepted.
inline constexpr uint32_t kMinimumSize = 42;
inline constexpr uint32_t kMaximumSize = 0x10000;
}  // namespace record_header

// Attribute header, common part, then the resident and non-resident forms.
namespace attribute_header {
inline constexpr size_t kTypeOffset = 0;            // u32, 0xFFFFFFFF ends the list
inline constexpr size_t kLengthOffset = 4;          // u16 (the field is u32; its high half is 0)
inline constexpr size_t kNonResidentOffset = 8;     // u8
inline constexpr size_t kNameLengthOffset = 9;      // u8, UTF-16 units
inline constexpr size_t kNameOffsetOffset = 10;     // u16
inline constexpr size_t kFlagsOffset = 12;          // u16, 0x00FF compressed, 0x8000 sparse
inline constexpr size_t kValueLengthOffset = 16;    // u32, resident
inline constexpr size_t kValueOffsetOffset = 20;    // u16, resident
inline constexpr size_t kStartingVcnOffset = 16;    // u64, non-resident
inline constexpr size_t kLastVcnOffset = 24;        // u64, non-resident
inline constexpr size_t kRunListOffsetOffset = 32;  // u16, non-resident
inline constexpr size_t kAllocatedSizeOffset = 40;  // u64, non-resident
inline constexpr size_t kDataSizeOffset = 48;       // u64, non-resident
// A walk over attributes needs this much of a header inside the record.
inline constexpr size_t kWalkHeaderSize = 16;
inline constexpr size_t kResidentHeaderSize = 24;
inline constexpr size_t kNonResidentHeaderSize = 64;
inline constexpr uint16_t kCompressionMask = 0x00FF;
inline constexpr uint32_t kEndMarker = 0xFFFFFFFF;
}  // namespace attribute_header

inline constexpr uint32_t kAttrStandardInformation = 0x10;
inline constexpr uint32_t kAttrAttributeList = 0x20;
inline constexpr uint32_t kAttrFileName = 0x30;
inline constexpr uint32_t kAttrData = 0x80;

// One entry of an $ATTRIBUTE_LIST value.
namespace list_entry {
inline constexpr size_t kTypeOffset = 0;               // u32
inline constexpr size_t kLengthOffset = 4;             // u16, 0 ends the walk
inline constexpr size_t kNameLengthOffset = 6;         // u8, UTF-16 units
inline constexpr size_t kStartingVcnOffset = 8;        // u64
inline constexpr size_t kRecordNumberLowOffset = 16;   // u32, bits 0 to 31
inline constexpr size_t kRecordNumberHighOffset = 20;  // u16, bits 32 to 47
inline constexpr size_t kNameOffset = 26;  // UTF-16; the entry's own name offset is not read
inline constexpr size_t kFixedSize = 26;
// A list this long or longer is not used.
inline constexpr uint64_t kMaximumListSize = 0x10000;
}  // namespace list_entry

// $FILE_NAME value fields used to recognise the MFT's own record.
namespace file_name_value {
inline constexpr size_t kNameLengthOffset = 64;  // u8, UTF-16 units
inline constexpr size_t kNameOffset = 66;        // UTF-16
}  // namespace file_name_value

}  // namespace orvande
