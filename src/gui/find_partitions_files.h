#pragma once
// The file boxes around the partitions information file: where to save a disk's list, and which
// file to load into it. An empty result means the user cancelled. User-interface thread only.
#include <QString>
#include <string>

class QWidget;

namespace orvande::gui {

// "Save partitions information to", offering the disk's name and asking before it overwrites.
QString AskPartitionsFileToSave(QWidget* parent, const std::string& diskName);
// "Load partitions information from", offering "<disk name>.ovp"; the file must exist.
QString AskPartitionsFileToLoad(QWidget* parent, const std::string& diskName);

}  // namespace orvande::gui
