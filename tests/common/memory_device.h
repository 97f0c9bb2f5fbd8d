#pragma once
// An in-memory volume for tests: a SectorDevice over a byte vector, and a DeviceNode that makes
// such devices. Sectors can be made to fail with a chosen code, a stored boot sector can stand in
// for sector 0, and every open, close, read and reference is counted in a probe that outlives the
// devices. Not thread-safe: one test thread drives it (a worker may read while the test waits).
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk/device_node.h"
#include "disk/sector_device.h"

namespace orvande::test {

// What the devices read: shared by a node and every device it makes, so a change made after a
// device exists (a stored boot sector, a new failure) is seen by that device.
struct MemoryImage {
  std::vector<uint8_t> bytes;
  std::optional<std::array<uint8_t, 512>> storedBootSector;
  // Failing 512-byte sectors and the code each read of them fails with (23 is the data error).
  std::map<uint64_t, uint32_t> failures;
  bool openSucceeds = true;

  // Puts bytes at a byte offset, growing the image when needed.
  void Put(uint64_t offset, const void* data, size_t size);
  void PutText(uint64_t offset, const std::string& text) { Put(offset, text.data(), text.size()); }
  void Fail(uint64_t sector512, uint32_t code) { failures[sector512] = code; }
};

struct ReadCall {
  uint64_t first = 0;
  uint32_t count = 0;
  int unitShift = 0;
  bool fillBadSectors = false;
};

// Counts shared by all devices of one node (or one device), kept after the devices are gone.
struct MemoryDeviceProbe {
  int devicesMade = 0;
  int devicesAlive = 0;
  int references = 0;  // references held on all live devices together
  int opens = 0;
  int closes = 0;
  std::vector<ReadCall> reads;
};

// Reads like a volume opened by device path: `first` and `count` in the caller's unit, a short
// count with success where the image ends, no read at all when the buffer is too small. With
// fillBadSectors a run whose first failing unit fails with the data error is read again unit by
// unit and every failing unit is zero-filled and told to the filled-sector listener; any other
// failure returns 0 with its code.
class MemorySectorDevice : public SectorDevice {
 public:
  explicit MemorySectorDevice(std::shared_ptr<MemoryImage> image,
                              std::shared_ptr<MemoryDeviceProbe> probe = nullptr,
                              DeviceNode* node = nullptr);
  // A device over its own image.
  explicit MemorySectorDevice(std::vector<uint8_t> bytes);
  ~MemorySectorDevice() override;

  uint32_t AddRef() override;
  uint32_t Release() override;
  bool Open(bool quiet, Prompter* prompter) override;
  void Close() override;
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool fillBadSectors) override;
  DeviceNode* GetNode() override { return node_; }
  const uint8_t* GetStoredBootSector() override;
  uint64_t SizeInBytes() override { return image_->bytes.size(); }

  bool IsOpen() const { return open_; }
  MemoryImage& Image() { return *image_; }
  MemoryDeviceProbe& Probe() { return *probe_; }
  std::shared_ptr<MemoryDeviceProbe> SharedProbe() const { return probe_; }

  // Called after every read with its arguments (a test may set a stop flag here).
  std::function<void(const ReadCall&)> onRead;

 private:
  // The code of the first failing 512-byte sector inside [offset, offset + size), or 0.
  uint32_t FailureIn(uint64_t offset, uint64_t size) const;

  std::shared_ptr<MemoryImage> image_;
  std::shared_ptr<MemoryDeviceProbe> probe_;
  DeviceNode* node_;
  bool open_ = false;
};

// A device-list entry whose devices read one shared MemoryImage.
class MemoryNode : public DeviceNode {
 public:
  explicit MemoryNode(std::vector<uint8_t> bytes = {}, int kind = kNodeImageFile,
                      int fsKind = kFsNone, char driveLetter = '0');

  int GetKind() const override { return kind_; }
  int GetFsKind() const override { return fsKind_; }
  std::string GetName() const override { return "memory"; }
  int IsRemovable() const override { return 0; }
  char GetDriveLetter() const override { return driveLetter_; }
  // Null when failCreate is set.
  SectorDevice* CreateDevice() override;

  MemoryImage& Image() { return *image_; }
  MemoryDeviceProbe& Probe() { return *probe_; }
  bool failCreate = false;

 private:
  int kind_;
  int fsKind_;
  char driveLetter_;
  std::shared_ptr<MemoryImage> image_;
  std::shared_ptr<MemoryDeviceProbe> probe_;
};

}  // namespace orvande::test
