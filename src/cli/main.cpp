#include <iostream>

#include "cli/cli_app.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  bool interactive =
      orvande::platform::IsStandardInputTerminal() && orvande::platform::IsStandardErrorTerminal();
  int code = orvande::cli::RunCli(argc, argv, std::cout, std::cerr, interactive);
  std::cout.flush();
  return code;
}
