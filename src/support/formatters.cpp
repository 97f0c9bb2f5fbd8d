#include "support/formatters.h"

#include <cmath>

#include "support/format.h"
#include "support/string_table.h"
#include "support/system_hooks.h"

namespace orvande {
namespace {

constexpr double kKilo = 1024.0;
constexpr double kMega = 1048576.0;
constexpr double kGiga = 1073741824.0;
constexpr uint64_t kSecondsPerHour = 3600;

}  // namespace

std::string FormatSize(double bytes) {
  if (std::isnan(bytes) || bytes < 0) return "?";
  if (bytes < 100) return Format("%d Bytes", static_cast<int>(bytes));
  if (bytes < 100 * kKilo) return Format("%.2fKB", bytes / kKilo);
  if (bytes < 100 * kMega) return Format("%.2fMB", bytes / kMega);
  return Format("%.2fGB", bytes / kGiga);
}

std::string FormatTimeSpan(uint64_t seconds) {
  uint64_t hours = seconds / kSecondsPerHour;
  unsigned minutes = static_cast<unsigned>(seconds % kSecondsPerHour / 60);
  unsigned secs = static_cast<unsigned>(seconds % 60);
  if (hours > 0) {
    return Format("%02llu:%02u:%02u", static_cast<unsigned long long>(hours), minutes, secs);
  }
  return Format("%02u:%02u", minutes, secs);
}

std::string FormatTimeSpanOrUnknown(bool known, uint64_t seconds) {
  return known ? FormatTimeSpan(seconds) : std::string(strings::kUnknownTimeSpan);
}

std::string FormatOsVersion() {
  return PlatformOsVersionText();
}

std::string SystemErrorMessage(uint32_t code) {
  std::string text = PlatformErrorText(code);
  if (text.empty()) text = Format("code=0x%x", code);
  return text;
}

void ShowSystemError(Prompter& prompter, uint32_t code) {
  prompter.ShowMessage(SystemErrorMessage(code), strings::kErrorCaption, MessageIcon::kError,
                       MessageButtons::kOk);
}

MessageAnswer ShowStringMessage(Prompter& prompter, uint32_t id, MessageIcon icon,
                                MessageButtons buttons) {
  return prompter.ShowMessage(LoadString(id), strings::kProgramTitle, icon, buttons);
}

}  // namespace orvande
