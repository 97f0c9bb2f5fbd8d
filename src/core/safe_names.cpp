#include "core/safe_names.h"

#include "core/file_name_policy.h"

namespace orvande {
namespace {

// Extensions longer than this are not worth keeping when a long name is cut.
constexpr size_t kMaxKeptExtension = 16;
// A UTF-8 character is a lead byte and at most three continuation bytes.
constexpr size_t kMaxContinuationBytes = 3;

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string CutToNameLimit(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string_view extension;
  if (dot != std::string::npos && dot > 0 && name.size() - dot <= kMaxKeptExtension)
    extension = std::string_view(name).substr(dot);
  std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
  std::string cut(stem.substr(0, Utf8PrefixLength(stem, kMaxNameBytes - extension.size())));
  cut.append(extension);
  return cut;
}

}  // namespace

size_t Utf8PrefixLength(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  size_t length = maxBytes;
  // Cutting before a continuation byte would split a character; step back to its lead byte.
  // A character has at most three continuation bytes: a longer run is no UTF-8, and stepping
  // back over it could leave nothing of the name.
  size_t stepped = 0;
  while (length > 0 && stepped < kMaxContinuationBytes && IsContinuationByte(text[length])) {
    --length;
    ++stepped;
  }
  return IsContinuationByte(text[length]) ? maxBytes : length;
}

SafeName MakeSafeName(std::string_view name) {
  SafeName result;
  result.name.reserve(name.size());
  for (char c : name) {
    if (c == '/' || c == '\0') {
      result.name.push_back('_');
      result.changed = true;
    } else {
      result.name.push_back(c);
    }
  }
  if (result.name == "." || result.name == "..") {
    result.name.insert(result.name.begin(), '_');
    result.changed = true;
  }
  if (result.name.size() > kMaxNameBytes) {
    result.name = CutToNameLimit(result.name);
    result.changed = true;
  }
  return result;
}

std::string PrintableName(std::string_view name) {
  std::string text;
  text.reserve(name.size());
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0) {
      text.append("\\0");
    } else if (byte < 0x20 || byte == 0x7F) {
      // A control character could move the cursor or forge a line on a terminal or in a log.
      static constexpr char kHex[] = "0123456789abcdef";
      text.append("\\x");
      text.push_back(kHex[byte >> 4]);
      text.push_back(kHex[byte & 0xF]);
    } else {
      text.push_back(c);
    }
  }
  return text;
}

}  // namespace orvande
