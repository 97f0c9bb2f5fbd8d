// A FAT volume whose long names try to lead out of the destination folder ("..", "a/b", "../up")
// or exceed what Linux can store: recovering it writes everything inside the destination.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "core/analyzer_factory.h"
#include "core/recovery_context.h"
#include "core/recovery_writer.h"
#include "fat/fat_image_builder.h"
#include "fat/fat_test_volume.h"

namespace orvande::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Everything(const fs::path& under) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(under))
    names.push_back(fs::relative(entry.path(), under).string() + (entry.is_directory() ? "/" : ""));
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FatHostileNames, NothingLandsOutsideTheDestination) {
  FatImageBuilder image{FatLayout::SmallFat16()};
  std::u16string longName(150, u'\u00E9');  // 300 bytes as UTF-8
  longName += u".txt";
  DirectoryWriter(image, image.RootDirOffset())
      .Add(LongNamePieces(u"..", Checksum83("DOTDOT  BIN")))
      .Add(FileEntry("DOTDOT  BIN", 10, 100))
      .Add(LongNamePieces(u"a/b", Checksum83("AB      TXT")))
      .Add(FileEntry("AB      TXT", 11, 100))
      .Add(LongNamePieces(longName, Checksum83("LONGNA~1TXT")))
      .Add(FileEntry("LONGNA~1TXT", 12, 100))
      .Add(LongNamePieces(u"../up", Checksum83("UP         ")))
      .Add(DirEntryBytes("UP", 20));
  image.Chain({10});
  image.Chain({11});
  image.Chain({12});
  image.Chain({20});
  DirectoryWriter(image, image.ClusterOffset(20))
      .Add(DirEntryBytes(".", 20))
      .Add(DirEntryBytes("..", 0))
      .Add(DeletedPieces(LongNamePieces(u"../../escaped.txt", Checksum83("ESCAPE~1TXT"))))
      .Add(Deleted(FileEntry("ESCAPE~1TXT", 30, 100)));
  for (uint32_t c : {10u, 11u, 12u, 30u}) {
    std::string data(100, static_cast<char>('A' + c % 26));
    image.Put(image.ClusterOffset(c), data.data(), data.size());
  }

  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  ASSERT_EQ(volume.Build(), 0u);

  const fs::path base =
      fs::temp_directory_path() / ("orvande_hostile_" + std::to_string(std::random_device{}()));
  const fs::path out = base / "deep" / "out";
  fs::create_directories(out);

  RegisterAnalyzer(kFsFat, &MakeFatAnalyzer);
  MemoryNode node(image.Bytes(), kNodeImageFile, kFsFat);
  ScriptedPrompter prompter;
  StopFlag stop{0};
  StopFlag running{1};
  auto job = std::make_unique<RecoveryContext>();
  job->stop = &stop;
  job->running = &running;
  job->deviceNode = &node;
  job->itemStore = &volume.store;
  job->folderTree = &volume.tree;
  job->storeLock = &volume.lock;
  job->recoverAllFiles = true;
  job->destination = out.string() + "/";
  job->selection.push_back(RecoverySelectionEntry::Folder(volume.Node("")));
  job->replacementCharacter = "_";
  job->prompter = &prompter;
  RunRecoveryJob(std::move(job));
  RegisterAnalyzer(kFsFat, nullptr);

  const std::vector<std::string> inBase = Everything(base);
  for (const std::string& name : inBase)
    EXPECT_EQ(name.rfind("deep/out/", 0) == 0 || name == "deep/" || name == "deep/out/", true)
        << name;
  const std::vector<std::string> written = Everything(out);
  // Cut to the name limit at a character boundary, the extension kept.
  std::string cut;
  for (int i = 0; i < 125; ++i) cut += "\xC3\xA9";
  EXPECT_EQ(written, (std::vector<std::string>{".._up/", ".._up/.._.._escaped.txt", "_..", "a_b",
                                               cut + ".txt"}));
  EXPECT_EQ(running.load(), 0);
  ASSERT_EQ(prompter.OperationLogs().size(), 1u);
  EXPECT_NE(prompter.OperationLogs()[0].find("written as \"a_b\""), std::string::npos);
  fs::remove_all(base);
}

}  // namespace
}  // namespace orvande::test
