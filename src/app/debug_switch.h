#pragma once
// The command line's one switch: an argument "debug", in any mix of capitals, turns the debug
// trace on. "-debug" and "/debug" are other words. Safe to use from any thread.
#include <string>
#include <string_view>
#include <vector>

namespace orvande {

bool IsDebugSwitch(std::string_view argument);
// arguments: those after the program's name.
bool HasDebugSwitch(const std::vector<std::string>& arguments);

}  // namespace orvande
