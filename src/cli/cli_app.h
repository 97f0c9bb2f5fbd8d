#pragma once
// The orvande-cli program: parses the command line with CLI11 and runs the chosen command. Exit
// codes: 0 success, 1 a failed operation, 2 bad usage. Main thread only.
#include <iosfwd>

namespace orvande::cli {

// The program's version text, as --version prints it.
const char* VersionText();

// Runs the program on argv with results on `out` and messages on `err`. Message boxes of the
// engine go to `err` as well while it runs; `interactive` lets them ask questions on the terminal.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           bool interactive = false);

}  // namespace orvande::cli
