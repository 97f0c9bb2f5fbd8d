#include "gui/find_partitions_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

#include "app/partition_search_range.h"
#include "gui/range_selector.h"
#include "search/search_options.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande::gui {
namespace {

constexpr char kDiskLabel[] = "Select &disk:";
constexpr char kStartLabel[] = "S&tart:";
constexpr char kSizeLabel[] = "Si&ze:";
constexpr char kRemovePrevious[] = "&Remove previously found partitions from the list";
constexpr char kFileSystemsLabel[] = "File S&ystems:";
constexpr char kLoadButton[] = "Load partitions &info...";

struct FileSystemChoice {
  const char* text;
  uint32_t bit;
};
constexpr FileSystemChoice kFileSystemChoices[] = {
    {"NTFS", SearchNtfs}, {"FAT32", SearchFat32}, {"FAT16", SearchFat16}, {"FAT12", SearchFat12}};

// Up to two decimals, without trailing zeros.
QString AmountText(double value) {
  QString text = QString::number(value, 'f', 2);
  while (text.endsWith(QLatin1Char('0'))) text.chop(1);
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  return text;
}

double AmountOf(const QLineEdit& edit) {
  bool ok = false;
  const double value = QLocale::c().toDouble(edit.text().trimmed(), &ok);
  return ok && value > 0 ? value : 0;
}

}  // namespace

FindLostPartitionsDialog::FindLostPartitionsDialog(std::vector<SearchDiskEntry> disks,
                                                   int preselected, uint32_t fileSystems,
                                                   Prompter& prompter, QWidget* parent)
    : QDialog(parent), disks_(std::move(disks)), prompter_(prompter) {
  setWindowTitle(QString::fromUtf8(kCaption));
  BuildWindow();
  for (const SearchDiskEntry& disk : disks_) diskList_->addItem(QString::fromStdString(disk.text));
  for (size_t i = 0; i < std::size(kFileSystemChoices); ++i)
    fileSystems_[i]->setChecked((fileSystems & kFileSystemChoices[i].bit) != 0);
  const int chosen = preselected >= 0 && preselected < diskList_->count() ? preselected : 0;
  diskList_->setCurrentIndex(chosen);
  DiskChosen(chosen);
  connect(diskList_, &QComboBox::currentIndexChanged, this, &FindLostPartitionsDialog::DiskChosen);
  connect(startEdit_, &QLineEdit::textEdited, this, &FindLostPartitionsDialog::EditsChanged);
  connect(sizeEdit_, &QLineEdit::textEdited, this, &FindLostPartitionsDialog::EditsChanged);
  connect(range_, &RangeSelector::RangeChanged, this, &FindLostPartitionsDialog::RangeDragged);
}

void FindLostPartitionsDialog::BuildWindow() {
  diskList_ = new QComboBox(this);
  diskList_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* diskLabel = new QLabel(QString::fromUtf8(kDiskLabel), this);
  diskLabel->setBuddy(diskList_);

  auto* validator = new QDoubleValidator(0, 1e12, 2, this);
  validator->setLocale(QLocale::c());
  validator->setNotation(QDoubleValidator::StandardNotation);
  const int editWidth = QFontMetrics(font()).averageCharWidth() * 12;
  auto makeEdit = [&] {
    auto* edit = new QLineEdit(this);
    edit->setValidator(validator);
    edit->setFixedWidth(editWidth);
    return edit;
  };
  startEdit_ = makeEdit();
  sizeEdit_ = makeEdit();
  startUnit_ = new QLabel(this);
  sizeUnit_ = new QLabel(this);
  auto* startLabel = new QLabel(QString::fromUtf8(kStartLabel), this);
  startLabel->setBuddy(startEdit_);
  auto* sizeLabel = new QLabel(QString::fromUtf8(kSizeLabel), this);
  sizeLabel->setBuddy(sizeEdit_);
  range_ = new RangeSelector(this);

  auto* grid = new QGridLayout;
  grid->addWidget(diskLabel, 0, 0);
  grid->addWidget(diskList_, 0, 1, 1, 5);
  grid->addWidget(startLabel, 1, 0);
  grid->addWidget(startEdit_, 1, 1);
  grid->addWidget(startUnit_, 1, 2);
  grid->addWidget(sizeLabel, 1, 3);
  grid->addWidget(sizeEdit_, 1, 4);
  grid->addWidget(sizeUnit_, 1, 5);
  grid->setColumnStretch(5, 1);
  grid->addWidget(range_, 2, 0, 1, 6);

  removePrevious_ = new QCheckBox(QString::fromUtf8(kRemovePrevious), this);
  auto* systems = new QGroupBox(QString::fromUtf8(kFileSystemsLabel), this);
  auto* systemsRow = new QHBoxLayout(systems);
  for (size_t i = 0; i < std::size(kFileSystemChoices); ++i) {
    fileSystems_[i] = new QCheckBox(QString::fromUtf8(kFileSystemChoices[i].text), systems);
    systemsRow->addWidget(fileSystems_[i]);
  }
  systemsRow->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  load_ = buttons->addButton(QString::fromUtf8(kLoadButton), QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &FindLostPartitionsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(load_, &QPushButton::clicked, this, [this] {
    loadChosen_ = true;
    done(QDialog::Accepted);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(removePrevious_);
  layout->addWidget(systems);
  layout->addWidget(buttons);
}

uint64_t FindLostPartitionsDialog::UnitBytes() const {
  const int index = diskList_->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= disks_.size()) return kMegabyte;
  return SearchRangeUnit(disks_[static_cast<size_t>(index)].sizeBytes);
}

void FindLostPartitionsDialog::DiskChosen(int index) {
  if (index < 0 || static_cast<size_t>(index) >= disks_.size()) return;
  const uint64_t unit = UnitBytes();
  const QString unitText = QString::fromLatin1(unit == kGigabyte ? "GB" : "MB");
  startUnit_->setText(unitText);
  sizeUnit_->setText(unitText);
  const double total =
      static_cast<double>(disks_[static_cast<size_t>(index)].sizeBytes) / static_cast<double>(unit);
  range_->SetTotal(total);
  range_->SetRange(0, total);
  ShowRangeInEdits();
}

void FindLostPartitionsDialog::ShowRangeInEdits() {
  startEdit_->setText(AmountText(range_->Start()));
  sizeEdit_->setText(AmountText(range_->End() - range_->Start()));
}

double FindLostPartitionsDialog::StartValue() const {
  return AmountOf(*startEdit_);
}

double FindLostPartitionsDialog::SizeValue() const {
  return AmountOf(*sizeEdit_);
}

// The edits lead: the selector shows what they say, held inside the disk.
void FindLostPartitionsDialog::EditsChanged() {
  const double start = StartValue();
  range_->SetRange(start, start + SizeValue());
}

void FindLostPartitionsDialog::RangeDragged(double, double) {
  ShowRangeInEdits();
}

FindPartitionsChoice FindLostPartitionsDialog::Choice() const {
  FindPartitionsChoice choice;
  if (result() != QDialog::Accepted) return choice;
  choice.action = loadChosen_ ? FindPartitionsChoice::Action::kLoad
                              : FindPartitionsChoice::Action::kSearch;
  choice.disk = diskList_->currentIndex();
  // The selector's range: what the edits say, held inside the disk, and unrounded while the
  // edits only show it.
  choice.start = range_->Start();
  choice.end = range_->End();
  choice.unitBytes = UnitBytes();
  choice.removePrevious = removePrevious_->isChecked();
  for (size_t i = 0; i < std::size(kFileSystemChoices); ++i)
    if (fileSystems_[i]->isChecked()) choice.fileSystems |= kFileSystemChoices[i].bit;
  return choice;
}

void FindLostPartitionsDialog::accept() {
  loadChosen_ = false;
  if (!(range_->Start() < range_->End())) {
    prompter_.ShowMessage(strings::kSelectRange, strings::kErrorCaption, MessageIcon::kError,
                          MessageButtons::kOk);
    return;
  }
  QDialog::accept();
}

}  // namespace orvande::gui
