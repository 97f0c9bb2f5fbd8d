#include "cli/analyze_command.h"
#include "cli/command.h"
#include "cli/devices_command.h"
#include "cli/find_command.h"
#include "cli/find_partitions_command.h"
#include "cli/image_command.h"
#include "cli/partitions_command.h"
#include "cli/recover_command.h"
#include "cli/view_command.h"

namespace orvande::cli {

std::vector<std::unique_ptr<Command>> MakeCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(MakeDevicesCommand());
  commands.push_back(MakeAnalyzeCommand());
  commands.push_back(MakeRecoverCommand());
  commands.push_back(MakeFindCommand());
  commands.push_back(MakeViewCommand());
  commands.push_back(MakeImageCommand());
  commands.push_back(MakePartitionsCommand());
  commands.push_back(MakeFindPartitionsCommand());
  return commands;
}

}  // namespace orvande::cli
