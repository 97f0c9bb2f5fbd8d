#pragma once
// The read shared by devices whose handle reads like a file from byte 0 (image files, and logical
// drives opened by device path). Safe from any thread as long as `io` is.
#include <cstdint>

#include "disk/filled_sector_listener.h"
#include "platform/raw_io.h"

namespace orvande {

// Reads `count` units of (1 << unitShift) bytes from unit `first`. Returns the whole units read
// (fewer, with success, only at the end of the file).
//
// A run that fails with the data error is read again piece by piece around the system's cache,
// each piece one logical sector of the medium (`logicalSectorBytes`, when it divides the unit;
// else one unit), so that a bad sector costs no more than itself. When every piece reads, the run
// succeeds after all. Otherwise, with `fillBadUnits` the failing pieces come back as zeros, each
// told to `filled`, and the whole count is returned with success; without it the read fails
// with the data error.
uint32_t FileLikeRead(platform::RawIo& io, platform::RawIo::Handle handle, uint64_t first,
                      uint8_t* buffer, uint32_t bufferSize, uint32_t* result, uint32_t count,
                      int unitShift, bool fillBadUnits, uint32_t logicalSectorBytes = 0,
                      FilledSectorListener* filled = nullptr);

// The byte count of count << unitShift, or false when unitShift is outside 0..31.
bool UnitBytes(uint32_t count, int unitShift, uint64_t* bytes);

// The checks every unit read makes before it touches the medium: an open handle, a valid unit
// size, a buffer large enough, and a run whose first and last byte are reachable positions.
// On success *bytes is the run's length; otherwise *result says what is wrong.
bool CheckUnitRead(bool open, uint64_t first, uint32_t bufferSize, uint32_t count, int unitShift,
                   uint64_t* bytes, uint32_t* result);

}  // namespace orvande
