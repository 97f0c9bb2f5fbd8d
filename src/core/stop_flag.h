#pragma once
// The one-byte flags through which the user interface asks a worker to stop and a worker tells
// that it runs. Written by one thread, polled by another, so they are atomic.
#include <atomic>
#include <cstdint>

namespace orvande {

using StopFlag = std::atomic<uint8_t>;

// True when a flag is given and set. Relaxed: a stop only has to be seen eventually.
inline bool StopRequested(const StopFlag* flag) {
  return flag != nullptr && flag->load(std::memory_order_relaxed) != 0;
}

}  // namespace orvande
