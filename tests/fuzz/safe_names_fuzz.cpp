// Feeds arbitrary names to the sanitisers that turn names read from a volume into names written
// under the destination folder, and checks what they promise: a safe name stays in its folder and
// fits the name limit, a cut never splits a character, a copy name fits its capacity.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/file_name_policy.h"
#include "core/safe_names.h"
#include "support/prompter.h"

namespace {

using namespace orvande;

// A folder that does not exist, so that every copy name is free and nothing on disk is touched.
constexpr char kMissingFolder[] = "/nonexistent-orvande-fuzz/";

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void CheckSafeName(std::string_view name) {
  const SafeName safe = MakeSafeName(name);
  Check(safe.name.find('/') == std::string::npos);
  Check(safe.name.find('\0') == std::string::npos);
  Check(safe.name != "." && safe.name != "..");
  Check(safe.name.size() <= kMaxNameBytes);
  Check(name.empty() == safe.name.empty());
  if (!safe.changed) Check(safe.name == name);
}

void CheckPrefix(std::string_view text, size_t maxBytes) {
  const size_t length = Utf8PrefixLength(text, maxBytes);
  Check(length <= text.size());
  if (text.size() <= maxBytes) {
    Check(length == text.size());
  } else {
    Check(length <= maxBytes && length + 3 >= maxBytes);
    // Only where the bytes are no UTF-8 may the cut fall before a continuation byte.
    if (IsContinuationByte(text[length])) Check(length == maxBytes);
  }
}

void CheckCopyName(std::string_view name, size_t capacity) {
  std::string newPath;
  if (MakeCopyName(kMissingFolder + std::string(name), &newPath, capacity)) {
    Check(newPath.size() < capacity);
    Check(newPath.rfind(kMissingFolder, 0) == 0);
  }
}

void CheckBrokenName(std::string name, std::string replacement) {
  BrokenNameAnswer answer;
  answer.action = BrokenNameAnswer::kRename;
  answer.newName = name;
  answer.changeAll = !replacement.empty();
  answer.symbol = replacement;
  BrokenNameProblem(answer);
  IsValidNameSymbol(replacement);
  // With a replacement chosen nothing is asked; the default prompter answers "skip" otherwise.
  const bool hadUnknown = HasUnknownFirstCharacter(name);
  const std::string before = name;
  const NameFix fix = FixBrokenName(PrompterOrDefault(nullptr), name, replacement);
  if (!hadUnknown) Check(fix == NameFix::kUse && name == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  const std::string_view name(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckSafeName(name);
  CheckPrefix(name, control);
  CheckPrefix(name, kMaxNameBytes);
  CheckCopyName(name, kMaxPathBytes);
  CheckCopyName(name, 32 + control);
  std::string printable = PrintableName(name);
  Check(printable.find('\0') == std::string::npos);
  // '?' stands for no replacement chosen; otherwise the control byte and the name's first bytes.
  const std::string replacement = control == '?' ? std::string()
                                                 : std::string(1, static_cast<char>(control)) +
                                                       std::string(name.substr(0, control % 4));
  CheckBrokenName(std::string(name), replacement);
  IsInvalidNameSymbol(static_cast<char>(control));
  return 0;
}
