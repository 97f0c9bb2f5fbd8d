#include "app/disk_source.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "disk/device_ports.h"
#include "disk/raw_disk.h"
#include "disk/sector_size_io.h"
#include "platform/error_numbers.h"
#include "platform/version.h"
#include "support/format.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;

// Reads the disk at `path` as disk kNamedDiskNumber. An image file reads through a layer that
// reports the chosen sector size; the lambda holds that layer, so it lives as long as any copy of
// the ports (the partition nodes made from the disk keep copies).
DevicePorts NamedDiskPorts(const std::string& path, bool imageFile, uint32_t imageSectorSize) {
  DevicePorts ports = SystemDevicePorts();
  ports.queryVersion = [] {
    return platform::PlatformVersion{platform::kAccessModeDevicePaths,
                                     platform::kPlatformKindNt5Later};
  };
  if (!imageFile) {
    ports.diskPath = [path](uint32_t number) {
      return number == kNamedDiskNumber ? path : std::string();
    };
    return ports;
  }
  auto io = std::make_shared<SectorSizeIo>(*ports.io, imageSectorSize);
  ports.io = io.get();
  ports.diskPath = [path, io](uint32_t number) {
    return number == kNamedDiskNumber ? path : std::string();
  };
  return ports;
}

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace

bool IsSupportedSectorSize(uint32_t bytesPerSector) {
  return bytesPerSector == 512 || bytesPerSector == 1024 || bytesPerSector == 2048 ||
         bytesPerSector == 4096;
}

std::optional<OpenedDisk> OpenNamedDisk(const std::string& path, uint32_t imageSectorSize,
                                        std::string* problem) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (path.empty() || status.type() == fs::file_type::not_found) {
    *problem = Quoted(path) + ": no such disk image file or device";
    return std::nullopt;
  }
  const bool imageFile = status.type() == fs::file_type::regular;
  if (!imageFile && status.type() != fs::file_type::block) {
    *problem = Quoted(path) + " is neither a disk image file nor a block device";
    return std::nullopt;
  }
  if (imageFile && !IsSupportedSectorSize(imageSectorSize)) {
    *problem =
        Format("sector size %u is not supported; use 512, 1024, 2048 or 4096", imageSectorSize);
    return std::nullopt;
  }

  OpenedDisk opened;
  opened.canonicalPath = fs::canonical(path, ec).string();
  if (ec) opened.canonicalPath = path;
  const DevicePorts ports = NamedDiskPorts(opened.canonicalPath, imageFile, imageSectorSize);
  RawDisk raw(ports);
  if (!raw.Open(kNamedDiskNumber, /*quiet=*/true, nullptr)) {
    *problem = Quoted(path) + ": " + platform::SystemErrorText(raw.LastOpenError());
    return std::nullopt;
  }
  opened.bytesPerSector = raw.BytesPerSector();
  opened.totalSectors = raw.TotalSectors();
  raw.Close();
  if (!IsSupportedSectorSize(opened.bytesPerSector)) {
    *problem = Format("%s: its sectors of %u bytes are not supported", Quoted(path).c_str(),
                      opened.bytesPerSector);
    return std::nullopt;
  }
  if (opened.totalSectors == 0) {
    *problem = Format("%s is shorter than one sector (%u bytes); it holds no disk",
                      Quoted(path).c_str(), opened.bytesPerSector);
    return std::nullopt;
  }
  opened.node = std::make_unique<PhysicalDiskNode>(kNamedDiskNumber, path, ports);
  return opened;
}

std::optional<DiskPartitionName> ParseDiskPartitionName(const std::string& text) {
  const size_t at = text.rfind('@');
  if (at == std::string::npos || at == 0 || at + 1 == text.size()) return std::nullopt;
  const char* begin = text.data() + at + 1;
  const char* end = text.data() + text.size();
  uint32_t number = 0;
  const auto [stop, error] = std::from_chars(begin, end, number);
  if (error != std::errc() || stop != end || number == 0) return std::nullopt;
  return DiskPartitionName{text.substr(0, at), number};
}

}  // namespace orvande
