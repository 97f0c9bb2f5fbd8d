#pragma once
// The store lock: many readers or one writer. Thread-safe (that is its purpose).
//
// With readersFirst a reader enters whenever no writer is active, even while writers wait;
// otherwise a waiting writer also holds new readers back. When the last holder leaves, one
// waiting writer is let in, or else every waiting reader at once.
#include <cstdint>
#include <mutex>
#include <semaphore>

namespace orvande {

class ReadWriteLock {
 public:
  // The counters at one moment, for tests and diagnostics.
  struct State {
    int32_t active = 0;  // active readers, or -1 while a writer holds the lock
    int32_t waitingReaders = 0;
    int32_t waitingWriters = 0;
  };

  explicit ReadWriteLock(bool readersFirst);
  ReadWriteLock(const ReadWriteLock&) = delete;
  ReadWriteLock& operator=(const ReadWriteLock&) = delete;

  void LockRead();
  void LockWrite();
  // Ends either kind of hold.
  void Unlock();

  bool ReadersFirst() const { return readersFirst_; }
  State Snapshot() const;

 private:
  mutable std::mutex mutex_;
  std::counting_semaphore<0x7FFFFFFF> readers_{0};
  std::counting_semaphore<0x7FFFFFFF> writers_{0};
  int32_t waitingReaders_ = 0;
  int32_t waitingWriters_ = 0;
  int32_t active_ = 0;  // active readers, or -1 while a writer holds the lock
  const bool readersFirst_;
};

class ReadLockGuard {
 public:
  explicit ReadLockGuard(ReadWriteLock& lock) : lock_(lock) { lock_.LockRead(); }
  ~ReadLockGuard() { lock_.Unlock(); }
  ReadLockGuard(const ReadLockGuard&) = delete;
  ReadLockGuard& operator=(const ReadLockGuard&) = delete;

 private:
  ReadWriteLock& lock_;
};

class WriteLockGuard {
 public:
  explicit WriteLockGuard(ReadWriteLock& lock) : lock_(lock) { lock_.LockWrite(); }
  ~WriteLockGuard() { lock_.Unlock(); }
  WriteLockGuard(const WriteLockGuard&) = delete;
  WriteLockGuard& operator=(const WriteLockGuard&) = delete;

 private:
  ReadWriteLock& lock_;
};

}  // namespace orvande
