#include "gui/about_dialog.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "app/about_box_text.h"
#include "app/link_opener.h"

namespace orvande::gui {

AboutDialog::AboutDialog(LinkOpener& opener, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kAboutTitle));
  const AboutBoxText about = MakeAboutBoxText();

  QLabel* name = AddLine(QString::fromStdString(about.programName));
  QFont nameFont = name->font();
  nameFont.setBold(true);
  nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
  name->setFont(nameFont);
  name->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 40);
  AddLine(QString::fromStdString(about.version));
  AddLine(QString::fromStdString(about.buildDate));
  const QString site = QString::fromStdString(about.webSite);
  siteText_ = site;
  webSite_ = AddLine(site);
  webSite_->setTextFormat(Qt::RichText);
  webSite_->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(site.toHtmlEscaped()));
  webSite_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(webSite_, &QLabel::linkActivated, this,
          [&opener](const QString& link) { opener.OpenLink(link.toStdString()); });

  auto* icon = new QLabel(this);
  const int iconSize = QFontMetrics(font()).height() * 3;
  QIcon disk = QIcon::fromTheme(QStringLiteral("drive-harddisk"));
  if (disk.isNull()) disk = style()->standardIcon(QStyle::SP_DriveHDIcon);
  icon->setPixmap(disk.pixmap(iconSize, iconSize));
  icon->setAlignment(Qt::AlignTop);

  auto* text = new QVBoxLayout;
  for (QLabel* line : lines_) text->addWidget(line);
  text->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(iconSize / 3);
  top->addLayout(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel* AboutDialog::AddLine(const QString& text) {
  auto* line = new QLabel(text, this);
  lines_.append(line);
  return line;
}

QStringList AboutDialog::Texts() const {
  QStringList texts;
  for (const QLabel* line : lines_)
    texts.append(line == webSite_ ? siteText_ : line->text());
  return texts;
}

void ShowAboutBox(LinkOpener& opener, QWidget* parent) {
  AboutDialog box(opener, parent);
  box.exec();
}

}  // namespace orvande::gui
