#include "fat/visited_sectors.h"

#include <new>

namespace orvande {
namespace {

constexpr uint64_t kByteMask = 0xFFF;

}  // namespace

bool VisitedSectors::Add(uint64_t sector) {
  const uint64_t key = sector >> kBlockShift;
  auto it = bitmaps_.find(key);
  if (it == bitmaps_.end()) {
    try {
      it = bitmaps_.emplace(key, std::make_unique<Bitmap>()).first;
      it->second->fill(0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    lastKey_ = ~uint64_t{0};  // a missing bitmap may have been remembered as absent
  }
  (*it->second)[(sector >> 3) & kByteMask] |= static_cast<uint8_t>(1u << (sector & 7));
  return true;
}

const VisitedSectors::Bitmap* VisitedSectors::Find(uint64_t key) const {
  if (key == lastKey_) return lastBitmap_;
  auto it = bitmaps_.find(key);
  lastKey_ = key;
  lastBitmap_ = it == bitmaps_.end() ? nullptr : it->second.get();
  return lastBitmap_;
}

bool VisitedSectors::Contains(uint64_t sector) const {
  const Bitmap* bitmap = Find(sector >> kBlockShift);
  return bitmap != nullptr && ((*bitmap)[(sector >> 3) & kByteMask] & (1u << (sector & 7))) != 0;
}

void VisitedSectors::Clear() {
  bitmaps_.clear();
  lastKey_ = ~uint64_t{0};
  lastBitmap_ = nullptr;
}

}  // namespace orvande
