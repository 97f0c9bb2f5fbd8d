#include "core/bad_sector_record.h"

#include <new>

#include "support/operation_log.h"
#include "support/string_table.h"

namespace orvande {

bool BadSectorRecord::Note(uint64_t sector) {
  try {
    for (BadSectorTally* tally = tally_; tally != nullptr; tally = tally->outer_)
      tally->sectors_.insert(sector);
    if (!sectors_.insert(sector).second) return false;
  } catch (const std::bad_alloc&) {
    return false;  // the sector was read as zeros all the same; only its mention is lost
  }
  if (log_ != nullptr) log_->AddId(OperationLog::kWarning, strings::kIdBadSectorAt, sector);
  return true;
}

void BadSectorRecord::OnFilled(uint64_t byteOffset, uint64_t byteCount) {
  if (byteCount == 0) return;
  const uint64_t first = byteOffset >> shift_;
  const uint64_t last = (byteOffset + byteCount - 1) >> shift_;
  for (uint64_t sector = first; sector <= last; ++sector) Note(sector);
}

void BadSectorRecord::LogSummary(uint64_t count) const {
  if (log_ == nullptr || count == 0) return;
  log_->AddFormat(OperationLog::kWarning, strings::kBadSectorsSummaryFormat,
                  static_cast<unsigned long long>(count));
}

BadSectorTally::BadSectorTally(BadSectorRecord& record) : record_(record), outer_(record.tally_) {
  record_.tally_ = this;
}

BadSectorTally::~BadSectorTally() {
  record_.tally_ = outer_;
}

BadSectorScope::BadSectorScope(BadSectorRecord& record, OperationLog* log)
    : record_(record), outerLog_(record.Log()), tally_(record) {
  if (log != nullptr) record_.SetLog(log);
}

BadSectorScope::~BadSectorScope() {
  record_.LogSummary(tally_.Count());
  record_.SetLog(outerLog_);
}

}  // namespace orvande
