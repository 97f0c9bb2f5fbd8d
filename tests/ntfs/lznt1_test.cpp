#include "ntfs/lznt1.h"

#include <gtest/gtest.h>

#include <random>
#include <variant>

#include "ntfs_test_volume.h"

namespace orvande {
namespace {

using test::Bytes;

struct Match {
  uint32_t distance;
  uint32_t length;
};
using Token = std::variant<uint8_t, Match>;

// Chunk data for tokens, splitting each reference's u16 at the output position as the format
// says: 12 length bits, one fewer for each halving of (position - 1) while it is above 15.
Bytes EncodeTokens(const std::vector<Token>& tokens) {
  Bytes data;
  uint32_t produced = 0;
  for (size_t i = 0; i < tokens.size(); i += 8) {
    const size_t flagAt = data.size();
    data.push_back(0);
    for (size_t k = 0; k < 8 && i + k < tokens.size(); ++k) {
      if (const uint8_t* literal = std::get_if<uint8_t>(&tokens[i + k])) {
        data.push_back(*literal);
        ++produced;
        continue;
      }
      const Match& m = std::get<Match>(tokens[i + k]);
      uint32_t lengthBits = 12;
      for (uint32_t q = produced - 1; produced > 15 && q > 15; q /= 2) --lengthBits;
      const uint32_t token = ((m.distance - 1) << lengthBits) | (m.length - 3);
      data.push_back(static_cast<uint8_t>(token));
      data.push_back(static_cast<uint8_t>(token >> 8));
      data[flagAt] |= static_cast<uint8_t>(1u << k);
      produced += m.length;
    }
  }
  return data;
}

Bytes Chunk(const Bytes& data, bool compressed) {
  const uint16_t header = static_cast<uint16_t>((data.size() - 1) | (compressed ? 0xB000 : 0x3000));
  Bytes out;
  out.reserve(data.size() + 2);
  out.push_back(static_cast<uint8_t>(header));
  out.push_back(static_cast<uint8_t>(header >> 8));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::optional<Bytes> Extract(Bytes compressed, uint64_t from, size_t size) {
  Lznt1Unit unit(std::move(compressed));
  Bytes out(size, 0xEE);
  std::optional<size_t> produced = unit.Extract(from, out);
  if (!produced) return std::nullopt;
  out.resize(*produced);
  return out;
}

std::vector<Token> Literals(const Bytes& bytes) {
  return {bytes.begin(), bytes.end()};
}

TEST(Lznt1, StoredChunksAreTheirOwnOutput) {
  Bytes stored(4096);
  for (size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(i * 7 + 3);
  Bytes unit = Chunk(stored, false);
  unit.push_back(0), unit.push_back(0);
  EXPECT_EQ(Extract(unit, 0, 4096), stored);
  EXPECT_EQ(Extract(unit, 1000, 100), Bytes(stored.begin() + 1000, stored.begin() + 1100));
  // The data ends after one chunk: a cluster asked beyond it gets what there is.
  EXPECT_EQ(Extract(unit, 2048, 4096)->size(), 2048u);
}

TEST(Lznt1, ReferencesCopyByteByByteSoOverlapsRepeat) {
  std::vector<Token> tokens = Literals({'a', 'b', 'c'});
  tokens.push_back(Match{3, 9});
  tokens.push_back(Match{1, 4});
  Bytes expected = {'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'c', 'c', 'c', 'c'};
  EXPECT_EQ(Extract(Chunk(EncodeTokens(tokens), true), 0, 16), expected);
}

TEST(Lznt1, ReferenceBeforeTheStartIsInvalid) {
  std::vector<Token> tokens = Literals({'x', 'y'});
  tokens.push_back(Match{3, 3});
  EXPECT_FALSE(Extract(Chunk(EncodeTokens(tokens), true), 0, 4096));
  EXPECT_FALSE(Extract(Chunk(EncodeTokens({Match{1, 3}}), true), 0, 4096));
}

TEST(Lznt1, LengthFieldNarrowsAsTheOutputGrows) {
  std::mt19937 random(11);
  for (uint32_t p : {15u, 16u, 17u, 31u, 32u, 33u, 64u, 65u, 128u, 129u, 256u, 257u, 512u, 513u,
                     1024u, 1025u, 2048u, 2049u, 3000u}) {
    Bytes literals(p);
    for (uint8_t& b : literals) b = static_cast<uint8_t>(random());
    uint32_t lengthBits = 12;
    for (uint32_t q = p - 1; p > 15 && q > 15; q /= 2) --lengthBits;
    // The farthest reference with the longest length the split allows at this position.
    const uint32_t length = std::min((1u << lengthBits) - 1 + 3, 4096 - p);
    std::vector<Token> tokens = Literals(literals);
    tokens.push_back(Match{p, length});
    Bytes expected = literals;
    for (uint32_t i = 0; i < length; ++i) expected.push_back(expected[i]);
    EXPECT_EQ(Extract(Chunk(EncodeTokens(tokens), true), 0, expected.size()), expected) << p;
  }
}

TEST(Lznt1, OnlyTheChunksHoldingTheWantedBytesAreDecoded) {
  const Bytes invalid = Chunk(EncodeTokens({Match{1, 3}}), true);
  Bytes second(4096, 'S');
  Bytes unit = invalid;
  Bytes stored = Chunk(second, false);
  unit.insert(unit.end(), stored.begin(), stored.end());
  EXPECT_EQ(Extract(unit, 4096, 4096), second);
  EXPECT_FALSE(Extract(unit, 4000, 200));

  // A chunk that produces less than 4096 bytes leaves zeros up to the next chunk's output.
  Bytes shortFirst = Chunk(EncodeTokens(Literals({'a', 'b'})), true);
  shortFirst.insert(shortFirst.end(), stored.begin(), stored.end());
  std::optional<Bytes> both = Extract(shortFirst, 0, 8192);
  ASSERT_TRUE(both);
  ASSERT_EQ(both->size(), 8192u);
  EXPECT_EQ((*both)[1], 'b');
  EXPECT_EQ((*both)[2], 0);
  EXPECT_EQ((*both)[4095], 0);
  EXPECT_EQ((*both)[4096], 'S');
}

TEST(Lznt1, OutputOfAChunkStopsAt4096Bytes) {
  std::vector<Token> tokens = Literals({'z'});
  tokens.push_back(Match{1, 4098});
  std::array<uint8_t, kLznt1ChunkOutput> out{};
  Bytes data = EncodeTokens(tokens);
  std::optional<uint32_t> produced = DecompressLznt1Chunk(data, out);
  ASSERT_TRUE(produced);
  EXPECT_EQ(*produced, 4096u);
  EXPECT_EQ(out[4095], 'z');
}

}  // namespace
}  // namespace orvande
