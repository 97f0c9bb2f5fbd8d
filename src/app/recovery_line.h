#pragma once
// The line a recovery run prints for each file: "OUTCOME BYTES PATH", the outcome left-aligned
// and the byte count right-aligned in fixed columns, so that the lines of a run line up.
#include <string>
#include <string_view>

#include "core/recovery_outcome.h"

namespace orvande {

// Widths of the first two columns; a wider value pushes the rest of its line along.
inline constexpr size_t kRecoveryLabelWidth = 13;  // "bad-sectors 9"
inline constexpr size_t kRecoveryBytesWidth = 12;  // up to 999 GB

// printablePath is the path as it may be shown (control characters escaped).
std::string RecoveryLine(const RecoveryOutcome& outcome, std::string_view printablePath);
// The line of a file or folder that could not even be started: no byte count.
std::string RecoveryFailedLine(std::string_view printablePath);

}  // namespace orvande
