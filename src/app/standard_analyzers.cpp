#include "app/standard_analyzers.h"

#include <mutex>

#include "core/analyzer_factory.h"
#include "disk/device_node.h"
#include "fat/fat_analyzer.h"
#include "ntfs/ntfs_analyzer.h"

namespace orvande {

void RegisterStandardAnalyzers() {
  static std::once_flag once;
  std::call_once(once, [] {
    // One line per file system, each with the maker its analyzer's folder offers:
    RegisterAnalyzer(kFsFat, &MakeFatAnalyzer);
    RegisterAnalyzer(kFsNtfs, &MakeNtfsAnalyzer);
  });
}

}  // namespace orvande
