// Feeds arbitrary bytes as a partitions information file to the load and checks what it
// promises: no crash, only whole records of a known kind are listed, no partition twice, and a
// second load of the same bytes adds nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "disk/device_ports.h"
#include "disk/partitions_file.h"
#include "disk/partitions_file_layout.h"
#include "disk/physical_disk_node.h"
#include "platform/raw_io.h"

namespace {

using namespace orvande;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The input as the only file there is: reads are served from memory, short at its end.
class InputFile final : public platform::RawIo {
 public:
  explicit InputFile(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  Handle OpenReadOnly(const std::string&, uint32_t* error) override {
    *error = 0;
    return 1;
  }
  void Close(Handle) override {}
  bool ReadAt(Handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
              uint32_t*) override {
    const uint64_t start = std::min<uint64_t>(offset, bytes_.size());
    *bytesRead = static_cast<size_t>(std::min<uint64_t>(size, bytes_.size() - start));
    if (*bytesRead > 0) std::memcpy(buffer, bytes_.data() + start, *bytesRead);
    return true;
  }
  bool QueryGeometry(Handle, platform::BlockGeometry*, uint32_t* error) override {
    *error = 50;
    return false;
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InputFile file({data, size});
  DevicePorts ports;
  ports.io = &file;
  PhysicalDiskNode disk(0, "Disk 0", ports);
  int added = -1;
  const ResultCode result = LoadPartitions(disk, "input.ovp", &added);
  const auto listed = disk.Partitions();
  Check(added >= 0 && static_cast<size_t>(added) == listed.size());
  const size_t wholeRecords =
      size < ovp::kHeaderSize ? 0 : (size - ovp::kHeaderSize) / ovp::kRecordSize;
  Check(listed.size() <= wholeRecords);
  if (IsSuccess(result)) Check(size >= ovp::kHeaderSize);
  for (size_t i = 0; i < listed.size(); ++i) {
    Check(listed[i]->GetPartitionFsKind() < ovp::kFirstUnknownFsKind);
    Check(listed[i]->GetDiskNumber() == 0);
    for (size_t j = 0; j < i; ++j) {
      Check(listed[j]->GetPartitionFsKind() != listed[i]->GetPartitionFsKind() ||
            listed[j]->GetFirstSector() != listed[i]->GetFirstSector() ||
            listed[j]->GetSectorCount() != listed[i]->GetSectorCount());
    }
  }
  int again = -1;
  Check(LoadPartitions(disk, "input.ovp", &again) == result && again == 0);
  return 0;
}
