#include "platform/terminal.h"

#include <unistd.h>

namespace orvande::platform {

bool IsStandardInputTerminal() {
  return isatty(STDIN_FILENO) == 1;
}
bool IsStandardErrorTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace orvande::platform
