#pragma once
// A Digital Forensics XML document of an analysed volume: who made it, the image, the volume's
// geometry and one fileobject per folder and file. Pure: items in, text out; safe from any thread.
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/export_item.h"

namespace orvande {

struct DfxmlCreator {
  std::string program;
  std::string version;
  std::string commandLine;
  std::string osSysname;  // execution environment; empty ones are left out
  std::string osRelease;
  std::string arch;
};

struct DfxmlVolume {
  std::string imageFilename;
  uint64_t partitionOffset = 0;  // bytes from the image's start to the volume's
  uint32_t sectorSize = 0;
  uint32_t blockSize = 0;  // the cluster
  std::string fileSystem;  // "FAT12", "FAT16", "FAT32" or "NTFS"
  uint64_t blockCount = 0;
};

// Text as XML character data or attribute value: markup characters as entities, characters XML
// cannot hold (control characters, broken UTF-8) as "\xNN" of their bytes.
std::string XmlEscaped(std::string_view text);

void WriteDfxml(std::ostream& out, const DfxmlCreator& creator, const DfxmlVolume& volume,
                const std::vector<ExportItem>& items);

}  // namespace orvande
