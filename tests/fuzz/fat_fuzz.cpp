// Feeds arbitrary bytes to the FAT analyzer as a small volume (fat_fuzz_volume.h). Open and
// BuildTree must end cleanly whatever the bytes are.
#include <cstddef>
#include <cstdint>

#include "fat/fat_analyzer.h"
#include "fat_fuzz_volume.h"
#include "fuzz_device.h"
#include "support/operation_log.h"

namespace {

using namespace orvande;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzDevice* device = new fuzz::FuzzDevice(fuzz::MakeFatFuzzImage(data, size));
  {
    FatAnalyzer analyzer;
    OperationLog log;
    if (analyzer.Open(device, false, &log)) {
      fuzz::FuzzTree build;
      analyzer.BuildTree(build.context, &log);
      build.store.Clear();
    }
  }
  device->Release();
  return 0;
}
