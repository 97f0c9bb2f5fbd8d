#pragma once
// The reference-counted sector reader every byte of a disk, volume or image passes through.
// AddRef/Release may be called from any thread; reads of one device are made by one thread at a time.
#include <atomic>
#include <cstdint>

#include "disk/filled_sector_listener.h"

namespace orvande {

class DeviceNode;
class Prompter;

class SectorDevice {
 public:
  SectorDevice() = default;
  SectorDevice(const SectorDevice&) = delete;
  SectorDevice& operator=(const SectorDevice&) = delete;

  virtual ~SectorDevice() = default;
  virtual uint32_t AddRef() { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }
  virtual uint32_t Release() {
    uint32_t left = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }
  // Unless quiet, a failure is shown through the prompter (see PrompterOrDefault).
  virtual bool Open(bool quiet, Prompter* prompter) = 0;
  virtual void Close() = 0;
  // Reads `count` units of (1 << unitShift) bytes from `first` into `buffer`. Returns the units
  // delivered; 0 means nothing usable was read and *result says why.
  virtual uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                               uint32_t count, int unitShift, bool fillBadSectors) = 0;
  virtual DeviceNode* GetNode() = 0;
  // A 512-byte block that replaces sector 0, or null.
  virtual const uint8_t* GetStoredBootSector() = 0;
  // The bytes the open device holds; 0 when it can't tell.
  virtual uint64_t SizeInBytes() { return 0; }

  // Whoever should hear of the ranges that later reads fill with zeros; null for nobody. Set by
  // the reading thread around its reads.
  void SetFilledSectorListener(FilledSectorListener* listener) { filledListener_ = listener; }
  FilledSectorListener* FilledListener() const { return filledListener_; }

 protected:
  void ReportFilled(uint64_t byteOffset, uint64_t byteCount) {
    if (filledListener_ != nullptr && byteCount != 0)
      filledListener_->OnFilled(byteOffset, byteCount);
  }

 private:
  std::atomic<uint32_t> refCount_{1};
  FilledSectorListener* filledListener_ = nullptr;
};

}  // namespace orvande
