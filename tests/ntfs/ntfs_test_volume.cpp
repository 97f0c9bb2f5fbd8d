#include "ntfs_test_volume.h"

#include <cstdlib>
#include <fstream>

#include "support/le_reader.h"

namespace orvande::test {
namespace {

constexpr uint32_t kUsaOffset = 0x30;
constexpr uint16_t kSequenceNumber = 0x4A4A;

size_t Align8(size_t value) {
  return (value + 7) & ~size_t{7};
}

void Put(Bytes& bytes, size_t offset, uint64_t value, size_t width) {
  if (bytes.size() < offset + width) bytes.resize(offset + width);
  StoreLe(bytes, offset, value, width);
}

void Append(Bytes& bytes, size_t offset, const Bytes& data) {
  if (bytes.size() < offset + data.size()) bytes.resize(offset + data.size());
  std::copy(data.begin(), data.end(), bytes.begin() + offset);
}

size_t UnsignedWidth(uint64_t value) {
  size_t width = 1;
  while (width < 8 && (value >> (8 * width)) != 0) ++width;
  return width;
}

size_t SignedWidth(int64_t value) {
  for (size_t width = 1; width < 8; ++width) {
    const int64_t limit = int64_t{1} << (8 * width - 1);
    if (value >= -limit && value < limit) return width;
  }
  return 8;
}

}  // namespace

TestRun Sparse(uint64_t length) {
  return TestRun{length, 0, true};
}

Bytes EncodeRuns(const std::vector<TestRun>& runs) {
  Bytes out;
  for (const TestRun& run : runs) {
    const size_t lengthWidth = run.lengthBytes != 0 ? run.lengthBytes : UnsignedWidth(run.length);
    const size_t offsetWidth =
        run.sparse ? 0 : (run.offsetBytes != 0 ? run.offsetBytes : SignedWidth(run.delta));
    out.push_back(static_cast<uint8_t>(lengthWidth | (offsetWidth << 4)));
    for (size_t i = 0; i < lengthWidth; ++i)
      out.push_back(static_cast<uint8_t>(run.length >> (8 * i)));
    for (size_t i = 0; i < offsetWidth; ++i)
      out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(run.delta) >> (8 * i)));
  }
  out.push_back(0);
  return out;
}

std::vector<HostileRunList> HostileRunLists() {
  constexpr int64_t kLargest = INT64_MAX;
  return {
      {"an LCN below -1", EncodeRuns({{4, 200}, {2, -300}}), 5},
      // A length of 2^63 clusters reaches back over VCN 0.
      {"runs that overlap", EncodeRuns({{4, 200}, {uint64_t{1} << 63, 10, false, 8}}), 0},
      {"runs that overlap", EncodeRuns({{4, 200}, {~uint64_t{0}, 10}}), 0},
      {"an LCN past the largest cluster number", EncodeRuns({{1, kLargest - 5}, {1, 100}}), 1},
      {"runs that end before the highest VCN", EncodeRuns({{4, 200}}), 9},
  };
}

Bytes Utf16(const std::u16string& text) {
  Bytes out;
  for (char16_t unit : text) {
    out.push_back(static_cast<uint8_t>(unit));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return out;
}

RecordBuilder& RecordBuilder::Flags(uint16_t flags) {
  flags_ = flags;
  return *this;
}

RecordBuilder& RecordBuilder::BaseReference(uint64_t reference) {
  baseReference_ = reference;
  return *this;
}

RecordBuilder& RecordBuilder::Raw(const Bytes& attribute) {
  attributes_.push_back(attribute);
  return *this;
}

RecordBuilder& RecordBuilder::Resident(uint32_t type, const std::u16string& name,
                                       const Bytes& value) {
  const size_t nameOffset = 24;
  const size_t valueOffset = Align8(nameOffset + 2 * name.size());
  Bytes a;
  Put(a, 0, type, 4);
  Put(a, 8, 0, 1);
  Put(a, 9, name.size(), 1);
  Put(a, 10, name.empty() ? 0 : nameOffset, 2);
  Put(a, 16, value.size(), 4);
  Put(a, 20, valueOffset, 2);
  Append(a, nameOffset, Utf16(name));
  Append(a, valueOffset, value);
  a.resize(Align8(a.size()));
  Put(a, 4, a.size(), 4);
  return Raw(a);
}

RecordBuilder& RecordBuilder::NonResident(uint32_t type, const std::u16string& name,
                                          const Bytes& runs, uint64_t startVcn, uint64_t lastVcn,
                                          uint64_t dataSize, uint16_t attributeFlags) {
  const size_t nameOffset = 64;
  const size_t runOffset = Align8(nameOffset + 2 * name.size());
  Bytes a;
  Put(a, 0, type, 4);
  Put(a, 8, 1, 1);
  Put(a, 9, name.size(), 1);
  Put(a, 10, nameOffset, 2);
  Put(a, 12, attributeFlags, 2);
  Put(a, 16, startVcn, 8);
  Put(a, 24, lastVcn, 8);
  Put(a, 32, runOffset, 2);
  Put(a, 34, (attributeFlags & 0xFF) != 0 ? 4 : 0, 1);
  Put(a, 40, (dataSize + 4095) / 4096 * 4096, 8);
  Put(a, 48, dataSize, 8);
  Put(a, 56, dataSize, 8);
  Append(a, nameOffset, Utf16(name));
  Append(a, runOffset, runs);
  a.resize(Align8(a.size()));
  Put(a, 4, a.size(), 4);
  return Raw(a);
}

Bytes RecordBuilder::Build(uint32_t bytesPerSector) const {
  Bytes r(recordSize_, 0);
  const uint32_t usaCount = recordSize_ >= bytesPerSector ? recordSize_ / bytesPerSector + 1 : 1;
  const size_t firstAttribute = Align8(kUsaOffset + 2 * usaCount);
  r[0] = 'F', r[1] = 'I', r[2] = 'L', r[3] = 'E';
  StoreLe(r, 4, kUsaOffset, 2);
  StoreLe(r, 6, usaCount, 2);
  StoreLe(r, 20, firstAttribute, 2);
  StoreLe(r, 22, flags_, 2);
  StoreLe(r, 28, recordSize_, 4);
  StoreLe(r, 32, baseReference_, 8);
  size_t at = firstAttribute;
  for (const Bytes& attribute : attributes_) {
    EXPECT_LE(at + attribute.size() + 8, recordSize_) << "attributes overflow the record";
    if (at + attribute.size() + 8 > recordSize_) break;
    std::copy(attribute.begin(), attribute.end(), r.begin() + at);
    at += attribute.size();
  }
  StoreLe(r, at, 0xFFFFFFFF, 4);
  StoreLe(r, 24, at + 8, 4);
  StoreLe(r, kUsaOffset, kSequenceNumber, 2);
  for (uint32_t i = 1; i < usaCount; ++i) {
    const size_t end = size_t{i} * bytesPerSector - 2;
    r[kUsaOffset + 2 * i] = r[end];
    r[kUsaOffset + 2 * i + 1] = r[end + 1];
    StoreLe(r, end, kSequenceNumber, 2);
  }
  return r;
}

Bytes ListEntry(uint32_t type, const std::u16string& name, uint64_t startVcn, uint64_t record) {
  Bytes e;
  Put(e, 0, type, 4);
  Put(e, 6, name.size(), 1);
  Put(e, 7, 26, 1);
  Put(e, 8, startVcn, 8);
  Put(e, 16, record | (uint64_t{1} << 48), 8);
  Append(e, 26, Utf16(name));
  e.resize(Align8(std::max<size_t>(e.size(), 32)));
  Put(e, 4, e.size(), 2);
  return e;
}

Bytes FileNameValue(const std::u16string& name) {
  Bytes v(66, 0);
  StoreLe(v, 0, 5 | (uint64_t{5} << 48), 8);
  v[64] = static_cast<uint8_t>(name.size());
  v[65] = 1;
  Append(v, 66, Utf16(name));
  return v;
}

TestVolume::TestVolume(VolumeGeometry geometry)
    : geometry_(geometry), boot_(512, 0), image_(std::make_shared<MemoryImage>()) {
  boot_[3] = 'N', boot_[4] = 'T', boot_[5] = 'F', boot_[6] = 'S';
  StoreLe(boot_, 11, geometry.bytesPerSector, 2);
  StoreLe(boot_, 13, geometry.sectorsPerCluster, 1);
  StoreLe(boot_, 0x28, geometry.totalSectors, 8);
  StoreLe(boot_, 0x30, geometry.mftCluster, 8);
  // The last sector (the backup boot sector's place) lies outside the stated total.
  Image().bytes.assign((geometry.totalSectors + 1) * geometry.bytesPerSector, 0);
  PutRecord(0, MftOwnRecord());
}

Bytes TestVolume::MftOwnRecord() const {
  return RecordBuilder(geometry_.recordSize)
      .Resident(kAttrFileName, u"", FileNameValue(u"$MFT"))
      .NonResident(
          kAttrData, u"",
          EncodeRuns({{geometry_.mftClusters, static_cast<int64_t>(geometry_.mftCluster)}}), 0,
          geometry_.mftClusters - 1, uint64_t{geometry_.mftClusters} * ClusterBytes())
      .Build(geometry_.bytesPerSector);
}

void TestVolume::PutRecord(uint64_t number, const Bytes& record) {
  PutBytes(MftByteOffset() + MftPosition(number), record);
}

void TestVolume::PutBytes(uint64_t offset, const Bytes& bytes) {
  Image().Put(offset, bytes.data(), bytes.size());
}

NtfsAnalyzer* TestVolume::Open(OperationLog* log, bool expectSuccess) {
  return OpenWith(new MemorySectorDevice(image_), log, expectSuccess);
}

NtfsAnalyzer* TestVolume::OpenWith(SectorDevice* device, OperationLog* log, bool expectSuccess) {
  Image().Put(0, boot_.data(), boot_.size());
  EXPECT_TRUE(device->Open(false, nullptr));
  analyzer_ = std::make_unique<NtfsAnalyzer>();
  const bool opened = analyzer_->Open(device, false, log);
  device->Release();
  if (opened != expectSuccess) ADD_FAILURE() << "Open gave " << opened;
  if (!opened) analyzer_.reset();
  return analyzer_.get();
}

void NtfsOutputTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvande_ntfs_XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  root_ = pattern;
}

void NtfsOutputTest::TearDown() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

Bytes NtfsOutputTest::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string Lines(const OperationLog& log) {
  std::string text;
  for (const std::string& line : log.Lines()) {
    if (!text.empty()) text += "|";
    text += line;
  }
  return text;
}

}  // namespace orvande::test
