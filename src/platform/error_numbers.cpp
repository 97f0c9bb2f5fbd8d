#include "platform/error_numbers.h"

#include <cerrno>
#include <cstring>
#include <iterator>

#include "platform/version.h"
#include "support/system_hooks.h"

namespace orvande::platform {
namespace {

struct ErrnoMapping {
  int errnoValue;
  uint32_t code;
};

// The first errno listed for a code is the one whose text the code shows.
constexpr ErrnoMapping kMappings[] = {
    {EIO, kErrCrc},
    {EBADMSG, kErrCrc},
    {ENODATA, kErrCrc},
    {EILSEQ, kErrCrc},
    {EACCES, kErrAccessDenied},
    {EPERM, kErrAccessDenied},
    {ENOMEM, kErrNotEnoughMemory},
    {ENOSPC, kErrDiskFull},
    {EDQUOT, kErrDiskFull},
    {ENOENT, kErrFileNotFound},
    {ENOTDIR, kErrPathNotFound},
    {EEXIST, kErrFileExists},
    {EISDIR, kErrDirectory},
    {EROFS, kErrWriteProtect},
    {EBUSY, kErrSharingViolation},
    {ETXTBSY, kErrSharingViolation},
    {ENAMETOOLONG, kErrFilenameTooLong},
    {EINVAL, kErrInvalidParameter},
    {EBADF, kErrInvalidHandle},
    {EMFILE, kErrTooManyOpenFiles},
    {ENFILE, kErrTooManyOpenFiles},
    {EXDEV, kErrNotSameDevice},
    {ENXIO, kErrNotReady},
    {ENODEV, kErrNotReady},
    {ENOMEDIUM, kErrNotReady},
    {ESPIPE, kErrSeek},
    {EOPNOTSUPP, kErrNotSupported},
    {ENOSYS, kErrInvalidFunction},
    {ENOTTY, kErrInvalidFunction},
    {ENOTEMPTY, kErrDirNotEmpty},
    {EFBIG, kErrFileTooLarge},
    {EOVERFLOW, kErrFileTooLarge},
    {EPIPE, kErrBrokenPipe},
    {EAGAIN, kErrBusy},
    {ETIMEDOUT, kErrTimeout},
    {ELOOP, kErrCantResolveFilename},
};

}  // namespace

uint32_t ErrorFromErrno(int errnoValue) {
  if (errnoValue == 0) return 0;
  for (const ErrnoMapping& m : kMappings) {
    if (m.errnoValue == errnoValue) return m.code;
  }
  // Negative or absurd values cannot come from the C library; keep them recognisable anyway.
  if (errnoValue < 0 || static_cast<uint32_t>(errnoValue) >= kUnmappedErrnoBase) {
    return kUnmappedErrnoBase;
  }
  return kUnmappedErrnoBase | static_cast<uint32_t>(errnoValue);
}

uint32_t LastError() {
  return ErrorFromErrno(errno);
}

int ErrnoFromError(uint32_t code) {
  for (const ErrnoMapping& m : kMappings) {
    if (m.code == code) return m.errnoValue;
  }
  if (code > kUnmappedErrnoBase && code < 2 * kUnmappedErrnoBase) {
    return static_cast<int>(code - kUnmappedErrnoBase);
  }
  return 0;
}

std::string SystemErrorText(uint32_t code) {
  int errnoValue = ErrnoFromError(code);
  if (errnoValue == 0) return std::string();
  char buffer[256] = {};
  // The GNU form returns a pointer that may or may not be the buffer.
  const char* text = strerror_r(errnoValue, buffer, sizeof buffer);
  return text ? std::string(text) : std::string();
}

void InstallSystemHooks() {
  SystemHooks hooks;
  hooks.errorText = &SystemErrorText;
  hooks.osVersionText = &FormatOsVersionText;
  SetSystemHooks(hooks);
}

namespace {
// Every program that links the platform layer pulls this file in (every errno passes through
// it), so the hooks are in place before main runs.
const bool g_hooksInstalled = (InstallSystemHooks(), true);
}  // namespace

}  // namespace orvande::platform
