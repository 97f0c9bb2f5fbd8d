#pragma once
// The files tree's folder images and the file list's file pictures by their index: 0 and 1 an ordinary folder, 2 and 3 a deleted
// one, 4 a folder that holds deleted content. From the desktop's icon theme where it has them,
// else drawn here, so that the tree never shows bare names. User-interface thread only.
#include <QIcon>

namespace orvande::gui {

QIcon FolderImage(uint32_t image);
// The file list's picture of a file, live or deleted.
QIcon FileImage(bool deleted);

// Where the desktop names no icon theme (a bare session, offscreen), the freedesktop theme that
// ships with the system is used.
void ChooseIconTheme();

}  // namespace orvande::gui
