#pragma once
// What the file list's View command opens: the analysed volume, read through a device of its
// own (so that the viewer outlives a later analysis of another volume), placed at the first
// sector of the chosen file's data where that is cheap to find, else at the volume's start.
// User-interface thread; it takes the analysis's reader lock and the store's read lock.
#include <cstdint>
#include <memory>

namespace orvande {

class DeviceNode;
class Prompter;
class SectorDataSource;
class VolumeAnalysis;

struct SectorViewOpening {
  std::shared_ptr<SectorDataSource> source;  // null: nothing was opened
  uint64_t startOffset = 0;
};

inline constexpr uint32_t kNoFileOfFolder = 0xFFFFFFFF;

// folderId/fileIndex name the file (kNoFileOfFolder for none). The prompter hears why the
// device could not be opened; null is the process-wide one. analysedNode: the owner of the
// analysed device's node, which the viewer keeps alive; null when it outlives the viewer.
SectorViewOpening OpenAnalyzedVolumeView(VolumeAnalysis& analysis, uint32_t folderId,
                                         uint32_t fileIndex, Prompter* prompter,
                                         std::shared_ptr<const DeviceNode> analysedNode = nullptr);

}  // namespace orvande
