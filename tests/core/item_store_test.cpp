#include "core/item_store.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvande {
namespace {

TEST(ItemStoreTest, HoldsOneReferencePerEntryAndFindAddsOne) {
  ItemStore store;
  FolderRef folder(new FolderItem(5));
  store.Insert(5, folder.get());
  EXPECT_EQ(folder->RefCount(), 2u);
  {
    FolderRef found(store.Find(5));
    ASSERT_EQ(found.get(), folder.get());
    EXPECT_EQ(folder->RefCount(), 3u);
  }
  EXPECT_EQ(folder->RefCount(), 2u);
  EXPECT_EQ(store.Find(6), nullptr);
  store.Clear();
  EXPECT_EQ(folder->RefCount(), 1u);
  EXPECT_EQ(store.Size(), 0u);
}

TEST(ItemStoreTest, RemoveWithAnotherFolderLeavesTheEntry) {
  ItemStore store;
  FolderRef a(new FolderItem(7));
  FolderRef b(new FolderItem(7));
  store.Insert(7, a.get());
  EXPECT_FALSE(store.Remove(7, b.get()));
  EXPECT_FALSE(store.Remove(8, a.get()));
  EXPECT_EQ(store.Size(), 1u);
  EXPECT_EQ(a->RefCount(), 2u);
  EXPECT_EQ(b->RefCount(), 1u);
  EXPECT_EQ(store.FindRef(7).get(), a.get());

  EXPECT_TRUE(store.Remove(7, a.get()));
  EXPECT_EQ(a->RefCount(), 1u);
  EXPECT_EQ(store.Size(), 0u);
}

TEST(ItemStoreTest, InsertOverAnExistingIdReleasesTheOldFolder) {
  ItemStore store;
  FolderRef a(new FolderItem(1));
  FolderRef b(new FolderItem(1));
  store.Insert(1, a.get());
  store.Insert(1, b.get());
  EXPECT_EQ(a->RefCount(), 1u);
  EXPECT_EQ(b->RefCount(), 2u);
  EXPECT_EQ(store.FindRef(1).get(), b.get());
}

TEST(ItemStoreTest, ForEachVisitsInIdOrder) {
  ItemStore store;
  for (uint32_t id : {30u, 10u, 20u}) {
    FolderRef f(new FolderItem(id));
    store.Insert(id, f.get());
  }
  std::vector<uint32_t> ids;
  store.ForEach([&](uint32_t id, FolderItem* folder) {
    EXPECT_EQ(folder->Id(), id);
    ids.push_back(id);
  });
  EXPECT_EQ(ids, (std::vector<uint32_t>{10, 20, 30}));
}

}  // namespace
}  // namespace orvande
