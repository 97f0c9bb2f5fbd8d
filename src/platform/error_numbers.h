#pragma once
// Platform error numbers in the Windows numbering that the rest of the system keys on. Every errno
// is turned into one of these here, so that no raw errno leaves the platform layer (EIO is 5 on
// Linux, which the Windows numbering reads as "access denied"). Safe to use from any thread.
#include <cstdint>
#include <string>

namespace orvande::platform {

inline constexpr uint32_t kErrInvalidFunction = 1;
inline constexpr uint32_t kErrFileNotFound = 2;
inline constexpr uint32_t kErrPathNotFound = 3;
inline constexpr uint32_t kErrTooManyOpenFiles = 4;
inline constexpr uint32_t kErrAccessDenied = 5;
inline constexpr uint32_t kErrInvalidHandle = 6;
inline constexpr uint32_t kErrNotEnoughMemory = 8;
inline constexpr uint32_t kErrOutOfMemory = 14;
inline constexpr uint32_t kErrNotSameDevice = 17;
inline constexpr uint32_t kErrWriteProtect = 19;
inline constexpr uint32_t kErrNotReady = 21;
inline constexpr uint32_t kErrCrc = 23;  // the data error: an unreadable sector
inline constexpr uint32_t kErrSeek = 25;
inline constexpr uint32_t kErrSharingViolation = 32;
inline constexpr uint32_t kErrHandleDiskFull = 39;
inline constexpr uint32_t kErrNotSupported = 50;
inline constexpr uint32_t kErrFileExists = 80;
inline constexpr uint32_t kErrInvalidParameter = 87;
inline constexpr uint32_t kErrBrokenPipe = 109;
inline constexpr uint32_t kErrDiskFull = 112;
inline constexpr uint32_t kErrDirNotEmpty = 145;
inline constexpr uint32_t kErrBusy = 170;
inline constexpr uint32_t kErrFilenameTooLong = 206;
inline constexpr uint32_t kErrFileTooLarge = 223;
inline constexpr uint32_t kErrDirectory = 267;  // a folder where a file was expected
inline constexpr uint32_t kErrCantResolveFilename = 1921;
inline constexpr uint32_t kErrTimeout = 1460;
inline constexpr uint32_t kErrModNotFound = 126;
inline constexpr uint32_t kErrProcNotFound = 127;

// An errno without a Windows counterpart keeps its own number inside this range, so that its
// text can still be found.
inline constexpr uint32_t kUnmappedErrnoBase = 0x20000000;

// The Windows-numbered code for an errno value (0 gives 0).
uint32_t ErrorFromErrno(int errnoValue);
// The code for the calling thread's current errno.
uint32_t LastError();
// The errno behind a code, or 0 when the code did not come from an errno.
int ErrnoFromError(uint32_t code);
// The system's text for a code ("Input/output error" for 23); empty when the code has none.
std::string SystemErrorText(uint32_t code);

// Makes the support layer's system-text hooks answer with this layer's texts. Runs on its own when
// the platform library is linked; calling it again is harmless.
void InstallSystemHooks();

}  // namespace orvande::platform
