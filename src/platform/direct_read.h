#pragma once
// Reads of a block device around the page cache, for the real RawIo: a second descriptor of the
// same device opened for direct I/O, and aligned reads through it. Stateless; safe from any thread.
#include <cstddef>
#include <cstdint>

namespace orvande::platform {

// A second descriptor of the block device behind `fd`, reading around the cache, or -1 when `fd`
// is no block device or direct I/O is refused. *alignment receives the logical sector size that
// every direct request must be a multiple of (offset, length and buffer address).
int OpenDirectTwin(int fd, uint32_t* alignment);

// Reads [offset, offset + size) through a descriptor of OpenDirectTwin: the covering aligned
// range in one request into an aligned buffer, then the asked bytes copied out. Short at the
// device's end, with success; false with a Windows-numbered *error otherwise.
bool ReadThroughTwin(int directFd, uint32_t alignment, uint64_t offset, void* buffer, size_t size,
                     size_t* bytesRead, uint32_t* error);

}  // namespace orvande::platform
