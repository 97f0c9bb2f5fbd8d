#include "cli/disk_source_options.h"

#include <CLI/CLI.hpp>
#include <string>

namespace orvande::cli {

void RegisterDiskSourceOptions(CLI::App& sub, DiskSourceOptions& options) {
  sub.add_option("--sector-size", options.imageSectorSize,
                 "Sector size of a whole-disk image file: 512 (default), 1024, 2048 or 4096")
      ->check([](const std::string& value) -> std::string {
        try {
          if (IsSupportedSectorSize(static_cast<uint32_t>(std::stoul(value)))) return {};
        } catch (const std::exception&) {
        }
        return "sector size " + value + " is not supported; use 512, 1024, 2048 or 4096";
      });
  sub.add_option("--partitions", options.partitionsFile,
                 "Partitions information file (.ovp) that holds the lost partitions of DISK (or of "
                 "the disk of DISK@N), instead of the list kept from earlier find-partitions runs");
}

}  // namespace orvande::cli
