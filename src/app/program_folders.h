#pragma once
// Where the program's own files are: the folder of its executable and its data folder (tips,
// help, icons), which is share/orvande/ beside an installed program's bin/ and the source tree's
// data/ for a program run from its build tree. Safe to use from any thread.
#include <string>

namespace orvande {

struct ProgramFolders {
  std::string program;  // the executable's folder
  std::string data;
  std::string helpFile;  // the help's start page
  std::string tipsFile;
  std::string badSectorsFile;
};

// The data folder for a program in programFolder: "<program>/../share/orvande" when it exists,
// else the source tree's data folder when it exists, else the program folder itself.
std::string FindDataFolder(const std::string& programFolder);
// The paths for a data folder; dataFolder empty: found from the program folder.
ProgramFolders MakeProgramFolders(const std::string& programFolder, std::string dataFolder);

}  // namespace orvande
