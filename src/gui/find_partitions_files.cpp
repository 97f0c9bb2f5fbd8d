#include "gui/find_partitions_files.h"

#include <QFileDialog>
#include <QStringList>

#include "disk/partitions_file_messages.h"
#include "support/format.h"

namespace orvande::gui {
namespace {

const QString kPartitionsFilter = QStringLiteral("Partitions Information File (*.ovp)");
const QString kAllFilesFilter = QStringLiteral("All Files (*)");

QString Ask(QFileDialog& box) {
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return {};
  return box.selectedFiles().constFirst();
}

}  // namespace

QString AskPartitionsFileToSave(QWidget* parent, const std::string& diskName) {
  QFileDialog box(parent, QString::fromUtf8(ovp_texts::kSaveTitle));
  box.setAcceptMode(QFileDialog::AcceptSave);
  box.setFileMode(QFileDialog::AnyFile);
  box.setNameFilters({kPartitionsFilter});
  box.setDefaultSuffix(QString::fromLatin1(ovp_texts::kExtension));
  box.selectFile(QString::fromStdString(diskName));
  return Ask(box);
}

QString AskPartitionsFileToLoad(QWidget* parent, const std::string& diskName) {
  QFileDialog box(parent, QString::fromUtf8(ovp_texts::kLoadTitle));
  box.setAcceptMode(QFileDialog::AcceptOpen);
  box.setFileMode(QFileDialog::ExistingFile);
  box.setNameFilters({kPartitionsFilter, kAllFilesFilter});
  box.selectFile(QString::fromStdString(Format(ovp_texts::kLoadDefaultNameFormat, diskName.c_str())));
  return Ask(box);
}

}  // namespace orvande::gui
