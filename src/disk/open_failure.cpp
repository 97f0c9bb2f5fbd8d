#include "disk/open_failure.h"

#include <cstdio>

#include "disk/io_driver.h"
#include "platform/error_numbers.h"
#include "support/prompter.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

void ShowError(Prompter& prompter, const std::string& text) {
  prompter.ShowMessage(text, strings::kErrorCaption, MessageIcon::kError, MessageButtons::kOk);
}

// A code the system has no text for still has to tell the user something.
std::string SystemTextOrNumber(uint32_t code) {
  std::string text = platform::SystemErrorText(code);
  if (!text.empty()) return text;
  char number[32];
  std::snprintf(number, sizeof number, "Error 0x%08X", static_cast<unsigned>(code));
  return number;
}

}  // namespace

std::string DiskOpenFailureText(uint32_t code) {
  if (code == kErrAccessDenied || IsSuccess(code)) return strings::kNoDiskAccess;
  return SystemTextOrNumber(code);
}

std::string DriverErrorText(uint32_t code) {
  if (code >= kFirstDriverErrorCode) {
    char text[96];
    std::snprintf(text, sizeof text, strings::kDriverErrorFormat, static_cast<unsigned>(code));
    return text;
  }
  return SystemTextOrNumber(code);
}

void ShowImageOpenFailure(Prompter& prompter) {
  ShowError(prompter, strings::kNoImageAccess);
}
void ShowDiskOpenFailure(Prompter& prompter, uint32_t code) {
  ShowError(prompter, DiskOpenFailureText(code));
}
void ShowDriverOpenFailure(Prompter& prompter) {
  ShowError(prompter, strings::kCantOpenDriver);
}
void ShowDriverError(Prompter& prompter, uint32_t code) {
  ShowError(prompter, DriverErrorText(code));
}

}  // namespace orvande
