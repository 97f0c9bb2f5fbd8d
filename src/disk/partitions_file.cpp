#include "disk/partitions_file.h"

#include <algorithm>
#include <array>
#include <span>

#include "disk/partition_node.h"
#include "disk/partitions_file_layout.h"
#include "disk/physical_disk_node.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/raw_io.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

using HeaderBytes = std::array<uint8_t, ovp::kHeaderSize>;
using RecordBytes = std::array<uint8_t, ovp::kRecordSize>;

// The file through the disk's file layer, read from the start on.
class RawIoSource final : public PartitionsFileSource {
 public:
  RawIoSource(platform::RawIo& io, platform::RawIo::Handle handle) : io_(io), handle_(handle) {}
  ResultCode ReadExactly(uint8_t* buffer, size_t size) override {
    size_t got = 0;
    uint32_t error = kSuccess;
    if (!io_.ReadAt(handle_, offset_, buffer, size, &got, &error)) return error;
    offset_ += got;
    // The file ends inside a field: it was cut short, so it is not a whole partitions file.
    return got == size ? kSuccess : ErrInvalidPartitionsData;
  }

 private:
  platform::RawIo& io_;
  platform::RawIo::Handle handle_;
  uint64_t offset_ = 0;
};

ResultCode WriteAll(platform::OutputFile& file, std::span<const uint8_t> bytes) {
  size_t written = 0;
  ResultCode result = file.Write(bytes.data(), bytes.size(), &written);
  if (IsSuccess(result) && written != bytes.size()) result = kErrDiskFull;
  return result;
}

HeaderBytes EncodeHeader(uint32_t diskNumber, uint32_t recordCount) {
  HeaderBytes header{};
  std::copy(ovp::kMagic.begin(), ovp::kMagic.end(), header.begin() + ovp::kHeaderMagic);
  StoreLe(header, ovp::kHeaderBootSectorSize, ovp::kRecordBootSectorSize, 2);
  StoreLe(header, ovp::kHeaderDiskNumber, diskNumber, 4);
  StoreLe(header, ovp::kHeaderRecordCount, recordCount, 4);
  return header;
}

// The magic, then the size field, each checked before the next is read.
ResultCode ReadHeader(PartitionsFileSource& source, uint32_t* recordCount) {
  HeaderBytes header{};
  ResultCode result = source.ReadExactly(header.data() + ovp::kHeaderMagic, ovp::kMagic.size());
  if (!IsSuccess(result)) return result;
  if (!std::equal(ovp::kMagic.begin(), ovp::kMagic.end(), header.begin() + ovp::kHeaderMagic))
    return ErrInvalidPartitionsData;
  result = source.ReadExactly(header.data() + ovp::kHeaderBootSectorSize, 2);
  if (!IsSuccess(result)) return result;
  const LeReader fields(header.data(), header.size());
  if (fields.U16(ovp::kHeaderBootSectorSize) != ovp::kRecordBootSectorSize)
    return ErrInvalidPartitionsData;
  result = source.ReadExactly(header.data() + ovp::kHeaderDiskNumber,
                              ovp::kHeaderSize - ovp::kHeaderDiskNumber);
  if (!IsSuccess(result)) return result;
  // The disk number is not used: records go to the disk that loads them.
  *recordCount = fields.U32(ovp::kHeaderRecordCount);
  return kSuccess;
}

}  // namespace

ResultCode WriteRecord(const PartitionNode& node, platform::OutputFile& file) {
  RecordBytes record{};
  StoreLe(record, ovp::kRecordBootSectorSizeField, ovp::kRecordBootSectorSize, 4);
  StoreLe(record, ovp::kRecordFsKind, node.GetPartitionFsKind(), 4);
  StoreLe(record, ovp::kRecordBytesPerSector, node.GetBytesPerSector(), 4);
  StoreLe(record, ovp::kRecordFirstSector, node.GetFirstSector(), 8);
  StoreLe(record, ovp::kRecordSectorCount, node.GetSectorCount(), 8);
  std::copy_n(node.GetBootSector(), ovp::kRecordBootSectorSize,
              record.begin() + ovp::kRecordBootSector);
  return WriteAll(file, record);
}

ResultCode ReadRecord(PartitionNode& node, PartitionsFileSource& source) {
  RecordBytes record{};
  ResultCode result = source.ReadExactly(record.data(), 4);
  if (!IsSuccess(result)) return result;
  const LeReader fields(record.data(), record.size());
  if (fields.U32(ovp::kRecordBootSectorSizeField) != ovp::kRecordBootSectorSize)
    return ErrInvalidPartitionsData;
  result = source.ReadExactly(record.data() + ovp::kRecordFsKind,
                              ovp::kRecordSize - ovp::kRecordFsKind);
  if (!IsSuccess(result)) return result;
  node.InitPartition(fields.U32(ovp::kRecordBytesPerSector), fields.U32(ovp::kRecordFsKind),
                     fields.U64(ovp::kRecordFirstSector), fields.U64(ovp::kRecordSectorCount),
                     record.data() + ovp::kRecordBootSector);
  return fields.U32(ovp::kRecordFsKind) < ovp::kFirstUnknownFsKind ? kSuccess
                                                                   : ErrInvalidPartitionsData;
}

ResultCode SavePartitions(PhysicalDiskNode& disk, const std::string& path) {
  platform::OutputFile file;
  ResultCode result = file.CreateOrReplace(path);
  if (!IsSuccess(result)) return result;
  {
    auto lock = disk.LockPartitions();
    const auto partitions = disk.Partitions();
    result = WriteAll(file, EncodeHeader(disk.GetDiskNumber(),
                                         static_cast<uint32_t>(partitions.size())));
    for (size_t i = 0; IsSuccess(result) && i < partitions.size(); ++i)
      result = WriteRecord(*partitions[i], file);
  }
  const ResultCode closed = file.Close();
  if (IsSuccess(result)) result = closed;
  if (!IsSuccess(result)) platform::RemoveFile(path);
  return result;
}

ResultCode LoadPartitions(PhysicalDiskNode& disk, const std::string& path, int* added) {
  *added = 0;
  platform::RawIo* io = disk.GetPorts().io;
  if (io == nullptr) return ErrNotAvailable;
  uint32_t error = kSuccess;
  const platform::RawIo::Handle handle = io->OpenReadOnly(path, &error);
  if (handle == platform::RawIo::kInvalidHandle) return IsSuccess(error) ? ErrNotAvailable : error;
  ResultCode result = kSuccess;
  {
    auto lock = disk.LockPartitions();
    RawIoSource source(*io, handle);
    uint32_t recordCount = 0;
    result = ReadHeader(source, &recordCount);
    PartitionNode scratch(static_cast<int32_t>(disk.GetDiskNumber()), std::string(),
                          disk.GetPorts());
    for (uint32_t i = 0; IsSuccess(result) && i < recordCount; ++i) {
      result = ReadRecord(scratch, source);
      if (IsSuccess(result) && disk.AddPartition(scratch) != nullptr) ++*added;
    }
  }
  io->Close(handle);
  return result;
}

}  // namespace orvande
