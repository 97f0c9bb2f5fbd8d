#pragma once
// How a long image path is shortened in the device list: its first folder, "...", and its tail.
// Safe from any thread.
#include <string>

namespace orvande {

// "C:\Images\Backups\2004\disk.img" -> "C:\Images\...\disk.img"; short paths stay whole.
std::string ImageDisplayName(const std::string& path);

}  // namespace orvande
