#include "gui/broken_file_name_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/file_name_policy.h"
#include "support/string_table.h"

namespace orvande::gui {
namespace {

constexpr int kNameFieldChars = 40;
constexpr int kSymbolFieldChars = 4;

}  // namespace

BrokenFileNameDialog::BrokenFileNameDialog(const QString& name, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(strings::kBrokenFileNameCaption));
  auto* broken = new QLineEdit(name, this);
  broken->setReadOnly(true);
  broken->setMinimumWidth(fontMetrics().averageCharWidth() * kNameFieldChars);
  newName_ = new QLineEdit(name, this);
  auto* brokenLabel = new QLabel(QString::fromUtf8(strings::kBrokenFileNameLabel), this);
  auto* newLabel = new QLabel(QString::fromUtf8(strings::kNewFileNameLabel), this);
  brokenLabel->setBuddy(broken);
  newLabel->setBuddy(newName_);

  changeAll_ = new QCheckBox(QString::fromUtf8(strings::kChangeAllSymbolsLabel), this);
  symbol_ = new QLineEdit(this);
  // One character, which may take up to four bytes.
  symbol_->setMaxLength(1);
  symbol_->setFixedWidth(fontMetrics().averageCharWidth() * kSymbolFieldChars);
  symbol_->setEnabled(false);
  connect(changeAll_, &QCheckBox::toggled, symbol_, &QLineEdit::setEnabled);

  auto* form = new QFormLayout;
  form->addRow(brokenLabel, broken);
  form->addRow(newLabel, newName_);
  auto* symbolRow = new QHBoxLayout;
  symbolRow->addWidget(changeAll_);
  symbolRow->addWidget(symbol_);
  symbolRow->addStretch(1);

  rename_ = new QPushButton(QStringLiteral("&Rename"), this);
  auto* skip = new QPushButton(QStringLiteral("&Skip"), this);
  skipAll_ = new QPushButton(QStringLiteral("Skip &All"), this);
  rename_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* button : {rename_, skip, skipAll_}) buttons->addWidget(button);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(symbolRow);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(rename_, &QPushButton::clicked, this, &BrokenFileNameDialog::Rename);
  connect(skip, &QPushButton::clicked, this, &BrokenFileNameDialog::reject);
  connect(skipAll_, &QPushButton::clicked, this, [this] {
    answer_ = BrokenNameAnswer{};
    answer_.action = BrokenNameAnswer::kSkipAll;
    accept();
  });
}

void BrokenFileNameDialog::Rename() {
  BrokenNameAnswer answer;
  answer.action = BrokenNameAnswer::kRename;
  answer.newName = newName_->text().toStdString();
  answer.changeAll = changeAll_->isChecked();
  if (answer.changeAll) answer.symbol = symbol_->text().toStdString();
  if (const uint32_t problem = BrokenNameProblem(answer); problem != 0) {
    QMessageBox::warning(this, QString::fromUtf8(strings::kBrokenFileNameCaption),
                         QString::fromUtf8(LoadString(problem)));
    return;
  }
  answer_ = std::move(answer);
  accept();
}

}  // namespace orvande::gui
