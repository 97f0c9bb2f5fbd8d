#include "cli/cli_prompter.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <string>

#include "app/mount_point_check.h"
#include "core/file_name_policy.h"
#include "support/format.h"
#include "support/string_table.h"

namespace orvande::cli {
namespace {

// The engine's texts end lines the Windows way; a terminal wants bare line feeds.
std::string WithoutCarriageReturns(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (char c : text) {
    if (c != '\r') plain.push_back(c);
  }
  return plain;
}

// A dialog label without its keyboard accelerator: "&New file name:" -> "New file name:".
std::string WithoutAccelerator(std::string_view label) {
  std::string text;
  for (char c : label) {
    if (c != '&') text.push_back(c);
  }
  return text;
}

constexpr char kLinuxDeviceAccessHint[] =
    "Orvande can not open the device for reading. Run orvande-cli as root (sudo), or join the "
    "\"disk\" group (sudo usermod -aG disk $USER, then log in again).";

}  // namespace

CliPrompter::CliPrompter(std::ostream& err, std::istream* in) : err_(err), in_(in) {}

MessageAnswer CliPrompter::ShowMessage(std::string_view text, std::string_view caption,
                                       MessageIcon /*icon*/, MessageButtons buttons) {
  std::lock_guard<std::mutex> hold(lock_);
  if (text == strings::kNoDiskAccess) {
    // The engine's text speaks of administrative rights; on Linux reading a device takes this.
    err_ << caption << ": " << kLinuxDeviceAccessHint << '\n' << std::flush;
    return buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kNo;
  }
  err_ << caption << ": " << WithoutCarriageReturns(text);
  if (buttons == MessageButtons::kOk) {
    err_ << '\n' << std::flush;
    return MessageAnswer::kOk;
  }
  return Ask();
}

MessageAnswer CliPrompter::Ask() {
  if (in_ == nullptr) {
    err_ << " [y/N] n (no terminal to answer on)\n" << std::flush;
    return MessageAnswer::kNo;
  }
  err_ << " [y/N] " << std::flush;
  std::string line;
  if (!std::getline(*in_, line)) {
    err_ << '\n' << std::flush;
    return MessageAnswer::kNo;
  }
  size_t first = line.find_first_not_of(" \t");
  bool yes = first != std::string::npos && (line[first] == 'y' || line[first] == 'Y');
  return yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

void CliPrompter::ShowOperationLog(std::string_view text) {
  std::lock_guard<std::mutex> hold(lock_);
  std::string plain = WithoutCarriageReturns(text);
  err_ << plain;
  if (!plain.empty() && plain.back() != '\n') err_ << '\n';
  err_ << std::flush;
}

}  // namespace orvande::cli

namespace orvande::cli {

void CliPrompter::SetRecoveryAnswers(const RecoveryAnswers& answers) {
  std::lock_guard<std::mutex> hold(lock_);
  answers_ = answers;
  rememberedReplace_.reset();
  batchSymbolChosen_ = false;
  unanswered_.reset();
}

std::optional<std::string> CliPrompter::UnansweredQuestion() const {
  std::lock_guard<std::mutex> hold(lock_);
  return unanswered_;
}

void CliPrompter::Warn(const std::string& text) {
  err_ << "WARNING: " << text << '\n' << std::flush;
}

std::string CliPrompter::ReadLine(bool* ok) {
  std::string line;
  *ok = static_cast<bool>(std::getline(*in_, line));
  if (!*ok) err_ << '\n';
  return line;
}

ReplaceAnswer CliPrompter::ConfirmFileReplace(std::string_view path) {
  std::lock_guard<std::mutex> hold(lock_);
  switch (answers_.onExists) {
    case RecoveryAnswers::OnExists::kReplace:
      return ReplaceAnswer::kReplaceAll;
    case RecoveryAnswers::OnExists::kSkip:
      return ReplaceAnswer::kSkipAll;
    case RecoveryAnswers::OnExists::kRename:
      return ReplaceAnswer::kAutoRenameAll;
    case RecoveryAnswers::OnExists::kAsk:
      break;
  }
  if (rememberedReplace_) return *rememberedReplace_;
  const std::string exists = Format(LoadString(strings::kIdFileExists), std::string(path).c_str());
  if (in_ == nullptr) {
    // Nobody can be asked: a new name keeps both files, and the run goes on.
    Warn(exists +
         " There is no terminal to ask whether to replace it, so existing files are kept and the "
         "recovered ones get free names (NAME[Copy NNN].EXT), as with --on-exists rename.");
    rememberedReplace_ = ReplaceAnswer::kAutoRenameAll;
    return ReplaceAnswer::kAutoRenameAll;
  }
  for (;;) {
    err_ << strings::kConfirmReplaceCaption << ": " << exists << ' '
         << strings::kReplaceExistingFile
         << "\n  [r]eplace, replace [a]ll, [s]kip, s[k]ip all, auto re[n]ame all: " << std::flush;
    bool ok = false;
    std::string line = ReadLine(&ok);
    if (!ok) return ReplaceAnswer::kSkipAll;
    size_t first = line.find_first_not_of(" \t");
    char key = first == std::string::npos ? 0 : static_cast<char>(std::tolower(line[first]));
    switch (key) {
      case 'r':
        return ReplaceAnswer::kReplace;
      case 'a':
        rememberedReplace_ = ReplaceAnswer::kReplaceAll;
        return ReplaceAnswer::kReplaceAll;
      case 's':
        return ReplaceAnswer::kSkip;
      case 'k':
        rememberedReplace_ = ReplaceAnswer::kSkipAll;
        return ReplaceAnswer::kSkipAll;
      case 'n':
        rememberedReplace_ = ReplaceAnswer::kAutoRenameAll;
        return ReplaceAnswer::kAutoRenameAll;
      default:
        break;
    }
  }
}

BrokenNameAnswer CliPrompter::AskBrokenFileName(std::string_view name) {
  std::lock_guard<std::mutex> hold(lock_);
  BrokenNameAnswer answer;
  if (!answers_.replaceChar.empty()) {
    answer.action = BrokenNameAnswer::kRename;
    answer.newName = std::string(name);
    answer.changeAll = true;
    answer.symbol = answers_.replaceChar;
    return answer;
  }
  if (in_ == nullptr) {
    // Said once for the run; every job of the run takes the same character.
    if (!batchSymbolChosen_)
      Warn("The name \"" + std::string(name) +
           "\" has a character that could not be read and there is no terminal to ask for a new "
           "name, so it becomes '" +
           std::string(1, kBatchReplaceChar) +
           "' in this and every later name (choose another with --replace-char C).");
    batchSymbolChosen_ = true;
    answer.action = BrokenNameAnswer::kRename;
    answer.newName = std::string(name);
    answer.changeAll = true;
    answer.symbol = std::string(1, kBatchReplaceChar);
    return answer;
  }
  for (;;) {
    err_ << strings::kBrokenFileNameCaption << ": "
         << WithoutAccelerator(strings::kBrokenFileNameLabel) << ' ' << name << "\n  "
         << WithoutAccelerator(strings::kNewFileNameLabel)
         << " (empty: keep it, - skip, -- skip all) " << std::flush;
    bool ok = false;
    std::string line = ReadLine(&ok);
    if (!ok || line == "--") {
      answer.action = BrokenNameAnswer::kSkipAll;
      return answer;
    }
    if (line == "-") {
      answer.action = BrokenNameAnswer::kSkip;
      return answer;
    }
    answer.action = BrokenNameAnswer::kRename;
    answer.newName = line.empty() ? std::string(name) : line;
    err_ << "  " << WithoutAccelerator(strings::kChangeAllSymbolsLabel)
         << " (empty: only this name) " << std::flush;
    std::string symbol = ReadLine(&ok);
    answer.changeAll = ok && !symbol.empty();
    answer.symbol = answer.changeAll ? symbol : std::string();
    if (uint32_t problem = BrokenNameProblem(answer); problem != 0) {
      err_ << LoadString(problem) << '\n';
      continue;
    }
    return answer;
  }
}

}  // namespace orvande::cli

namespace orvande::cli {

MountPointAnswer CliPrompter::AskMountPoint(std::string_view text) {
  std::lock_guard<std::mutex> hold(lock_);
  MountPointAnswer answer;
  if (in_ == nullptr) {
    Warn(std::string(text) + " There is no terminal to ask, so the analysis goes on.");
    return answer;
  }
  for (;;) {
    err_ << kMountPointCaption << ": " << text << "\n  [c] "
         << WithoutAccelerator(kContinueAnalyzingButton) << ", [s] "
         << WithoutAccelerator(kStopAnalyzingButton) << "; add d for \""
         << WithoutAccelerator(kDontShowAgainCheckBox) << "\" (cd, sd): " << std::flush;
    bool ok = false;
    std::string line = ReadLine(&ok);
    if (!ok) return answer;
    size_t first = line.find_first_not_of(" \t");
    char key = first == std::string::npos ? 0 : static_cast<char>(std::tolower(line[first]));
    if (key != 'c' && key != 's') continue;
    answer.stop = key == 's';
    answer.dontShowAgain = line.find_first_of("dD", first + 1) != std::string::npos;
    return answer;
  }
}

}  // namespace orvande::cli
