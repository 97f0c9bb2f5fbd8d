#pragma once
// The engine's message boxes as QMessageBox, its operation logs as the "Operation Log" dialog
// and a recovery's questions as their dialogs, on the user-interface thread: a worker's question waits there until it is answered.
// Callable from any thread.
#include <QPointer>
#include <QWidget>

#include "support/prompter.h"

namespace orvande::gui {

class QtPrompter final : public Prompter {
 public:
  // parent: the window the boxes belong to; its thread is the one that shows them.
  explicit QtPrompter(QWidget* parent) : parent_(parent) {}

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  void ShowOperationLog(std::string_view text) override;
  // The recovery's questions as the "Confirm file replace" and "Broken File Name" dialogs.
  ReplaceAnswer ConfirmFileReplace(std::string_view path) override;
  BrokenNameAnswer AskBrokenFileName(std::string_view name) override;
  MountPointAnswer AskMountPoint(std::string_view text) override;
  bool OfferDeviceAccess(std::string_view devicePath) override;

 private:
  // Shows a modal dialog made from `text` on the window's thread and returns its answer;
  // `unanswered` when the window is gone.
  template <typename Dialog, typename Answer>
  Answer AskThroughDialog(std::string_view text, Answer unanswered);

  QPointer<QWidget> parent_;
};

}  // namespace orvande::gui
