#pragma once
// Where an item's data or directory lies on the volume. A copyable value; not thread-safe.
//
// Kinds 0 and 1 carry a 64-bit position whose meaning belongs to the analyzer that made it;
// kind 2 owns a SectorRunList and is understood by every analyzer. The position and the run
// list share one word so that the millions of file records of a large volume stay small.
#include <cstdint>
#include <memory>

#include "core/sector_run_list.h"

namespace orvande {

class ItemLocation {
 public:
  static constexpr uint32_t kKindRuns = 2;
  static constexpr uint64_t kUnsetPosition = ~uint64_t{0};

  // Kind 0, not deleted, position unset.
  ItemLocation() = default;
  // Kind 0 or 1 at a position. Kind 2 given here gets an empty run list.
  ItemLocation(uint32_t kind, uint64_t position, uint8_t deleted = 0);
  // Kind 2 owning a copy of (or taking) the runs.
  explicit ItemLocation(const SectorRunList& runs, uint8_t deleted = 0);
  explicit ItemLocation(SectorRunList&& runs, uint8_t deleted = 0);

  ItemLocation(const ItemLocation& other);
  ItemLocation(ItemLocation&& other) noexcept;
  ItemLocation& operator=(const ItemLocation& other);
  ItemLocation& operator=(ItemLocation&& other) noexcept;
  ~ItemLocation();

  uint32_t Kind() const { return kind_; }
  uint8_t Deleted() const { return deleted_; }
  void SetDeleted(uint8_t deleted) { deleted_ = deleted; }
  // kUnsetPosition for kind 2.
  uint64_t Position() const { return kind_ == kKindRuns ? kUnsetPosition : position_; }
  bool HasPosition() const { return Position() != kUnsetPosition; }
  // The run list of a kind-2 location, null for the other kinds.
  const SectorRunList* Runs() const { return kind_ == kKindRuns ? runs_ : nullptr; }

  // Becomes kind (0 or 1) at a position; a run list held before is freed.
  void SetPosition(uint32_t kind, uint64_t position);
  // Becomes kind 2 holding the runs; a run list held before is freed.
  void SetRuns(SectorRunList runs);

  bool operator==(const ItemLocation& other) const;

 private:
  void FreeRuns();
  void CopyFrom(const ItemLocation& other);

  union {
    uint64_t position_ = kUnsetPosition;
    SectorRunList* runs_;  // owned, only while kind_ == kKindRuns
  };
  uint32_t kind_ = 0;
  uint8_t deleted_ = 0;
};

}  // namespace orvande
