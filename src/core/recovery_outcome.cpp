#include "core/recovery_outcome.h"

namespace orvande {

std::string RecoveryOutcome::Label() const {
  switch (kind) {
    case Kind::kOk:
      return "ok";
    case Kind::kOverwritten:
      return "overwritten";
    case Kind::kBadSectors:
      return "bad-sectors " + std::to_string(badSectors);
    case Kind::kShort:
      return "short";
    case Kind::kStopped:
      return "stopped";
    case Kind::kFailed:
      return "failed";
    case Kind::kSkipped:
      return "skipped";
  }
  return "failed";
}

bool RecoveryOutcome::Whole() const {
  return kind == Kind::kOk || kind == Kind::kOverwritten;
}

}  // namespace orvande
