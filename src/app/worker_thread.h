#pragma once
// One worker thread whose end the user-interface thread waits for without blocking: the thread
// sets a flag as its very last act, and the waiter polls it in UiWait steps before joining (a
// worker may still be sending the front end a synchronous message after it cleared its running
// state, so a bare join could wait for the waiter itself). Launched and waited for from one
// thread; Done may be asked from any.
#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/thread_crash_stack.h"

namespace orvande {

class UiWait;

class WorkerThread {
 public:
  static constexpr std::chrono::milliseconds kWaitStep{100};

  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Joins a thread still running.
  ~WorkerThread();

  // Runs fn on a new thread; false when none could be started (fn is then dropped unrun), also
  // while the previous thread has not returned yet.
  template <typename Fn>
  bool Launch(Fn fn) {
    if (thread_.joinable()) {
      if (!Done()) return false;
      thread_.join();
    }
    done_.store(false);
    try {
      thread_ = std::thread([this, work = std::move(fn)]() mutable {
        const platform::ThreadCrashStack crashStack;
        work();
        done_.store(true, std::memory_order_release);
      });
    } catch (const std::system_error&) {
      done_.store(true);
      return false;
    }
    return true;
  }

  // True when no thread was launched or the last one has returned from its function.
  bool Done() const { return done_.load(std::memory_order_acquire); }
  // Waits in kWaitStep steps until the thread has returned, then joins it. False when the wait
  // ended early (the program is quitting); the thread is then left running.
  bool WaitUntilDone(UiWait& wait);

 private:
  std::thread thread_;
  std::atomic<bool> done_{true};
};

}  // namespace orvande
