#pragma once
// Links opened by the desktop (QDesktopServices): the browser, or the mail program for
// "mailto:". User-interface thread only.
#include "app/link_opener.h"

namespace orvande::gui {

class QtLinkOpener final : public LinkOpener {
 public:
  bool OpenLink(const std::string& url) override;
};

}  // namespace orvande::gui
