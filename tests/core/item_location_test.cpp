#include "core/item_location.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/file_record.h"

namespace orvande {
namespace {

SectorRunList Runs(std::initializer_list<SectorRun> runs) {
  SectorRunList list;
  for (const SectorRun& r : runs) list.AddRun(r.first, r.last);
  return list;
}

TEST(ItemLocationTest, DefaultIsKindZeroWithUnsetPosition) {
  ItemLocation location;
  EXPECT_EQ(location.Kind(), 0u);
  EXPECT_EQ(location.Position(), ~uint64_t{0});
  EXPECT_FALSE(location.HasPosition());
  EXPECT_EQ(location.Runs(), nullptr);
}

TEST(ItemLocationTest, CopiesOfRunListsAreIndependent) {
  ItemLocation original(Runs({{10, 20}, {40, 41}}), 1);
  ItemLocation copy = original;
  ASSERT_NE(copy.Runs(), nullptr);
  EXPECT_NE(copy.Runs(), original.Runs());
  EXPECT_EQ(copy, original);

  original.SetRuns(Runs({{7, 7}}));
  EXPECT_EQ(copy.Runs()->Runs(), (std::vector<SectorRun>{{10, 20}, {40, 41}}));
  EXPECT_EQ(copy.Deleted(), 1);

  // Assigning a position over a run list frees it (the leak checker watches) and the other way.
  copy = ItemLocation(1, 0x123456789ull);
  EXPECT_EQ(copy.Kind(), 1u);
  EXPECT_EQ(copy.Position(), 0x123456789ull);
  copy = original;
  EXPECT_EQ(copy.Runs()->Runs(), (std::vector<SectorRun>{{7, 7}}));
  const ItemLocation& alias = copy;
  copy = alias;  // self-assignment keeps the list
  EXPECT_EQ(copy.Runs()->Runs(), (std::vector<SectorRun>{{7, 7}}));
}

TEST(ItemLocationTest, MoveLeavesSourceUnset) {
  ItemLocation source(Runs({{1, 2}}));
  ItemLocation target(0, 5);
  target = std::move(source);
  EXPECT_EQ(target.Kind(), ItemLocation::kKindRuns);
  EXPECT_EQ(source.Kind(), 0u);
  EXPECT_FALSE(source.HasPosition());
  ItemLocation constructed(std::move(target));
  EXPECT_EQ(constructed.Runs()->Runs(), (std::vector<SectorRun>{{1, 2}}));
  EXPECT_EQ(target.Runs(), nullptr);
}

TEST(ItemLocationTest, KindTwoNeverReportsAPosition) {
  ItemLocation location(ItemLocation::kKindRuns, 99);
  ASSERT_NE(location.Runs(), nullptr);
  EXPECT_TRUE(location.Runs()->Empty());
  EXPECT_FALSE(location.HasPosition());
  location.SetPosition(0, 42);
  EXPECT_EQ(location.Runs(), nullptr);
  EXPECT_EQ(location.Position(), 42u);
}

TEST(FileRecordTest, CopyKeepsEveryFieldAndOwnsItsName) {
  FileRecord a(9, ItemLocation(Runs({{3, 4}})), "Report.txt", 1234, 11, 22, 1);
  a.hidden = 1;
  a.probability = 2;
  FileRecord b = a;
  a.SetName("other");
  EXPECT_EQ(b.Name(), "Report.txt");
  EXPECT_STREQ(b.NameCStr(), "Report.txt");
  EXPECT_EQ(b.id, 9u);
  EXPECT_EQ(b.size, 1234u);
  EXPECT_EQ(b.created, 11u);
  EXPECT_EQ(b.modified, 22u);
  EXPECT_EQ(b.deleted, 1);
  EXPECT_EQ(b.hidden, 1);
  EXPECT_EQ(b.probability, 2);
  EXPECT_EQ(b.location.Runs()->Runs(), (std::vector<SectorRun>{{3, 4}}));
}

TEST(FileRecordTest, StaysCompact) {
  // Millions of records are kept for a large volume; growth here costs real memory.
  EXPECT_LE(sizeof(ItemLocation), 16u);
  EXPECT_LE(sizeof(FileRecord), 64u);
}

}  // namespace
}  // namespace orvande
