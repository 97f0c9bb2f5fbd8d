#include "core/volume_analyzer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#include "core/default_boot_sector.h"
#include "core/ports.h"
#include "core/recovery_context.h"
#include "core/recovery_output.h"
#include "core/sector_run_list.h"
#include "disk/sector_device.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// Recovered files are read and written in pieces of this size; one sector per call is far
// too slow for large files.
constexpr uint32_t kRunBatchBytes = 1u << 20;

}  // namespace

VolumeAnalyzer::~VolumeAnalyzer() {
  if (device_ != nullptr) {
    device_->Close();
    device_->Release();
  }
}

bool VolumeAnalyzer::Open(SectorDevice* device, bool quiet, OperationLog* log) {
  if (device == nullptr) return false;
  badSectors_.SetLog(quiet ? nullptr : log);
  shortDeviceReported_ = false;
  if (device != device_) {
    // A second Open on another device must not keep the first one alive.
    if (device_ != nullptr) {
      device_->Close();
      device_->Release();
    }
    device->AddRef();
    device_ = device;
  }
  SetGeometry(512, 8);
  return true;
}

void VolumeAnalyzer::SetGeometry(uint32_t bytesPerSector, uint32_t sectorsPerCluster) {
  bytesPerSector_ = bytesPerSector;
  sectorsPerCluster_ = sectorsPerCluster;
  bytesPerCluster_ = bytesPerSector * sectorsPerCluster;
}

uint32_t VolumeAnalyzer::SectorShift() const {
  if (sectorShiftFor_ != bytesPerSector_) {
    sectorShift_ = static_cast<uint32_t>(std::countr_zero(bytesPerSector_));
    sectorShiftFor_ = bytesPerSector_;
  }
  return sectorShift_;
}

uint32_t VolumeAnalyzer::ClusterShift() const {
  if (clusterShiftFor_ != bytesPerCluster_) {
    clusterShift_ = static_cast<uint32_t>(std::countr_zero(bytesPerCluster_));
    clusterShiftFor_ = bytesPerCluster_;
  }
  return clusterShift_;
}

uint32_t VolumeAnalyzer::ReadVolumeSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                           uint32_t* result, uint32_t count, bool fillBadSectors,
                                           bool keepSectorZero) {
  uint32_t localResult = 0;
  if (result == nullptr) result = &localResult;
  if (device_ == nullptr || count == 0) {
    *result = kStatusNoDevice;
    return 0;
  }
  // The device tells the record which sectors it filled; only while this read runs, since
  // another analyzer may read the same device later.
  badSectors_.SetSectorShift(SectorShift());
  device_->SetFilledSectorListener(&badSectors_);
  uint32_t delivered = device_->ReadSectors(first, buffer, bufferSize, result, count,
                                            static_cast<int>(SectorShift()), fillBadSectors);
  device_->SetFilledSectorListener(nullptr);
  if (!keepSectorZero && first == 0 && buffer != nullptr) {
    if (const uint8_t* stored = device_->GetStoredBootSector()) {
      // The stored block is only 512 bytes long, whatever the sector size.
      size_t copy = std::min<size_t>({bytesPerSector_, bufferSize, kBootSectorSize});
      std::memcpy(buffer, stored, copy);
    }
  }
  return delivered;
}

bool VolumeAnalyzer::NoteBadSector(uint64_t sector) {
  return badSectors_.Note(sector);
}

uint64_t VolumeAnalyzer::DeviceSectors() {
  if (device_ == nullptr) return 0;
  return device_->SizeInBytes() >> SectorShift();
}

uint64_t VolumeAnalyzer::ReadableSectors(uint64_t volumeSectors) {
  const uint64_t held = DeviceSectors();
  return held != 0 && held < volumeSectors ? held : volumeSectors;
}

bool VolumeAnalyzer::CheckDeviceHoldsVolume(uint64_t volumeSectors, OperationLog* log) {
  if (ReadableSectors(volumeSectors) == volumeSectors) return true;
  if (log != nullptr && !shortDeviceReported_) {
    shortDeviceReported_ = true;
    const uint64_t shift = SectorShift();
    const unsigned long long volumeBytes =
        volumeSectors > (UINT64_MAX >> shift) ? UINT64_MAX : volumeSectors << shift;
    log->AddFormat(OperationLog::kWarning, strings::kVolumeBeyondDeviceFormat, volumeBytes,
                   static_cast<unsigned long long>(device_->SizeInBytes()));
  }
  return false;
}

bool VolumeAnalyzer::ReadVolumeCluster(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                       uint32_t* result, bool fillBadSectors, bool keepSectorZero) {
  if (result != nullptr) *result = kSuccess;
  // Without a cluster size nothing would be read, and that must not pass for a whole cluster.
  if (sectorsPerCluster_ == 0) return false;
  return ReadVolumeSectors(first, buffer, bufferSize, result, sectorsPerCluster_, fillBadSectors,
                           keepSectorZero) == sectorsPerCluster_;
}

namespace {

// Copies sectors of a run list into an output file, `size` bytes in all. Reading goes in large
// batches; the outcome (bytes written, where a failure stops the file, the result) is the same
// as reading and writing one sector at a time, stopping after the sector in which the size ends.
class RunWriter {
 public:
  RunWriter(VolumeAnalyzer& analyzer, RecoveryOutput& output, RecoveryContext& context)
      : analyzer_(analyzer),
        output_(output),
        bytesPerSector_(analyzer.BytesPerSector()),
        context_(context) {}

  bool AllocateBuffer() {
    uint32_t batch = std::max<uint32_t>(1, kRunBatchBytes / std::max<uint32_t>(1, bytesPerSector_));
    try {
      buffer_.resize(static_cast<size_t>(batch) * bytesPerSector_);
    } catch (const std::bad_alloc&) {
      return false;
    }
    batchSectors_ = batch;
    return true;
  }

  // Returns ok: false only after a read or write failure.
  bool Run(const SectorRunList& runs) {
    bool firstRun = true;
    for (const SectorRun& run : runs.Runs()) {
      // Once a run is used up, the next one is started only while bytes remain.
      if (!firstRun && output_.Remaining() == 0) break;
      firstRun = false;
      uint64_t sector = run.first;
      const uint64_t last = run.last;
      while (sector <= last) {
        uint64_t inRun = last - sector + 1;
        // The sector in which the size ends is the last one read (with size 0 that is the first).
        uint64_t untilEnd = output_.Remaining() / bytesPerSector_ + 1;
        uint32_t count =
            static_cast<uint32_t>(std::min<uint64_t>({inRun, untilEnd, batchSectors_}));
        Outcome outcome = CopyBatch(sector, count);
        if (outcome == Outcome::kFailed) return false;
        if (outcome == Outcome::kFinished) return true;
        sector += count;
      }
    }
    return true;
  }

 private:
  enum class Outcome { kMore, kFinished, kFailed };

  Outcome CopyBatch(uint64_t first, uint32_t count) {
    if (StopRequested(context_.stop)) return Outcome::kFinished;
    uint32_t readResult = kSuccess;
    uint32_t bytes = count * bytesPerSector_;
    uint32_t got =
        analyzer_.ReadVolumeSectors(first, buffer_.data(), bytes, &readResult, count, true, true);
    if (got == count) return WriteSectors(0, count);
    // Read again one sector at a time so that the file ends exactly before the failing sector.
    for (uint32_t i = 0; i < count; ++i) {
      if (i > 0 && StopRequested(context_.stop)) return Outcome::kFinished;
      uint8_t* at = buffer_.data() + static_cast<size_t>(i) * bytesPerSector_;
      if (analyzer_.ReadVolumeSectors(first + i, at, bytesPerSector_, &readResult, 1, true, true) !=
          1)
        return Outcome::kFailed;
      Outcome outcome = WriteSectors(i, 1);
      if (outcome != Outcome::kMore) return outcome;
    }
    return Outcome::kMore;
  }

  // Writes the buffer's sectors [index, index + count), stopping early at a stop request seen
  // between sectors and cutting the last one to the bytes that remain.
  Outcome WriteSectors(uint32_t index, uint32_t count) {
    const uint64_t remaining = output_.Remaining();
    bool finished = false;
    uint64_t bytes = 0;
    for (uint32_t i = 0; i < count; ++i) {
      if (i > 0 && StopRequested(context_.stop)) {
        finished = true;
        break;
      }
      if (remaining - bytes < bytesPerSector_) {
        bytes = remaining;
        finished = true;
        break;
      }
      bytes += bytesPerSector_;
    }
    if (!output_.Write(buffer_.data() + static_cast<size_t>(index) * bytesPerSector_, bytes,
                       bytesPerSector_))
      return Outcome::kFailed;
    return finished ? Outcome::kFinished : Outcome::kMore;
  }

  VolumeAnalyzer& analyzer_;
  RecoveryOutput& output_;
  const uint32_t bytesPerSector_;
  RecoveryContext& context_;
  uint32_t batchSectors_ = 1;
  std::vector<uint8_t> buffer_;
};

}  // namespace

bool VolumeAnalyzer::DataTakenByLiveFile(const ItemLocation& /*location*/, uint64_t /*size*/,
                                         std::string* /*liveFile*/) {
  return false;
}

std::vector<NamedStream> VolumeAnalyzer::NamedStreams(ItemLocation& /*location*/,
                                                      OperationLog* /*log*/) {
  return {};
}

bool VolumeAnalyzer::LiveOwnerPosition(const ItemLocation& /*location*/, uint64_t* /*position*/) {
  return false;
}

bool VolumeAnalyzer::WriteRunsToFile(const std::string& path, uint64_t size,
                                     const SectorRunList& runs, RecoveryContext& context,
                                     OperationLog* log) {
  // Without runs there is nothing to write, so no file is made.
  if (path.empty() || runs.Empty()) return false;
  // A sector size of 0 would make every sector count meaningless; no analyzer sets one.
  if (BytesPerSector() == 0) return false;
  RecoveryOutput output(path, size, context, log);
  if (!output.Create()) return false;
  RunWriter writer(*this, output, context);
  if (!writer.AllocateBuffer()) return false;
  output.StartProgress();
  return output.Close(writer.Run(runs));
}

}  // namespace orvande
