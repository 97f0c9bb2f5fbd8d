#include "support/prompter.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace orvande {
namespace {

// Used until a front end sets its own: it can ask nobody, so it says no to everything.
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

StderrPrompter g_defaultPrompter;
std::atomic<Prompter*> g_activePrompter{nullptr};

}  // namespace

Prompter& ActivePrompter() {
  Prompter* p = g_activePrompter.load(std::memory_order_acquire);
  return p ? *p : g_defaultPrompter;
}

void SetActivePrompter(Prompter* prompter) {
  g_activePrompter.store(prompter, std::memory_order_release);
}

}  // namespace orvande
