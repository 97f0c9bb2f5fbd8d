#include "gui/recover_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "support/string_table.h"

namespace orvande::gui {
namespace {

constexpr int kFolderFieldChars = 48;

}  // namespace

RecoverDialog::RecoverDialog(AppSettings& settings, Prompter& prompter, RecoverFolderChecks checks,
                             QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      prompter_(prompter),
      checks_(std::move(checks)),
      values_(StoredRecoverValues(settings)) {
  setWindowTitle(QString::fromUtf8(kTitle));
  auto* layout = new QVBoxLayout(this);

  auto* label = new QLabel(QStringLiteral("&Output folder:"), this);
  folder_ = new QLineEdit(QString::fromStdString(values_.outputFolder), this);
  folder_->setMinimumWidth(fontMetrics().averageCharWidth() * kFolderFieldChars);
  label->setBuddy(folder_);
  auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
  browse->setAutoDefault(false);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(browse);
  layout->addWidget(label);
  layout->addLayout(folderRow);

  restoreStructure_ = new QCheckBox(QStringLiteral("Restore &folder structure"), this);
  allFiles_ = new QCheckBox(QStringLiteral("Recover &all files"), this);
  streams_ = new QCheckBox(QStringLiteral("Recover alternative data &streams"), this);
  restoreStructure_->setChecked(values_.restoreFolderStructure);
  allFiles_->setChecked(values_.recoverAllFiles);
  streams_->setChecked(values_.recoverAlternativeStreams);
  for (QCheckBox* box : {restoreStructure_, allFiles_, streams_}) layout->addWidget(box);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addSpacing(fontMetrics().height() / 2);
  layout->addWidget(buttons_);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(buttons_, &QDialogButtonBox::accepted, this, &RecoverDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &RecoverDialog::reject);
  connect(browse, &QPushButton::clicked, this, &RecoverDialog::Browse);
  connect(folder_, &QLineEdit::textChanged, this, &RecoverDialog::UpdateOk);
  UpdateOk();
}

QPushButton& RecoverDialog::OkButton() {
  return *buttons_->button(QDialogButtonBox::Ok);
}

void RecoverDialog::UpdateOk() {
  OkButton().setEnabled(RecoverFolderTextUsable(folder_->text().toStdString()));
}

void RecoverDialog::Browse() {
  const QString chosen = QFileDialog::getExistingDirectory(
      this, QString::fromUtf8(strings::kChooseRecoveryPath), folder_->text().trimmed());
  if (!chosen.isEmpty()) folder_->setText(chosen);
}

void RecoverDialog::accept() {
  std::string folder = folder_->text().toStdString();
  if (!RecoverFolderTextUsable(folder)) return;
  const bool accepted = AcceptRecoverFolder(prompter_, checks_, folder);
  // The text shows the folder as it will be used, also when a question keeps the dialog open.
  folder_->setText(QString::fromStdString(folder));
  if (!accepted) return;
  values_.outputFolder = folder;
  values_.restoreFolderStructure = restoreStructure_->isChecked();
  values_.recoverAllFiles = allFiles_->isChecked();
  values_.recoverAlternativeStreams = streams_->isChecked();
  StoreRecoverValues(settings_, values_);
  QDialog::accept();
}

}  // namespace orvande::gui
