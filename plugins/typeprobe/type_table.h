#pragma once
// The file types this library knows: recogniser, length rule, size bound and file-name
// extensions of each, and the supported-types table handed to the program. All of it is
// constant; safe from any thread.
#include <cstdint>
#include <span>
#include <string_view>

#include "length_rules.h"
#include "typeprobe_abi.h"

namespace typeprobe {

// Type ids; 0 is the JPEG image by contract and 18 (kNoType) is never used.
enum TypeId : uint32_t {
  kJpeg = kTypeJpeg,
  kPng = 1,
  kGif = 2,
  kBmp = 3,
  kTiff = 4,
  kPdf = 5,
  kZip = 6,
  kCompoundFile = 7,
  kRar = 8,
  kSevenZip = 9,
  kMp3 = 10,
  kIsoMedia = 11,
  kWav = 12,
  kAvi = 13,
};

struct TypeInfo {
  uint32_t id;
  std::string_view name;
  Recogniser recognise;
  LengthRule length;  // null: the type is recognised but its length is not known
  uint64_t maxSize;   // the longest file the length rule will accept
  std::span<const std::string_view> extensions;  // lower case, without the dot
};

std::span<const TypeInfo> KnownTypes();
const TypeInfo* FindType(uint32_t id);
std::span<const SupportedType> SupportedTypes();

}  // namespace typeprobe
