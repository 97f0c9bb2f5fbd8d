#pragma once
// CreateImageErrorDialog: the "Error creating image file..." window that warns of too little free
// space for an image, with "&Abort" and "&Continue". User-interface thread only.
#include <QMessageBox>

namespace orvande::gui {

class CreateImageErrorDialog final : public QMessageBox {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Error creating image file...";

  CreateImageErrorDialog(const QString& text, QWidget* parent = nullptr);

  QAbstractButton& AbortButton() { return *abort_; }
  QAbstractButton& ContinueButton() { return *continue_; }
  // True when the user chose to go on.
  bool Continued() const { return clickedButton() == continue_; }

 private:
  QAbstractButton* abort_ = nullptr;
  QAbstractButton* continue_ = nullptr;
};

}  // namespace orvande::gui
