// Recovering file data from byte-built volumes: resident, fragmented, sparse and compressed data,
// streams, and the messages of clusters that can't be read.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <set>

#include "core/recovery_context.h"
#include "core/sector_run_list.h"
#include "ntfs/ntfs_status.h"
#include "ntfs_test_volume.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

using test::Bytes;
using test::EncodeRuns;
using test::ListEntry;
using test::RecordBuilder;
using test::Sparse;
using test::TestVolume;

Bytes Pattern(size_t size, uint32_t seed) {
  Bytes out(size);
  std::mt19937 random(seed);
  for (uint8_t& b : out) b = static_cast<uint8_t>(random());
  return out;
}

// Reports the data error for chosen sectors after filling them with zeros, as a disk would.
class BadSectorDevice : public test::MemorySectorDevice {
 public:
  using MemorySectorDevice::MemorySectorDevice;
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t size, uint32_t* result,
                       uint32_t count, int unitShift, bool fill) override {
    uint32_t got =
        MemorySectorDevice::ReadSectors(first, buffer, size, result, count, unitShift, fill);
    const uint64_t unit = uint64_t{1} << unitShift;
    for (uint64_t sector : bad) {
      const uint64_t at = sector * 512;
      if (at < first * unit || at >= (first + count) * unit) continue;
      if (!fill) return 0;
      std::fill_n(buffer + (at - first * unit), 512, 0);
      *result = ErrDataError;
    }
    return got;
  }
  std::set<uint64_t> bad;
};

class FileData : public test::NtfsOutputTest {
 protected:
  // Recovers MFT record n into "f" of the output folder.
  bool Recover(uint64_t n, bool streams = false) {
    ItemLocation location(1, n * 1024);
    return analyzer_->RecoverFile(location, 0, PathOf("f"), streams, context_, &log_);
  }
  void Open() {
    analyzer_ = volume_.Open();
    ASSERT_NE(analyzer_, nullptr);
  }

  TestVolume volume_;
  NtfsAnalyzer* analyzer_ = nullptr;
  RecoveryContext context_;
  OperationLog log_;
};

TEST_F(FileData, ResidentDataAndNamedStreams) {
  volume_.PutRecord(20, RecordBuilder()
                            .Resident(kAttrData, u"", Bytes{'h', 'e', 'l', 'l', 'o'})
                            .Resident(kAttrData, u"x", Bytes{'s', 't', 'r'})
                            .Build());
  Open();
  ASSERT_TRUE(Recover(20, false));
  EXPECT_EQ(ReadFile(PathOf("f")), (Bytes{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_FALSE(std::filesystem::exists(PathOf("f:x")));
  ASSERT_TRUE(Recover(20, true));
  EXPECT_EQ(ReadFile(PathOf("f:x")), (Bytes{'s', 't', 'r'}));
  EXPECT_EQ(log_.LineCount(), 0u);
}

TEST_F(FileData, FragmentedDataReadsAtAnyOffset) {
  const std::vector<test::TestRun> runs = {{5, 100}, {3, -50}, {7, 400}, {1, -3}, {20, 30}};
  Bytes expected;
  int64_t lcn = 0;
  for (const test::TestRun& run : runs) {
    lcn += run.delta;
    Bytes part = Pattern(run.length * 4096, static_cast<uint32_t>(lcn));
    volume_.PutCluster(lcn, part);
    expected.insert(expected.end(), part.begin(), part.end());
  }
  expected.resize(expected.size() - 1234);
  volume_.PutRecord(21, RecordBuilder()
                            .NonResident(kAttrData, u"", EncodeRuns(runs), 0, 35, expected.size())
                            .Build());
  Open();
  ASSERT_TRUE(Recover(21));
  EXPECT_EQ(ReadFile(PathOf("f")), expected);

  MftRecord record(analyzer_);
  ASSERT_EQ(record.ReadFromMft(analyzer_->MftTable(), 21 * 1024, nullptr, nullptr), 0u);
  std::optional<Attribute> data = record.FindAttribute(kAttrData, AttributeName::None());
  ASSERT_TRUE(data);
  std::mt19937 random(3);
  for (int i = 0; i < 300; ++i) {
    const uint64_t offset = random() % expected.size();
    const uint64_t length = 1 + random() % std::min<uint64_t>(expected.size() - offset, 70000);
    Bytes out(length);
    uint64_t got = 0;
    ASSERT_TRUE(record.ReadAttribute(*data, out.data(), offset, length, &got, nullptr));
    ASSERT_EQ(got, length);
    ASSERT_TRUE(std::equal(out.begin(), out.end(), expected.begin() + offset))
        << offset << " " << length;
  }
}

TEST_F(FileData, RunFieldsOfFiveToEightBytes) {
  // Small values in wide fields: every width from 5 to 8 bytes, for lengths and offsets.
  const std::vector<test::TestRun> runs = {
      {2, 300, false, 5, 8}, {3, -200, false, 8, 5}, {1, 0, true, 6, 0}, {2, 50, false, 7, 6}};
  Bytes expected;
  int64_t lcn = 0;
  for (const test::TestRun& run : runs) {
    if (run.sparse) {
      expected.resize(expected.size() + run.length * 4096, 0);
      continue;
    }
    lcn += run.delta;
    Bytes part = Pattern(run.length * 4096, static_cast<uint32_t>(lcn));
    volume_.PutCluster(lcn, part);
    expected.insert(expected.end(), part.begin(), part.end());
  }
  volume_.PutRecord(
      25,
      RecordBuilder().NonResident(kAttrData, u"", EncodeRuns(runs), 0, 7, expected.size()).Build());
  // The same runs from a starting VCN above 2^32, as in an extension of a file beyond 16 TiB.
  const uint64_t start = (uint64_t{1} << 32) + 3;
  volume_.PutRecord(
      26,
      RecordBuilder().NonResident(kAttrData, u"", EncodeRuns(runs), start, start + 7, 0).Build());
  Open();
  ASSERT_TRUE(Recover(25));
  EXPECT_EQ(ReadFile(PathOf("f")), expected);
  EXPECT_EQ(log_.LineCount(), 0u);

  MftRecord high(analyzer_);
  ASSERT_EQ(high.ReadFromMft(analyzer_->MftTable(), 26 * 1024, nullptr, nullptr), 0u);
  std::optional<Attribute> data = high.FindAttribute(kAttrData, AttributeName::None());
  ASSERT_TRUE(data);
  EXPECT_EQ(data->StartingVcn(), start);
  const std::vector<int64_t> lcns = {300, 301, 100, 101, 102, -1, 150, 151};
  for (uint64_t i = 0; i < lcns.size(); ++i) {
    VcnMapping mapping;
    ASSERT_TRUE(high.MapVcn(*data, start + i, &mapping, false)) << i;
    EXPECT_EQ(mapping.sparse, lcns[i] == -1) << i;
    if (lcns[i] != -1) {
      EXPECT_EQ(mapping.lcn, lcns[i]) << i;
    }
  }
  VcnMapping below;
  EXPECT_FALSE(high.MapVcn(*data, 3, &below, false));
}

TEST_F(FileData, HostileRunListsAreRefusedWithALogLine) {
  const std::vector<test::HostileRunList> hostile = test::HostileRunLists();
  for (size_t i = 0; i < hostile.size(); ++i) {
    volume_.PutRecord(
        30 + i, RecordBuilder()
                    .NonResident(kAttrData, u"", hostile[i].runs, 0, hostile[i].lastVcn, 4 * 4096)
                    .Build());
  }
  Open();
  for (size_t i = 0; i < hostile.size(); ++i) {
    log_.Clear();
    EXPECT_FALSE(Recover(30 + i)) << hostile[i].fault;
    // A failed file stays as far as it was written: here not a byte.
    EXPECT_TRUE(!std::filesystem::exists(PathOf("f")) || std::filesystem::file_size(PathOf("f")) == 0);
    char expected[160];
    std::snprintf(expected, sizeof expected,
                  "WARNING: Run list of attribute 0x80 in the record at MFT position "
                  "0x%016llx refused: %s.",
                  static_cast<unsigned long long>((30 + i) * 1024), hostile[i].fault.c_str());
    EXPECT_EQ(test::Lines(log_), expected);
  }
}

TEST_F(FileData, SparseHolesReadAsZerosWhereverTheyFall) {
  Bytes one = Pattern(4096, 1), two = Pattern(4096, 2);
  volume_.PutCluster(300, one);
  volume_.PutCluster(305, two);
  const uint64_t size = 20 * 4096;
  volume_.PutRecord(
      22, RecordBuilder()
              .NonResident(kAttrData, u"", EncodeRuns({{1, 300}, Sparse(4), {1, 5}, Sparse(14)}), 0,
                           19, size, 0x8000)
              .Build());
  Open();
  ASSERT_TRUE(Recover(22));
  Bytes expected(size, 0);
  std::copy(one.begin(), one.end(), expected.begin());
  std::copy(two.begin(), two.end(), expected.begin() + 5 * 4096);
  EXPECT_EQ(ReadFile(PathOf("f")), expected);
}

// Chunk data of "chunkNN" repeated over 4096 bytes: 7 literals and one long reference.
Bytes RepeatingChunk(int n, Bytes* output) {
  const std::string text = "chunk" + std::to_string(10 + n);
  Bytes body;
  body.push_back(0x80);  // flags: seven literals, then a reference
  for (char c : text) body.push_back(static_cast<uint8_t>(c));
  const uint32_t token = (6u << 12) | (4089 - 3);  // at position 7 the split is 12 bits
  body.push_back(static_cast<uint8_t>(token));
  body.push_back(static_cast<uint8_t>(token >> 8));
  for (uint32_t i = 0; i < 4096; ++i) output->push_back(static_cast<uint8_t>(text[i % 7]));
  const uint16_t header = static_cast<uint16_t>(0xB000 | (body.size() - 1));
  Bytes data;
  data.push_back(static_cast<uint8_t>(header));
  data.push_back(static_cast<uint8_t>(header >> 8));
  for (uint8_t b : body) data.push_back(b);
  return data;
}

// A unit of 16 chunks (the fourth one stored) that compresses into two clusters; its output is
// appended to expected.
Bytes TwoClusterUnit(Bytes* expected) {
  Bytes compressed;
  for (int n = 0; n < 16; ++n) {
    if (n == 3) {
      Bytes stored = Pattern(4096, 33);
      compressed.push_back(0xFF), compressed.push_back(0x3F);
      compressed.insert(compressed.end(), stored.begin(), stored.end());
      expected->insert(expected->end(), stored.begin(), stored.end());
      continue;
    }
    Bytes chunk = RepeatingChunk(n, expected);
    compressed.insert(compressed.end(), chunk.begin(), chunk.end());
  }
  EXPECT_LE(compressed.size(), 2u * 4096);
  compressed.resize(2 * 4096, 0);
  return compressed;
}

TEST_F(FileData, CompressedSparseAndPlainUnits) {
  // Unit 0: two clusters of chunks (one stored); unit 1: sparse; unit 2: stored uncompressed.
  Bytes expected;
  volume_.PutCluster(600, TwoClusterUnit(&expected));
  expected.resize(expected.size() + 16 * 4096, 0);
  Bytes plain = Pattern(16 * 4096, 7);
  volume_.PutCluster(700, plain);
  expected.insert(expected.end(), plain.begin(), plain.end());
  expected.resize(expected.size() - 1000);
  volume_.PutRecord(23, RecordBuilder()
                            .NonResident(kAttrData, u"",
                                         EncodeRuns({{2, 600}, Sparse(14), Sparse(16), {16, 100}}),
                                         0, 47, expected.size(), 0x0001)
                            .Build());
  Open();
  ASSERT_TRUE(Recover(23));
  EXPECT_EQ(ReadFile(PathOf("f")), expected);
  EXPECT_EQ(log_.LineCount(), 0u);
}

// Some writers split a compressed stream between records inside a unit: the unit's clusters are
// then found in both pieces' runs, and only the two together decode it.
TEST_F(FileData, ACompressedUnitSplitBetweenRecords) {
  Bytes expected;
  volume_.PutCluster(600, TwoClusterUnit(&expected));
  Bytes list = ListEntry(kAttrData, u"", 0, 34);
  const Bytes second = ListEntry(kAttrData, u"", 1, 35);
  list.insert(list.end(), second.begin(), second.end());
  volume_.PutRecord(34, RecordBuilder()
                            .Resident(kAttrAttributeList, u"", list)
                            .NonResident(kAttrData, u"", EncodeRuns({{1, 600}}), 0, 0,
                                         expected.size(), 0x0001)
                            .Build());
  volume_.PutRecord(35, RecordBuilder()
                            .BaseReference(34)
                            .NonResident(kAttrData, u"", EncodeRuns({{1, 601}, Sparse(14)}), 1, 15,
                                         expected.size(), 0x0001)
                            .Build());
  Open();
  ASSERT_TRUE(Recover(34));
  EXPECT_EQ(ReadFile(PathOf("f")), expected);
}

TEST_F(FileData, InvalidCompressedDataFailsTheFile) {
  volume_.PutCluster(600, Bytes{0x02, 0xB0, 0x01, 0x00, 0x00, 0x00, 0x00});
  volume_.PutRecord(
      24, RecordBuilder()
              .NonResident(kAttrData, u"", EncodeRuns({{1, 600}, Sparse(15)}), 0, 15, 5000, 0x0001)
              .Build());
  Open();
  EXPECT_FALSE(Recover(24));
  EXPECT_TRUE(std::filesystem::exists(PathOf("f")));  // the partial file stays
  EXPECT_EQ(test::Lines(log_),
            "WARNING: Invalid data.|WARNING: LCNs|WARNING: 58 02 00 00 00 00 00 00 \r\n|"
            "WARNING: decompressing error: 85670b0d");
}

TEST_F(FileData, ClustersOutsideTheVolume) {
  volume_.PutRecord(
      25, RecordBuilder().NonResident(kAttrData, u"", EncodeRuns({{2, 5000}}), 0, 1, 6000).Build());
  // The volume's last cluster still lies inside it.
  volume_.PutCluster(1023, Bytes(4096, 0x5A));
  volume_.PutRecord(
      26, RecordBuilder().NonResident(kAttrData, u"", EncodeRuns({{1, 1023}}), 0, 0, 4096).Build());
  Open();
  EXPECT_FALSE(Recover(25));
  EXPECT_TRUE(std::filesystem::exists(PathOf("f")));  // the partial file stays
  EXPECT_EQ(test::Lines(log_),
            "WARNING: File does not belong to volume/partition.|"
            "Volume size: 0x0000000000002000 sectors|Cluster size: 4096|"
            "Current sector: 0x0000000000009c40");
  log_.Clear();
  ASSERT_TRUE(Recover(26));
  EXPECT_EQ(ReadFile(PathOf("f")), Bytes(4096, 0x5A));
}

TEST_F(FileData, BadSectorsAreReportedPerClusterAndReadAsZeros) {
  Bytes content = Pattern(3 * 4096, 5);
  volume_.PutCluster(300, content);
  volume_.PutRecord(27,
                    RecordBuilder()
                        .NonResident(kAttrData, u"", EncodeRuns({{3, 300}}), 0, 2, content.size())
                        .Build());
  auto* device = new BadSectorDevice(volume_.SharedImage());
  device->bad = {300 * 8 + 9, 300 * 8 + 12, 128 + 8 * 10};  // two in cluster 301, one in the MFT
  analyzer_ = volume_.OpenWith(device);
  ASSERT_NE(analyzer_, nullptr);
  ASSERT_TRUE(Recover(27));
  std::fill_n(content.begin() + 9 * 512, 512, 0);
  std::fill_n(content.begin() + 12 * 512, 512, 0);
  EXPECT_EQ(ReadFile(PathOf("f")), content);
  // Record 27 lies in MFT cluster 6, past the bad sector's cluster: nothing to report for it.
  EXPECT_EQ(test::Lines(log_), "WARNING: Bad sector at: 0x0000000000000968");
}

TEST_F(FileData, AFailingNamedStreamOnlyWarns) {
  volume_.PutRecord(28, RecordBuilder()
                            .Resident(kAttrData, u"", Bytes{'a', 'b', 'c'})
                            .NonResident(kAttrData, u"x", EncodeRuns({{1, 5000}}), 0, 0, 10)
                            .Build());
  volume_.PutRecord(29, RecordBuilder()
                            .NonResident(kAttrData, u"", EncodeRuns({{1, 5000}}), 0, 0, 10)
                            .Resident(kAttrData, u"x", Bytes{'a'})
                            .Build());
  Open();
  ASSERT_TRUE(Recover(28, true));
  EXPECT_EQ(ReadFile(PathOf("f")), (Bytes{'a', 'b', 'c'}));
  EXPECT_NE(test::Lines(log_).find("WARNING: Can't recover alternative streams."),
            std::string::npos);
  EXPECT_FALSE(Recover(29, true));
  EXPECT_TRUE(std::filesystem::exists(PathOf("f")));  // the partial file stays
}

TEST_F(FileData, StreamsKeptInExtensionRecordsAndNamesWithSlashes) {
  Bytes list = ListEntry(kAttrData, u"", 0, 32);
  for (const Bytes& e : {ListEntry(kAttrData, u"a/b", 0, 33), ListEntry(kAttrData, u"z", 0, 33)})
    list.insert(list.end(), e.begin(), e.end());
  volume_.PutRecord(32, RecordBuilder()
                            .Resident(kAttrAttributeList, u"", list)
                            .Resident(kAttrData, u"", Bytes{'m'})
                            .Build());
  // Small streams moved to an extension record stay resident there.
  volume_.PutRecord(33, RecordBuilder()
                            .BaseReference(32)
                            .Resident(kAttrData, u"a/b", Bytes{'s', '1'})
                            .Resident(kAttrData, u"z", Bytes{'s', '2'})
                            .Build());
  Open();
  ASSERT_TRUE(Recover(32, true));
  EXPECT_EQ(ReadFile(PathOf("f")), Bytes{'m'});
  // A '/' read from the disk must not lead into another folder.
  EXPECT_EQ(ReadFile(PathOf("f:a?b")), (Bytes{'s', '1'}));
  EXPECT_EQ(ReadFile(PathOf("f:z")), (Bytes{'s', '2'}));
  EXPECT_EQ(log_.LineCount(), 0u);
}

TEST_F(FileData, StopKeepsWhatWasWritten) {
  Bytes content = Pattern(200000, 8);
  volume_.PutCluster(300, content);
  volume_.PutRecord(30,
                    RecordBuilder()
                        .NonResident(kAttrData, u"", EncodeRuns({{49, 300}}), 0, 48, content.size())
                        .Build());
  StopFlag stop{0};
  context_.stop = &stop;
  auto* device = new test::MemorySectorDevice(volume_.SharedImage());
  analyzer_ = volume_.OpenWith(device);
  ASSERT_NE(analyzer_, nullptr);
  device->onRead = [&](const test::ReadCall& call) {
    if (call.first >= 300 * 8) stop = 1;
  };
  ASSERT_TRUE(Recover(30));
  EXPECT_EQ(ReadFile(PathOf("f")),
            Bytes(content.begin(), content.begin() + MftRecord::kStreamPiece));
}

TEST_F(FileData, LooseRecordsAndSectorRuns) {
  const uint64_t loose = 400 * 4096;
  volume_.PutBytes(loose, RecordBuilder().Resident(kAttrData, u"", Bytes{'l'}).Build());
  volume_.PutBytes(loose + 4096,
                   RecordBuilder()
                       .Resident(kAttrAttributeList, u"", ListEntry(kAttrData, u"", 0, 3))
                       .Resident(kAttrData, u"", Bytes{'l'})
                       .Build());
  volume_.PutBytes(500 * 512, Bytes(1024, 'r'));
  Open();
  ItemLocation direct(0, loose);
  ASSERT_TRUE(analyzer_->RecoverFile(direct, 0, PathOf("f"), false, context_, &log_));
  EXPECT_EQ(ReadFile(PathOf("f")), Bytes{'l'});
  ItemLocation listed(0, loose + 4096);
  EXPECT_FALSE(analyzer_->RecoverFile(listed, 0, PathOf("g"), false, context_, &log_));
  SectorRunList runs;
  runs.AddRun(500, 501);
  ItemLocation sectors(runs);
  ASSERT_TRUE(analyzer_->RecoverFile(sectors, 700, PathOf("h"), false, context_, &log_));
  EXPECT_EQ(ReadFile(PathOf("h")), Bytes(700, 'r'));
}

TEST_F(FileData, AListThatContradictsItselfFailsTheFile) {
  Bytes entry = ListEntry(kAttrData, u"", 0, 31);
  entry[6] = 200;  // a name far longer than the list
  volume_.PutRecord(31, RecordBuilder()
                            .Resident(kAttrAttributeList, u"", entry)
                            .Resident(kAttrData, u"", Bytes{'d'})
                            .Build());
  Open();
  EXPECT_FALSE(Recover(31));
  EXPECT_TRUE(std::filesystem::exists(PathOf("f")));  // the partial file stays
}

}  // namespace
}  // namespace orvande
