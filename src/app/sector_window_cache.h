#pragma once
// The sector viewer's read cache: one 64 KiB window of the data source. A byte outside the
// window moves it to the offset rounded down to a multiple of 32 KiB, so that moving back and
// forth across a window edge keeps half of what was read. Bytes past what the source delivered
// are unreadable. One thread at a time.
#include <array>
#include <cstdint>

namespace orvande {

class SectorDataSource;

class SectorWindowCache {
 public:
  static constexpr uint32_t kCacheBytes = 65536;
  static constexpr uint32_t kWindowStep = kCacheBytes / 2;

  explicit SectorWindowCache(SectorDataSource* source = nullptr) : source_(source) {}

  // Forgets the window; null detaches.
  void SetSource(SectorDataSource* source);
  SectorDataSource* Source() const { return source_; }

  // False when the byte is unreadable, lies past the source's end, or there is no source.
  bool ByteAt(uint64_t offset, uint8_t* value);

  // The window held now: [First(), End()), of which [First(), ValidEnd()) was read.
  uint64_t First() const { return first_; }
  uint64_t End() const { return end_; }
  uint64_t ValidEnd() const { return validEnd_; }

 private:
  void MoveWindow(uint64_t offset);

  SectorDataSource* source_;
  std::array<uint8_t, kCacheBytes> bytes_{};
  uint64_t first_ = 0;
  uint64_t end_ = 0;
  uint64_t validEnd_ = 0;
};

}  // namespace orvande
