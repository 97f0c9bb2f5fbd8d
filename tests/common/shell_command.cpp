#include "common/shell_command.h"

#include <array>
#include <cstdio>

namespace orvande::test {

std::string RunAndRead(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 256> chunk;
    while (fgets(chunk.data(), chunk.size(), pipe)) output += chunk.data();
    pclose(pipe);
  }
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  return output;
}

}  // namespace orvande::test
