#pragma once
// The About box: the program's name, the version it was built as, its build date and the web
// site as a link that the link port opens. User-interface thread only.
#include <QDialog>

class QLabel;

namespace orvande {
class LinkOpener;
}  // namespace orvande

namespace orvande::gui {

class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(LinkOpener& opener, QWidget* parent);

  // Every text the box shows, one a line.
  QStringList Texts() const;
  QLabel& WebSiteLink() { return *webSite_; }

 private:
  QLabel* AddLine(const QString& text);

  QList<QLabel*> lines_;
  QLabel* webSite_ = nullptr;
  QString siteText_;
};

// The About command: the box, modal over parent.
void ShowAboutBox(LinkOpener& opener, QWidget* parent);

}  // namespace orvande::gui
