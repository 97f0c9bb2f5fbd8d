#pragma once
// The device drop-down of the left column: group headings as bold rows that cannot be chosen,
// the device entries indented below them. It is filled from a plain list, so that whatever makes
// the device list only has to say heading or entry, text and node. It remembers which entry was
// analysed. User-interface thread only.
#include <QComboBox>
#include <memory>
#include <string>
#include <vector>

namespace orvande {
class DeviceNode;
}  // namespace orvande

namespace orvande::gui {

struct DeviceListEntry {
  enum Kind { kHeading, kEntry };
  Kind kind = kEntry;
  std::string text;
  std::shared_ptr<DeviceNode> node;  // null for a heading
};

class DeviceComboBox final : public QComboBox {
  Q_OBJECT

 public:
  explicit DeviceComboBox(QWidget* parent = nullptr);

  // Replaces the rows; the selection moves to the entry of the node that was selected, else to
  // the first entry.
  void SetEntries(const std::vector<DeviceListEntry>& entries);
  // Selects the entry of that node; false when no entry holds it.
  bool SelectNode(const DeviceNode* node);

  DeviceNode* SelectedNode() const;
  void RecordAnalyzedEntry() { analyzed_ = SelectedNode(); }
  bool AnalyzedEntryIsSelected() const;

 private:
  int RowOf(const DeviceNode* node) const;
  int FirstEntryRow() const;

  std::vector<DeviceListEntry> entries_;  // row i shows entries_[i]
  const DeviceNode* analyzed_ = nullptr;
};

}  // namespace orvande::gui
