#pragma once
// "Find Lost Partitions": the disk to search, the range on it (start and size in megabytes or
// gigabytes, and the range selector), whether the disk's earlier finds are forgotten first, and
// the file systems looked for. It ends with OK, with "Load partitions &info..." or with Cancel.
// User-interface thread only.
#include <QDialog>
#include <cstdint>
#include <vector>

#include "app/search_disk_choice.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvande {
class Prompter;
}

namespace orvande::gui {

class RangeSelector;

struct FindPartitionsChoice {
  enum class Action { kCancel, kSearch, kLoad };
  Action action = Action::kCancel;
  int disk = 0;      // index into the offered disks
  double start = 0;  // in Unit() bytes
  double end = 0;
  uint64_t unitBytes = 0;
  bool removePrevious = false;
  uint32_t fileSystems = 0;  // SearchOption bits
};

class FindLostPartitionsDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kCaption[] = "Find Lost Partitions";

  // disks: what ListSearchDisks offered (not empty); fileSystems: the SearchOption bits to tick.
  FindLostPartitionsDialog(std::vector<SearchDiskEntry> disks, int preselected,
                           uint32_t fileSystems, Prompter& prompter, QWidget* parent = nullptr);

  FindPartitionsChoice Choice() const;

  QComboBox& DiskList() { return *diskList_; }
  QLineEdit& StartEdit() { return *startEdit_; }
  QLineEdit& SizeEdit() { return *sizeEdit_; }
  // "MB" or "GB", beside the size.
  QLabel& SizeUnit() { return *sizeUnit_; }
  RangeSelector& Range() { return *range_; }
  QCheckBox& RemovePrevious() { return *removePrevious_; }
  // NTFS, FAT32, FAT16, FAT12.
  QCheckBox& FileSystem(int index) { return *fileSystems_[index]; }
  QPushButton& LoadButton() { return *load_; }
  QPushButton& OkButton() { return *ok_; }

 public slots:
  void accept() override;

 private:
  void BuildWindow();
  void DiskChosen(int index);
  void EditsChanged();
  void RangeDragged(double start, double end);
  void ShowRangeInEdits();
  uint64_t UnitBytes() const;
  double StartValue() const;
  double SizeValue() const;

  std::vector<SearchDiskEntry> disks_;
  Prompter& prompter_;
  bool loadChosen_ = false;
  QComboBox* diskList_ = nullptr;
  QLineEdit* startEdit_ = nullptr;
  QLineEdit* sizeEdit_ = nullptr;
  QLabel* startUnit_ = nullptr;
  QLabel* sizeUnit_ = nullptr;
  RangeSelector* range_ = nullptr;
  QCheckBox* removePrevious_ = nullptr;
  QCheckBox* fileSystems_[4] = {};
  QPushButton* load_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace orvande::gui
