#include "gui/qt_link_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace orvande::gui {

bool QtLinkOpener::OpenLink(const std::string& url) {
  // Tolerant parsing keeps the mail link's percent escapes as they are.
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::TolerantMode));
}

}  // namespace orvande::gui
