#pragma once
// Runs orvande-cli in-process with its output streams caught. Only the cli tests link the
// program's code, so this stays in the header.
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace orvande::test {

struct CliOutcome {
  int exitCode = -1;
  std::string out, err;
};

// args without the program's name.
inline CliOutcome RunCliInProcess(std::vector<std::string> args) {
  args.insert(args.begin(), "orvande-cli");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::ostringstream out, err;
  CliOutcome outcome;
  outcome.exitCode = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

}  // namespace orvande::test
