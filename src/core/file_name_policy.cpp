#include "core/file_name_policy.h"

#include "core/safe_names.h"
#include "platform/file_system.h"
#include "support/code_pages.h"
#include "support/format.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr int kLastCopyNumber = 998;
// "[Copy NNN]" with three digits.
constexpr size_t kCopyMarkBytes = 10;
// A prompter that keeps giving refused answers is not asked for ever.
constexpr int kMaxBrokenNameQuestions = 16;

void ReplaceFirstUnknown(std::string& name, const std::string& symbol) {
  if (HasUnknownFirstCharacter(name)) name.replace(0, 1, symbol);
}

// Where the extension starts (its dot), or npos.
size_t ExtensionStart(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    char c = path[i - 1];
    if (c == '/' || c == '\\' || c == ':') return std::string::npos;
    if (c == '.') return i - 1;
  }
  return std::string::npos;
}

}  // namespace

bool ResolveExistingFile(Prompter& prompter, FileNamePolicy& policy, const std::string& path,
                         bool* renamed, std::string* newPath, size_t capacity, bool* existed) {
  *renamed = false;
  if (existed != nullptr) *existed = policy == FileNamePolicy::kOverwriteAll;
  if (policy == FileNamePolicy::kOverwriteAll) return true;
  if (!platform::PathExists(path)) return true;
  if (existed != nullptr) *existed = true;
  if (policy == FileNamePolicy::kSkipAll) return false;
  if (policy == FileNamePolicy::kAsk) {
    switch (prompter.ConfirmFileReplace(path)) {
      case ReplaceAnswer::kReplace:
        return true;
      case ReplaceAnswer::kSkip:
        return false;
      case ReplaceAnswer::kReplaceAll:
        policy = FileNamePolicy::kOverwriteAll;
        return true;
      case ReplaceAnswer::kSkipAll:
        policy = FileNamePolicy::kSkipAll;
        return false;
      case ReplaceAnswer::kAutoRenameAll:
        policy = FileNamePolicy::kRenameAll;
        break;
    }
  }
  if (MakeCopyName(path, newPath, capacity)) {
    *renamed = true;
    return true;
  }
  prompter.ShowMessage(Format(strings::kNoUniqueNameFormat, path.c_str()), strings::kErrorCaption,
                       MessageIcon::kError, MessageButtons::kOk);
  return false;
}

bool MakeCopyName(const std::string& path, std::string* newPath, size_t capacity) {
  if (path.size() + kCopyMarkBytes >= capacity) return false;
  size_t dot = ExtensionStart(path);
  std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
  std::string extension = dot == std::string::npos ? std::string() : path.substr(dot);

  size_t nameStart = stem.rfind('/');
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  size_t fixedBytes = kCopyMarkBytes + extension.size();
  if (fixedBytes >= kMaxNameBytes) return false;
  size_t stemNameLimit = kMaxNameBytes - fixedBytes;
  if (stem.size() - nameStart > stemNameLimit) {
    stem.resize(nameStart +
                Utf8PrefixLength(std::string_view(stem).substr(nameStart), stemNameLimit));
  }

  for (int n = 1; n <= kLastCopyNumber; ++n) {
    std::string candidate = stem + Format(strings::kCopyNameFormat, n, extension.c_str());
    if (!platform::PathExists(candidate)) {
      *newPath = std::move(candidate);
      return true;
    }
  }
  return false;
}

bool IsInvalidNameSymbol(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x22 || (u >= 0x2A && u <= 0x2C) || u == 0x2F ||
         (u >= 0x3A && u <= 0x3F) || (u >= 0x5B && u <= 0x5D) || u == 0x7C;
}

uint32_t BrokenNameProblem(const BrokenNameAnswer& answer) {
  if (answer.action != BrokenNameAnswer::kRename) return 0;
  if (answer.newName.empty()) return strings::kIdEmptyNewFileName;
  if (answer.changeAll) {
    return IsValidNameSymbol(answer.symbol) ? 0 : strings::kIdInvalidSymbol;
  }
  for (char c : answer.newName) {
    if (IsInvalidNameSymbol(c)) return strings::kIdInvalidNewFileName;
  }
  return 0;
}

bool IsValidNameSymbol(std::string_view symbol) {
  if (symbol.size() == 1)
    return static_cast<unsigned char>(symbol[0]) < 0x80 && !IsInvalidNameSymbol(symbol[0]);
  if (symbol.empty() || symbol.size() > 4 || static_cast<unsigned char>(symbol[0]) < 0xC0)
    return false;
  // One code point that survives the way there and back (no stray or overlong bytes).
  const std::u16string units = Utf8ToUtf16(symbol);
  const bool onePoint = units.size() == 1 || (units.size() == 2 && units[0] >= 0xD800 &&
                                              units[0] <= 0xDBFF && units[1] >= 0xDC00);
  return onePoint && units[0] != 0xFFFD && Utf16ToUtf8(units) == symbol;
}

bool HasUnknownFirstCharacter(std::string_view name) {
  return !name.empty() && name[0] == '?';
}

NameFix FixBrokenName(Prompter& prompter, std::string& name, std::string& replacement) {
  if (!HasUnknownFirstCharacter(name)) return NameFix::kUse;
  if (!replacement.empty()) {
    ReplaceFirstUnknown(name, replacement);
    return NameFix::kUse;
  }
  for (int asked = 0; asked < kMaxBrokenNameQuestions; ++asked) {
    BrokenNameAnswer answer = prompter.AskBrokenFileName(name);
    if (answer.action == BrokenNameAnswer::kSkip) return NameFix::kSkip;
    if (answer.action == BrokenNameAnswer::kSkipAll) return NameFix::kSkipAll;
    if (uint32_t problem = BrokenNameProblem(answer); problem != 0) {
      prompter.ShowMessage(LoadString(problem), strings::kBrokenFileNameCaption,
                           MessageIcon::kExclamation, MessageButtons::kOk);
      continue;
    }
    name = std::move(answer.newName);
    if (answer.changeAll) {
      ReplaceFirstUnknown(name, answer.symbol);
      replacement = answer.symbol;
    }
    return NameFix::kUse;
  }
  return NameFix::kSkip;
}

}  // namespace orvande
