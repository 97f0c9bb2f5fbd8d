#pragma once
// Replacing a small file's whole contents so that a reader sees either the old file or the new
// one, never a part: the bytes go to a temporary file beside it, are flushed to the disk, and the
// temporary file is renamed over the old one. Errors are Windows-numbered. Safe to use from any
// thread for different paths; two writers of one path must hold a lock (the temporary file has a
// fixed name, so that a crash leaves no stray files behind, only one that the next write reuses).
#include <cstdint>
#include <string>
#include <string_view>

namespace orvande::platform {

// The name of the temporary file that ReplaceFileAtomically writes for a path.
std::string AtomicTemporaryPath(const std::string& path);

// Writes bytes as the new contents of path (mode 0600 before the umask for a new file). On any
// failure the old file is left untouched and the temporary file is removed.
uint32_t ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace orvande::platform
