#include "core/file_type_plugin.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/lost_and_found.h"
#include "platform/shared_library.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

std::string FileName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// Whether a library with that file name is mapped into this process.
bool IsMapped(const std::string& path) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  const std::string name = "/" + FileName(path);
  while (std::getline(maps, line)) {
    if (line.size() >= name.size() &&
        line.compare(line.size() - name.size(), name.size(), name) == 0)
      return true;
  }
  return false;
}

// Reads the fake library's own counters through a second handle on the same library.
class FakeProbe {
 public:
  FakeProbe() { library_.Open(FAKE_TYPEPROBE_0x201); }
  int ReleaseCount() const { return library_.Function<int (*)()>("FakeReleaseCount")(); }
  int SupTypesCalls() const { return library_.Function<int (*)()>("FakeSupTypesCalls")(); }
  std::string LastExtension() const {
    return library_.Function<const char* (*)()>("FakeLastExtension")();
  }

 private:
  platform::SharedLibrary library_;
};

std::vector<uint32_t> TypesOf(const ProcessorSet& set) {
  std::vector<uint32_t> types;
  for (const auto& pair : set.pairs) types.push_back(pair.first);
  return types;
}

TEST(FileTypePluginTest, ALibraryOfAnotherVersionIsUnloadedAndNothingOfItIsUsed) {
  FindFileTypePlugin plugin;
  plugin.Load(FAKE_TYPEPROBE_0x200);
  EXPECT_FALSE(plugin.IsReady());
  EXPECT_EQ(plugin.Version(), 0x200u);
  EXPECT_FALSE(IsMapped(FAKE_TYPEPROBE_0x200));

  ProcessorSet set;
  const uint32_t jpeg = 0;
  EXPECT_FALSE(plugin.GetProcessorsForTypes(&jpeg, 1, set));
  EXPECT_FALSE(plugin.GetProcessorsForExtension("two", set));
  EXPECT_EQ(set.Count(), 0u);

  // The image search is off; with a log the analysis says why, once.
  ImageSearch search;
  OperationLog log;
  search.Prepare(plugin, &log);
  EXPECT_FALSE(search.IsOn());
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0],
            "WARNING: Can't initialize libtypeprobe.so (not found or wrong version).\r\n");
  EXPECT_EQ(log.FlaggedCount(), 1u);

  search.Prepare(plugin, nullptr);
  EXPECT_FALSE(search.IsOn());
}

TEST(FileTypePluginTest, PicksTheFirstUsableEntryPerTypeInTheOrderAsked) {
  FindFileTypePlugin plugin;
  plugin.Load(FAKE_TYPEPROBE_0x201);
  ASSERT_TRUE(plugin.IsReady());
  FakeProbe probe;
  const int tableCallsBefore = probe.SupTypesCalls();

  ProcessorSet set;
  const uint32_t wanted[] = {9, 2, 4};
  ASSERT_TRUE(plugin.GetProcessorsForTypes(wanted, 3, set));
  EXPECT_EQ(TypesOf(set), (std::vector<uint32_t>{9, 2}));  // 4 has no entry
  const uint8_t startsWithA[] = {'A', 'b'};
  const uint8_t other[] = {'x', 'y'};
  // Type 9 accepts anything and comes first.
  EXPECT_EQ(plugin.Recognise(set, startsWithA, 2), 9u);

  const uint32_t twoFirst[] = {2, 9};
  ASSERT_TRUE(plugin.GetProcessorsForTypes(twoFirst, 2, set));
  EXPECT_EQ(plugin.Recognise(set, startsWithA, 2), 2u);
  // Type 2's usable entry is the 'A' test, not the later entry that accepts anything.
  EXPECT_EQ(plugin.Recognise(set, other, 2), 9u);
  EXPECT_EQ(plugin.Recognise(set, nullptr, 2), typeprobe::kNoType);
  EXPECT_EQ(plugin.Recognise(set, other, 0), typeprobe::kNoType);

  // A pair of the no-type id never names a type, even when its recogniser says yes.
  const uint32_t noType[] = {18, 2};
  ASSERT_TRUE(plugin.GetProcessorsForTypes(noType, 2, set));
  EXPECT_EQ(plugin.Recognise(set, other, 2), typeprobe::kNoType);

  EXPECT_EQ(probe.SupTypesCalls() - tableCallsBefore, 1);  // the table is fetched once
}

TEST(FileTypePluginTest, ExtensionsAskTheLibraryAndHandTheIdsBack) {
  FindFileTypePlugin plugin;
  plugin.Load(FAKE_TYPEPROBE_0x201);
  ASSERT_TRUE(plugin.IsReady());
  FakeProbe probe;
  const int releasedBefore = probe.ReleaseCount();

  ProcessorSet set;
  ASSERT_TRUE(plugin.GetProcessorsForExtension("two  ", set));
  EXPECT_EQ(probe.LastExtension(), "two");
  EXPECT_EQ(TypesOf(set), (std::vector<uint32_t>{2}));
  EXPECT_EQ(probe.ReleaseCount() - releasedBefore, 1);

  // No ids: an empty set, nothing to hand back.
  EXPECT_TRUE(plugin.GetProcessorsForExtension("zzz", set));
  EXPECT_EQ(set.Count(), 0u);
  EXPECT_EQ(probe.ReleaseCount() - releasedBefore, 1);

  EXPECT_FALSE(plugin.GetProcessorsForExtension("", set));
  EXPECT_FALSE(plugin.GetProcessorsForExtension("   ", set));
}

TEST(FileTypePluginTest, UnloadFreesTheLibrary) {
  FindFileTypePlugin plugin;
  plugin.Load(FAKE_TYPEPROBE_0x201);
  ASSERT_TRUE(IsMapped(FAKE_TYPEPROBE_0x201));
  plugin.Unload();
  EXPECT_FALSE(plugin.IsReady());
  EXPECT_FALSE(IsMapped(FAKE_TYPEPROBE_0x201));
  ProcessorSet set;
  const uint32_t two = 2;
  EXPECT_FALSE(plugin.GetProcessorsForTypes(&two, 1, set));
}

TEST(FileTypePluginTest, FindsThePluginNextToTheProgramAndSearchesForImages) {
  // The test programs are built into the same folder as the plug-in.
  FindFileTypePlugin plugin;
  plugin.Load();
  ASSERT_TRUE(plugin.IsReady());

  ImageSearch search;
  OperationLog log;
  search.Prepare(plugin, &log);
  EXPECT_TRUE(search.IsOn());
  EXPECT_EQ(log.LineCount(), 0u);
}

}  // namespace
}  // namespace orvande
