#include "app/recovery_tally.h"

#include <cstdio>

namespace orvande {
namespace {

using Kind = RecoveryOutcome::Kind;

size_t IndexOf(Kind kind) {
  return static_cast<size_t>(kind);
}

}  // namespace

void RecoveryTally::Add(const RecoveryOutcome& outcome) {
  std::lock_guard<std::mutex> hold(mutex_);
  ++counts_[IndexOf(outcome.kind)];
  bytes_ += outcome.bytes;
  writeSeconds_ += outcome.writeSeconds;
}

void RecoveryTally::AddFailure() {
  std::lock_guard<std::mutex> hold(mutex_);
  ++otherFailures_;
}

uint64_t RecoveryTally::Count(Kind kind) const {
  std::lock_guard<std::mutex> hold(mutex_);
  return counts_[IndexOf(kind)];
}

uint64_t RecoveryTally::FilesWritten() const {
  std::lock_guard<std::mutex> hold(mutex_);
  uint64_t files = 0;
  for (size_t i = 0; i < kKinds; ++i) {
    if (i != IndexOf(Kind::kSkipped)) files += counts_[i];
  }
  return files;
}

uint64_t RecoveryTally::Failures() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return counts_[IndexOf(Kind::kFailed)] + otherFailures_;
}

uint64_t RecoveryTally::Bytes() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return bytes_;
}

double RecoveryTally::WriteSeconds() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return writeSeconds_;
}

bool RecoveryTally::AllWhole() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return otherFailures_ == 0 && counts_[IndexOf(Kind::kFailed)] == 0 &&
         counts_[IndexOf(Kind::kShort)] == 0 && counts_[IndexOf(Kind::kStopped)] == 0 &&
         counts_[IndexOf(Kind::kBadSectors)] == 0;
}

std::string RecoveryTally::SummaryLine() const {
  const uint64_t files = FilesWritten();
  const uint64_t failures = Failures();
  const double seconds = WriteSeconds();
  const uint64_t bytes = Bytes();
  const double megabytesPerSecond = seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0;
  char line[320];
  std::snprintf(line, sizeof line,
                "%llu files written, %llu bytes, %llu failures, %llu skipped, %llu overwritten, "
                "%llu short, %llu stopped, %llu with bad sectors, %.3f s writing, %.1f MB/s",
                static_cast<unsigned long long>(files), static_cast<unsigned long long>(bytes),
                static_cast<unsigned long long>(failures),
                static_cast<unsigned long long>(Count(Kind::kSkipped)),
                static_cast<unsigned long long>(Count(Kind::kOverwritten)),
                static_cast<unsigned long long>(Count(Kind::kShort)),
                static_cast<unsigned long long>(Count(Kind::kStopped)),
                static_cast<unsigned long long>(Count(Kind::kBadSectors)), seconds,
                megabytesPerSecond);
  return line;
}

}  // namespace orvande
