#pragma once
// The user's own folders as the desktop conventions name them. Each answer is read from the
// environment when asked. Safe to use from any thread while nobody changes the environment.
#include <string>

namespace orvande::platform {

// $HOME, else the home folder of the account; empty when neither is known. No final '/'.
std::string HomeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else HomeFolder() + "/.config"; empty when no
// home folder is known. No final '/'.
std::string UserConfigFolder();
// $XDG_STATE_HOME when it is an absolute path, else HomeFolder() + "/.local/state"; empty when
// no home folder is known. No final '/'.
std::string UserStateFolder();

}  // namespace orvande::platform
