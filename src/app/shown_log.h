#pragma once
// Where the app layer's message boxes and operation logs go: the prompter a front end handed in,
// or the process-wide one when it handed none. Callable from any thread the prompter allows.
#include "support/prompter.h"

namespace orvande {

class OperationLog;

Prompter& PrompterOrActive(Prompter* prompter);

// Shows the log through the prompter when a warning or an error was added, then empties it (as
// OperationLog::Show does with the process-wide prompter).
void ShowLog(OperationLog& log, Prompter* prompter);

}  // namespace orvande
