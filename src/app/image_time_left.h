#pragma once
// The "Time left:" text of the "Writing Image..." window. A plain function of its inputs.
#include <cstdint>
#include <string>

namespace orvande {

// elapsed x range / position, truncated, minus elapsed; "??:??" while the position is 0 or when
// the estimate falls below the time elapsed.
std::string ImageTimeLeftText(uint64_t elapsedSeconds, uint32_t range, uint32_t position);

}  // namespace orvande
