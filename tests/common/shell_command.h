#pragma once
// Runs a shell command for a test and keeps what it printed. Safe from any thread.
#include <string>

namespace orvande::test {

// Standard output of `command`, trailing blanks and newlines cut; empty when it cannot run.
std::string RunAndRead(const std::string& command);

}  // namespace orvande::test
