#pragma once
// The engine's message boxes on a terminal: "Caption: text" on the error stream. A question is
// asked on the terminal when there is one, and answered "no" otherwise. Callable from any thread
// (one box at a time).
#include <iosfwd>
#include <mutex>

#include "support/prompter.h"

namespace orvande::cli {

class CliPrompter final : public Prompter {
 public:
  // `in` is where answers are read; null when nobody can answer.
  CliPrompter(std::ostream& err, std::istream* in);

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  void ShowOperationLog(std::string_view text) override;

 private:
  MessageAnswer Ask();

  std::mutex lock_;
  std::ostream& err_;
  std::istream* in_;
};

}  // namespace orvande::cli
