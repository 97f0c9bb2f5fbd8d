#pragma once
// The analyzer of FAT12, FAT16 and FAT32 volumes: geometry from the boot sector, the allocation
// table, the directory scan with deleted entries, long names and lost directories, and the data
// of deleted files. An instance is used by one thread at a time (its table cache, visited set and
// id counter are not guarded).
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/volume_analyzer.h"
#include "fat/fat_boot_sector.h"
#include "fat/fat_table.h"
#include "fat/live_chain_index.h"
#include "fat/visited_sectors.h"

namespace orvande {

class ItemLocation;

class FatAnalyzer : public VolumeAnalyzer {
 public:
  FatAnalyzer();
  ~FatAnalyzer() override;

  // Reads and checks the boot sector. Failures are written to the log at error level unless
  // quiet; an "NTFS" boot sector is refused without a text.
  bool Open(SectorDevice* device, bool quiet, OperationLog* log) override;
  // The directory walk from the root, then the sweep of every data cluster for lost directories
  // and images. 0 when done or stopped, kErrOutOfMemory, or kStatusTreeInsertFailed.
  uint32_t BuildTree(const BuildTreeContext& context, OperationLog* log) override;
  bool RecoverFile(ItemLocation& location, uint64_t size, const std::string& path,
                   bool recoverStreams, RecoveryContext& context, OperationLog* log) override;
  bool DataTakenByLiveFile(const ItemLocation& location, uint64_t size,
                           std::string* liveFile) override;
  // The first cluster of the live chain that holds the deleted file's first cluster.
  bool LiveOwnerPosition(const ItemLocation& location, uint64_t* position) override;
  uint32_t GetRecoveryProbability(ItemLocation& location, uint64_t size,
                                  OperationLog* log) override;
  uint64_t GetTotalSectors() const override { return TotalSectors(); }
  // "FAT12", "FAT16" or "FAT32" after a successful Open.
  std::string FileSystemName() const override;
  bool NamesIgnoreCase() const override { return true; }

  // Probes for the cleared high word of a deleted FAT32 file's first cluster; true when a better
  // first cluster was found and stored in the location.
  bool FixFat32StartCluster(ItemLocation& location, const std::string& path, uint64_t size);
  // bUseFileType: whether the probe above may run (on by default).
  void SetUseFileType(bool on) { useFileType_ = on; }
  bool UseFileType() const { return useFileType_; }

  // ---- Geometry (valid after a successful Open).
  uint32_t FatWidth() const { return fatWidth_; }
  uint32_t ReservedSectors() const { return reservedSectors_; }
  uint32_t SectorsPerFat() const { return sectorsPerFat_; }
  uint32_t NumberOfFats() const { return boot_.numberOfFats; }
  uint32_t RootEntries() const { return boot_.rootEntries; }
  uint32_t FirstDataSector() const { return firstDataSector_; }
  uint32_t DataSectors() const { return dataSectors_; }
  // Data sectors over sectors per cluster, rounded up: the bound for first clusters.
  uint32_t ClusterCount() const { return clusterCount_; }
  // Data sectors over sectors per cluster, rounded down.
  uint32_t WholeDataClusters() const;
  // One past the last whole data cluster: clusters are numbered from 2, so the sweep and the
  // start-cluster probe visit clusters 2 to WholeDataClusters() + 1.
  uint32_t SweepEnd() const;
  // The 16-bit total when not 0, else the 32-bit total.
  uint32_t TotalSectors() const { return boot_.TotalSectors(); }
  // The volume's sectors that the device holds: TotalSectors(), or fewer on a short image. Walks
  // end here as they would at the volume's end.
  uint32_t HeldSectors() const { return heldSectors_; }
  // FAT12/16: sectors of the fixed root directory; FAT32: 0.
  uint32_t RootDirSectors() const;
  // FAT12/16: the first sector of the fixed root directory; FAT32: 0.
  uint32_t FirstRootDirSector() const;
  // FAT32: the root directory's first cluster; FAT12/16: 0.
  uint32_t RootCluster() const;
  // The first sector of a cluster; clusters 0 and 1 give the first data sector.
  uint64_t ClusterToSector(uint32_t cluster) const;
  // True when the whole cluster lies inside a volume of that many sectors.
  bool ClusterInsideVolume(uint32_t cluster, uint64_t totalSectors) const;
  // True when a deleted file's first cluster belongs to a chain now.
  bool FirstClusterTaken(uint32_t first);
  // FAT12 keeps 12 bits, FAT16 16 bits, FAT32 28 bits of a cluster number.
  uint32_t MaskCluster(uint32_t cluster) const;
  uint32_t ClusterMask() const;

  // The copy of the boot sector Open read (or the device's stored one).
  const std::array<uint8_t, fat_boot::kSize>& BootSector() const { return bootSector_; }
  const FatBootFields& BootFields() const { return boot_; }
  // Null before a successful Open.
  FatTable* Table() { return table_.get(); }
  const VisitedSectors& Visited() const { return visited_; }
  // The id the next item found will take.
  uint32_t NextId() const { return nextId_; }

 private:
  friend class FatDirectoryScan;
  friend class FatSweep;

  std::array<uint8_t, fat_boot::kSize> bootSector_{};
  FatBootFields boot_;
  uint32_t fatWidth_ = 32;
  uint32_t reservedSectors_ = 0;
  uint32_t sectorsPerFat_ = 0;
  uint32_t firstDataSector_ = 0;
  uint32_t dataSectors_ = 0;
  uint32_t clusterCount_ = 0;
  uint32_t heldSectors_ = 0;
  std::unique_ptr<FatTable> table_;
  std::unique_ptr<LiveChainIndex> liveChains_;  // made on the first LiveOwnerPosition
  uint32_t nextId_ = 1;
  VisitedSectors visited_;
  bool useFileType_ = true;
};

std::unique_ptr<VolumeAnalyzer> MakeFatAnalyzer();

}  // namespace orvande
