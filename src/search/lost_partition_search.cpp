#include "search/lost_partition_search.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <span>
#include <thread>
#include <vector>

#include "disk/physical_disk_node.h"
#include "disk/whole_disk_device.h"
#include "ntfs/mft_own_record.h"
#include "search/boot_trace.h"
#include "search/candidate_judge.h"
#include "search/record_trace.h"

namespace orvande {
namespace {

constexpr uint32_t kChunkBytes = 65536;
constexpr uint32_t kPassesPerReport = 1000;
constexpr uint64_t kExtraNtfsStart = 63;
constexpr uint64_t kExtraNtfsTableCluster = 4;
constexpr auto kReadyPoll = std::chrono::milliseconds(100);

using BootBlock = std::array<uint8_t, SearchCandidate::kBootSectorSize>;

class Scan {
 public:
  Scan(WholeDiskDevice& device, PhysicalDiskNode& disk, const StopFlag* cancel,
       SearchProgress& progress, const SearchOptionsSource& options)
      : device_(device),
        cancel_(cancel),
        progress_(progress),
        shape_{device.Disk().BytesPerSector(), device.Disk().SectorsPerTrack(),
               device.Disk().TotalSectors()},
        chunk_(std::max<uint32_t>(1, kChunkBytes / shape_.bytesPerSector)),
        judge_(disk, shape_.bytesPerSector, cancel, progress, options) {}

  uint32_t Run(uint64_t first, uint64_t last);
  void JudgeExtraCandidate();

 private:
  // Reads `chunks` chunks (the last one may be shorter) from `current` at once; false when the
  // batch did not come back whole and must be read chunk by chunk.
  bool ReadBatch(uint64_t current, uint64_t last, uint64_t* batchSectors);
  // One step of 64 KiB from `current`; returns false when the scan is cancelled.
  bool ChunkPass(uint64_t current, uint64_t first, uint64_t n, const uint8_t* data);
  void TestSectors(uint64_t current, uint64_t n, const uint8_t* data);
  void RecordTrace(uint64_t position);

  WholeDiskDevice& device_;
  const StopFlag* cancel_;
  SearchProgress& progress_;
  DiskShape shape_;
  uint32_t chunk_;
  CandidateJudge judge_;
  std::vector<uint8_t> batch_;
  // The single-chunk buffer: a chunk read on its own lands here, over the previous chunk's bytes.
  std::vector<uint8_t> chunkBuffer_;
  BootBlock madeUpBoot_{};
  uint32_t passes_ = 0;
  uint32_t lastResult_ = kSuccess;
};

uint32_t Scan::Run(uint64_t first, uint64_t last) {
  const uint32_t sectorBytes = shape_.bytesPerSector;
  const uint64_t chunkBytes = uint64_t{chunk_} * sectorBytes;
  const uint64_t batchChunks = std::max<uint64_t>(1, kSearchBatchBytes / chunkBytes);
  batch_.resize(batchChunks * chunkBytes);
  chunkBuffer_.assign(chunkBytes, 0);

  uint64_t current = first;
  while (current <= last) {
    uint64_t batchSectors = 0;
    const bool whole = ReadBatch(current, last, &batchSectors);
    const uint64_t batchEnd = current + batchSectors;
    while (current < batchEnd) {
      const uint64_t n = std::min<uint64_t>(chunk_, last - current + 1);
      const uint8_t* data = nullptr;
      if (whole) {
        data = batch_.data() + (current - (batchEnd - batchSectors)) * sectorBytes;
      } else {
        uint32_t result = kSuccess;
        const uint32_t got =
            device_.ReadSectors(current, chunkBuffer_.data(),
                                static_cast<uint32_t>(chunkBuffer_.size()), &result,
                                static_cast<uint32_t>(n), 0, true);
        lastResult_ = result;
        if (got != 0) data = chunkBuffer_.data();
      }
      if (!ChunkPass(current, first, n, data)) return kSuccess;
      current += n;
    }
    if (whole && batchSectors != 0) {
      // A later chunk read on its own would find this batch's last chunk in the buffer.
      const uint64_t lastChunk = (batchSectors - 1) % chunk_ + 1;
      std::memcpy(chunkBuffer_.data(), batch_.data() + (batchSectors - lastChunk) * sectorBytes,
                  lastChunk * sectorBytes);
    }
  }
  return lastResult_;
}

bool Scan::ReadBatch(uint64_t current, uint64_t last, uint64_t* batchSectors) {
  const uint64_t wanted = batch_.size() / shape_.bytesPerSector;
  *batchSectors = std::min<uint64_t>(wanted, last - current + 1);
  if (*batchSectors <= chunk_) return false;  // one chunk: read it as one
  uint32_t result = kSuccess;
  const uint32_t got = device_.ReadSectors(current, batch_.data(),
                                           static_cast<uint32_t>(batch_.size()), &result,
                                           static_cast<uint32_t>(*batchSectors), 0, true);
  if (got != *batchSectors) return false;
  lastResult_ = result;
  return true;
}

bool Scan::ChunkPass(uint64_t current, uint64_t first, uint64_t n, const uint8_t* data) {
  if (StopRequested(cancel_)) return false;
  if (passes_ == kPassesPerReport) {
    progress_.position.store(static_cast<uint32_t>(current - first), std::memory_order_relaxed);
    passes_ = 0;
  } else {
    ++passes_;
  }
  // An unreadable chunk is skipped whole.
  if (data != nullptr) TestSectors(current, n, data);
  return true;
}

// FAT and NTFS put the boot signature at byte 510 whatever the sector size, so on disks with
// sectors above 512 bytes the sector's last two bytes alone would miss every boot sector.
bool HasBootSignature(const uint8_t* p, uint32_t sectorBytes) {
  constexpr size_t kBootSignatureOffset = 510;  // 0x55, 0xAA
  const bool atSectorEnd = p[sectorBytes - 2] == 0x55 && p[sectorBytes - 1] == 0xAA;
  return atSectorEnd ||
         (p[kBootSignatureOffset] == 0x55 && p[kBootSignatureOffset + 1] == 0xAA);
}

void Scan::TestSectors(uint64_t current, uint64_t n, const uint8_t* data) {
  const uint32_t sectorBytes = shape_.bytesPerSector;
  for (uint64_t i = 0; i < n; ++i) {
    const uint8_t* p = data + i * sectorBytes;
    const uint64_t position = current + i;
    if (std::memcmp(p, "FILE", 4) == 0 && IsMftOwnRecord(p, sectorBytes)) {
      RecordTrace(position);
    } else if (HasBootSignature(p, sectorBytes)) {
      if (auto candidate = ReadBootTrace({p, sectorBytes}, position, shape_.totalSectors))
        judge_.Judge(*candidate);
    }
  }
}

void Scan::RecordTrace(uint64_t position) {
  const RecordTracePlace place =
      PlaceRecordTrace(position, RecordTraceSectorsPerCluster(shape_.bytesPerSector));
  if (place.start == judge_.LastNtfsStart()) return;
  judge_.Judge(FillMadeUpNtfsBoot(madeUpBoot_, shape_, place.tableCluster, place.start));
}

void Scan::JudgeExtraCandidate() {
  // Too small a disk can't hold a volume at the usual start.
  if (shape_.totalSectors <= kExtraNtfsStart) return;
  BootBlock fresh{};
  judge_.JudgeExtra(FillMadeUpNtfsBoot(fresh, shape_, kExtraNtfsTableCluster, kExtraNtfsStart));
}

}  // namespace

uint32_t SearchLostPartitions(WholeDiskDevice& device, const StopFlag* cancel, uint64_t first,
                              uint64_t last, SearchProgress& progress,
                              const SearchOptionsSource& options) {
  if (device.Disk().BytesPerSector() < 512) return ErrSectorTooSmall;
  if (StopRequested(cancel)) return kSuccess;
  auto* disk = dynamic_cast<PhysicalDiskNode*>(device.GetNode());
  if (disk == nullptr) return kStatusNoDevice;

  progress.SetTotal(static_cast<uint32_t>(last - first));
  while (!progress.ready.load(std::memory_order_acquire)) std::this_thread::sleep_for(kReadyPoll);

  Scan scan(device, *disk, cancel, progress, options);
  const uint32_t result = first <= last ? scan.Run(first, last) : kSuccess;
  scan.JudgeExtraCandidate();
  return result;
}

}  // namespace orvande
