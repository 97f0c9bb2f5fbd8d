#include "cli/source_opener.h"

#include <filesystem>
#include <system_error>

#include "disk/image_file_node.h"
#include "disk/partition_node.h"
#include "disk/logical_drive_node.h"

namespace orvande::cli {

namespace fs = std::filesystem;

namespace {

// A name that is no file of its own may be DISK@N.
std::unique_ptr<DeviceNode> MakeDiskPartitionNode(const DiskPartitionName& name,
                                                  const DiskSourceOptions& diskOptions,
                                                  std::string* problem) {
  std::optional<DiskWithPartitions> disk =
      OpenDiskWithPartitions(name.diskPath, diskOptions, problem);
  if (!disk) return nullptr;
  return PickDiskPartition(*disk, name.number, problem);
}

}  // namespace

std::unique_ptr<DeviceNode> MakeSourceNode(const std::string& path, std::string* problem,
                                           const DiskSourceOptions& diskOptions) {
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) {
    if (std::optional<DiskPartitionName> name = ParseDiskPartitionName(path))
      return MakeDiskPartitionNode(*name, diskOptions, problem);
  }
  if (path.empty() || status.type() == fs::file_type::not_found) {
    *problem = "\"" + path + "\": no such image file or device";
    return nullptr;
  }
  if (ec) {
    *problem = "\"" + path + "\": " + ec.message();
    return nullptr;
  }
  switch (status.type()) {
    case fs::file_type::regular:
      return std::make_unique<ImageFileNode>(path);
    case fs::file_type::block:
      return std::make_unique<LogicalDriveNode>(path, path, kFsNone, /*removable=*/false);
    case fs::file_type::directory:
      *problem = "\"" + path + "\" is a folder; give a volume image file or a block device";
      return nullptr;
    default:
      *problem = "\"" + path + "\" is neither a volume image file nor a block device";
      return nullptr;
  }
}

DeviceRef OpenSourceDevice(DeviceNode& node, Prompter& prompter, std::string* problem) {
  DeviceRef device(node.CreateDevice());
  if (!device) {
    *problem = "out of memory";
    return DeviceRef();
  }
  if (!device->Open(/*quiet=*/false, &prompter)) {
    *problem = "cannot open \"" + node.GetName() + "\"";
    return DeviceRef();
  }
  return device;
}

}  // namespace orvande::cli
