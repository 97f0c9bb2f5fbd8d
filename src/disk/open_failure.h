#pragma once
// The message boxes shown when a device cannot be opened and its caller is not quiet. They go
// through the active Prompter. Safe from any thread (the prompter serialises the boxes).
#include <cstdint>
#include <string>

namespace orvande {

inline constexpr const char* kTextImageAccessFailed =
    "Orvande can not obtain required access to the image file.";
inline constexpr const char* kTextDiskAccessFailed =
    "Orvande can not obtain required access to the disk. Please make sure that you have "
    "administrative rights on your computer or contact your system administrator.";
inline constexpr const char* kTextDriverOpenFailed =
    "Can't open Orvande I/O virtual driver(ZEVA.DOR).";
inline constexpr const char* kCaptionError = "Error";

void ShowImageOpenFailure();
// A logical drive or raw disk that could not be opened: the platform's text for `code`, or the
// administrative-rights text when the code is "access denied" or no failure at all.
void ShowDiskOpenFailure(uint32_t code);
void ShowDriverOpenFailure();
// An error of the old platform family's I/O driver: its own codes in hex, others as system text.
void ShowDriverError(uint32_t code);

// The text ShowDiskOpenFailure and ShowDriverError show for `code`.
std::string DiskOpenFailureText(uint32_t code);
std::string DriverErrorText(uint32_t code);

}  // namespace orvande
