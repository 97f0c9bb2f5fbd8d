#include "core/item_location.h"

#include <utility>

namespace orvande {

ItemLocation::ItemLocation(uint32_t kind, uint64_t position, uint8_t deleted)
    : kind_(kind), deleted_(deleted) {
  if (kind == kKindRuns) {
    runs_ = std::make_unique<SectorRunList>().release();
  } else {
    position_ = position;
  }
}

ItemLocation::ItemLocation(const SectorRunList& runs, uint8_t deleted)
    : kind_(kKindRuns), deleted_(deleted) {
  runs_ = std::make_unique<SectorRunList>(runs).release();
}

ItemLocation::ItemLocation(SectorRunList&& runs, uint8_t deleted)
    : kind_(kKindRuns), deleted_(deleted) {
  runs_ = std::make_unique<SectorRunList>(std::move(runs)).release();
}

ItemLocation::ItemLocation(const ItemLocation& other) {
  CopyFrom(other);
}

ItemLocation::ItemLocation(ItemLocation&& other) noexcept
    : kind_(other.kind_), deleted_(other.deleted_) {
  position_ = other.position_;  // moves the run list pointer too: same word
  other.kind_ = 0;
  other.position_ = kUnsetPosition;
}

ItemLocation& ItemLocation::operator=(const ItemLocation& other) {
  if (this != &other) {
    // Copy first so that a failed allocation leaves this location as it was.
    ItemLocation copy(other);
    *this = std::move(copy);
  }
  return *this;
}

ItemLocation& ItemLocation::operator=(ItemLocation&& other) noexcept {
  if (this != &other) {
    FreeRuns();
    kind_ = other.kind_;
    deleted_ = other.deleted_;
    position_ = other.position_;
    other.kind_ = 0;
    other.position_ = kUnsetPosition;
  }
  return *this;
}

ItemLocation::~ItemLocation() {
  FreeRuns();
}

void ItemLocation::SetPosition(uint32_t kind, uint64_t position) {
  ItemLocation replacement(kind, position, deleted_);
  *this = std::move(replacement);
}

void ItemLocation::SetRuns(SectorRunList runs) {
  ItemLocation replacement(std::move(runs), deleted_);
  *this = std::move(replacement);
}

bool ItemLocation::operator==(const ItemLocation& other) const {
  if (kind_ != other.kind_ || deleted_ != other.deleted_) return false;
  if (kind_ == kKindRuns) return *runs_ == *other.runs_;
  return position_ == other.position_;
}

void ItemLocation::FreeRuns() {
  if (kind_ == kKindRuns) {
    std::unique_ptr<SectorRunList> owned(runs_);
    position_ = kUnsetPosition;
    kind_ = 0;
  }
}

void ItemLocation::CopyFrom(const ItemLocation& other) {
  if (other.kind_ == kKindRuns) {
    runs_ = std::make_unique<SectorRunList>(*other.runs_).release();
  } else {
    position_ = other.position_;
  }
  kind_ = other.kind_;
  deleted_ = other.deleted_;
}

}  // namespace orvande
