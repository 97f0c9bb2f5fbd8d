#pragma once
// The NTFS analyzer: opens a volume by its boot sector and the MFT's own record, recovers files
// from their records, and (in ntfs_build_tree.cpp) fills the item tree. One thread at a time uses
// an instance, like every analyzer.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/allocation_map_receiver.h"
#include "core/volume_analyzer.h"
#include "ntfs/cluster_bitmap.h"
#include "ntfs/cluster_reader.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_layout.h"

namespace orvande {

class NtfsAnalyzer : public VolumeAnalyzer, public AllocationMapReceiver {
 public:
  NtfsAnalyzer();
  ~NtfsAnalyzer() override;

  // Reads the boot sector (or takes the device's stored one), sets the geometry from it, and reads
  // the MFT's own record, first directly at the MFT cluster and then through its own runs.
  bool Open(SectorDevice* device, bool quiet, OperationLog* log) override;
  uint32_t BuildTree(const BuildTreeContext& context, OperationLog* log) override;
  // Kind 2 writes the location's sector runs; kinds 0 (a record at a volume byte offset) and 1
  // (a record at an MFT position) write the record's streams. `size` serves kind 2 only.
  bool RecoverFile(ItemLocation& location, uint64_t size, const std::string& path,
                   bool recoverStreams, RecoveryContext& context, OperationLog* log) override;
  // The named streams of a record's file (kinds 0 and 1); none for kind 2.
  std::vector<NamedStream> NamedStreams(ItemLocation& location, OperationLog* log) override;
  // True when some of a deleted file's clusters are allocated again (its probability is average
  // or poor against the volume's bitmap, which is loaded here when the analyzer has none yet).
  bool DataTakenByLiveFile(const ItemLocation& location, uint64_t size,
                           std::string* liveFile) override;
  uint32_t GetRecoveryProbability(ItemLocation& location, uint64_t size,
                                  OperationLog* log) override;
  uint64_t GetTotalSectors() const override;
  std::string FileSystemName() const override { return "NTFS"; }
  bool NamesIgnoreCase() const override { return false; }
  // The volume's sectors that the device holds: GetTotalSectors(), or fewer on a short image.
  // Reads and walks end here as they would at the volume's end.
  uint64_t HeldSectors() const { return heldSectors_; }

  // "Volume size: ..." and "Cluster size: ..." at information level.
  void LogGeometry(OperationLog* log) const;

  // The MFT's own record, through whose unnamed $DATA every other record is read.
  MftRecord& MftTable() { return mftRecord_; }
  ClusterReader& Clusters() { return clusters_; }
  // The buffer streams are copied through when files are recovered, MftRecord::kStreamPiece bytes,
  // made once for all the files of a recovery.
  std::vector<uint8_t>& StreamPiece();
  const std::array<uint8_t, ntfs_boot::kSize>& BootSector() const { return bootSector_; }
  // The first cluster of the MFT, from the boot sector.
  uint64_t MftCluster() const;

  // The volume's cluster bitmap, loaded by BuildTree (for the reader analyzer by the analyzing
  // one); a cluster counts as not free while there is none.
  bool HasClusterBitmap() const;
  bool IsClusterFree(uint64_t cluster, OperationLog* log);
  ClusterBitmapSlot& BitmapSlot() { return clusterBitmap_; }

  // As the reader instance: the analyzing instance hands over the $Bitmap record's MFT position,
  // and the bitmap is read through this instance's own MFT and device.
  AllocationMapReceiver* AllocationMapTarget() override { return this; }
  void DropAllocationMap() override;
  bool LoadAllocationMap(uint64_t position, OperationLog* log) override;

 private:
  // The record a location of kind 0 or 1 names, read into `record`; false when it is unusable.
  bool ReadFileRecord(const ItemLocation& location, MftRecord& record, OperationLog* log);

  std::array<uint8_t, ntfs_boot::kSize> bootSector_{};
  uint64_t heldSectors_ = 0;
  MftRecord mftRecord_;
  ClusterReader clusters_;
  std::vector<uint8_t> streamPiece_;
  // Last, so that it goes first: its reads use the record and the cluster reader.
  ClusterBitmapSlot clusterBitmap_;
};

// The maker the analyzer factory registers for NTFS volumes.
std::unique_ptr<VolumeAnalyzer> MakeNtfsAnalyzer();

}  // namespace orvande
