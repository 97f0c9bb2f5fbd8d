#pragma once
// The --start and --end values of find-partitions: a decimal number in the search window's unit
// (gigabytes on a disk above 1 GiB, else megabytes), or one with its own unit: K, M, G or T
// (binary units; a trailing B is allowed). Pure functions.
#include <cstdint>
#include <optional>
#include <string>

namespace orvande::cli {

// The amount in bytes; nothing for a text that is no such value.
std::optional<double> ParseRangeAmount(const std::string& text, uint64_t unitBytes);

}  // namespace orvande::cli
