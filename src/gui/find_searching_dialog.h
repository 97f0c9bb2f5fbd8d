#pragma once
// FindSearchingDialog: the modal "Find" window that says "Searching the file..." with a moving
// bar and "Cancel" while the search worker runs. The worker tells it that the search has ended
// (kMsgWorkerMessage) from its own thread; the window then closes. User-interface thread, except
// Send.
#include <QDialog>
#include <atomic>

#include "core/ports.h"

class QPushButton;

namespace orvande::gui {

class FindSearchingDialog final : public QDialog, public NotifySink {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Find";
  static constexpr char kText[] = "Searching the file...";

  explicit FindSearchingDialog(QWidget* parent = nullptr);

  // Shows the window until the search ends (true) or the user cancels it (false).
  bool Run();
  QPushButton& CancelButton() { return *cancel_; }

  // From the search worker: kMsgWorkerMessage ends the window.
  void Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

 private:
  QPushButton* cancel_ = nullptr;
  std::atomic<bool> ended_{false};
};

}  // namespace orvande::gui
