#pragma once
// What became of one file of a recovery job, as its line and the summary tell it. Plain values;
// used by the job's thread and handed to listeners.
#include <cstdint>
#include <string>

namespace orvande {

struct RecoveryOutcome {
  enum class Kind {
    kOk,           // written whole, as the volume describes it
    kOverwritten,  // written as described, but live data holds its clusters now
    kBadSectors,   // written whole, with zeros where sectors could not be read
    kShort,        // fewer bytes than its size: the volume, the image or the chain ended early
    kStopped,      // cut short by a stop request
    kFailed,       // a read or write failed; what was written stays
    kSkipped,      // not written: an answer or a policy left it out
  };

  Kind kind = Kind::kOk;
  uint64_t bytes = 0;          // bytes on disk for the file, its alternate streams included
  uint64_t expectedBytes = 0;  // the file's size
  uint32_t badSectors = 0;     // sectors written as zeros
  std::string takenBy;         // the live file holding its data, when known
  double writeSeconds = 0;     // time spent writing it

  // "ok", "overwritten", "bad-sectors 3", "short", "stopped", "failed", "skipped".
  std::string Label() const;
  // True when the file on disk is all there was to write (possibly another file's data).
  bool Whole() const;
  // True when the file exists in the destination.
  bool Written() const { return kind != Kind::kSkipped; }
};

}  // namespace orvande
