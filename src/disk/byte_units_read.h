#pragma once
// The unit read of devices whose medium answers byte-range reads (a split image, an evidence
// set): checks the request like the file-like read, then returns whole units only. Safe from any
// thread as long as the reader is.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace orvande {

// Reads up to size bytes at offset; true on success, with *bytesRead short only at the end.
using ByteRangeReader = std::function<bool(uint64_t offset, void* buffer, size_t size,
                                           size_t* bytesRead, uint32_t* error)>;

// `open` false gives ErrNotOpen. Never fills: a failed read returns 0 with its code.
uint32_t ReadUnitsAt(const ByteRangeReader& read, bool open, uint64_t first, uint8_t* buffer,
                     uint32_t bufferSize, uint32_t* result, uint32_t count, int unitShift);

}  // namespace orvande
