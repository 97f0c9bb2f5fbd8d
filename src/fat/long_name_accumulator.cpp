#include "fat/long_name_accumulator.h"

#include <algorithm>

#include "fat/fat_directory_entry.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr char16_t kPadding = 0xFFFF;

struct Part {
  size_t offset;
  size_t units;
};

// The parts of a piece in name order.
constexpr Part kParts[] = {{fat_dir::kLongPart1Offset, fat_dir::kLongPart1Units},
                           {fat_dir::kLongPart2Offset, fat_dir::kLongPart2Units},
                           {fat_dir::kLongPart3Offset, fat_dir::kLongPart3Units}};

}  // namespace

bool LongNameAccumulator::IsFullPiece(std::span<const uint8_t> entry) {
  const LeReader reader(entry);
  for (const Part& part : kParts) {
    for (size_t i = 0; i < part.units; ++i) {
      const uint16_t unit = reader.U16(part.offset + 2 * i);
      if (unit == 0 || unit == kPadding) return false;
    }
  }
  return true;
}

void LongNameAccumulator::Prepend(std::span<const uint8_t> entry) {
  if (count_ > kMaxUnitsBeforePiece) {
    // Keep the first units of the name and drop its tail, so that the name stays one piece of
    // text without stale units from an earlier name inside it.
    const size_t start = kUnits - 1 - count_;
    std::copy_backward(units_.begin() + start, units_.begin() + start + kMaxUnitsBeforePiece,
                       units_.begin() + (kUnits - 1));
    count_ = kMaxUnitsBeforePiece;
  }
  // Back to front, so that the name reads in order.
  for (size_t i = std::size(kParts); i-- > 0;) PrependPart(entry, kParts[i].offset, kParts[i].units);
}

void LongNameAccumulator::PrependPart(std::span<const uint8_t> entry, size_t offset, size_t units) {
  const LeReader reader(entry);
  size_t used = units;
  while (used > 0) {
    const uint16_t unit = reader.U16(offset + 2 * (used - 1));
    if (unit != 0 && unit != kPadding) break;
    --used;
  }
  for (size_t i = used; i-- > 0;) {
    // kMaxUnitsBeforePiece + kUnitsPerPiece units always fit before the terminating unit.
    if (count_ >= kUnits - 1) return;
    ++count_;
    units_[kUnits - 1 - count_] = static_cast<char16_t>(reader.U16(offset + 2 * i));
  }
  units_[kUnits - 1] = 0;
}

}  // namespace orvande
