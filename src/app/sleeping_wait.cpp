#include "app/sleeping_wait.h"

#include <algorithm>
#include <thread>

namespace orvande {

bool SleepingWait::WaitStep(std::chrono::milliseconds step) {
  std::this_thread::sleep_for(std::min(step, slice_));
  return true;
}

}  // namespace orvande
