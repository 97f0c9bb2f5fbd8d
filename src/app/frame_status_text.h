#pragma once
// The frame's operation text in pane 0 of the status bar. It is kept, so that the front end can
// answer the idle prompt with it and an operation's text stays visible while menu prompts come
// and go. Safe to use from several threads: workers set their texts from their own threads.
#include <cstdarg>
#include <mutex>
#include <string>

#include "app/frame_ports.h"
#include "support/format.h"

namespace orvande {

class FrameStatusText {
 public:
  explicit FrameStatusText(StatusTextSink& sink) : sink_(sink) {}

  // Formats into 2048 characters (a longer text is cut), keeps the result and shows it.
  void Set(const char* format, ...) ORVANDE_PRINTF(2, 3);
  void SetV(const char* format, va_list args) ORVANDE_PRINTF(2, 0);
  // The empty text: what every operation leaves behind.
  void Clear();

  // The kept text; also the idle prompt of pane 0 while it is not empty.
  std::string Text() const;

 private:
  void Keep(std::string text);

  StatusTextSink& sink_;
  mutable std::mutex mutex_;
  std::string text_;
};

}  // namespace orvande
