#pragma once
// The port through which the engine asks the user something or shows a message box. The GUI
// implements it with dialogs, the CLI with a terminal or its options, tests with scripted doubles.
// Implementations must be callable from worker threads (the call blocks until answered).
#include <string>
#include <string_view>

namespace orvande {

enum class MessageIcon { kError, kExclamation, kQuestion, kInformation };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo, kCancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // A modal message box.
  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                                    MessageButtons buttons) = 0;
  // The "Operation Log" dialog with the joined log text.
  virtual void ShowOperationLog(std::string_view text) = 0;
};

// The process-wide prompter (the message boxes of a Windows program are process-wide too).
// Until one is set, messages go to standard error and every question is answered "no".
Prompter& ActivePrompter();
void SetActivePrompter(Prompter* prompter);  // null restores the default

}  // namespace orvande
