#pragma once
// Reading a block device the user may not open: a privileged helper (or the disk service) opens
// it read-only and hands the descriptor over a Unix socket; the descriptor is then kept as a
// grant for its path, and opening that path reads through a copy of it. The helper's own checks
// live here too. Safe to use from any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace orvande::platform {

// The helper's exit codes.
inline constexpr int kHelperGranted = 0;
inline constexpr int kHelperNotBlockDevice = 1;
inline constexpr int kHelperCannotOpen = 2;
inline constexpr int kHelperCannotSend = 3;
inline constexpr int kHelperUsage = 64;

// Opens path read-only when it is a block device. What path names is looked at before anything
// is opened for reading (so that no other kind of device is ever opened, and a FIFO cannot block
// the open), and the file looked at is the one opened, whatever the path leads to by then. -1 with
// *error set otherwise: kErrNotSupported for anything that is not a block device,
// kErrInvalidParameter for a relative path.
int OpenBlockDeviceReadOnly(const std::string& path, uint32_t* error);

// One descriptor over a Unix socket (SCM_RIGHTS). ReceiveDescriptor: -1 when none came.
bool SendDescriptor(int socket, int descriptor);
int ReceiveDescriptor(int socket);

// The helper's work: checks and opens path, sends the descriptor over socket; an exit code.
int RunOpenDeviceHelper(const std::string& path, int socket);

// Runs command (program and arguments; path is added last) with a socket as its standard
// output, waits for it, and returns the descriptor it sent; -1 with *error (access denied when
// the command refused or failed; kErrNotSupported or kErrInvalidParameter when the helper refused
// the path as OpenBlockDeviceReadOnly does) otherwise.
int OpenThroughHelperCommand(const std::vector<std::string>& command, const std::string& path,
                             uint32_t* error);

// Keeps descriptor (taking it over) as the grant for path, replacing an older one.
void GrantDeviceDescriptor(const std::string& path, int descriptor);
// A fresh copy of the grant for path, or -1 when there is none.
int GrantedDeviceDescriptor(const std::string& path);
void DropDeviceGrants();
// A close-on-exec copy of descriptor (one the caller does not own), or -1.
int DuplicateDescriptor(int descriptor);

}  // namespace orvande::platform
