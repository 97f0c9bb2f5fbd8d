#include "gui/qt_prompter.h"

#include <QMessageBox>

#include "gui/broken_file_name_dialog.h"
#include "gui/confirm_file_replace_dialog.h"
#include "gui/mount_point_dialog.h"
#include "gui/operation_log_dialog.h"
#include "gui/udisks_access_route.h"
#include "gui/ui_thread_call.h"
#include "gui/wait_cursor.h"
#include "platform/file_system.h"

namespace orvande::gui {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kError:
      return QMessageBox::Critical;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
    case MessageIcon::kInformation:
      break;
  }
  return QMessageBox::Information;
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The log's lines end in "\r\n", as the engine writes them.
QString PlainLines(std::string_view text) {
  QString lines = FromUtf8(text);
  lines.remove(QLatin1Char('\r'));
  return lines;
}

}  // namespace

MessageAnswer QtPrompter::ShowMessage(std::string_view text, std::string_view caption,
                                      MessageIcon icon, MessageButtons buttons) {
  if (parent_.isNull()) return buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kNo;
  const QString boxText = FromUtf8(text);
  const QString boxCaption = FromUtf8(caption);
  MessageAnswer answer = MessageAnswer::kCancel;
  CallOnObjectThread(parent_.data(), [&] {
    const ScopedArrowCursor arrow;
    const bool yesNo = buttons == MessageButtons::kYesNo;
    QMessageBox box(BoxIcon(icon), boxCaption, boxText,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_.data());
    const int pressed = box.exec();
    if (!yesNo)
      answer = MessageAnswer::kOk;
    else
      answer = pressed == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
  });
  return answer;
}

bool QtPrompter::OfferDeviceAccess(std::string_view devicePath) {
  if (parent_.isNull()) return false;
  bool granted = false;
  CallOnObjectThread(parent_.data(), [&] {
    granted = OfferDeviceAccessFromWindow(parent_.data(), std::string(devicePath),
                                          platform::ExecutableDirectory());
  });
  return granted;
}

void QtPrompter::ShowOperationLog(std::string_view text) {
  if (parent_.isNull()) return;
  const QString lines = PlainLines(text);
  CallOnObjectThread(parent_.data(), [&] {
    OperationLogDialog dialog(lines, parent_.data());
    dialog.exec();
  });
}

template <typename Dialog, typename Answer>
Answer QtPrompter::AskThroughDialog(std::string_view text, Answer unanswered) {
  if (parent_.isNull()) return unanswered;
  const QString shown = FromUtf8(text);
  Answer answer = unanswered;
  CallOnObjectThread(parent_.data(), [&] {
    const ScopedArrowCursor arrow;
    Dialog dialog(shown, parent_.data());
    dialog.exec();
    answer = dialog.Answer();
  });
  return answer;
}

ReplaceAnswer QtPrompter::ConfirmFileReplace(std::string_view path) {
  return AskThroughDialog<ConfirmFileReplaceDialog>(path, ReplaceAnswer::kSkip);
}

BrokenNameAnswer QtPrompter::AskBrokenFileName(std::string_view name) {
  return AskThroughDialog<BrokenFileNameDialog>(name, BrokenNameAnswer{});
}

MountPointAnswer QtPrompter::AskMountPoint(std::string_view text) {
  return AskThroughDialog<MountPointDialog>(text, MountPointAnswer{});
}

}  // namespace orvande::gui
