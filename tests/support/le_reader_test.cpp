#include "support/le_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace orvande {
namespace {

TEST(LeReaderTest, ReadsLittleEndianValuesInsideTheSpan) {
  const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
  LeReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.U16(0), 0x0201u);
  EXPECT_EQ(r.U32(1), 0x05040302u);
  EXPECT_EQ(r.U64(1), 0x0908070605040302ull);
  EXPECT_EQ(r.Unsigned(6, 3), 0x090807u);
  EXPECT_EQ(*r.TryU8(8), 0x09);
}

TEST(LeReaderTest, ReadsThatStraddleTheEndGiveNothing) {
  const uint8_t bytes[] = {0xFF, 0xFF, 0xFF, 0xFF};
  LeReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.U32(1), 0u);
  EXPECT_EQ(r.U16(3), 0u);
  EXPECT_EQ(r.U8(4), 0u);
  EXPECT_FALSE(r.TryU32(1).has_value());
  EXPECT_FALSE(r.TryU64(0).has_value());
  EXPECT_TRUE(r.TryU32(0).has_value());
  EXPECT_TRUE(r.Sub(2, 3).empty());
  EXPECT_EQ(r.Sub(2, 2).size(), 2u);
  EXPECT_EQ(r.Unsigned(0, 9), 0u);  // wider than a u64
}

TEST(LeReaderTest, HugeOffsetsDoNotWrapAround) {
  const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  LeReader r(bytes, sizeof bytes);
  constexpr size_t kMax = std::numeric_limits<size_t>::max();
  EXPECT_FALSE(r.Fits(kMax, 2));
  EXPECT_FALSE(r.Fits(2, kMax));
  EXPECT_FALSE(r.TryU16(kMax).has_value());
  EXPECT_TRUE(r.Sub(kMax - 1, 4).empty());
  EXPECT_TRUE(r.Fits(8, 0));
  LeReader empty;
  EXPECT_EQ(empty.U8(0), 0u);
}

TEST(StoreLeTest, RefusesStoresPastTheEnd) {
  uint8_t bytes[4] = {};
  EXPECT_TRUE(StoreLe(bytes, 0, 0x11223344, 4));
  EXPECT_EQ(LeReader(bytes, 4).U32(0), 0x11223344u);
  EXPECT_FALSE(StoreLe(bytes, 2, 0, 4));
  EXPECT_FALSE(StoreLe(bytes, std::numeric_limits<size_t>::max(), 0, 2));
}

}  // namespace
}  // namespace orvande
