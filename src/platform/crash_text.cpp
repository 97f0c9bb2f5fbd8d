#include "platform/crash_text.h"

#include <unistd.h>

#include <cerrno>

namespace orvande::platform {

CrashText& CrashText::Add(char c) {
  if (used_ == sizeof buffer_) Flush();
  buffer_[used_++] = c;
  return *this;
}

CrashText& CrashText::Add(const char* text) {
  if (text == nullptr) return *this;
  while (*text != '\0') Add(*text++);
  return *this;
}

CrashText& CrashText::Hex(uint64_t value, int digits) {
  char reversed[16];
  int count = 0;
  do {
    reversed[count++] = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  } while (value != 0 && count < 16);
  for (int pad = count; pad < digits; ++pad) Add('0');
  while (count > 0) Add(reversed[--count]);
  return *this;
}

CrashText& CrashText::Decimal(int64_t value) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (value < 0) Add('-');
  char reversed[20];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) Add(reversed[--count]);
  return *this;
}

void CrashText::Flush() {
  size_t done = 0;
  while (done < used_) {
    const ssize_t written = write(fd_, buffer_ + done, used_ - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;  // nothing more can be done about a failing report file
    done += static_cast<size_t>(written);
  }
  used_ = 0;
}

}  // namespace orvande::platform
