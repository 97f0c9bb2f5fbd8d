#include "app/export_byte_runs.h"

#include "app/export_ntfs_runs.h"
#include "app/export_run_collector.h"
#include "core/item_location.h"
#include "core/volume_analyzer.h"
#include "fat/fat_analyzer.h"
#include "fat/fat_table.h"
#include "ntfs/ntfs_analyzer.h"

namespace orvande {
namespace {

void SectorRuns(const SectorRunList& list, uint32_t bytesPerSector, RunCollector& collector) {
  for (const SectorRun& run : list.Runs()) {
    if (collector.Full()) return;
    if (run.last < run.first) continue;
    collector.Add(uint64_t{run.first} * bytesPerSector,
                  (uint64_t{run.last} - run.first + 1) * bytesPerSector);
  }
}

// A live file follows its chain; a deleted one is read from its first cluster on, contiguously,
// as its recovery does. Chains are bounded by the cluster count: a looping table ends there.
bool FatRuns(FatAnalyzer& fat, uint64_t firstCluster, bool deleted, RunCollector& collector) {
  const uint64_t clusterBytes = fat.BytesPerCluster();
  if (clusterBytes == 0 || firstCluster < 2 || firstCluster > fat.ClusterCount() + 1) return false;
  uint32_t cluster = static_cast<uint32_t>(firstCluster);
  if (deleted) {
    const uint64_t lastCluster = fat.ClusterCount() + 1;
    for (uint64_t at = cluster; at <= lastCluster && !collector.Full(); ++at)
      collector.Add(fat.ClusterToSector(static_cast<uint32_t>(at)) * fat.BytesPerSector(),
                    clusterBytes);
    return true;
  }
  FatTable* table = fat.Table();
  if (table == nullptr) return false;
  for (uint32_t steps = 0; steps < fat.ClusterCount() && !collector.Full(); ++steps) {
    collector.Add(fat.ClusterToSector(cluster) * fat.BytesPerSector(), clusterBytes);
    uint32_t next = 0;
    if (!table->GetEntry(cluster, &next)) return false;
    next = fat.MaskCluster(next);
    if (table->IsEndOfChain(next) || table->IsBad(next)) break;
    if (next < 2 || next > fat.ClusterCount() + 1) return false;
    cluster = next;
  }
  return true;
}

}  // namespace

bool ExportByteRuns(VolumeAnalyzer& analyzer, const ItemLocation& location, uint64_t size,
                    uint64_t volumeOffset, std::vector<ExportByteRun>* runs) {
  runs->clear();
  RunCollector collector(size, volumeOffset, runs);
  if (const SectorRunList* list = location.Runs()) {
    SectorRuns(*list, analyzer.BytesPerSector(), collector);
    return true;
  }
  if (auto* ntfs = dynamic_cast<NtfsAnalyzer*>(&analyzer)) {
    if (size == 0) return true;
    const bool found = NtfsRecordRuns(*ntfs, location, collector);
    if (!found) runs->clear();
    return found;
  }
  auto* fat = dynamic_cast<FatAnalyzer*>(&analyzer);
  if (fat == nullptr || location.Kind() != 0 || !location.HasPosition()) return false;
  if (size == 0) return true;
  const bool found = FatRuns(*fat, location.Position(), location.Deleted() != 0, collector);
  if (!found) runs->clear();
  return found;
}

}  // namespace orvande
