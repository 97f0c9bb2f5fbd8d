#include "app/about_box_text.h"

#include "app/support_links.h"
#include "support/format.h"

#ifndef ORVANDE_VERSION
#define ORVANDE_VERSION "0.0.0"
#endif

namespace orvande {

std::string ProgramVersion() {
  return ORVANDE_VERSION;
}

AboutBoxText MakeAboutBoxText() {
  AboutBoxText text;
  text.programName = kProgramNameAndRelease;
  text.version = Format(kVersionFormat, ProgramVersion().c_str());
  text.buildDate = Format(kBuildDateFormat, kProgramBuildDate);
  text.webSite = ProductWebSite();
  return text;
}

}  // namespace orvande
