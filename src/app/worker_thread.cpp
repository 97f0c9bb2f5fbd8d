#include "app/worker_thread.h"

#include "app/frame_ports.h"

namespace orvande {

WorkerThread::~WorkerThread() {
  if (thread_.joinable()) thread_.join();
}

bool WorkerThread::WaitUntilDone(UiWait& wait) {
  while (!Done()) {
    if (!wait.WaitStep(kWaitStep)) return false;
  }
  if (thread_.joinable()) thread_.join();
  return true;
}

}  // namespace orvande
