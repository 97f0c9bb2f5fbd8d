#include "fat/fat_directory_entry.h"

#include <algorithm>
#include <cstring>

#include "platform/file_time.h"
#include "support/code_pages.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

using namespace fat_dir;

constexpr uint8_t kBlank = 0x20;
constexpr uint8_t kDot = 0x2E;
constexpr uint8_t kMaxSequence = 21;   // 21 pieces of 13 units hold the longest name
constexpr uint8_t kMaxTenMsUnits = 200;
constexpr uint8_t kFirstInvalidAttributes = 0x40;
// A short name that starts with byte 0xE5 stores 0x05 there, since 0xE5 marks a deleted entry.
constexpr uint8_t kEscapedDeletedMarker = 0x05;
constexpr uint8_t kDotName[kShortNameBytes] = {'.', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
constexpr uint8_t kDotDotName[kShortNameBytes] = {'.', '.', ' ', ' ', ' ', ' ',
                                                  ' ', ' ', ' ', ' ', ' '};

bool IsForbiddenNameByte(uint8_t b) {
  return b < 0x20 || b == 0x22 || (b >= 0x2A && b <= 0x2C) || b == 0x2F ||
         (b >= 0x3A && b <= 0x3F) || (b >= 0x5B && b <= 0x5D) || b == 0x7C;
}

uint8_t LowerAscii(uint8_t b) {
  return b >= 'A' && b <= 'Z' ? static_cast<uint8_t>(b + 0x20) : b;
}

bool IsDotName(DirEntry e) {
  return std::memcmp(e.data(), kDotName, kShortNameBytes) == 0 ||
         std::memcmp(e.data(), kDotDotName, kShortNameBytes) == 0;
}

// Decodes the first UTF-8 sequence of text; its length in *length.
char32_t FirstCodePoint(const std::string& text, size_t* length) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (n > text.size() || (lead >= 0x80 && lead < 0xC0)) {
    *length = 1;
    return kReplacementCharacter;
  }
  char32_t cp = n == 1 ? lead : lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) cp = (cp << 6) | (byte(i) & 0x3F);
  *length = n;
  return cp;
}

char32_t ToUpper(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;  // Latin-1
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
    // Latin Extended-A pairs upper/lower on even/odd code points, shifted by one in two ranges.
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return (c & 1) == 0 ? c - 1 : c;
    return (c & 1) != 0 ? c - 1 : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;                  // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

}  // namespace

bool IsZeroEntry(DirEntry e) {
  static constexpr uint8_t kZeros[kEntrySize] = {};
  return std::memcmp(e.data(), kZeros, kEntrySize) == 0;
}

uint32_t EntryFirstCluster(DirEntry e) {
  const LeReader reader(e);
  return (uint32_t{reader.U16(kClusterHighOffset)} << 16) | reader.U16(kClusterLowOffset);
}

uint32_t EntrySize(DirEntry e) { return LeReader(e).U32(kSizeOffset); }

bool IsValidEntry(DirEntry e, uint32_t clusterCount, uint32_t clusterMask, bool* isLongName,
                  bool* countable) {
  const bool longName = IsLongNameEntry(e);
  if (isLongName != nullptr) *isLongName = longName;
  if (countable != nullptr) *countable = true;
  const uint8_t attributes = e[kAttributesOffset];
  if (attributes >= kFirstInvalidAttributes) return false;
  const LeReader reader(e);
  if (longName) {
    const uint8_t sequence = e[kSequenceOffset];
    if (sequence != kEndMarker && sequence != kDeletedMarker && sequence % 64 > kMaxSequence)
      return false;
    return reader.U16(kClusterLowOffset) == 0;
  }
  if (e[0] == kBlank) return false;
  for (size_t i = 0; i < kShortNameBytes; ++i) {
    const uint8_t b = e[i];
    if (i == 0 && b == kEscapedDeletedMarker) continue;
    if (IsForbiddenNameByte(b)) return false;
    if (b == kDot && i >= 2) return false;
  }
  const uint32_t cluster = EntryFirstCluster(e) & clusterMask;
  // Clusters are numbered from 2: the last one is the count + 1.
  if (uint64_t{cluster} > uint64_t{clusterCount} + 1) return false;
  if (e[kCreateTenthsOffset] > kMaxTenMsUnits) return false;
  const bool directory = (attributes & kAttrDirectory) != 0;
  if (directory && !IsDeletedEntry(e) && EntrySize(e) != 0) return false;
  if (directory && countable != nullptr && (cluster == 0 || IsDotName(e))) *countable = false;
  return true;
}

uint8_t ShortNameChecksum(DirEntry e) {
  uint8_t sum = 0;
  for (size_t i = 0; i < kShortNameBytes; ++i)
    sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + e[i]);
  return sum;
}

std::string ShortNameText(DirEntry e, const std::string& firstCharacter) {
  const uint8_t caseFlags = e[kCaseFlagsOffset];
  std::array<uint8_t, kShortNameBytes> name{};
  std::copy_n(e.begin(), kShortNameBytes, name.begin());
  if (name[0] == kEscapedDeletedMarker) name[0] = kDeletedMarker;
  if ((caseFlags & kLowerCaseBase) != 0)
    std::transform(name.begin(), name.begin() + kNameBytes, name.begin(), LowerAscii);
  if ((caseFlags & kLowerCaseExtension) != 0)
    std::transform(name.begin() + kExtensionOffset, name.end(), name.begin() + kExtensionOffset,
                   LowerAscii);
  const std::span<const uint8_t> bytes(name);

  size_t nameLength = kNameBytes;
  while (nameLength > 1 && bytes[nameLength - 1] <= kBlank) --nameLength;
  std::string text;
  if (firstCharacter.empty()) {
    text = Cp437ToUtf8(bytes.subspan(0, nameLength));
  } else {
    text = firstCharacter + Cp437ToUtf8(bytes.subspan(1, nameLength - 1));
  }
  if (bytes[kExtensionOffset] > kBlank) {
    size_t extensionLength = kExtensionBytes;
    while (extensionLength > 1 && bytes[kExtensionOffset + extensionLength - 1] <= kBlank)
      --extensionLength;
    text += '.';
    text += Cp437ToUtf8(bytes.subspan(kExtensionOffset, extensionLength));
  }
  return text;
}

std::string UpperFirstCharacter(const std::string& name) {
  if (name.empty()) return {};
  size_t length = 0;
  const char32_t upper = ToUpper(FirstCodePoint(name, &length));
  std::string out;
  AppendUtf8(out, upper);
  return out;
}

namespace {

// The calendar time of a FAT date and time; false when it does not exist.
bool DosCalendarToFileTime(uint16_t date, uint16_t time, uint8_t tenMsUnits, uint64_t* fileTime) {
  const int year = 1980 + (date >> 9);
  const int month = (date >> 5) & 15;
  const int day = date & 31;
  const int hour = time >> 11;
  const int minute = (time >> 5) & 63;
  int second = (time & 31) * 2;
  if (second < 59 && tenMsUnits > 99) ++second;
  bool valid = false;
  *fileTime = platform::LocalCalendarToFileTime(year, month, day, hour, minute, second, &valid);
  return valid;
}

}  // namespace

uint64_t DosTimeToFileTime(uint16_t date, uint16_t time, uint8_t tenMsUnits) {
  uint64_t fileTime = 0;
  return DosCalendarToFileTime(date, time, tenMsUnits, &fileTime) ? fileTime
                                                                  : platform::NowFileTime();
}

uint64_t DosTimeConverter::Convert(uint16_t date, uint16_t time, uint8_t tenMsUnits) {
  const bool extraSecond = tenMsUnits > 99;
  const uint64_t key = (uint64_t{date} << 17) | (uint64_t{time} << 1) | (extraSecond ? 1 : 0);
  Slot& slot = slots_[(key ^ (key >> 10) ^ (key >> 20)) % slots_.size()];
  if (slot.key == key) return slot.value;
  uint64_t fileTime = 0;
  // A time that does not exist gives "now", which must not be remembered.
  if (!DosCalendarToFileTime(date, time, tenMsUnits, &fileTime)) return platform::NowFileTime();
  slot.key = key;
  slot.value = fileTime;
  return fileTime;
}

}  // namespace orvande
