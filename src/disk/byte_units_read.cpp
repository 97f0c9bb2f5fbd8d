#include "disk/byte_units_read.h"

#include "disk/file_like_read.h"
#include "platform/error_numbers.h"
#include "support/result_codes.h"

namespace orvande {

uint32_t ReadUnitsAt(const ByteRangeReader& read, bool open, uint64_t first, uint8_t* buffer,
                     uint32_t bufferSize, uint32_t* result, uint32_t count, int unitShift) {
  uint32_t localResult = kSuccess;
  if (result == nullptr) result = &localResult;
  *result = kSuccess;
  uint64_t bytes = 0;
  if (!CheckUnitRead(open, first, bufferSize, count, unitShift, &bytes, result)) return 0;
  size_t bytesRead = 0;
  uint32_t error = kSuccess;
  if (!read(first << unitShift, buffer, static_cast<size_t>(bytes), &bytesRead, &error)) {
    *result = error;
    return 0;
  }
  return static_cast<uint32_t>(bytesRead >> unitShift);
}

}  // namespace orvande
