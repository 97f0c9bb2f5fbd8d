#pragma once
// The file boxes around the partitions information file: where to save a disk's list, and which
// file to load into it. An empty result means the user cancelled. User-interface thread only.
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace orvande::gui {

// "Save partitions information to", offering the disk's name and asking before it overwrites.
QString AskPartitionsFileToSave(QWidget* parent, const std::string& diskName);
// "Load partitions information from", offering "<disk name>.ovp"; the file must exist.
QString AskPartitionsFileToLoad(QWidget* parent, const std::string& diskName);

// One of the boxes above, or what stands in for it: the chosen path, empty when cancelled.
using PartitionsFileBox = std::function<QString(QWidget* parent, const std::string& diskName)>;

// The boxes the lost-partition windows ask through; the file boxes above unless replaced.
struct PartitionsFileBoxes {
  PartitionsFileBox toSave = AskPartitionsFileToSave;
  PartitionsFileBox toLoad = AskPartitionsFileToLoad;
};

}  // namespace orvande::gui
