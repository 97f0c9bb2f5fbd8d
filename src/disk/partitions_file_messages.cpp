#include "disk/partitions_file_messages.h"

#include <cstdio>

#include "platform/error_numbers.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// Codes of this range are platform error numbers in their failure form; ours start above it.
constexpr ResultCode kFirstPlatformFailure = 0x80000000;
constexpr ResultCode kFirstOwnCode = 0x85670000;

void ShowError(Prompter& prompter, const std::string& text) {
  prompter.ShowMessage(text, strings::kErrorCaption, MessageIcon::kError, MessageButtons::kOk);
}

}  // namespace

std::string PartitionsAddedText(int added, const std::string& diskName) {
  const int size = std::snprintf(nullptr, 0, ovp_texts::kAddedFormat, added, diskName.c_str());
  std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, ovp_texts::kAddedFormat, added, diskName.c_str());
  return text;
}

void ReportPartitionsSave(Prompter& prompter, ResultCode result) {
  if (IsSuccess(result)) return;
  if (result >= kFirstPlatformFailure && result < kFirstOwnCode) {
    ShowError(prompter, platform::SystemErrorText(result));
  } else {
    ShowError(prompter, ovp_texts::kCantSave);
  }
}

bool ReportPartitionsLoad(Prompter& prompter, ResultCode result, int added,
                          const std::string& diskName) {
  if (result == ErrInvalidPartitionsData) {
    ShowError(prompter, ovp_texts::kInvalidData);
  } else if (!IsSuccess(result) && result < kFirstOwnCode) {
    ShowError(prompter, platform::SystemErrorText(result));
  }
  if (added <= 0) return false;
  prompter.ShowMessage(PartitionsAddedText(added, diskName), strings::kProgramTitle,
                       MessageIcon::kInformation, MessageButtons::kOk);
  return true;
}

}  // namespace orvande
