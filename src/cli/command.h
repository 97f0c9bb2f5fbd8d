#pragma once
// One subcommand of orvande-cli. Each command lives in a file of its own and is listed once in
// MakeCommands (command_list.cpp); the app registers every listed command's options and runs the
// one the user chose. Used from the main thread only.
#include <iosfwd>
#include <memory>
#include <vector>

namespace CLI {
class App;
}

namespace orvande {
struct DiskSourceOptions;
}

namespace orvande::cli {

class CliPrompter;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct CommandContext {
  std::ostream& out;  // results
  std::ostream& err;  // messages
  CliPrompter& prompter;  // the run's: every job of the command reports through it
  // How a whole disk named as DISK or DISK@N is read; null: the defaults.
  const DiskSourceOptions* diskOptions = nullptr;
};

class Command {
 public:
  virtual ~Command() = default;
  // Adds the subcommand with its options and positionals; returns it.
  virtual CLI::App* Register(CLI::App& app) = 0;
  // Runs after a successful parse that chose this command; returns the exit code.
  virtual int Run(CommandContext& context) = 0;
};

// Every command of the program, in the order --help lists them.
std::vector<std::unique_ptr<Command>> MakeCommands();

}  // namespace orvande::cli
