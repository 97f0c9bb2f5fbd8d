#include "core/volume_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/volume_analyzer.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

// How much is fetched at once; the plug-in reads in chunks of this size.
constexpr uint32_t kReadAheadBytes = 64 * 1024;
constexpr uint32_t kFindChunkBytes = 65536;
// Positions and lengths stay within a signed 64-bit offset, whatever a boot sector claims.
constexpr uint64_t kMaxLength = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

// The size of a negative offset, without overflowing for the smallest one.
uint64_t Magnitude(int64_t negative) {
  return static_cast<uint64_t>(-(negative + 1)) + 1;
}

}  // namespace

VolumeStream::VolumeStream(VolumeAnalyzer& analyzer, uint32_t startSector)
    : analyzer_(analyzer),
      startSector_(startSector),
      unit_(analyzer.BytesPerSector()),
      shift_(analyzer.SectorShift()),
      sectors_(0) {
  const uint64_t total = analyzer.GetTotalSectors();
  sectors_ = total > startSector ? total - startSector : 0;
  if (Usable()) {
    batchSectors_ = std::max<uint32_t>(1, kReadAheadBytes / unit_);
    sectorBuffer_.resize(static_cast<size_t>(batchSectors_) * unit_);
  }
}

bool VolumeStream::Usable() const {
  // The offset arithmetic needs a power-of-two unit that matches its shift.
  return unit_ != 0 && shift_ != 0 && shift_ < 32 && (uint32_t{1} << shift_) == unit_;
}

uint64_t VolumeStream::GetLength() {
  if (shift_ >= 64) return 0;
  if (sectors_ > (kMaxLength >> shift_)) return kMaxLength;
  return sectors_ << shift_;
}

bool VolumeStream::ReadAhead(uint64_t sector, uint32_t count) {
  uint32_t result = kSuccess;
  const uint32_t got =
      analyzer_.ReadVolumeSectors(startSector_ + sector, sectorBuffer_.data(), count * unit_,
                                  &result, count, /*fillBadSectors=*/false,
                                  /*keepSectorZero=*/true);
  // A short delivery reported as success (an image cut short) is as unreadable as a failure.
  if (got != count || !IsSuccess(result)) {
    heldCount_ = 0;
    return false;
  }
  heldFirst_ = sector;
  heldCount_ = count;
  return true;
}

const uint8_t* VolumeStream::SectorData(uint64_t sector) {
  if (heldCount_ == 0 || sector < heldFirst_ || sector - heldFirst_ >= heldCount_) {
    bool held = false;
    if (sector >= singleUntil_) {
      const uint32_t batch =
          static_cast<uint32_t>(std::min<uint64_t>(batchSectors_, sectors_ - sector));
      if (batch > 1) {
        held = ReadAhead(sector, batch);
        if (!held) singleUntil_ = sector + batch;
      }
    }
    if (!held && !ReadAhead(sector, 1)) return nullptr;
  }
  return sectorBuffer_.data() + static_cast<size_t>(sector - heldFirst_) * unit_;
}

bool VolumeStream::Read(void* buffer, uint32_t size, uint32_t* bytesRead) {
  if (bytesRead != nullptr) *bytesRead = 0;
  if (buffer == nullptr || !Usable() || sectorBuffer_.empty()) return false;
  const uint64_t length = GetLength();
  const uint32_t wanted =
      position_ >= length ? 0 : static_cast<uint32_t>(std::min<uint64_t>(size, length - position_));
  auto* out = static_cast<uint8_t*>(buffer);
  uint32_t copied = 0;
  bool lastReadOk = true;
  while (copied < wanted) {
    const uint8_t* data = SectorData(position_ >> shift_);
    if (data == nullptr) {
      lastReadOk = false;
      break;
    }
    const uint32_t offset = static_cast<uint32_t>(position_ & (unit_ - 1));
    const uint32_t take = std::min(unit_ - offset, wanted - copied);
    std::memcpy(out + copied, data + offset, take);
    copied += take;
    position_ += take;
  }
  if (bytesRead != nullptr) *bytesRead = copied;
  return lastReadOk || copied > 0;
}

uint64_t VolumeStream::Seek(int64_t offset, int origin, uint64_t* position) {
  const uint64_t length = GetLength();
  uint64_t target = position_;
  switch (origin) {
    case 0:
      target = offset < 0 ? 0 : static_cast<uint64_t>(offset);
      break;
    case 1:
      if (offset < 0) {
        const uint64_t back = Magnitude(offset);
        target = back > position_ ? 0 : position_ - back;
      } else {
        // Both are below 2^63, so the sum cannot wrap.
        target = position_ + static_cast<uint64_t>(offset);
      }
      break;
    case 2:
      if (offset > 0) {
        target = length;
      } else {
        const uint64_t back = offset < 0 ? Magnitude(offset) : 0;
        target = back > length ? 0 : length - back;
      }
      break;
    default:
      break;  // an unknown origin leaves the position where it is
  }
  position_ = std::min(target, length);
  if (position != nullptr) *position = position_;
  return position_;
}

bool VolumeStream::Find(const uint8_t* pattern, uint32_t patternLength, uint64_t limit,
                        uint64_t* position) {
  if (pattern == nullptr || patternLength == 0) return false;
  const uint64_t start = position_;
  std::vector<uint8_t> chunk(kFindChunkBytes);
  uint64_t remaining = limit;  // bytes still to search, counted from the start position
  while (remaining > 0) {
    const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(kFindChunkBytes, remaining));
    const uint64_t chunkStart = position_;
    uint32_t got = 0;
    if (!Read(chunk.data(), wanted, &got) || got < patternLength) break;
    remaining -= got;
    // Only starts at which the whole pattern lies inside this chunk are tried.
    for (uint32_t i = 0; i + patternLength <= got; ++i) {
      if (chunk[i] == pattern[0] &&
          std::memcmp(chunk.data() + i + 1, pattern + 1, patternLength - 1) == 0) {
        position_ = chunkStart + i;
        if (position != nullptr) *position = position_;
        return true;
      }
    }
  }
  position_ = start;
  if (position != nullptr) *position = start;
  return false;
}

uint64_t VolumeStream::SectorOfOffset(uint64_t offset) {
  return uint64_t{startSector_} + (offset >> shift_);
}

}  // namespace orvande
