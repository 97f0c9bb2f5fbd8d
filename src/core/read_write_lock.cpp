#include "core/read_write_lock.h"

namespace orvande {

ReadWriteLock::ReadWriteLock(bool readersFirst) : readersFirst_(readersFirst) {}

void ReadWriteLock::LockRead() {
  {
    std::lock_guard lock(mutex_);
    const bool wait = active_ < 0 || (!readersFirst_ && waitingWriters_ > 0);
    if (!wait) {
      ++active_;
      return;
    }
    ++waitingReaders_;
  }
  // The releasing Unlock has already counted this reader as active.
  readers_.acquire();
}

void ReadWriteLock::LockWrite() {
  {
    std::lock_guard lock(mutex_);
    if (active_ == 0) {
      active_ = -1;
      return;
    }
    ++waitingWriters_;
  }
  // The releasing Unlock has already made this writer the active one.
  writers_.acquire();
}

void ReadWriteLock::Unlock() {
  int32_t releaseWriters = 0;
  int32_t releaseReaders = 0;
  {
    std::lock_guard lock(mutex_);
    // An Unlock without a hold would count a phantom reader in and wedge every writer.
    if (active_ == 0) return;
    if (active_ < 1) {
      ++active_;  // a writer leaves
    } else {
      --active_;  // a reader leaves
    }
    if (active_ == 0) {
      if (waitingWriters_ > 0) {
        active_ = -1;
        --waitingWriters_;
        releaseWriters = 1;
      } else if (waitingReaders_ > 0) {
        active_ = waitingReaders_;
        releaseReaders = waitingReaders_;
        waitingReaders_ = 0;
      }
    }
  }
  // Released outside the section so that a woken thread does not block on it at once.
  if (releaseWriters > 0) writers_.release(releaseWriters);
  if (releaseReaders > 0) readers_.release(releaseReaders);
}

ReadWriteLock::State ReadWriteLock::Snapshot() const {
  std::lock_guard lock(mutex_);
  return State{active_, waitingReaders_, waitingWriters_};
}

}  // namespace orvande
