// The range and the disks the lost partition search is offered.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/partition_search_range.h"
#include "app/search_disk_choice.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "disk/physical_disk_node.h"
#include "platform/raw_io.h"
#include "platform/version.h"

namespace orvande {
namespace {

TEST(PartitionSearchRange, UnitIsGigabytesOnlyAboveOneGigabyte) {
  EXPECT_EQ(SearchRangeUnit(kGigabyte), kMegabyte);
  EXPECT_EQ(SearchRangeUnit(kGigabyte + 512), kGigabyte);
}

TEST(PartitionSearchRange, FormsWidenedClampedSectorRanges) {
  struct Case {
    double start, end;
    uint64_t unit;
    uint32_t sectorSize;
    uint64_t total;
    bool searched;
    uint64_t first, last;
  };
  const Case cases[] = {
      {0.5, 10, kMegabyte, 512, 1000000, true, 0, 22480},          // start within 2000 sectors
      {2, 10, kMegabyte, 512, 1000000, true, 2096, 22480},
      {2, 10, kMegabyte, 512, 20000, true, 2096, 19999},           // the end clamps
      {1.3, 2.25, kGigabyte, 4096, 10000000, true, 338787, 591824},  // truncated sectors
      {3, 1, kMegabyte, 512, 1000000, false, 0, 0},                // first not below last
      {0, 10, kMegabyte, 512, 0, false, 0, 0},                     // a disk without sectors
      {50, 60, kMegabyte, 512, 1000, true, 999, 999},              // both past the end
  };
  for (const Case& c : cases) {
    auto range = FormSearchRange(c.start, c.end, c.unit, c.sectorSize, c.total);
    ASSERT_EQ(range.has_value(), c.searched) << c.start << ".." << c.end;
    if (!range) continue;
    EXPECT_EQ(range->first, c.first) << c.start << ".." << c.end;
    EXPECT_EQ(range->last, c.last) << c.start << ".." << c.end;
  }
}

TEST(SearchDiskChoice, ListsDisksOfAtLeastOneMegabyte) {
  test::TempFolder folder("disks");
  const std::vector<uint64_t> sizes = {kMinSearchDiskBytes, kMinSearchDiskBytes - 512};
  DevicePorts ports;
  ports.io = &platform::SystemRawIo();
  ports.queryVersion = [] { return platform::PlatformVersion{platform::kAccessModeDevicePaths, 4}; };
  ports.diskPath = [&folder](uint32_t number) {
    return (folder / ("disk" + std::to_string(number))).string();
  };
  std::vector<std::unique_ptr<PhysicalDiskNode>> nodes;
  std::vector<PhysicalDiskNode*> disks;
  for (uint32_t i = 0; i < sizes.size(); ++i) {
    std::ofstream(ports.diskPath(i)).close();
    std::filesystem::resize_file(ports.diskPath(i), sizes[i]);
    nodes.push_back(std::make_unique<PhysicalDiskNode>(i, "Disk " + std::to_string(i), ports));
    disks.push_back(nodes.back().get());
  }
  disks.push_back(nodes.back().get());  // twice, to be sure a disk is closed after measuring
  auto entries = ListSearchDisks(disks);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].disk, nodes[0].get());
  EXPECT_EQ(entries[0].text, "Disk 0 (1.00MB)");

  test::ScriptedPrompter prompter;
  EXPECT_TRUE(OfferSearchDisks(entries, prompter));
  EXPECT_FALSE(OfferSearchDisks({}, prompter));
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Can't detect any hard drive."});
}

}  // namespace
}  // namespace orvande
