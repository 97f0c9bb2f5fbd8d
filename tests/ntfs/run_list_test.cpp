#include "ntfs/run_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "ntfs_test_volume.h"

namespace orvande {
namespace {

using test::Bytes;
using test::EncodeRuns;
using test::Sparse;

VcnMapping Map(const Bytes& bytes, uint64_t vcn, bool compressed = false, uint64_t start = 0,
               uint64_t last = 0, bool* mapped = nullptr) {
  VcnMapping out;
  bool result = MapVcnInRuns(RunList::Decode(bytes, start), last, compressed, vcn, true, &out);
  if (mapped != nullptr) *mapped = result;
  return out;
}

TEST(RunList, OffsetsAreSignedDeltasToThePreviousRun) {
  // 4 clusters at 0x1000, then 2 clusters at one byte 0xFF: LCN - 1.
  RunList runs = RunList::Decode(Bytes{0x21, 0x04, 0x00, 0x10, 0x11, 0x02, 0xFF, 0x00}, 0);
  ASSERT_TRUE(runs.Complete());
  ASSERT_EQ(runs.Extents().size(), 2u);
  EXPECT_EQ(runs.Extents()[1].vcn, 4u);
  EXPECT_EQ(runs.Extents()[1].lcn, 0x0FFF);

  // Three-byte and four-byte offsets going back; a four-byte 0x7FFFFFFF goes forward.
  RunList wide =
      RunList::Decode(Bytes{0x31, 1,    0x00, 0x00, 0x10, 0x31, 1,    0xFE, 0xFF, 0xFF, 0x41, 1,
                            0xF0, 0xFF, 0xFF, 0xFF, 0x41, 1,    0xFF, 0xFF, 0xFF, 0x7F, 0x00},
                      0);
  ASSERT_EQ(wide.Extents().size(), 4u);
  EXPECT_EQ(wide.Extents()[0].lcn, 0x100000);
  EXPECT_EQ(wide.Extents()[1].lcn, 0x100000 - 2);
  EXPECT_EQ(wide.Extents()[2].lcn, 0x100000 - 2 - 16);
  EXPECT_EQ(wide.Extents()[3].lcn, int64_t{0x100000} - 2 - 16 + 0x7FFFFFFF);
}

TEST(RunList, FieldSizesAboveEightAndCutListsLeaveItIncomplete) {
  for (const Bytes& broken : {Bytes{0x11, 4, 8, 0x91, 1, 1, 2, 3, 4, 5, 0},  // 9-byte offset
                              Bytes{0x11, 4, 8, 0x19, 1, 0, 0, 0, 0, 8, 0},  // 9-byte length
                              Bytes{0x11, 4, 8, 0x21, 1}, Bytes{0x11, 4, 8}}) {
    RunList runs = RunList::Decode(broken, 0);
    EXPECT_FALSE(runs.Complete());
    EXPECT_EQ(runs.Extents().size(), 1u);
  }
  // A run list that breaks off maps nothing in the unit where it stops, nor at the end of a unit
  // whose successor is never reached.
  bool mapped = true;
  Map(Bytes{0x11, 16, 8, 0x51}, 3, false, 0, 0, &mapped);
  EXPECT_FALSE(mapped);
  Map(Bytes{0x11, 20, 8, 0x51}, 3, false, 0, 0, &mapped);
  EXPECT_TRUE(mapped);
  Map(Bytes{0x11, 20, 8, 0x51}, 17, false, 0, 0, &mapped);
  EXPECT_FALSE(mapped);
}

TEST(RunList, FieldsOfFiveToEightBytesAndVcnsAboveFourGiB) {
  // Lengths and offsets in fields of every width from 5 to 8 bytes, LCNs above 2^32 and a sparse
  // run with a 7-byte length, from a starting VCN above 2^32.
  const uint64_t start = (uint64_t{1} << 32) + 40;
  const std::vector<test::TestRun> runs = {{3, int64_t{0x1234567890}, false, 5, 5},
                                           {2, -0x100, false, 6, 8},
                                           {4, 0, true, 7, 0},
                                           {5, int64_t{0x7FFF00000000}, false, 8, 7},
                                           {1, -int64_t{0x7FFF00000000}, false, 5, 6}};
  const Bytes bytes = EncodeRuns(runs);
  ASSERT_EQ(bytes[0], 0x55);
  ASSERT_EQ(bytes[6 + 5], 0x86);
  const RunList list = RunList::Decode(bytes, start, start + 14);
  ASSERT_TRUE(list.Complete());
  ASSERT_FALSE(list.Refused());
  uint64_t vcn = start;
  int64_t lcn = 0;
  for (const test::TestRun& run : runs) {
    if (!run.sparse) lcn += run.delta;
    for (uint64_t i = 0; i < run.length; ++i, ++vcn) {
      VcnMapping m;
      ASSERT_TRUE(MapVcnInRuns(list, start + 14, false, vcn, false, &m)) << vcn;
      EXPECT_EQ(m.sparse, run.sparse) << vcn;
      if (!run.sparse) {
        EXPECT_EQ(m.lcn, lcn + static_cast<int64_t>(i)) << vcn;
      }
    }
  }
  VcnMapping past;
  EXPECT_FALSE(MapVcnInRuns(list, start + 14, false, vcn, false, &past));
}

TEST(RunList, HostileListsAreRefusedAndMapNothing) {
  for (const test::HostileRunList& hostile : test::HostileRunLists()) {
    const RunList list = RunList::Decode(hostile.runs, 0, hostile.lastVcn);
    EXPECT_TRUE(list.Refused()) << hostile.fault;
    EXPECT_EQ(RunListFaultText(list.Fault()), hostile.fault);
    EXPECT_FALSE(list.Complete());
    EXPECT_TRUE(list.Extents().empty());
    VcnMapping m;
    EXPECT_FALSE(MapVcnInRuns(list, hostile.lastVcn, false, 0, false, &m)) << hostile.fault;
  }
  // LCN -1 is the lowest a run may name; the highest VCN may also lie before the runs' end.
  EXPECT_FALSE(RunList::Decode(EncodeRuns({{2, -1}}), 0, 1).Refused());
  EXPECT_FALSE(RunList::Decode(EncodeRuns({{20, 100}}), 0, 9).Refused());
}

TEST(RunList, VcnLimitsOfTheAttribute) {
  const Bytes runs = EncodeRuns({{40, 100}});
  bool mapped = true;
  VcnMapping below = Map(runs, 5, false, 10, 49, &mapped);
  EXPECT_FALSE(mapped);
  EXPECT_EQ(below.unmapped, 5u);
  Map(runs, 50, false, 10, 49, &mapped);
  EXPECT_FALSE(mapped);
  VcnMapping inside = Map(runs, 12, false, 10, 49, &mapped);
  EXPECT_TRUE(mapped);
  EXPECT_EQ(inside.lcn, 102);
  EXPECT_EQ(inside.alike, 38u);
  // Past the runs of a complete list: mapped, but to no cluster.
  VcnMapping past = Map(EncodeRuns({{4, 100}}), 9, false, 0, 0, &mapped);
  EXPECT_TRUE(mapped);
  EXPECT_EQ(past.lcn, -1);
}

TEST(RunList, UnitsOfCompressedAttributes) {
  // [data 5, sparse 11]: a compressed unit whose five data clusters hold it all.
  const Bytes compressedUnit = EncodeRuns({{5, 200}, Sparse(11), {16, 50}});
  for (uint64_t vcn : {0u, 4u, 5u, 15u}) {
    VcnMapping m = Map(compressedUnit, vcn, true);
    EXPECT_TRUE(m.compressed) << vcn;
    EXPECT_EQ(m.indexInUnit, vcn);
    ASSERT_EQ(m.unitLcnCount, 5u);
    EXPECT_EQ(m.unitLcns[0], 200);
    EXPECT_EQ(m.unitLcns[4], 204);
  }
  VcnMapping plain = Map(compressedUnit, 17, true);
  EXPECT_FALSE(plain.compressed);
  EXPECT_EQ(plain.lcn, 251);

  // [sparse 16] reads as zeros, and so does a whole unit that starts sparse.
  EXPECT_TRUE(Map(EncodeRuns({Sparse(16), {16, 300}}), 7, true).sparse);
  VcnMapping startsSparse = Map(EncodeRuns({Sparse(5), {11, 300}}), 9, true);
  EXPECT_TRUE(startsSparse.sparse);
  // A run ending inside its unit reads as data, even a sparse one.
  VcnMapping inside = Map(EncodeRuns({{3, 300}, Sparse(2), {11, 10}}), 4, true);
  EXPECT_FALSE(inside.sparse);
  EXPECT_EQ(inside.lcn, 301);
}

TEST(RunList, SparseRunsOfOtherAttributesNeedNotFollowUnits) {
  // A sparse file whose holes fall anywhere: [data 1, sparse 4, data 1, sparse 10].
  const Bytes runs = EncodeRuns({{1, 500}, Sparse(4), {1, 5}, Sparse(10)});
  EXPECT_EQ(Map(runs, 0).lcn, 500);
  for (uint64_t vcn : {1u, 4u, 6u, 15u}) EXPECT_TRUE(Map(runs, vcn).sparse) << vcn;
  EXPECT_EQ(Map(runs, 5).lcn, 505);
  EXPECT_FALSE(Map(runs, 6).compressed);
  EXPECT_EQ(Map(runs, 1).alike, 4u);
}

// The mapping as the run list is walked from its start for every VCN, unit by unit.
struct Walked {
  bool mapped = false;
  int64_t lcn = -1;
  bool sparse = false;
  bool compressed = false;
  std::vector<int64_t> lcns;
};

Walked WalkFromStart(const Bytes& bytes, uint64_t start, uint64_t target) {
  Walked w;
  size_t at = 0;
  uint64_t vcn = start, unitStart = start;
  int64_t lcn = 0;
  bool found = false, inTarget = false, beganSparse = false;
  while (true) {
    if (at >= bytes.size()) return w;
    const uint8_t header = bytes[at];
    if (header == 0) {
      w.mapped = true;
      return w;
    }
    const size_t ls = header & 15, os = header >> 4;
    if (ls > 4 || os > 4 || at + 1 + ls + os > bytes.size()) return w;
    uint64_t length = 0;
    for (size_t i = 0; i < ls; ++i) length |= uint64_t{bytes[at + 1 + i]} << (8 * i);
    const bool sparse = os == 0;
    if (!sparse) {
      uint64_t raw = 0;
      for (size_t i = 0; i < os; ++i) raw |= uint64_t{bytes[at + 1 + ls + i]} << (8 * i);
      const uint64_t sign = uint64_t{1} << (8 * os - 1);
      lcn += static_cast<int64_t>((raw ^ sign) - sign);
    }
    const uint64_t runVcn = vcn;
    uint64_t remaining = length;
    while (remaining > 0) {
      if (vcn == unitStart) {
        if (found) {
          w.mapped = true;
          return w;
        }
        inTarget = target >= unitStart && target < unitStart + 16;
        beganSparse = sparse;
      }
      const uint64_t unitEnd = unitStart + 16;
      if (vcn + remaining < unitEnd) {
        if (target >= vcn && target < vcn + remaining) {
          w.lcn = lcn + static_cast<int64_t>(target - runVcn);
          found = true;
        }
        for (uint64_t v = vcn; inTarget && v < vcn + remaining && w.lcns.size() < 16; ++v)
          w.lcns.push_back(lcn + static_cast<int64_t>(v - runVcn));
        vcn += remaining;
        remaining = 0;
      } else {
        const bool targetHere = target >= vcn && target < unitEnd;
        if (beganSparse) {
          if (targetHere) w.sparse = found = true;
        } else if (!sparse) {
          if (targetHere) {
            w.lcn = lcn + static_cast<int64_t>(target - runVcn);
            found = true;
          }
          for (uint64_t v = vcn; inTarget && v < unitEnd && w.lcns.size() < 16; ++v)
            w.lcns.push_back(lcn + static_cast<int64_t>(v - runVcn));
        } else if (inTarget) {
          w.compressed = found = true;
        }
        remaining -= unitEnd - vcn;
        vcn = unitStart = unitEnd;
      }
    }
    at += 1 + ls + os;
  }
}

TEST(RunList, CompressedMappingAgreesWithAWalkFromTheStart) {
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    Bytes bytes;
    const int runs = 1 + random() % 8;
    // The first data run lies far enough in that later deltas never go below LCN 0.
    bool placed = false;
    for (int r = 0; r < runs; ++r) {
      const uint64_t length = 1 + random() % 20;
      const bool sparse = random() % 3 == 0;
      const int64_t delta = static_cast<int64_t>(random() % 200) - 60 + (placed ? 0 : 1000);
      if (!sparse) placed = true;
      Bytes one = EncodeRuns({sparse ? Sparse(length) : test::TestRun{length, delta}});
      one.pop_back();
      bytes.insert(bytes.end(), one.begin(), one.end());
    }
    // Now and then the list breaks off instead of ending.
    bytes.push_back(random() % 4 == 0 ? 0x51 : 0);
    const uint64_t start = random() % 2 == 0 ? 0 : 32;
    for (uint64_t target = start; target < start + 180; ++target) {
      Walked expected = WalkFromStart(bytes, start, target);
      VcnMapping got;
      const bool mapped = MapVcnInRuns(RunList::Decode(bytes, start), 0, true, target, true, &got);
      ASSERT_EQ(mapped, expected.mapped) << "round " << round << " vcn " << target;
      if (!mapped) continue;
      ASSERT_EQ(got.compressed, expected.compressed) << "round " << round << " vcn " << target;
      ASSERT_EQ(got.sparse, expected.sparse) << "round " << round << " vcn " << target;
      if (!got.compressed && !got.sparse) {
        ASSERT_EQ(got.lcn, expected.lcn) << "round " << round << " vcn " << target;
      }
      if (got.compressed) {
        ASSERT_EQ(
            std::vector<int64_t>(got.unitLcns.begin(), got.unitLcns.begin() + got.unitLcnCount),
            expected.lcns);
      }
    }
  }
}

}  // namespace
}  // namespace orvande
