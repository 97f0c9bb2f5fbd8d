#pragma once
// The base of the per-file-system analyzers. It holds the device and the volume geometry and
// supplies the one sector reader every analyzer uses, so that a device's stored boot sector
// replaces sector 0 everywhere, plus the shared writer for data given as sector runs.
// An instance is used by one thread at a time; it keeps no locks.
#include <cstdint>
#include <string>
#include <vector>

#include "core/bad_sector_record.h"
#include "core/folder_tree.h"
#include "core/named_stream.h"
#include "core/stop_flag.h"

namespace orvande {

class AllocationMapReceiver;
class ItemLocation;
class ItemStore;
class NotifySink;
class OperationLog;
class ProgressBar;
class Prompter;
class ReadWriteLock;
class SectorDevice;
class SectorRunList;
class VolumeAnalyzer;
struct RecoveryContext;

// What BuildTree works with, gathered so that the scan's helpers can pass it on in one piece.
// Used by the analysis worker only; the objects it points to are thread-safe themselves. The
// ports belong to the job: two analyses in one process may report to different front ends.
struct BuildTreeContext {
  const StopFlag* stop = nullptr;  // set by another thread to ask for a stop
  NotifySink* notifySink = nullptr;
  ItemStore& itemStore;
  FolderTree& folderTree;
  const ShownNode* shownNode = nullptr;  // the node the file list shows; read at each use
  ReadWriteLock& storeLock;
  ProgressBar* progressBar = nullptr;
  VolumeAnalyzer* reader = nullptr;  // the reader instance, or null
  Prompter* prompter = nullptr;      // the job's; null: see PrompterOrDefault
};

class VolumeAnalyzer {
 public:
  VolumeAnalyzer() = default;
  VolumeAnalyzer(const VolumeAnalyzer&) = delete;
  VolumeAnalyzer& operator=(const VolumeAnalyzer&) = delete;

  // Closes and releases the device when one is held.
  virtual ~VolumeAnalyzer();

  // The base part stores the device with a reference of its own and sets the geometry to 512
  // bytes per sector and 8 sectors per cluster; false only for a null device. A file system's
  // Open calls it first, then reads and checks its boot sector. Unless quiet, the log (which must
  // outlive the analyzer's reads) receives the bad sectors the analyzer meets.
  virtual bool Open(SectorDevice* device, bool quiet, OperationLog* log);

  // Fills the item store and the files tree. 0 when done or stopped, else a status code of
  // support/result_codes.h (kStatusTreeInsertFailed, kErrOutOfMemory, ...).
  virtual uint32_t BuildTree(const BuildTreeContext& context, OperationLog* log) = 0;

  // Writes `size` bytes of the file's data to a new file at path. The location is not const:
  // an analyzer may correct it in place when it learns more about the file.
  virtual bool RecoverFile(ItemLocation& location, uint64_t size, const std::string& path,
                           bool recoverStreams, RecoveryContext& context, OperationLog* log) = 0;

  // True when the deleted file's data is known to be held by live data now (its clusters are
  // allocated again); liveFile gets the live file's name where it is known. Asked before the file
  // is written; the default knows nothing.
  virtual bool DataTakenByLiveFile(const ItemLocation& location, uint64_t size,
                                   std::string* liveFile);
  // Where the analyzer knows which live item holds a deleted file's data but not its name: the
  // position of that item's location (a live file's record has a location with this position).
  // Asked after the file is written, when its data was found taken; the default knows nothing.
  virtual bool LiveOwnerPosition(const ItemLocation& location, uint64_t* position);

  // The file's named data streams that hold a user's data (NTFS alternate streams); the default
  // has none.
  virtual std::vector<NamedStream> NamedStreams(ItemLocation& location, OperationLog* log);

  // One of the kProbability codes of core/file_record.h.
  virtual uint32_t GetRecoveryProbability(ItemLocation& location, uint64_t size,
                                          OperationLog* log) = 0;

  // The volume's sector count as its boot sector states it.
  virtual uint64_t GetTotalSectors() const = 0;

  // The file system's name as front ends show it: "FAT12", "FAT16", "FAT32" or "NTFS".
  virtual std::string FileSystemName() const = 0;
  // True when the file system matches names without regard to case (FAT), so that paths the
  // user types are matched that way too.
  virtual bool NamesIgnoreCase() const = 0;

  // Where an analysis by another instance of the same volume hands over the allocation map it
  // finds, when this instance answers from one; the default takes none.
  virtual AllocationMapReceiver* AllocationMapTarget() { return nullptr; }

  // Writes `size` bytes read from the runs to a new file at path (an existing one is replaced).
  // A stop request ends the writing and counts as success; runs shorter than size leave a
  // shorter file and count as success too. Sector read and file write failures end the file
  // where it stands (the partial file stays) and return false.
  virtual bool WriteRunsToFile(const std::string& path, uint64_t size, const SectorRunList& runs,
                               RecoveryContext& context, OperationLog* log);

  // Stores both values; bytes per cluster becomes their product (callers pass checked values).
  void SetGeometry(uint32_t bytesPerSector, uint32_t sectorsPerCluster);
  uint32_t BytesPerSector() const { return bytesPerSector_; }
  uint32_t SectorsPerCluster() const { return sectorsPerCluster_; }
  uint32_t BytesPerCluster() const { return bytesPerCluster_; }
  // Base-2 logarithms: the number of trailing zero bits of the current value.
  uint32_t SectorShift() const;
  uint32_t ClusterShift() const;

  // Reads `count` sectors of BytesPerSector() from `first`. Unless keepSectorZero, a read that
  // starts at sector 0 gets the device's stored boot sector over the start of the buffer.
  // Returns the sectors delivered; without a device or for count 0, 0 with kStatusNoDevice.
  // result may be null.
  uint32_t ReadVolumeSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                             uint32_t count, bool fillBadSectors, bool keepSectorZero);
  // Reads one cluster (SectorsPerCluster() sectors) from `first`; true only when all came back.
  bool ReadVolumeCluster(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                         bool fillBadSectors, bool keepSectorZero);

  SectorDevice* Device() const { return device_; }

  // Every volume sector a read delivered as zeros, and every one a scan skipped as unreadable.
  BadSectorRecord& BadSectors() { return badSectors_; }
  // For a sector that a read without fill could not get: recorded and logged once; true when new.
  bool NoteBadSector(uint64_t sector);

  // The device's size in volume sectors; 0 when the device can't tell.
  uint64_t DeviceSectors();
  // The volume's sectors that the device holds: volumeSectors, or fewer on a short image.
  uint64_t ReadableSectors(uint64_t volumeSectors);
  // False when the device ends before a volume of volumeSectors does; the first time, a warning
  // with both sizes goes to the log.
  bool CheckDeviceHoldsVolume(uint64_t volumeSectors, OperationLog* log);

 private:
  SectorDevice* device_ = nullptr;  // one reference held
  uint32_t bytesPerSector_ = 512;
  uint32_t bytesPerCluster_ = 4096;
  uint32_t sectorsPerCluster_ = 8;
  // The shifts are cached for the values they were computed from.
  mutable uint32_t sectorShift_ = 9;
  mutable uint32_t clusterShift_ = 12;
  mutable uint32_t sectorShiftFor_ = 512;
  mutable uint32_t clusterShiftFor_ = 4096;
  BadSectorRecord badSectors_;
  bool shortDeviceReported_ = false;
};

}  // namespace orvande
