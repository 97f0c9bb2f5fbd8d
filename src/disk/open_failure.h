#pragma once
// The message boxes shown when a device cannot be opened and its caller is not quiet. They go
// through the active Prompter. Safe from any thread (the prompter serialises the boxes).
#include <cstdint>
#include <string>

namespace orvande {

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
