// Feeds arbitrary bytes to the FAT analyzer as a small volume (fat_fuzz_volume.h). Open and
// BuildTree must end cleanly whatever the bytes are.
#include <cstddef>
#include <cstdint>

#include "fat/fat_analyzer.h"
#include "fat_fuzz_volume.h"
#include "fuzz_device.h"
#include "support/operation_log.h"

using namespace orvande;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::BuildFatFuzzTree(data, size, [](FatAnalyzer&, fuzz::FuzzTree&, OperationLog&) {});
  return 0;
}
