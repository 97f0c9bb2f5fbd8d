#include "core/sector_run_list.h"

#include <algorithm>

namespace orvande {

namespace {
// a is b - 1, b or b + 1, without wrapping at the ends of the range.
bool Adjacent(uint32_t a, uint32_t b) {
  uint64_t wa = a;
  uint64_t wb = b;
  return wa + 1 == wb || wa == wb || wa == wb + 1;
}
}  // namespace

void SectorRunList::AddRun(uint32_t a, uint32_t b) {
  const uint32_t first = std::min(a, b);
  const uint32_t last = std::max(a, b);
  if (runs_.empty()) {
    runs_.push_back({first, last});
    return;
  }
  SectorRun& r = runs_.back();
  if (first >= r.first && last <= r.last) return;
  if (Adjacent(last, r.first)) {
    r.first = first;
  } else if (Adjacent(first, r.last)) {
    r.last = last;
  } else {
    runs_.push_back({first, last});
  }
}

bool SectorRunList::Contains(uint32_t sector) const {
  return std::any_of(runs_.begin(), runs_.end(),
                     [sector](const SectorRun& r) { return r.first <= sector && sector <= r.last; });
}

}  // namespace orvande
