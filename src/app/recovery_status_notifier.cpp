#include "app/recovery_status_notifier.h"

#include "support/string_table.h"

namespace orvande {

void RecoveryStatusNotifier::Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
  if (message != kMsgRecoveringFile) {
    if (next_ != nullptr) next_->Send(message, wParam, lParam);
    return;
  }
  if (wParam == 0)
    statusText_.Set("%s", strings::kFinished);
  else
    statusText_.Set(strings::kRecoverFileFormat, reinterpret_cast<const char*>(wParam));
}

}  // namespace orvande
