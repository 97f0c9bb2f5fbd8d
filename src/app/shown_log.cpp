#include "app/shown_log.h"

#include "support/operation_log.h"

namespace orvande {

Prompter& PrompterOrActive(Prompter* prompter) {
  return prompter != nullptr ? *prompter : ActivePrompter();
}

void ShowLog(OperationLog& log, Prompter* prompter) {
  if (prompter == nullptr) {
    log.Show();
    return;
  }
  if (log.FlaggedCount() >= 1) prompter->ShowOperationLog(log.JoinedText());
  log.Clear();
}

}  // namespace orvande
