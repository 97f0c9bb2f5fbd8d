#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <utility>

#include "cli/cli_prompter.h"
#include "cli/command.h"
#include "cli/disk_source_options.h"

namespace orvande::cli {

const char* VersionText() {
  return "orvande-cli " ORVANDE_VERSION_TEXT;
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           bool interactive) {
  CLI::App app("Finds and recovers deleted files on FAT and NTFS volumes and images.",
               "orvande-cli");
  app.set_version_flag("--version", VersionText());
  app.require_subcommand(1);
  app.fallthrough(false);

  std::vector<std::unique_ptr<Command>> commands = MakeCommands();
  std::vector<std::pair<CLI::App*, Command*>> registered;
  DiskSourceOptions diskOptions;
  for (const auto& command : commands) {
    CLI::App* sub = command->Register(app);
    // Every command reads its SOURCE or DISK through them, so every command takes them.
    RegisterDiskSourceOptions(*sub, diskOptions);
    registered.emplace_back(sub, command.get());
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version are "errors" with exit code 0 in CLI11's terms.
    int code = app.exit(e, out, err);
    return code == 0 ? kExitOk : kExitUsage;
  }

  CliPrompter prompter(err, interactive ? &std::cin : nullptr);
  CommandContext context{out, err, prompter, &diskOptions};
  for (auto& [sub, command] : registered) {
    if (sub->parsed()) return command->Run(context);
  }
  return kExitUsage;  // unreachable: exactly one subcommand is required
}

}  // namespace orvande::cli
