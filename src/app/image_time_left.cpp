#include "app/image_time_left.h"

#include "support/formatters.h"

namespace orvande {

std::string ImageTimeLeftText(uint64_t elapsedSeconds, uint32_t range, uint32_t position) {
  if (position == 0) return FormatTimeSpanOrUnknown(false, 0);
  // 128-bit: elapsed seconds times a 32-bit range must not wrap.
  const unsigned __int128 estimate =
      static_cast<unsigned __int128>(elapsedSeconds) * range / position;
  if (estimate < elapsedSeconds) return FormatTimeSpanOrUnknown(false, 0);
  return FormatTimeSpanOrUnknown(true, static_cast<uint64_t>(estimate - elapsedSeconds));
}

}  // namespace orvande
