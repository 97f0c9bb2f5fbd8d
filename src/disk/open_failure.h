#pragma once
// The message boxes shown when a device cannot be opened and its caller is not quiet. They go
// through the prompter of the job that opens it. Safe from any thread (the prompter serialises
// the boxes).
#include <cstdint>
#include <string>

namespace orvande {

class Prompter;

void ShowImageOpenFailure(Prompter& prompter);
// A logical drive or raw disk that could not be opened: the platform's text for `code`, or the
// administrative-rights text when the code is "access denied" or no failure at all.
void ShowDiskOpenFailure(Prompter& prompter, uint32_t code);
void ShowDriverOpenFailure(Prompter& prompter);
// An error of the old platform family's I/O driver: its own codes in hex, others as system text.
void ShowDriverError(Prompter& prompter, uint32_t code);

// The text ShowDiskOpenFailure and ShowDriverError show for `code`.
std::string DiskOpenFailureText(uint32_t code);
std::string DriverErrorText(uint32_t code);

}  // namespace orvande
