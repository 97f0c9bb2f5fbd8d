#include "platform/device_access.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/error_numbers.h"

namespace orvande::platform {
namespace {

std::mutex g_grantsMutex;
std::map<std::string, int> g_grants;

void SetError(uint32_t* error, uint32_t code) {
  if (error != nullptr) *error = code;
}

bool IsBlockDevice(int fd) {
  struct stat st {};
  return fstat(fd, &st) == 0 && S_ISBLK(st.st_mode);
}

void CloseQuietly(int fd) {
  if (fd >= 0) close(fd);
}

int OpenRetrying(const char* path, int flags) {
  int fd;
  do {
    fd = open(path, flags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// A descriptor that only names what path leads to: opening it this way runs no device's open,
// whatever the path turns out to be.
int OpenToLookAt(const std::string& path) {
  return OpenRetrying(path.c_str(), O_PATH | O_CLOEXEC);
}

// Opens for reading the very file that `named` (an OpenToLookAt descriptor) names, however its
// path has changed since. O_NONBLOCK keeps a device that waits for its medium from blocking the
// open; reads then block as usual.
int ReopenForReading(int named) {
  const std::string self = "/proc/self/fd/" + std::to_string(named);
  const int fd = OpenRetrying(self.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// The helper's answer as the error its caller sees.
uint32_t ErrorOfRefusal(int helperStatus) {
  if (helperStatus == kHelperNotBlockDevice) return kErrNotSupported;
  if (helperStatus == kHelperUsage) return kErrInvalidParameter;
  return kErrAccessDenied;
}

}  // namespace

int OpenBlockDeviceReadOnly(const std::string& path, uint32_t* error) {
  SetError(error, 0);
  // A relative path would be resolved wherever the helper happens to start (pkexec starts it in
  // the administrator's home folder), not where the caller meant.
  if (path.empty() || path[0] != '/') {
    SetError(error, path.empty() ? kErrFileNotFound : kErrInvalidParameter);
    return -1;
  }
  const int named = OpenToLookAt(path);
  if (named < 0) {
    SetError(error, LastError());
    return -1;
  }
  if (!IsBlockDevice(named)) {
    close(named);
    SetError(error, kErrNotSupported);
    return -1;
  }
  const int fd = ReopenForReading(named);
  if (fd < 0) SetError(error, LastError());
  close(named);
  if (fd >= 0 && !IsBlockDevice(fd)) {
    close(fd);
    SetError(error, kErrNotSupported);
    return -1;
  }
  return fd;
}

// One byte of data with room for one descriptor beside it: the message both ends pass.
struct DescriptorMessage {
  char byte = 'D';
  iovec data{&byte, 1};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  msghdr message{};
  DescriptorMessage() {
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
  }
  DescriptorMessage(const DescriptorMessage&) = delete;
  DescriptorMessage& operator=(const DescriptorMessage&) = delete;
};

bool SendDescriptor(int socket, int descriptor) {
  DescriptorMessage sending;
  msghdr& message = sending.message;
  cmsghdr* header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = SOL_SOCKET;
  header->cmsg_type = SCM_RIGHTS;
  header->cmsg_len = CMSG_LEN(sizeof(int));
  std::memcpy(CMSG_DATA(header), &descriptor, sizeof(int));
  ssize_t sent;
  do {
    sent = sendmsg(socket, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent == 1;
}

int ReceiveDescriptor(int socket) {
  DescriptorMessage receiving;
  msghdr& message = receiving.message;
  ssize_t got;
  do {
    got = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
  } while (got < 0 && errno == EINTR);
  if (got != 1) return -1;
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
       header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    if (header->cmsg_len != CMSG_LEN(sizeof(int))) continue;
    int descriptor = -1;
    std::memcpy(&descriptor, CMSG_DATA(header), sizeof(int));
    return descriptor;
  }
  return -1;
}

int RunOpenDeviceHelper(const std::string& path, int socket) {
  uint32_t error = 0;
  const int fd = OpenBlockDeviceReadOnly(path, &error);
  if (fd < 0) {
    if (error == kErrNotSupported) return kHelperNotBlockDevice;
    return error == kErrInvalidParameter ? kHelperUsage : kHelperCannotOpen;
  }
  const bool sent = SendDescriptor(socket, fd);
  close(fd);
  return sent ? kHelperGranted : kHelperCannotSend;
}

int OpenThroughHelperCommand(const std::vector<std::string>& command, const std::string& path,
                             uint32_t* error) {
  SetError(error, kErrAccessDenied);
  if (command.empty()) return -1;
  int sockets[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return -1;
  std::vector<char*> argv;
  std::vector<std::string> parts = command;
  parts.push_back(path);
  for (std::string& part : parts) argv.push_back(part.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    // dup2 clears close-on-exec on the copy: the helper finds its socket as standard output.
    if (dup2(sockets[1], STDOUT_FILENO) < 0) _exit(kHelperUsage);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(sockets[1]);
  if (child < 0) {
    close(sockets[0]);
    return -1;
  }
  const int descriptor = ReceiveDescriptor(sockets[0]);
  close(sockets[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  const bool granted = WIFEXITED(status) && WEXITSTATUS(status) == kHelperGranted;
  if (descriptor < 0 || !granted || !IsBlockDevice(descriptor)) {
    CloseQuietly(descriptor);
    if (WIFEXITED(status)) SetError(error, ErrorOfRefusal(WEXITSTATUS(status)));
    return -1;
  }
  SetError(error, 0);
  return descriptor;
}

void GrantDeviceDescriptor(const std::string& path, int descriptor) {
  std::lock_guard<std::mutex> lock(g_grantsMutex);
  auto [it, inserted] = g_grants.emplace(path, descriptor);
  if (!inserted) {
    close(it->second);
    it->second = descriptor;
  }
}

int GrantedDeviceDescriptor(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_grantsMutex);
  const auto it = g_grants.find(path);
  return it == g_grants.end() ? -1 : DuplicateDescriptor(it->second);
}

void DropDeviceGrants() {
  std::lock_guard<std::mutex> lock(g_grantsMutex);
  for (const auto& [path, fd] : g_grants) close(fd);
  g_grants.clear();
}

}  // namespace orvande::platform

namespace orvande::platform {

int DuplicateDescriptor(int descriptor) {
  return descriptor < 0 ? -1 : fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
}

}  // namespace orvande::platform
