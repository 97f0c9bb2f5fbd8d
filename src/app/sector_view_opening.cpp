#include "app/sector_view_opening.h"

#include <algorithm>
#include <vector>

#include "app/export_byte_runs.h"
#include "app/sector_device_source.h"
#include "app/volume_analysis.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/item_location.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "disk/device_node.h"
#include "disk/sector_device.h"

namespace orvande {
namespace {

struct FileData {
  ItemLocation location;
  uint64_t size = 0;
  bool found = false;
};

FileData FindFile(VolumeAnalysis& analysis, uint32_t folderId, uint32_t fileIndex) {
  FileData data;
  if (fileIndex == kNoFileOfFolder) return data;
  FolderRef folder = analysis.Store().FindRef(folderId);
  if (!folder) return data;
  ReadLockGuard read(analysis.StoreLock());
  const std::vector<FileRecord>& files = folder->Files();
  if (fileIndex >= files.size()) return data;
  data.location = files[fileIndex].location;
  data.size = files[fileIndex].size;
  data.found = true;
  return data;
}

// The first sector of the file's data; 0 when it cannot be had cheaply.
uint64_t FirstDataOffset(VolumeAnalyzer& analyzer, const FileData& file) {
  if (!file.found) return 0;
  std::vector<ExportByteRun> runs;
  // One byte is enough to learn where the data starts; an empty file still has its cluster.
  if (!ExportByteRuns(analyzer, file.location, std::max<uint64_t>(file.size, 1), 0, &runs) ||
      runs.empty())
    return 0;
  const uint64_t sectorBytes = std::max<uint32_t>(analyzer.BytesPerSector(), 1);
  return runs.front().imageOffset - runs.front().imageOffset % sectorBytes;
}

}  // namespace

SectorViewOpening OpenAnalyzedVolumeView(VolumeAnalysis& analysis, uint32_t folderId,
                                         uint32_t fileIndex, Prompter* prompter,
                                         std::shared_ptr<const DeviceNode> analysedNode) {
  SectorViewOpening opening;
  DeviceNode* node = analysis.CurrentDevice();
  if (node == nullptr || (analysedNode && analysedNode.get() != node)) return opening;

  std::lock_guard<std::mutex> holdReader(analysis.ReaderLock());
  VolumeAnalyzer* analyzer = analysis.Reader();
  if (analyzer == nullptr && !analysis.WorkerRunning()) analyzer = analysis.Analyzer();
  if (analyzer == nullptr) return opening;

  DeviceRef device(node->CreateDevice());
  if (!device || !device->Open(/*quiet=*/false, prompter)) return opening;
  const uint64_t volumeBytes = analyzer->GetTotalSectors() * analyzer->BytesPerSector();
  // A device that knows its size shows all of it, the slack behind the volume included.
  const uint64_t deviceBytes = device->SizeInBytes();
  const uint64_t total = deviceBytes != 0 ? deviceBytes : volumeBytes;

  opening.startOffset = std::min(FirstDataOffset(*analyzer, FindFile(analysis, folderId, fileIndex)),
                                 total == 0 ? 0 : total - 1);
  opening.source = std::make_shared<SectorDeviceSource>(
      std::move(device), analyzer->BytesPerSector(), analyzer->BytesPerCluster(), total,
      std::move(analysedNode));
  return opening;
}

}  // namespace orvande
