#include "ntfs/mft_record.h"

#include <gtest/gtest.h>

#include "ntfs/mft_own_record.h"
#include "ntfs/ntfs_status.h"
#include "ntfs_test_volume.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

using test::Bytes;
using test::EncodeRuns;
using test::ListEntry;
using test::RecordBuilder;
using test::TestVolume;
using test::Utf16;
using test::VolumeGeometry;

// A record with no attributes whose allocated size is as given.
Bytes HeaderOnly(uint32_t allocated) {
  Bytes r(std::max<uint32_t>(allocated, 48), 0);
  r[0] = 'F', r[1] = 'I', r[2] = 'L', r[3] = 'E';
  StoreLe(r, 4, 0x28, 2);
  StoreLe(r, 6, 1, 2);
  StoreLe(r, 24, 40, 4);
  StoreLe(r, 28, allocated, 4);
  return r;
}

TEST(MftRecord, AllocatedSizeLimits) {
  VolumeGeometry geometry;
  geometry.mftClusters = 40;
  TestVolume volume(geometry);
  const uint64_t looseAt = 200 * 4096;
  struct Case {
    uint32_t allocated;
    uint32_t direct;
    uint32_t throughMft;
  };
  for (Case c : {Case{41, kStatusDirectRecordTooSmall, kStatusMftRecordTooSmall}, Case{42, 0, 0},
                 Case{65536, 0, 0}, Case{65537, kStatusRecordTooLarge, kStatusRecordTooLarge}}) {
    volume.PutBytes(looseAt, HeaderOnly(c.allocated));
    volume.PutRecord(1, HeaderOnly(c.allocated));
    NtfsAnalyzer* analyzer = volume.Open();
    ASSERT_NE(analyzer, nullptr);
    MftRecord record(analyzer);
    uint64_t next = 0;
    EXPECT_EQ(record.ReadDirect(looseAt, &next, false, nullptr), c.direct) << c.allocated;
    if (c.direct == 0) {
      EXPECT_EQ(next, looseAt + (c.allocated + 511) / 512 * 512);
      EXPECT_EQ(record.RecordSize(), c.allocated);
    }
    EXPECT_EQ(record.ReadFromMft(analyzer->MftTable(), 1024, &next, nullptr), c.throughMft);
    if (c.throughMft == 0) {
      EXPECT_EQ(next, 1024 + (c.allocated + 511) / 512 * 512);
    }
  }
}

TEST(MftRecord, HeaderChecks) {
  TestVolume volume;
  Bytes usedTooLarge = RecordBuilder().Build();
  StoreLe(usedTooLarge, 24, 1025, 4);
  volume.PutRecord(2, usedTooLarge);
  Bytes firstAttributeOutside = RecordBuilder().Build();
  StoreLe(firstAttributeOutside, 20, 1024, 2);
  volume.PutRecord(3, firstAttributeOutside);
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  MftRecord record(analyzer);
  uint64_t next = 0;
  // An unused slot of the table is stepped over by the table's record size.
  EXPECT_EQ(record.ReadFromMft(analyzer->MftTable(), 5 * 1024, &next, nullptr),
            kStatusNotUsableRecord);
  EXPECT_EQ(next, 6u * 1024);
  EXPECT_EQ(record.ReadFromMft(analyzer->MftTable(), 2 * 1024, &next, nullptr),
            kStatusUsedSizeTooLarge);
  EXPECT_EQ(record.ReadFromMft(analyzer->MftTable(), 3 * 1024, &next, nullptr),
            kStatusNotUsableRecord);
  EXPECT_EQ(record.ReadDirect(volume.MftByteOffset() + 5 * 1024, &next, false, nullptr),
            kStatusNoFileSignature);
  // Reading past the end of the image delivers nothing.
  EXPECT_EQ(record.ReadDirect(uint64_t{1} << 40, &next, false, nullptr), kStatusShortDirectRead);
}

TEST(MftRecord, UpdateSequencePutsSectorEndsBack) {
  TestVolume volume;
  Bytes value(600);
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>(i + 1);
  // The value runs across the end of the first sector, where the sequence number sits on disk.
  volume.PutRecord(1, RecordBuilder().Resident(kAttrData, u"", value).Build());
  Bytes torn = RecordBuilder().Resident(kAttrData, u"", value).Build();
  StoreLe(torn, 1022, 0x1234, 2);  // the second sector was not written with the first
  volume.PutRecord(2, torn);
  Bytes noSequence = RecordBuilder().Resident(kAttrData, u"", value).Build();
  StoreLe(noSequence, 6, 1, 2);
  volume.PutRecord(3, noSequence);
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  for (uint64_t n : {1u, 2u}) {
    MftRecord record(analyzer);
    ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), n * 1024, nullptr, nullptr), 0u);
    Bytes read(value.size());
    uint64_t got = 0;
    ASSERT_TRUE(record.ReadStream(kAttrData, AttributeName::None(), read.data(), 0, read.size(),
                                  &got, nullptr));
    EXPECT_EQ(read, value) << n;
  }
  MftRecord record(analyzer);
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 3 * 1024, nullptr, nullptr), 0u);
  EXPECT_EQ(LeReader(record.Bytes()).U16(510), 0x4A4A);
}

TEST(MftRecord, FourKilobyteSectors) {
  VolumeGeometry geometry;
  geometry.bytesPerSector = 4096;
  geometry.sectorsPerCluster = 1;
  geometry.totalSectors = 1024;
  geometry.recordSize = 4096;
  TestVolume volume(geometry);
  // Written with one word per 4096-byte sector: only the record's last word is replaced.
  Bytes perSector = RecordBuilder(4096).Build(4096);
  StoreLe(perSector, 510, 0x7777, 2);
  volume.PutRecord(1, perSector);
  // Written with one word per 512 bytes, as the format's own tools do on any sector size.
  Bytes value(3000);
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>(i * 3 + 1);
  volume.PutRecord(2, RecordBuilder(4096).Resident(kAttrData, u"", value).Build(512));
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  MftRecord record(analyzer);
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 4096, nullptr, nullptr), 0u);
  EXPECT_EQ(LeReader(record.Bytes()).U16(4094), 0);
  EXPECT_EQ(LeReader(record.Bytes()).U16(510), 0x7777);
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 2 * 4096, nullptr, nullptr), 0u);
  Bytes read(value.size());
  uint64_t got = 0;
  ASSERT_TRUE(record.ReadStream(kAttrData, AttributeName::None(), read.data(), 0, read.size(), &got,
                                nullptr));
  EXPECT_EQ(read, value);
}

TEST(MftRecord, FindAttributeFollowsTypeOrderAndNames) {
  TestVolume volume;
  volume.PutRecord(1, RecordBuilder()
                          .Resident(kAttrStandardInformation, u"", Bytes(48, 1))
                          .Resident(0x40, u"", Bytes(16, 2))
                          .Resident(kAttrData, u"", Bytes{1})
                          .Resident(kAttrData, u"x", Bytes{2, 2})
                          .Resident(kAttrFileName, u"", test::FileNameValue(u"late"))
                          .Build());
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  MftRecord record(analyzer);
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 1024, nullptr, nullptr), 0u);
  // Sorted by type: the walk gives up at 0x40 when looking for 0x30.
  EXPECT_FALSE(record.FindAttribute(kAttrFileName, AttributeName::Any()));
  const Bytes x = Utf16(u"x");
  EXPECT_EQ(record.FindAttribute(kAttrData, AttributeName::Of(x))->ValueLength(), 2u);
  EXPECT_EQ(record.FindAttribute(kAttrData, AttributeName::None())->ValueLength(), 1u);
  uint64_t dataSize = 0, allocated = 0;
  EXPECT_TRUE(record.GetAttributeSize(kAttrData, AttributeName::Of(x), &dataSize, &allocated));
  EXPECT_EQ(dataSize, 2u);
  EXPECT_TRUE(record.GetAttributeSize(0x70, AttributeName::None(), &dataSize, &allocated));
  EXPECT_EQ(dataSize, 0u);
}

// Record 30: a list placing $DATA VCNs 0-3 in the record itself and VCNs 4-7 in record 31.
// Record 32: $DATA wholly in records 33 (VCNs 0-1) and 34 (VCNs 2-3).
void PutListedFiles(TestVolume& volume) {
  Bytes list = ListEntry(kAttrStandardInformation, u"", 0, 30);
  for (const Bytes& e : {ListEntry(kAttrData, u"", 0, 30), ListEntry(kAttrData, u"", 4, 31)})
    list.insert(list.end(), e.begin(), e.end());
  const uint64_t size = 8 * 4096 - 100;
  volume.PutRecord(30, RecordBuilder()
                           .Resident(kAttrStandardInformation, u"", Bytes(48, 0))
                           .Resident(kAttrAttributeList, u"", list)
                           .NonResident(kAttrData, u"", EncodeRuns({{4, 100}}), 0, 3, size)
                           .Build());
  volume.PutRecord(31, RecordBuilder()
                           .BaseReference(30)
                           .NonResident(kAttrData, u"", EncodeRuns({{4, 200}}), 4, 7, 0)
                           .Build());
  Bytes other = ListEntry(kAttrData, u"", 0, 33);
  Bytes second = ListEntry(kAttrData, u"", 2, 34);
  other.insert(other.end(), second.begin(), second.end());
  volume.PutRecord(32, RecordBuilder().Resident(kAttrAttributeList, u"", other).Build());
  volume.PutRecord(33, RecordBuilder()
                           .BaseReference(32)
                           .NonResident(kAttrData, u"", EncodeRuns({{2, 300}}), 0, 1, 4 * 4096)
                           .Build());
  volume.PutRecord(34, RecordBuilder()
                           .BaseReference(32)
                           .NonResident(kAttrData, u"", EncodeRuns({{2, 400}}), 2, 3, 0)
                           .Build());
  for (uint64_t lcn : {100, 101, 102, 103, 200, 201, 202, 203, 300, 301, 400, 401})
    volume.PutCluster(lcn, Bytes(4096, static_cast<uint8_t>(lcn)));
}

TEST(MftRecord, AttributeListReachesExtensionRecords) {
  TestVolume volume;
  PutListedFiles(volume);
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  MftRecord record(analyzer);
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 30 * 1024, nullptr, nullptr), 0u);
  ASSERT_TRUE(record.HasUsableAttributeList());
  ASSERT_NE(record.FindExtension(31 * 1024), nullptr);
  EXPECT_TRUE(record.FindExtension(31 * 1024)->IsExtension());
  EXPECT_EQ(record.FindExtension(30 * 1024), nullptr);

  VcnMapping mapping;
  ASSERT_TRUE(record.MapVcnByName(kAttrData, AttributeName::None(), 6, &mapping, false));
  EXPECT_EQ(mapping.lcn, 202);
  Bytes read(3 * 4096);
  uint64_t got = 0;
  // From the middle of VCN 3 (this record) into VCN 6 (the extension).
  ASSERT_TRUE(record.ReadStream(kAttrData, AttributeName::None(), read.data(), 3 * 4096 + 10,
                                read.size(), &got, nullptr));
  EXPECT_EQ(got, read.size());
  EXPECT_EQ(read[0], 103);
  EXPECT_EQ(read[4096], 200);
  EXPECT_EQ(read.back(), 202);

  // Sizes of an attribute found only in extensions add up over them.
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 32 * 1024, nullptr, nullptr), 0u);
  uint64_t dataSize = 0, allocated = 0;
  ASSERT_TRUE(record.GetAttributeSize(kAttrData, AttributeName::None(), &dataSize, &allocated));
  EXPECT_EQ(dataSize, 4u * 4096);
  ASSERT_TRUE(record.ReadStream(kAttrData, AttributeName::None(), read.data(), 4096, 2 * 4096, &got,
                                nullptr));
  EXPECT_EQ(read[0], 45);      // 301 as a byte
  EXPECT_EQ(read[4096], 144);  // 400 as a byte

  // A record found loose on the disk can't reach its extensions.
  EXPECT_EQ(record.ReadDirect(volume.MftByteOffset() + 30 * 1024, nullptr, true, nullptr),
            kStatusNotUsableRecord);
  EXPECT_EQ(record.ReadDirect(volume.MftByteOffset() + 30 * 1024, nullptr, false, nullptr), 0u);
  EXPECT_FALSE(record.HasUsableAttributeList());
}

TEST(MftRecord, ListsOf64KiBAndMissingExtensions) {
  TestVolume volume;
  volume.PutRecord(5,
                   RecordBuilder()
                       .NonResident(kAttrAttributeList, u"", EncodeRuns({{16, 500}}), 0, 15, 65536)
                       .Resident(kAttrData, u"", Bytes{'o', 'k'})
                       .Build());
  volume.PutRecord(
      6,
      RecordBuilder().Resident(kAttrAttributeList, u"", ListEntry(kAttrData, u"", 0, 9)).Build());
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  MftRecord record(analyzer);
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 5 * 1024, nullptr, nullptr), 0u);
  EXPECT_FALSE(record.HasUsableAttributeList());
  Bytes two(2);
  uint64_t got = 0;
  EXPECT_TRUE(record.ReadStream(kAttrData, AttributeName::None(), two.data(), 0, 2, &got, nullptr));
  EXPECT_EQ(two, (Bytes{'o', 'k'}));

  // The list names record 9, an unused slot: the read still succeeds, the sizes can't be had.
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 6 * 1024, nullptr, nullptr), 0u);
  EXPECT_TRUE(record.HasUsableAttributeList());
  uint64_t dataSize = 0, allocated = 0;
  EXPECT_FALSE(record.GetAttributeSize(kAttrData, AttributeName::None(), &dataSize, &allocated));
}

TEST(MftRecord, ExtensionsDoNotLoadListsOfTheirOwn) {
  // Two records naming each other in their lists would otherwise load each other forever.
  TestVolume volume;
  volume.PutRecord(
      7,
      RecordBuilder().Resident(kAttrAttributeList, u"", ListEntry(kAttrData, u"", 0, 8)).Build());
  volume.PutRecord(
      8,
      RecordBuilder().Resident(kAttrAttributeList, u"", ListEntry(kAttrData, u"", 0, 7)).Build());
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  MftRecord record(analyzer);
  ASSERT_EQ(record.ReadFromMft(analyzer->MftTable(), 7 * 1024, nullptr, nullptr), 0u);
  ASSERT_NE(record.FindExtension(8 * 1024), nullptr);
  EXPECT_FALSE(record.FindExtension(8 * 1024)->HasUsableAttributeList());
}

TEST(MftOwnRecord, RecognisesTheTablesOwnName) {
  TestVolume volume;
  Bytes own = volume.MftOwnRecord();
  EXPECT_TRUE(IsMftOwnRecord(own.data(), own.size()));
  // The first $FILE_NAME ends the walk and decides; its name must be "$MFT" in 4 units.
  Bytes renamed = own;
  const size_t name = LeReader(own).U16(20) + 24 + 66;
  renamed[name + 6] = 'S';
  EXPECT_FALSE(IsMftOwnRecord(renamed.data(), renamed.size()));
  EXPECT_FALSE(IsMftOwnRecord(own.data(), name + 6));
  EXPECT_FALSE(IsMftOwnRecord(own.data(), 41));
  Bytes unsorted = RecordBuilder()
                       .Resident(0x40, u"", Bytes(8))
                       .Resident(kAttrFileName, u"", test::FileNameValue(u"$MFT"))
                       .Build();
  EXPECT_FALSE(IsMftOwnRecord(unsorted.data(), unsorted.size()));
  Bytes noAttributes = own;
  StoreLe(noAttributes, 20, 0, 2);
  EXPECT_FALSE(IsMftOwnRecord(noAttributes.data(), noAttributes.size()));
}

}  // namespace
}  // namespace orvande
