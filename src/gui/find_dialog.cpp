#include "gui/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvande::gui {
namespace {

constexpr char kFindWhat[] = "&Find what:";
constexpr char kDeletedOnly[] = "&Deleted only";
constexpr char kWholeName[] = "Match &whole name only";
constexpr char kMatchCase[] = "Match &case";
constexpr int kTextWidthChars = 40;

}  // namespace

FindDialog::FindDialog(const FindSettings& values, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  auto* layout = new QGridLayout(this);

  auto* label = new QLabel(QString::fromUtf8(kFindWhat), this);
  text_ = new QLineEdit(QString::fromStdString(values.lastSearchString), this);
  text_->setMinimumWidth(fontMetrics().averageCharWidth() * kTextWidthChars);
  text_->selectAll();
  label->setBuddy(text_);
  deletedOnly_ = new QCheckBox(QString::fromUtf8(kDeletedOnly), this);
  deletedOnly_->setChecked(values.searchDeletedOnly);
  wholeName_ = new QCheckBox(QString::fromUtf8(kWholeName), this);
  wholeName_->setChecked(values.searchMatchFullName);
  wholeName_->hide();
  matchCase_ = new QCheckBox(QString::fromUtf8(kMatchCase), this);
  matchCase_->setChecked(values.searchMatchCase);
  matchCase_->hide();

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                  Qt::Vertical, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  layout->addWidget(label, 0, 0);
  layout->addWidget(text_, 0, 1);
  layout->addWidget(deletedOnly_, 1, 0, 1, 2);
  layout->addWidget(buttons_, 0, 2, 3, 1, Qt::AlignTop);
  layout->setRowStretch(2, 1);
  setSizeGripEnabled(false);
  text_->setFocus();
}

FindSettings FindDialog::Values() const {
  FindSettings values;
  values.lastSearchString = text_->text().toStdString();
  values.searchDeletedOnly = deletedOnly_->isChecked();
  values.searchMatchFullName = wholeName_->isChecked();
  values.searchMatchCase = matchCase_->isChecked();
  return values;
}

std::optional<FindSettings> AskFindValues(const FindSettings& values, QWidget* parent) {
  FindDialog dialog(values, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Values();
}

}  // namespace orvande::gui
