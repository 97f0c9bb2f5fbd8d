#include "app/sector_window_cache.h"

#include <algorithm>

#include "app/sector_data_source.h"

namespace orvande {

void SectorWindowCache::SetSource(SectorDataSource* source) {
  source_ = source;
  first_ = end_ = validEnd_ = 0;
}

bool SectorWindowCache::ByteAt(uint64_t offset, uint8_t* value) {
  if (source_ == nullptr || offset >= source_->TotalSize()) return false;
  if (offset < first_ || offset >= end_) MoveWindow(offset);
  if (offset >= validEnd_) return false;
  *value = bytes_[offset - first_];
  return true;
}

void SectorWindowCache::MoveWindow(uint64_t offset) {
  first_ = offset - offset % kWindowStep;
  // The last window of a source near 2^64 ends at the largest offset instead of wrapping.
  end_ = first_ + std::min<uint64_t>(kCacheBytes, UINT64_MAX - first_);
  const size_t got = source_->Read(first_, bytes_.data(), static_cast<size_t>(end_ - first_));
  validEnd_ = first_ + std::min<uint64_t>(got, end_ - first_);
}

}  // namespace orvande
