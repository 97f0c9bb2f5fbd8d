#pragma once
// The counts of one recovery run, from the outcome of every file its jobs reported: what the
// summary line says and whether the run wrote everything whole. Safe to use from several threads
// (a job's thread adds while a front end reads).
#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/recovery_outcome.h"

namespace orvande {

class RecoveryTally {
 public:
  void Add(const RecoveryOutcome& outcome);
  // A file or folder that could not even be started (a name too long, a folder not made).
  void AddFailure();

  uint64_t Count(RecoveryOutcome::Kind kind) const;
  // Files that exist in the destination, whole or not.
  uint64_t FilesWritten() const;
  uint64_t Failures() const;
  uint64_t Bytes() const;
  double WriteSeconds() const;
  // False when any file is short, stopped, failed or has bad sectors, or anything failed.
  bool AllWhole() const;

  // "N files written, B bytes, F failures, S skipped, O overwritten, H short, T stopped,
  // X with bad sectors, 1.234 s writing, 5.6 MB/s": the rate is of the writing time only.
  std::string SummaryLine() const;

 private:
  static constexpr size_t kKinds = static_cast<size_t>(RecoveryOutcome::Kind::kSkipped) + 1;
  mutable std::mutex mutex_;
  std::array<uint64_t, kKinds> counts_{};
  uint64_t otherFailures_ = 0;
  uint64_t bytes_ = 0;
  double writeSeconds_ = 0;
};

}  // namespace orvande
