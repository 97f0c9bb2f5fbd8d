#include "gui/device_combo_box.h"

#include <QStandardItemModel>

namespace orvande::gui {
namespace {

// Entries stand indented under their heading.
constexpr char kEntryIndent[] = "    ";

}  // namespace

DeviceComboBox::DeviceComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
  setMinimumContentsLength(24);
}

void DeviceComboBox::SetEntries(const std::vector<DeviceListEntry>& entries) {
  const DeviceNode* selected = SelectedNode();
  blockSignals(true);
  clear();
  entries_ = entries;
  auto* rows = qobject_cast<QStandardItemModel*>(model());
  for (const DeviceListEntry& entry : entries_) {
    const bool heading = entry.kind == DeviceListEntry::kHeading;
    const QString text = QString::fromStdString(heading ? entry.text : kEntryIndent + entry.text);
    auto* item = new QStandardItem(text);
    item->setToolTip(QString::fromStdString(entry.text));
    if (heading) {
      item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
      QFont bold = font();
      bold.setBold(true);
      item->setFont(bold);
    }
    rows->appendRow(item);
  }
  const int keep = RowOf(selected);
  setCurrentIndex(keep >= 0 ? keep : FirstEntryRow());
  blockSignals(false);
  emit currentIndexChanged(currentIndex());
}

bool DeviceComboBox::SelectNode(const DeviceNode* node) {
  const int row = RowOf(node);
  if (row < 0) return false;
  setCurrentIndex(row);
  return true;
}

DeviceNode* DeviceComboBox::SelectedNode() const {
  const int row = currentIndex();
  if (row < 0 || row >= static_cast<int>(entries_.size())) return nullptr;
  return entries_[static_cast<size_t>(row)].node.get();
}

bool DeviceComboBox::AnalyzedEntryIsSelected() const {
  return analyzed_ != nullptr && analyzed_ == SelectedNode();
}

int DeviceComboBox::RowOf(const DeviceNode* node) const {
  if (node == nullptr) return -1;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].node.get() == node) return static_cast<int>(i);
  return -1;
}

int DeviceComboBox::FirstEntryRow() const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].kind == DeviceListEntry::kEntry && entries_[i].node) return static_cast<int>(i);
  return -1;
}

}  // namespace orvande::gui
