#pragma once
// A prompter that records what it was asked to show and answers from a script.
#include <string>
#include <vector>

#include "support/prompter.h"

namespace orvande::doubles {

class RecordingPrompter : public Prompter {
 public:
  struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
  };

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    messages.push_back({std::string(text), std::string(caption), icon, buttons});
    return answer;
  }
  void ShowOperationLog(std::string_view text) override { logs.emplace_back(text); }

  MessageAnswer answer = MessageAnswer::kOk;
  std::vector<Message> messages;
  std::vector<std::string> logs;
};

}  // namespace orvande::doubles
