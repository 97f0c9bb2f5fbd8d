#pragma once
// Reading the crashed process's own memory from inside a signal handler, without faulting again,
// and the record parts built from such reads. Every function here is async-signal-safe.
#include <cstddef>
#include <cstdint>

#include "platform/crash_record.h"

namespace orvande::platform {

// Copies size bytes at address into out; false (and nothing promised about out) when any of
// them is not readable.
bool ProbeRead(uint64_t address, void* out, size_t size);

// Up to kCrashDumpWords words from address upwards, stopping at the first unreadable one.
// byteReversed: each word's bytes reversed (the code dump).
void FillDump(uint64_t address, bool byteReversed, CrashDump* dump);

// The call stack from (ip, frame): each readable frame holds the caller's frame address and,
// above it, the return address. Stops at kCrashStackEntries entries, at a frame that cannot be
// read, or at a frame address that is not word-aligned; the entry holding that frame is kept.
void WalkFrames(uint64_t ip, uint64_t frame, CrashRecord* record);

}  // namespace orvande::platform
