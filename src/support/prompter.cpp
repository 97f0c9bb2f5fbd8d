#include "support/prompter.h"

#include <cstdio>
#include <string>

namespace orvande {
namespace {

// Stands in where a job has no prompter: it can ask nobody, so it says no to everything.
class StderrPrompter final : public Prompter {
 public:
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon,
                            MessageButtons buttons) override {
    std::string line;
    line.append(caption).append(": ").append(text).append("\n");
    std::fputs(line.c_str(), stderr);
    return buttons == MessageButtons::kYesNo ? MessageAnswer::kNo : MessageAnswer::kOk;
  }

  void ShowOperationLog(std::string_view text) override {
    std::string block(text);
    std::fputs(block.c_str(), stderr);
    if (!block.empty() && block.back() != '\n') std::fputc('\n', stderr);
  }
};

}  // namespace

Prompter& PrompterOrDefault(Prompter* prompter) {
  static StderrPrompter stderrPrompter;
  return prompter != nullptr ? *prompter : stderrPrompter;
}

}  // namespace orvande
