#include "cli/devices_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "app/device_list.h"
#include "disk/physical_disk_node.h"
#include "support/formatters.h"

namespace orvande::cli {
namespace {

using nlohmann::json;

json EntryJson(const DeviceListEntry& entry) {
  json object = {{"text", entry.text},
                 {"path", entry.path},
                 {"kind", entry.node->GetKind()},
                 {"fs_kind", entry.fsKind},
                 {"removable", entry.node->IsRemovable() == 1},
                 {"size_bytes", entry.sizeBytes}};
  if (auto* disk = dynamic_cast<const PhysicalDiskNode*>(entry.node.get()))
    object["number"] = disk->GetDiskNumber();
  return object;
}

json GroupsJson(const std::vector<DeviceListGroup>& groups) {
  json array = json::array();
  for (const DeviceListGroup& group : groups) {
    json entries = json::array();
    for (const DeviceListEntry& entry : group.entries) entries.push_back(EntryJson(entry));
    array.push_back({{"key", group.key}, {"text", group.text}, {"entries", entries}});
  }
  return array;
}

void WriteText(std::ostream& out, const std::vector<DeviceListGroup>& groups) {
  for (const DeviceListGroup& group : groups) {
    out << group.text << '\n';
    for (const DeviceListEntry& entry : group.entries) {
      // The display texts of drives start with a blank of their own.
      const bool leadingBlank = !entry.text.empty() && entry.text.front() == ' ';
      out << (leadingBlank ? " " : "  ") << entry.text << "  " << entry.path;
      if (entry.sizeBytes != 0) out << "  " << FormatSize(static_cast<double>(entry.sizeBytes));
      out << '\n';
    }
  }
}

class DevicesCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "devices", "List the local disks, image files, physical disks and their partitions");
    sub->add_flag("--json", json_, "Print the list as JSON");
    sub->add_option("--image", image_,
                    "Also list this image file, as opening it in the desktop program would")
        ->check(CLI::ExistingFile);
    return sub;
  }

  int Run(CommandContext& context) override {
    DeviceList list;
    if (!list.Discover()) {
      context.err << "orvande-cli: the block devices of this machine could not be listed\n";
      return kExitFailed;
    }
    if (!image_.empty() && list.AddImageFile(image_) == DeviceList::kNoRow) {
      context.err << "orvande-cli: " << image_ << " could not be read\n";
      return kExitFailed;
    }
    std::vector<DeviceListGroup> groups = list.Groups();
    groups.push_back(list.PhysicalDiskGroup());
    if (json_) {
      context.out << GroupsJson(groups).dump(2) << '\n';
    } else {
      WriteText(context.out, groups);
    }
    return kExitOk;
  }

 private:
  bool json_ = false;
  std::string image_;
};

}  // namespace

std::unique_ptr<Command> MakeDevicesCommand() {
  return std::make_unique<DevicesCommand>();
}

}  // namespace orvande::cli
