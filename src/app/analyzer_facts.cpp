#include "app/analyzer_facts.h"

#include "core/analyzer_factory.h"
#include "disk/device_node.h"
#include "fat/fat_analyzer.h"

namespace orvande {

std::string FileSystemName(VolumeAnalyzer& analyzer) {
  if (const auto* fat = dynamic_cast<const FatAnalyzer*>(&analyzer))
    return "FAT" + std::to_string(fat->FatWidth());
  return DetectFileSystem(analyzer.Device()) == kFsNtfs ? "NTFS" : "unknown";
}

bool NamesIgnoreCase(const VolumeAnalyzer& analyzer) {
  return dynamic_cast<const FatAnalyzer*>(&analyzer) != nullptr;
}

}  // namespace orvande
