#include "disk/file_like_read.h"

#include <cstdint>
#include <cstring>

#include "platform/error_numbers.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

// Positions beyond this cannot be passed to the system's positioned read.
constexpr uint64_t kMaxPosition = static_cast<uint64_t>(INT64_MAX);

// Unit k read on its own; a unit that fails or comes back short is completed with zeros, so that
// no stale bytes of the caller's buffer pass for disk data.
void ReadUnitsOneByOne(platform::RawIo& io, platform::RawIo::Handle handle, uint64_t first,
                       uint8_t* buffer, uint32_t count, int unitShift) {
  const size_t unitBytes = size_t{1} << unitShift;
  for (uint32_t k = 0; k < count; ++k) {
    uint8_t* slot = buffer + static_cast<size_t>(k) * unitBytes;
    size_t got = 0;
    uint32_t error = 0;
    if (!io.ReadAt(handle, (first + k) << unitShift, slot, unitBytes, &got, &error)) got = 0;
    if (got < unitBytes) std::memset(slot + got, 0, unitBytes - got);
  }
}

}  // namespace

bool UnitBytes(uint32_t count, int unitShift, uint64_t* bytes) {
  if (unitShift < 0 || unitShift > 31) return false;
  *bytes = uint64_t{count} << unitShift;
  return true;
}

uint32_t FileLikeRead(platform::RawIo& io, platform::RawIo::Handle handle, uint64_t first,
                      uint8_t* buffer, uint32_t bufferSize, uint32_t* result, uint32_t count,
                      int unitShift, bool fillBadUnits) {
  *result = kSuccess;
  if (handle == platform::RawIo::kInvalidHandle) {
    *result = ErrNotOpen;
    return 0;
  }
  uint64_t bytes = 0;
  if (!UnitBytes(count, unitShift, &bytes)) {
    *result = platform::kErrInvalidParameter;
    return 0;
  }
  if (bytes > bufferSize) {
    *result = ErrBufferTooSmall;
    return 0;
  }
  // The run's first and last byte must both be reachable positions.
  if (first > (kMaxPosition >> unitShift) || (first << unitShift) > kMaxPosition - bytes) {
    *result = ErrBadPosition;
    return 0;
  }
  size_t bytesRead = 0;
  uint32_t error = 0;
  if (io.ReadAt(handle, first << unitShift, buffer, static_cast<size_t>(bytes), &bytesRead,
                &error)) {
    return static_cast<uint32_t>(bytesRead >> unitShift);
  }
  *result = error;
  if (!fillBadUnits || error != ErrDataError) return 0;
  ReadUnitsOneByOne(io, handle, first, buffer, count, unitShift);
  *result = kSuccess;
  return count;
}

}  // namespace orvande
