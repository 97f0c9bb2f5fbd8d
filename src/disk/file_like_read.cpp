#include "disk/file_like_read.h"

#include <cstdint>
#include <cstring>

#include "platform/error_numbers.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

// Positions beyond this cannot be passed to the system's positioned read.
constexpr uint64_t kMaxPosition = static_cast<uint64_t>(INT64_MAX);

// The piece a failed run is read again in: a logical sector when it divides the unit.
size_t RetryPieceBytes(size_t unitBytes, uint32_t logicalSectorBytes) {
  if (logicalSectorBytes != 0 && logicalSectorBytes <= unitBytes &&
      unitBytes % logicalSectorBytes == 0)
    return logicalSectorBytes;
  return unitBytes;
}

struct RetryOutcome {
  bool clean = true;       // no piece failed
  size_t readable = 0;     // bytes up to the end of the medium
  uint32_t firstError = 0;
};

// Reads the run again piece by piece around the cache, up to the end of the medium (a short
// piece is completed with zeros, so that no stale bytes of the caller's buffer pass for disk
// data). A failing piece ends the retry when !fill; with fill it is zeroed and told to `filled`.
RetryOutcome RetryInPieces(platform::RawIo& io, platform::RawIo::Handle handle, uint64_t firstByte,
                           uint8_t* buffer, size_t bytes, size_t pieceBytes, bool fill,
                           FilledSectorListener* filled) {
  RetryOutcome outcome;
  outcome.readable = bytes;
  for (size_t at = 0; at < bytes; at += pieceBytes) {
    uint8_t* slot = buffer + at;
    size_t got = 0;
    uint32_t error = 0;
    if (io.ReadDirectAt(handle, firstByte + at, slot, pieceBytes, &got, &error)) {
      if (got == pieceBytes) continue;
      std::memset(slot + got, 0, pieceBytes - got);
      outcome.readable = at + got;
      break;
    }
    if (outcome.clean) outcome.firstError = error;
    outcome.clean = false;
    if (!fill) break;
    std::memset(slot, 0, pieceBytes);
    if (filled != nullptr) filled->OnFilled(firstByte + at, pieceBytes);
  }
  return outcome;
}

}  // namespace

bool UnitBytes(uint32_t count, int unitShift, uint64_t* bytes) {
  if (unitShift < 0 || unitShift > 31) return false;
  *bytes = uint64_t{count} << unitShift;
  return true;
}

bool CheckUnitRead(bool open, uint64_t first, uint32_t bufferSize, uint32_t count, int unitShift,
                   uint64_t* bytes, uint32_t* result) {
  if (!open) {
    *result = ErrNotOpen;
    return false;
  }
  if (!UnitBytes(count, unitShift, bytes)) {
    *result = platform::kErrInvalidParameter;
    return false;
  }
  if (*bytes > bufferSize) {
    *result = ErrBufferTooSmall;
    return false;
  }
  if (first > (kMaxPosition >> unitShift) || (first << unitShift) > kMaxPosition - *bytes) {
    *result = ErrBadPosition;
    return false;
  }
  return true;
}

uint32_t FileLikeRead(platform::RawIo& io, platform::RawIo::Handle handle, uint64_t first,
                      uint8_t* buffer, uint32_t bufferSize, uint32_t* result, uint32_t count,
                      int unitShift, bool fillBadUnits, uint32_t logicalSectorBytes,
                      FilledSectorListener* filled) {
  *result = kSuccess;
  uint64_t bytes = 0;
  if (!CheckUnitRead(handle != platform::RawIo::kInvalidHandle, first, bufferSize, count,
                     unitShift, &bytes, result)) {
    return 0;
  }
  size_t bytesRead = 0;
  uint32_t error = 0;
  if (io.ReadAt(handle, first << unitShift, buffer, static_cast<size_t>(bytes), &bytesRead,
                &error)) {
    return static_cast<uint32_t>(bytesRead >> unitShift);
  }
  *result = error;
  if (error != ErrDataError) return 0;
  const size_t piece = RetryPieceBytes(size_t{1} << unitShift, logicalSectorBytes);
  const RetryOutcome outcome = RetryInPieces(io, handle, first << unitShift, buffer,
                                             static_cast<size_t>(bytes), piece, fillBadUnits,
                                             filled);
  if (!outcome.clean && !fillBadUnits) {
    *result = outcome.firstError;
    return 0;
  }
  *result = kSuccess;
  return static_cast<uint32_t>(outcome.readable >> unitShift);
}

}  // namespace orvande
