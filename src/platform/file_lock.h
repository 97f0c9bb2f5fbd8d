#pragma once
// An advisory lock on a lock file (flock), so that two running programs sharing one settings file
// take turns. It guards nothing by itself: every party must take it. One thread at a time may use
// an instance.
#include <cstdint>
#include <string>

namespace orvande::platform {

class AdvisoryFileLock {
 public:
  AdvisoryFileLock() = default;
  ~AdvisoryFileLock();
  AdvisoryFileLock(const AdvisoryFileLock&) = delete;
  AdvisoryFileLock& operator=(const AdvisoryFileLock&) = delete;

  // Creates the lock file when missing and waits for the exclusive lock. Returns 0 or a
  // Windows-numbered error code (the lock is then not held).
  uint32_t Acquire(const std::string& lockFilePath);
  // Releases the lock when held; the lock file stays for the next taker.
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace orvande::platform
