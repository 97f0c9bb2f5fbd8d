#include "gui/create_image_error_dialog.h"

#include <QPushButton>

namespace orvande::gui {
namespace {

constexpr char kAbort[] = "&Abort";
constexpr char kContinue[] = "&Continue";

}  // namespace

CreateImageErrorDialog::CreateImageErrorDialog(const QString& text, QWidget* parent)
    : QMessageBox(QMessageBox::Warning, QString::fromUtf8(kTitle), text, QMessageBox::NoButton,
                  parent) {
  abort_ = addButton(QString::fromUtf8(kAbort), QMessageBox::RejectRole);
  continue_ = addButton(QString::fromUtf8(kContinue), QMessageBox::AcceptRole);
  setDefaultButton(static_cast<QPushButton*>(abort_));
  setEscapeButton(abort_);
}

}  // namespace orvande::gui
