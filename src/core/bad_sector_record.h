#pragma once
// The volume sectors an analyzer could not read: those a device delivered as zeros (it tells the
// record as their listener) and those a scan skipped. Each is written to the log once as
// "Bad sector at: ...", counted for the operation's closing warning, and tallied for a caller
// that wants to know about one piece of work (a recovered file). Used by the analyzer's thread.
#include <cstdint>
#include <set>

#include "disk/filled_sector_listener.h"

namespace orvande {

class BadSectorTally;
class OperationLog;

class BadSectorRecord final : public FilledSectorListener {
 public:
  // Where the lines go; null writes none (the sectors are still counted).
  void SetLog(OperationLog* log) { log_ = log; }
  OperationLog* Log() const { return log_; }
  // Converts the devices' byte offsets into volume sectors.
  void SetSectorShift(uint32_t shift) { shift_ = shift; }

  // Records the volume sector; true when it was not known yet (and so was logged now).
  bool Note(uint64_t sector);
  // Every volume sector the range touches is noted.
  void OnFilled(uint64_t byteOffset, uint64_t byteCount) override;

  uint64_t Count() const { return sectors_.size(); }
  bool Contains(uint64_t sector) const { return sectors_.count(sector) != 0; }
  // The warning that ends an operation which met `count` bad sectors; nothing for 0.
  void LogSummary(uint64_t count) const;

 private:
  friend class BadSectorTally;

  OperationLog* log_ = nullptr;
  uint32_t shift_ = 9;
  std::set<uint64_t> sectors_;
  BadSectorTally* tally_ = nullptr;  // the innermost live tally
};

// Counts the distinct bad sectors met while it lives, also those the record knew before:
//   BadSectorTally tally(analyzer.BadSectors());
//   analyzer.RecoverFile(...);
//   tally.Count();  // the file's bad sectors, read as zeros
// Tallies nest; each counts what is met during its own life.
class BadSectorTally {
 public:
  explicit BadSectorTally(BadSectorRecord& record);
  BadSectorTally(const BadSectorTally&) = delete;
  BadSectorTally& operator=(const BadSectorTally&) = delete;
  ~BadSectorTally();

  uint64_t Count() const { return sectors_.size(); }

 private:
  friend class BadSectorRecord;

  BadSectorRecord& record_;
  BadSectorTally* outer_;
  std::set<uint64_t> sectors_;
};

// One operation over the record (an analysis): while it lives the bad sectors go to `log` (when
// given), and at its end the warning says how many the operation met.
class BadSectorScope {
 public:
  BadSectorScope(BadSectorRecord& record, OperationLog* log);
  BadSectorScope(const BadSectorScope&) = delete;
  BadSectorScope& operator=(const BadSectorScope&) = delete;
  ~BadSectorScope();

 private:
  BadSectorRecord& record_;
  OperationLog* outerLog_;
  BadSectorTally tally_;
};

}  // namespace orvande
