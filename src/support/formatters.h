#pragma once
// Texts shared by many places: sizes, time spans, the OS version, and the platform error box.
// Safe to use from any thread.
#include <cstdint>
#include <string>

#include "support/prompter.h"

namespace orvande {

// "?" below 0, "%d Bytes" below 100, then KB, MB and GB with two decimals; each unit starts at
// 100 of the next smaller one.
std::string FormatSize(double bytes);

// "%H:%M:%S" from one hour up, else "%M:%S". Hours are not wrapped at a day.
std::string FormatTimeSpan(uint64_t seconds);
// The elapsed/remaining texts of progress windows: "??:??" while unknown.
std::string FormatTimeSpanOrUnknown(bool known, uint64_t seconds);

// The running OS, e.g. "Linux 6.1.0-18-amd64 (x86_64)"; empty when unknown.
std::string FormatOsVersion();

// The system's text for a platform error code in an error box captioned "Error". A code without
// text shows "code=0x..." rather than an empty box.
void ShowSystemError(Prompter& prompter, uint32_t code);
// The text used by ShowSystemError.
std::string SystemErrorMessage(uint32_t code);

// A message box with a string-table text and the program's title as caption.
MessageAnswer ShowStringMessage(Prompter& prompter, uint32_t id, MessageIcon icon,
                                MessageButtons buttons);

}  // namespace orvande
