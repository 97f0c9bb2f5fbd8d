#include "app/frame_status_text.h"

#include <cstdio>
#include <utility>

namespace orvande {
namespace {

constexpr size_t kStatusTextCapacity = 2048;

}  // namespace

void FrameStatusText::Set(const char* format, ...) {
  va_list args;
  va_start(args, format);
  SetV(format, args);
  va_end(args);
}

void FrameStatusText::SetV(const char* format, va_list args) {
  char buffer[kStatusTextCapacity] = {};
  if (format != nullptr) std::vsnprintf(buffer, sizeof buffer, format, args);
  Keep(buffer);
}

void FrameStatusText::Clear() {
  Keep(std::string());
}

std::string FrameStatusText::Text() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return text_;
}

void FrameStatusText::Keep(std::string text) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    text_ = text;
  }
  // Shown outside the lock: the sink waits for the user-interface thread, which may itself be
  // setting a text at that moment.
  sink_.ShowStatusText(text);
}

}  // namespace orvande
