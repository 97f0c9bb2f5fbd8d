#include "core/analyzer_factory.h"

#include <array>
#include <cstring>
#include <mutex>
#include <new>
#include <string_view>

#include "core/default_boot_sector.h"
#include "disk/device_node.h"
#include "disk/sector_device.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// Where the boot sector names its file system.
constexpr size_t kNtfsOemIdOffset = 3;    // 4 bytes "NTFS"
constexpr size_t kFat16TypeOffset = 54;   // 3 bytes "FAT" (FAT12/16 extended block)
constexpr size_t kFat32TypeOffset = 82;   // 3 bytes "FAT" (FAT32 extended block)
constexpr uint32_t kDetectUnitShift = 9;  // the boot sector is read as one 512-byte unit

class MakerTable {
 public:
  void Set(int fsKind, AnalyzerMaker maker) {
    if (!InRange(fsKind)) return;
    std::lock_guard<std::mutex> hold(mutex_);
    makers_[static_cast<size_t>(fsKind)] = maker;
  }
  AnalyzerMaker Get(int fsKind) const {
    if (!InRange(fsKind)) return nullptr;
    std::lock_guard<std::mutex> hold(mutex_);
    return makers_[static_cast<size_t>(fsKind)];
  }

 private:
  static bool InRange(int fsKind) { return fsKind > kFsNone && fsKind <= kFsNtfs; }
  mutable std::mutex mutex_;
  std::array<AnalyzerMaker, kFsNtfs + 1> makers_{};
};

MakerTable& Makers() {
  static MakerTable table;
  return table;
}

bool EqualsIgnoringCase(const uint8_t* bytes, std::string_view lowerText) {
  for (size_t i = 0; i < lowerText.size(); ++i) {
    uint8_t c = bytes[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c - 'A' + 'a');
    if (c != static_cast<uint8_t>(lowerText[i])) return false;
  }
  return true;
}

// A floppy whose own boot sector names no file system is read as a 1.44 MB FAT12 diskette.
bool GiveFloppyDefaultBootSector(DeviceNode* node) {
  return node->StoreFloppyBootSector(DefaultFloppyBootSector().data());
}

void CloseAndRelease(SectorDevice* device) {
  device->Close();
  device->Release();
}

std::unique_ptr<VolumeAnalyzer> MakeAnalyzer(int fsKind) {
  AnalyzerMaker maker = Makers().Get(fsKind);
  if (maker == nullptr) return nullptr;
  try {
    return maker();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void RegisterAnalyzer(int fsKind, AnalyzerMaker maker) {
  Makers().Set(fsKind, maker);
}

int DetectFileSystem(SectorDevice* device) {
  if (device == nullptr) return kFsNone;
  std::array<uint8_t, kBootSectorSize> sector{};
  if (const uint8_t* stored = device->GetStoredBootSector()) {
    std::memcpy(sector.data(), stored, sector.size());
  } else {
    uint32_t result = 0;
    if (device->ReadSectors(0, sector.data(), static_cast<uint32_t>(sector.size()), &result, 1,
                            kDetectUnitShift, false) != 1)
      return kFsNone;
  }
  if (std::memcmp(sector.data() + kNtfsOemIdOffset, "NTFS", 4) == 0) return kFsNtfs;
  if (EqualsIgnoringCase(sector.data() + kFat16TypeOffset, "fat") ||
      EqualsIgnoringCase(sector.data() + kFat32TypeOffset, "fat"))
    return kFsFat;
  return kFsNone;
}

std::unique_ptr<VolumeAnalyzer> CreateAnalyzer(DeviceNode* node, bool quiet, OperationLog* log,
                                               Prompter* prompter) {
  if (node == nullptr) return nullptr;
  SectorDevice* device = node->CreateDevice();
  if (device == nullptr) return nullptr;
  if (!device->Open(quiet, prompter)) {
    device->Release();
    return nullptr;
  }

  // A kind the node already knows is trusted without looking at the boot sector.
  int fsKind = node->GetFsKind();
  if (fsKind == kFsNone) fsKind = DetectFileSystem(device);
  if (fsKind == kFsNone) {
    if (GiveFloppyDefaultBootSector(node)) {
      fsKind = kFsFat;
    } else {
      if (!quiet) {
        PrompterOrDefault(prompter).ShowMessage(LoadString(strings::kIdNoSupportedFileSystem),
                                                strings::kErrorCaption, MessageIcon::kError,
                                                MessageButtons::kOk);
      }
      CloseAndRelease(device);
      return nullptr;
    }
  }

  std::unique_ptr<VolumeAnalyzer> analyzer = MakeAnalyzer(fsKind);
  if (analyzer == nullptr || !analyzer->Open(device, quiet, log)) {
    // The analyzer's destructor gives back its own reference; ours is closed and released here.
    analyzer.reset();
    CloseAndRelease(device);
    return nullptr;
  }
  device->Release();
  return analyzer;
}

}  // namespace orvande
