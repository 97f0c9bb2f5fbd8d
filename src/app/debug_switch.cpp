#include "app/debug_switch.h"

#include <algorithm>

namespace orvande {

bool IsDebugSwitch(std::string_view argument) {
  constexpr std::string_view kSwitch = "debug";
  return argument.size() == kSwitch.size() &&
         std::equal(argument.begin(), argument.end(), kSwitch.begin(), [](char a, char b) {
           return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
         });
}

bool HasDebugSwitch(const std::vector<std::string>& arguments) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [](const std::string& argument) { return IsDebugSwitch(argument); });
}

}  // namespace orvande
