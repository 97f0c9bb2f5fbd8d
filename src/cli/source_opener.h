#pragma once
// Turns a SOURCE argument of the command line into the device-list node that reads it: a regular
// file is a volume image, a block device is a volume, and DISK@N is partition N of a whole disk
// (image file or device) as the partitions command numbers them. Every command that takes a
// SOURCE uses it.
// Main thread only.
#include <memory>
#include <string>

#include "app/disk_partition_source.h"
#include "disk/device_node.h"
#include "disk/device_ref.h"

namespace orvande {
class Prompter;
}  // namespace orvande

namespace orvande::cli {

// The node for `path`, or null with a one-line *problem for the user.
std::unique_ptr<DeviceNode> MakeSourceNode(const std::string& path, std::string* problem,
                                           const DiskSourceOptions& diskOptions = {});

// A new, opened device of the node; empty when it cannot be opened (the engine has already shown
// why through the prompter) or memory runs out (*problem says so).
DeviceRef OpenSourceDevice(DeviceNode& node, Prompter& prompter, std::string* problem);

}  // namespace orvande::cli
