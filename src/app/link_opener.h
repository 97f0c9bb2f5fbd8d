#pragma once
// The desktop's handling of links (a browser for web and file pages, the mail program for
// "mailto:"): a port, so that the commands that open links can be checked without a desktop.
// An implementation says itself whether it may be used from several threads.
#include <string>

namespace orvande {

class LinkOpener {
 public:
  virtual ~LinkOpener() = default;
  // False when the desktop could not open it.
  virtual bool OpenLink(const std::string& url) = 0;
};

}  // namespace orvande
