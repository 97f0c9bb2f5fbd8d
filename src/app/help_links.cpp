#include "app/help_links.h"

#include <filesystem>

#include "app/frame_commands.h"
#include "app/link_opener.h"
#include "app/program_folders.h"
#include "app/support_links.h"

namespace orvande {

std::string HelpContentsLink(const ProgramFolders& folders) {
  std::error_code error;
  std::filesystem::path page = std::filesystem::absolute(folders.helpFile, error);
  if (error) page = folders.helpFile;
  return "file://" + page.lexically_normal().string();
}

bool OpenHelpLink(uint32_t commandId, const ProgramFolders& folders, LinkOpener& opener) {
  switch (commandId) {
    case command::kHelpContents:
      opener.OpenLink(HelpContentsLink(folders));
      return true;
    case command::kWebSite:
      opener.OpenLink(ProductWebSite());
      return true;
    case command::kRequestForSupport:
      opener.OpenLink(SupportMailLink());
      return true;
    default:
      return false;
  }
}

}  // namespace orvande
