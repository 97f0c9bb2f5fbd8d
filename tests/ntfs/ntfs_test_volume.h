#pragma once
// Small NTFS volumes built byte by byte for the tests: file records with chosen attributes, run
// lists, and a volume (boot sector, an MFT whose record 0 maps the table, clusters) on the
// in-memory device, opened by an NtfsAnalyzer. Not thread-safe.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/memory_device.h"
#include "ntfs/ntfs_analyzer.h"
#include "support/operation_log.h"

namespace orvande::test {

using Bytes = std::vector<uint8_t>;

// One run: clusters and the LCN delta to the previous run; sparse runs have no offset field.
// Field widths of 0 take the smallest that holds the value.
struct TestRun {
  uint64_t length;
  int64_t delta;
  bool sparse = false;
  uint8_t lengthBytes = 0;
  uint8_t offsetBytes = 0;
};
TestRun Sparse(uint64_t length);
// Encodes runs with the fields asked for (else the smallest that hold them), then the zero header.
Bytes EncodeRuns(const std::vector<TestRun>& runs);
Bytes Utf16(const std::u16string& text);

// Run lists that a sound volume never holds, each with the highest VCN of its attribute and the
// text of the fault that refuses it.
struct HostileRunList {
  std::string fault;
  Bytes runs;
  uint64_t lastVcn;
};
std::vector<HostileRunList> HostileRunLists();

class RecordBuilder {
 public:
  explicit RecordBuilder(uint32_t recordSize = 1024) : recordSize_(recordSize) {}

  RecordBuilder& Flags(uint16_t flags);
  RecordBuilder& BaseReference(uint64_t reference);
  RecordBuilder& Resident(uint32_t type, const std::u16string& name, const Bytes& value);
  RecordBuilder& NonResident(uint32_t type, const std::u16string& name, const Bytes& runs,
                             uint64_t startVcn, uint64_t lastVcn, uint64_t dataSize,
                             uint16_t attributeFlags = 0);
  // A raw attribute, appended as given.
  RecordBuilder& Raw(const Bytes& attribute);

  // The record with its end marker, used size and update sequence (the last two bytes of each
  // sector move into the array and the sector ends with the sequence number).
  Bytes Build(uint32_t bytesPerSector = 512) const;

  uint32_t RecordSize() const { return recordSize_; }

 private:
  uint32_t recordSize_;
  uint16_t flags_ = 1;
  uint64_t baseReference_ = 0;
  std::vector<Bytes> attributes_;
};

// An $ATTRIBUTE_LIST entry.
Bytes ListEntry(uint32_t type, const std::u16string& name, uint64_t startVcn, uint64_t record);
// A $FILE_NAME value with a name.
Bytes FileNameValue(const std::u16string& name);

struct VolumeGeometry {
  uint32_t bytesPerSector = 512;
  uint32_t sectorsPerCluster = 8;
  uint64_t totalSectors = 8192;  // 4 MiB with 512-byte sectors
  uint64_t mftCluster = 16;
  uint32_t mftClusters = 16;
  uint32_t recordSize = 1024;
};

class TestVolume {
 public:
  explicit TestVolume(VolumeGeometry geometry = {});

  const VolumeGeometry& Geometry() const { return geometry_; }
  uint32_t ClusterBytes() const { return geometry_.bytesPerSector * geometry_.sectorsPerCluster; }
  uint64_t MftPosition(uint64_t record) const { return record * geometry_.recordSize; }
  uint64_t MftByteOffset() const { return geometry_.mftCluster * ClusterBytes(); }

  // Record 0: a $FILE_NAME "$MFT" and an unnamed $DATA over the table's clusters.
  Bytes MftOwnRecord() const;
  void PutRecord(uint64_t number, const Bytes& record);
  void PutBytes(uint64_t offset, const Bytes& bytes);
  void PutCluster(uint64_t lcn, const Bytes& bytes) { PutBytes(lcn * ClusterBytes(), bytes); }
  MemoryImage& Image() { return *image_; }
  Bytes& BootSector() { return boot_; }

  // Writes the boot sector and opens a fresh analyzer; null (with the test failed) when Open fails.
  NtfsAnalyzer* Open(OperationLog* log = nullptr, bool expectSuccess = true);
  // The same over a device of the test's own (the volume's image is what it should read).
  NtfsAnalyzer* OpenWith(SectorDevice* device, OperationLog* log = nullptr,
                         bool expectSuccess = true);
  std::shared_ptr<MemoryImage> SharedImage() { return image_; }
  NtfsAnalyzer* Analyzer() { return analyzer_.get(); }

 private:
  VolumeGeometry geometry_;
  Bytes boot_;
  std::shared_ptr<MemoryImage> image_;
  std::unique_ptr<NtfsAnalyzer> analyzer_;
};

// A test with a fresh output folder.
class NtfsOutputTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string PathOf(const std::string& name) const { return (root_ / name).string(); }
  static Bytes ReadFile(const std::string& path);

  std::filesystem::path root_;
};

// The log's lines joined by '|', for compact expectations.
std::string Lines(const OperationLog& log);

}  // namespace orvande::test
