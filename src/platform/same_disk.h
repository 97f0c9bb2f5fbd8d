#pragma once
// Whether a recovery's output would land on the disk it recovers from. Safe to use from any thread.
#include <string>

namespace orvande::platform {

// True when writing into `outputFolder` could overwrite the block device `source` (the same
// device, or a partition of the same disk). False for image files and for anything unknown.
bool OutputOnSourceDevice(const std::string& source, const std::string& outputFolder);

}  // namespace orvande::platform
