#include "app/program_folders.h"

#include "app/bad_sector_list.h"
#include "app/tips_reader.h"
#include "platform/file_system.h"

namespace orvande {
namespace {

constexpr char kInstalledDataFolder[] = "/../share/orvande";
constexpr char kHelpStartPage[] = "/help/index.html";

}  // namespace

std::string FindDataFolder(const std::string& programFolder) {
  const std::string installed = programFolder + kInstalledDataFolder;
  if (!programFolder.empty() && platform::IsDirectory(installed)) return installed;
#ifdef ORVANDE_SOURCE_DATA_DIR
  // A program run from its build tree reads the files it is being built with.
  if (platform::IsDirectory(ORVANDE_SOURCE_DATA_DIR)) return ORVANDE_SOURCE_DATA_DIR;
#endif
  return programFolder;
}

ProgramFolders MakeProgramFolders(const std::string& programFolder, std::string dataFolder) {
  ProgramFolders folders;
  folders.program = programFolder;
  folders.data = dataFolder.empty() ? FindDataFolder(programFolder) : std::move(dataFolder);
  folders.helpFile = folders.data + kHelpStartPage;
  folders.tipsFile = folders.data + "/" + TipsReader::kFileName;
  folders.badSectorsFile = folders.data + "/" + BadSectorList::kFileName;
  return folders;
}

}  // namespace orvande
