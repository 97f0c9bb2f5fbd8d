#pragma once
// The set of sectors already parsed as directory data: the first sector of every directory
// cluster and the first root directory sector. Kept as 4096-byte bitmaps, one per block of
// 32768 consecutive sector numbers, made on first use. Used by one thread at a time.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace orvande {

class VisitedSectors {
 public:
  static constexpr uint32_t kBlockShift = 15;  // 32768 sectors per bitmap
  static constexpr size_t kBitmapBytes = 4096;

  // False only when memory for a new bitmap runs out.
  bool Add(uint64_t sector);
  bool Contains(uint64_t sector) const;
  void Clear();
  size_t BitmapCount() const { return bitmaps_.size(); }

 private:
  using Bitmap = std::array<uint8_t, kBitmapBytes>;
  const Bitmap* Find(uint64_t key) const;

  std::unordered_map<uint64_t, std::unique_ptr<Bitmap>> bitmaps_;
  // The sweep asks about consecutive sectors: the last bitmap found answers most questions.
  mutable uint64_t lastKey_ = ~uint64_t{0};
  mutable const Bitmap* lastBitmap_ = nullptr;
};

}  // namespace orvande
