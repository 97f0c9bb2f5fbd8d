#pragma once
// What the About box says: the program's name, the version it was built as, its build date and
// the web site. Plain values; safe to use from any thread.
#include <string>

namespace orvande {

inline constexpr char kAboutTitle[] = "About Orvande";
inline constexpr char kProgramNameAndRelease[] = "Orvande 2.0";
inline constexpr char kVersionFormat[] = "Version %s";
inline constexpr char kBuildDateFormat[] = "Build Date %s";

struct AboutBoxText {
  std::string programName;  // the frame's title
  std::string version;      // "Version 0.1.0"
  std::string buildDate;    // "Build Date Feb 14 2005"
  std::string webSite;
};

// The version the build was configured with, "0.1.0".
std::string ProgramVersion();
AboutBoxText MakeAboutBoxText();

}  // namespace orvande
