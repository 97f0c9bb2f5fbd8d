// Feeds arbitrary bytes to the file-system detection as a volume: the first byte may stamp the
// marks the detector looks for ("NTFS" at 3, "FAT" at 54 or "fat" at 82) onto the boot sector
// that the rest of the input is, so that short inputs reach both analyzers' Open. The detector
// and the factory must end cleanly whatever the bytes are, and an analyzer they make must answer
// for its volume size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/analyzer_factory.h"
#include "disk/device_node.h"
#include "fat/fat_analyzer.h"
#include "fuzz_device.h"
#include "ntfs/ntfs_analyzer.h"
#include "support/operation_log.h"

namespace {

using namespace orvande;

std::vector<uint8_t> MakeImage(const uint8_t* data, size_t size) {
  const uint8_t mode = size > 0 ? data[0] : 0;
  std::vector<uint8_t> image(size > 0 ? data + 1 : data, data + size);
  if (image.size() < 512 && mode % 4 != 0) image.resize(512, 0);
  switch (mode % 4) {
    case 1:
      std::memcpy(image.data() + 3, "NTFS", 4);
      break;
    case 2:
      std::memcpy(image.data() + 54, "FAT", 3);
      break;
    case 3:
      std::memcpy(image.data() + 82, "fat", 3);
      break;
    default:
      break;
  }
  return image;
}

// An image file node over the input; the detector decides the file system.
class FuzzNode : public DeviceNode {
 public:
  explicit FuzzNode(std::vector<uint8_t> image) : image_(std::move(image)) {}
  int GetKind() const override { return kNodeImageFile; }
  int GetFsKind() const override { return kFsNone; }
  std::string GetName() const override { return "fuzz.img"; }
  int IsRemovable() const override { return 0; }
  char GetDriveLetter() const override { return 0; }
  SectorDevice* CreateDevice() override { return new fuzz::FuzzDevice(image_); }

 private:
  std::vector<uint8_t> image_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    RegisterAnalyzer(kFsFat, &MakeFatAnalyzer);
    RegisterAnalyzer(kFsNtfs, &MakeNtfsAnalyzer);
    return true;
  }();
  (void)registered;
  FuzzNode node(MakeImage(data, size));
  SectorDevice* device = node.CreateDevice();
  if (device->Open(true, nullptr)) DetectFileSystem(device);
  device->Release();
  OperationLog log;
  std::unique_ptr<VolumeAnalyzer> analyzer = CreateAnalyzer(&node, true, &log, nullptr);
  if (analyzer) analyzer->GetTotalSectors();
  return 0;
}
