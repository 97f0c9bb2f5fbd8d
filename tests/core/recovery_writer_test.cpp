// The recovery job over a hand-built files tree, with an analyzer whose files name their
// location: names fixed once for all, copy names, the path limit, folders of live files, a stop
// during a file, hostile names and links that must not lead out of the destination, folder
// creation that is undone, and a location corrected while writing.
#include "core/recovery_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/idle_analyzer.h"
#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "core/analyzer_factory.h"
#include "core/file_name_policy.h"
#include "core/folder_item.h"
#include "core/folder_path.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "disk/device_node.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;
using test::ScriptedPrompter;

// What the analyzer does for each file; null writes "data@<position>".
std::function<bool(ItemLocation&, const std::string&, RecoveryContext&)> g_recover;
// Whether the analyzer knows live data to hold a deleted file's clusters.
bool g_taken = false;
// Sectors the device filled with zeros while the next file was written (repeats allowed).
std::vector<uint64_t> g_filledSectors;

class NamingAnalyzer : public test::IdleAnalyzer {
 public:
  bool RecoverFile(ItemLocation& location, uint64_t, const std::string& path, bool,
                   RecoveryContext& context, OperationLog*) override {
    const bool ok = g_recover ? g_recover(location, path, context) : WriteData(location, path);
    for (uint64_t sector : g_filledSectors) BadSectors().Note(sector);
    g_filledSectors.clear();
    return ok;
  }
  uint32_t GetRecoveryProbability(ItemLocation&, uint64_t, OperationLog*) override { return 1; }
  uint64_t GetTotalSectors() const override { return 8; }
  bool DataTakenByLiveFile(const ItemLocation&, uint64_t, std::string* liveFile) override {
    if (g_taken) *liveFile = "LIVE.TXT";
    return g_taken;
  }

  static bool WriteData(const ItemLocation& location, const std::string& path) {
    platform::OutputFile file;
    if (file.CreateOrReplace(path) != 0) return false;
    std::string data = "data@" + std::to_string(location.Position());
    return file.Write(data.data(), data.size()) == 0 && file.Close() == 0;
  }
};

std::unique_ptr<VolumeAnalyzer> MakeNamingAnalyzer() {
  return std::make_unique<NamingAnalyzer>();
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr uint64_t kSomeTime = 127000000000000000ull;  // 2003-06-16, whole seconds

class RecoveryWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterAnalyzer(kFsFat, &MakeNamingAnalyzer);
    g_recover = nullptr;
    g_taken = false;
    base_ =
        fs::temp_directory_path() / ("orvande_recovery_" + std::to_string(std::random_device{}()));
    fs::create_directories(base_ / "out");
    fs::create_directories(base_ / "outside");
    out_ = (base_ / "out").string() + "/";
    root_ = AddFolder(kNoNode, ".", kRootId, false);
  }
  void TearDown() override {
    RegisterAnalyzer(kFsFat, nullptr);
    g_recover = nullptr;
    g_taken = false;
    fs::remove_all(base_);
  }

  static constexpr uint32_t kRootId = 1;
  // No longer than the shortest "data@<position>" the analyzer writes, so every file is whole.
  static constexpr uint64_t kFileSize = 7;

  TreeNode AddFolder(TreeNode parent, std::string_view name, uint32_t id, bool deleted) {
    auto* folder = new FolderItem(id);
    folder->SetDeleted(deleted ? 1 : 0);
    TreeNode node = tree_.Insert(parent, InsertPlace::kLast, name,
                                 deleted ? kImageDeletedFolder : kImageFolder, id);
    folder->AddNode(node);
    store_.Insert(id, folder);
    folder->Release();
    return node;
  }

  void AddFile(uint32_t folderId, uint32_t id, const std::string& name, bool deleted,
               uint64_t position = 100) {
    FolderRef folder = store_.FindRef(folderId);
    ASSERT_TRUE(folder);
    folder->AddFile(id, ItemLocation(0, position, deleted ? 1 : 0), name.c_str(), kFileSize,
                    kSomeTime, kSomeTime + id * 10000000ull, deleted ? 1 : 0);
  }

  std::unique_ptr<RecoveryContext> Job(std::vector<RecoverySelectionEntry> selection) {
    auto job = std::make_unique<RecoveryContext>();
    job->stop = &stop_;
    job->running = &running_;
    job->notifySink = &notify_;
    job->deviceNode = &node_;
    job->itemStore = &store_;
    job->folderTree = &tree_;
    job->destination = out_;
    job->shownFolderId = kRootId;
    job->selection = std::move(selection);
    job->storeLock = &lock_;
    job->prompter = &prompter_;
    return job;
  }

  void Run(std::unique_ptr<RecoveryContext> job) {
    running_.store(1);
    RunRecoveryJob(std::move(job));
  }

  void RunRoot(bool allFiles = false) {
    auto job = Job({RecoverySelectionEntry::Folder(root_)});
    job->recoverAllFiles = allFiles;
    Run(std::move(job));
  }

  // Every regular file and folder below a path, relative to it, sorted.
  static std::vector<std::string> Listing(const fs::path& under) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(under))
      names.push_back(fs::relative(entry.path(), under).string() +
                      (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string JoinedLogs() const {
    std::string text;
    for (const std::string& log : prompter_.OperationLogs()) text += log;
    return text;
  }

  ScriptedPrompter prompter_;
  test::RecordingRecoveryListener reports_;
  test::MemoryNode node_{std::vector<uint8_t>(4096, 0), kNodeImageFile, kFsFat};
  ItemStore store_;
  FolderTree tree_;
  ReadWriteLock lock_{true};
  test::RecordingNotifySink notify_;
  StopFlag stop_{0};
  StopFlag running_{0};
  fs::path base_;
  std::string out_;
  TreeNode root_ = kNoNode;
};

TEST_F(RecoveryWriterTest, SymbolChosenOnceFixesEveryLaterNameWithoutAsking) {
  AddFile(kRootId, 2, "?ILE.DOC", true, 200);
  AddFile(kRootId, 3, "?EXT.TXT", true, 300);
  AddFile(kRootId, 4, "LIVE.TXT", false);
  // The first answer names a symbol the dialog refuses; it is explained and asked again.
  prompter_.QueueBrokenNameAnswer({BrokenNameAnswer::kRename, "?ILE.DOC", true, "*"});
  prompter_.QueueBrokenNameAnswer({BrokenNameAnswer::kRename, "?ILE.DOC", true, "R"});
  RunRoot();

  EXPECT_EQ(Listing(out_), (std::vector<std::string>{"REXT.TXT", "RILE.DOC"}));
  EXPECT_EQ(ReadText(out_ + "RILE.DOC"), "data@200");
  EXPECT_EQ(prompter_.BrokenNameQuestions().size(), 2u);
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"Please enter valid symbol."});
  uint64_t modified = 0;
  ASSERT_EQ(platform::GetFileModifiedTime(out_ + "REXT.TXT", &modified), 0u);
  EXPECT_EQ(modified, kSomeTime + 3 * 10000000ull);
}

TEST_F(RecoveryWriterTest, SkipAllInTheNameDialogEndsTheJob) {
  AddFile(kRootId, 2, "?NE.TXT", true);
  AddFile(kRootId, 3, "TWO.TXT", true);
  prompter_.QueueBrokenNameAnswer({BrokenNameAnswer::kSkipAll, "", false, ""});
  RunRoot();
  EXPECT_TRUE(Listing(out_).empty());
}

TEST_F(RecoveryWriterTest, FolderOfLiveFilesIsMadeOnlyWhenDeletedItself) {
  TreeNode live = AddFolder(root_, "live", 10, false);
  TreeNode gone = AddFolder(root_, "gone", 11, true);
  AddFile(10, 12, "a.txt", false);
  AddFile(11, 13, "b.txt", false);
  (void)live;
  (void)gone;
  RunRoot();
  EXPECT_EQ(Listing(out_), std::vector<std::string>{"gone/"});

  // With all files asked for, the live ones come too, unless the deleted-only filter is on.
  auto filtered = Job({RecoverySelectionEntry::Folder(root_)});
  filtered->recoverAllFiles = true;
  filtered->deletedOnlyFilter = true;
  Run(std::move(filtered));
  EXPECT_EQ(Listing(out_), std::vector<std::string>{"gone/"});
  RunRoot(true);
  EXPECT_EQ(Listing(out_),
            (std::vector<std::string>{"gone/", "gone/b.txt", "live/", "live/a.txt"}));

  // A file chosen by itself is written even when it is live.
  auto chosen = Job({RecoverySelectionEntry::File(4, "chosen.txt")});
  AddFile(kRootId, 4, "chosen.txt", false);
  Run(std::move(chosen));
  EXPECT_TRUE(fs::exists(out_ + "chosen.txt"));
}

TEST_F(RecoveryWriterTest, PathLimitIsExactlyTheLinuxPathMax) {
  // A destination deep enough that the last name fits the name limit.
  std::string deep = out_;
  while (deep.size() < kMaxPathBytes - 200) deep += std::string(150, 'd') + "/";
  fs::create_directories(deep);
  const size_t fits = kMaxPathBytes - 1 - deep.size();
  ASSERT_LE(fits + 1, kMaxNameBytes);
  AddFile(kRootId, 2, std::string(fits, 'a'), true);
  AddFile(kRootId, 3, std::string(fits + 1, 'b'), true);
  auto job = Job({RecoverySelectionEntry::Folder(root_)});
  job->destination = deep;
  Run(std::move(job));

  EXPECT_TRUE(fs::exists(deep + std::string(fits, 'a')));
  std::error_code tooLong;
  EXPECT_FALSE(fs::exists(deep + std::string(fits + 1, 'b'), tooLong));
  EXPECT_EQ(Listing(deep).size(), 1u);
  EXPECT_NE(JoinedLogs().find("Long file name \"" + deep + std::string(fits + 1, 'b') + "\""),
            std::string::npos);
  EXPECT_NE(JoinedLogs().find("Can't recover the file"), std::string::npos);
}

TEST_F(RecoveryWriterTest, StopDuringAFileEndsTheJobAfterIt) {
  AddFile(kRootId, 2, "first.bin", true, 1);
  AddFile(kRootId, 3, "second.bin", true, 2);
  g_recover = [this](ItemLocation& location, const std::string& path, RecoveryContext&) {
    stop_.store(1);  // the user stops while this file is being written
    return NamingAnalyzer::WriteData(location, path);
  };
  std::thread worker;
  running_.store(1);
  ASSERT_TRUE(StartRecoveryJob(Job({RecoverySelectionEntry::Folder(root_)}), &worker));
  worker.join();

  EXPECT_EQ(Listing(out_), std::vector<std::string>{"first.bin"});
  EXPECT_EQ(running_.load(), 0);
  EXPECT_EQ(JoinedLogs().find("Can't recover"), std::string::npos);  // a stop is no failure
  std::vector<test::SentMessage> sent = notify_.Of(kMsgRecoveringFile);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(sent[0].wParam, 0u);
  EXPECT_EQ(sent[1], (test::SentMessage{kMsgRecoveringFile, 0, 0}));
}

TEST_F(RecoveryWriterTest, ExistingFilesFollowThePolicyChosenOnce) {
  AddFile(kRootId, 2, "a.txt", true, 2);
  AddFile(kRootId, 3, "b.txt", true, 3);
  AddFile(kRootId, 4, "readme", true, 4);
  std::ofstream(out_ + "a.txt") << "old";
  std::ofstream(out_ + "b.txt") << "old";
  std::ofstream(out_ + "readme") << "old";
  prompter_.QueueReplaceAnswer(ReplaceAnswer::kAutoRenameAll);
  RunRoot();
  EXPECT_EQ(prompter_.ReplaceQuestions().size(), 1u);
  EXPECT_EQ(ReadText(out_ + "a[Copy 001].txt"), "data@2");
  EXPECT_EQ(ReadText(out_ + "b[Copy 001].txt"), "data@3");
  EXPECT_EQ(ReadText(out_ + "readme[Copy 001]"), "data@4");
  EXPECT_EQ(ReadText(out_ + "a.txt"), "old");

  prompter_.QueueReplaceAnswer(ReplaceAnswer::kSkip);
  prompter_.QueueReplaceAnswer(ReplaceAnswer::kReplaceAll);
  RunRoot();
  EXPECT_EQ(prompter_.ReplaceQuestions().size(), 3u);
  EXPECT_EQ(ReadText(out_ + "a.txt"), "old");
  EXPECT_EQ(ReadText(out_ + "b.txt"), "data@3");
  EXPECT_EQ(ReadText(out_ + "readme"), "data@4");
}

// Two jobs of one process that find the same file in place each get the answer of their own
// prompter, and the fixture's is never asked.
TEST_F(RecoveryWriterTest, EachJobAsksItsOwnPrompter) {
  AddFile(kRootId, 2, "a.txt", true, 2);
  const std::string other = (base_ / "other").string() + "/";
  fs::create_directories(other);
  std::ofstream(out_ + "a.txt") << "old";
  std::ofstream(other + "a.txt") << "old";
  ScriptedPrompter replacing;
  replacing.QueueReplaceAnswer(ReplaceAnswer::kReplace);
  ScriptedPrompter skipping;
  skipping.QueueReplaceAnswer(ReplaceAnswer::kSkip);

  auto first = Job({RecoverySelectionEntry::Folder(root_)});
  first->prompter = &replacing;
  auto second = Job({RecoverySelectionEntry::Folder(root_)});
  second->destination = other;
  second->prompter = &skipping;
  Run(std::move(first));
  Run(std::move(second));

  EXPECT_EQ(ReadText(out_ + "a.txt"), "data@2");
  EXPECT_EQ(ReadText(other + "a.txt"), "old");
  EXPECT_EQ(replacing.ReplaceQuestions(), std::vector<std::string>{out_ + "a.txt"});
  EXPECT_EQ(skipping.ReplaceQuestions(), std::vector<std::string>{other + "a.txt"});
  EXPECT_TRUE(prompter_.ReplaceQuestions().empty());
}

TEST_F(RecoveryWriterTest, CopyNames) {
  const std::string photo = out_ + "photo.jpg";
  std::string copy;
  ASSERT_TRUE(MakeCopyName(photo, &copy));
  EXPECT_EQ(copy, out_ + "photo[Copy 001].jpg");
  std::ofstream(copy) << "";
  ASSERT_TRUE(MakeCopyName(photo, &copy));
  EXPECT_EQ(copy, out_ + "photo[Copy 002].jpg");

  fs::create_directories(out_ + "my.dir");
  ASSERT_TRUE(MakeCopyName(out_ + "my.dir/readme", &copy));
  EXPECT_EQ(copy, out_ + "my.dir/readme[Copy 001]");

  // The capacity leaves room for the mark and its terminating zero.
  EXPECT_FALSE(MakeCopyName(photo, &copy, photo.size() + 10));
  EXPECT_TRUE(MakeCopyName(photo, &copy, photo.size() + 11));

  // A name near the name limit loses stem bytes, never the mark or the extension.
  const std::string longName = out_ + std::string(250, 'x') + ".txt";
  ASSERT_TRUE(MakeCopyName(longName, &copy));
  const std::string name = fs::path(copy).filename().string();
  EXPECT_EQ(name.size(), kMaxNameBytes);
  EXPECT_EQ(name.substr(name.size() - 14), "[Copy 001].txt");
}

TEST_F(RecoveryWriterTest, AllCopyNumbersTakenSkipsTheFileWithAMessage) {
  const std::string path = out_ + "a.txt";
  std::ofstream(path) << "";
  for (int n = 1; n <= 998; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "a[Copy %03d].txt", n);
    std::ofstream(out_ + name) << "";
  }
  FileNamePolicy policy = FileNamePolicy::kRenameAll;
  bool renamed = true;
  std::string newPath;
  EXPECT_FALSE(ResolveExistingFile(prompter_, policy, path, &renamed, &newPath));
  EXPECT_FALSE(renamed);
  EXPECT_EQ(prompter_.Texts(),
            std::vector<std::string>{"Can't find unique file name for \"" + path + "\". Skip."});

  fs::remove(out_ + "a[Copy 998].txt");
  EXPECT_TRUE(ResolveExistingFile(prompter_, policy, path, &renamed, &newPath));
  EXPECT_TRUE(renamed);
  EXPECT_EQ(newPath, out_ + "a[Copy 998].txt");
}

TEST_F(RecoveryWriterTest, HostileNamesStayInsideTheDestination) {
  TreeNode up = AddFolder(root_, "..", 10, true);
  AddFolder(root_, std::string("x\0y", 3), 11, true);
  AddFile(10, 20, "a/b", true);
  AddFile(10, 21, "..", true);
  AddFile(10, 22, std::string(300, 'n') + ".jpg", true);
  AddFile(kRootId, 23, "../../outside/escape.txt", true);
  (void)up;
  RunRoot();

  EXPECT_TRUE(Listing(base_ / "outside").empty());
  EXPECT_EQ(Listing(base_),
            (std::vector<std::string>{
                "out/", "out/.._.._outside_escape.txt", "out/_../", "out/_../_..", "out/_../a_b",
                "out/_../" + std::string(251, 'n') + ".jpg", "out/x_y/", "outside/"}));
  EXPECT_NE(JoinedLogs().find("WARNING: The name \"..\" can't be used as it stands; written as "
                              "\"_..\"."),
            std::string::npos);
  EXPECT_NE(JoinedLogs().find("x\\0y"), std::string::npos);
}

TEST_F(RecoveryWriterTest, LinksInsideTheDestinationAreNeverFollowed) {
  fs::create_directory_symlink(base_ / "outside", out_ + "linked");
  std::ofstream(base_ / "outside" / "target.txt") << "keep";
  fs::create_symlink(base_ / "outside" / "target.txt", out_ + "x.txt");
  AddFolder(root_, "linked", 10, false);
  AddFile(10, 20, "inner.txt", true);
  AddFile(kRootId, 21, "x.txt", true, 21);
  prompter_.QueueReplaceAnswer(ReplaceAnswer::kReplace);
  RunRoot();

  EXPECT_EQ(Listing(base_ / "outside"), std::vector<std::string>{"target.txt"});
  EXPECT_EQ(ReadText(base_ / "outside" / "target.txt"), "keep");
  EXPECT_FALSE(fs::is_symlink(out_ + "x.txt"));
  EXPECT_EQ(ReadText(out_ + "x.txt"), "data@21");
  EXPECT_NE(JoinedLogs().find("Can't create folder \"" + out_ + "linked\""), std::string::npos);
}

TEST_F(RecoveryWriterTest, FailedFolderCreationRemovesTheFoldersItMade) {
  OperationLog log;
  bool skipped = false;
  bool stopped = false;
  std::string replacement;
  std::string path = out_ + "a/b/" + std::string(300, 'c') + "/d/";
  EXPECT_FALSE(CreateFolderPath(path, kMaxPathBytes, true, &skipped, &stopped, &replacement, &log,
                                prompter_, out_.size()));
  EXPECT_FALSE(fs::exists(out_ + "a"));
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_NE(log.Lines()[0].find("Can't create folder \"" + out_ + "a/b/ccc"), std::string::npos);

  // Skip in the name dialog of a folder: nothing made, nothing failed.
  std::string broken = out_ + "new/?OLDER/";
  EXPECT_TRUE(CreateFolderPath(broken, kMaxPathBytes, true, &skipped, &stopped, &replacement, &log,
                               prompter_, out_.size()));
  EXPECT_TRUE(skipped);
  EXPECT_FALSE(fs::exists(out_ + "new"));

  // The user's own part of the path is taken as it stands, '?' included.
  std::string mine = out_ + "what?/";
  EXPECT_TRUE(CreateFolderPath(mine, kMaxPathBytes, true, &skipped, &stopped, &replacement, &log,
                               prompter_, mine.size()));
  EXPECT_TRUE(fs::is_directory(out_ + "what?"));
  EXPECT_EQ(prompter_.BrokenNameQuestions(), std::vector<std::string>{"?OLDER"});
}

TEST_F(RecoveryWriterTest, LocationCorrectedWhileWritingIsStoredInTheRecord) {
  AddFile(kRootId, 2, "photo.jpg", true, 0x0123);
  g_recover = [](ItemLocation& location, const std::string& path, RecoveryContext&) {
    location.SetPosition(1, 0x10123);
    return NamingAnalyzer::WriteData(location, path);
  };
  RunRoot();
  FolderRef root = store_.FindRef(kRootId);
  ASSERT_EQ(root->Files().size(), 1u);
  EXPECT_EQ(root->Files()[0].location.Kind(), 1u);
  EXPECT_EQ(root->Files()[0].location.Position(), 0x10123u);
  EXPECT_EQ(root->Files()[0].location.Deleted(), 1u);
  EXPECT_EQ(ReadText(out_ + "photo.jpg"), "data@" + std::to_string(0x10123));
}

TEST(BrokenNameAnswers, RefusedAsTheDialogWould) {
  using A = BrokenNameAnswer;
  EXPECT_EQ(BrokenNameProblem({A::kRename, "", false, ""}), 61206u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "a:b.txt", false, ""}), 61207u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, ""}), 61231u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, "|"}), 61231u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, "_"}), 0u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "\xC3\xBC.txt", false, ""}), 0u);
  EXPECT_EQ(BrokenNameProblem({A::kSkip, "", false, ""}), 0u);
  // Any one character of the names' encoding will do as the symbol, no more than one.
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, "\xC3\xBC"}), 0u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, "\xF0\x9F\x93\xB7"}), 0u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, "ab"}), 61231u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, "\xC3"}), 61231u);
  EXPECT_EQ(BrokenNameProblem({A::kRename, "?b.txt", true, "\xC3\xBC_"}), 61231u);
}

// A chosen replacement takes the place of the unknown first character only: a real first letter
// and a '?' further on stay as they are.
TEST(BrokenNames, ReplacementTakesOnlyTheUnknownFirstCharacter) {
  struct Case {
    const char* name;
    const char* fixed;
  };
  for (const Case& c : {Case{"?ILE.TXT", "\xC3\xBCILE.TXT"},
                        Case{"?A?.TXT",
                             "\xC3\xBC"
                             "A?.TXT"},
                        Case{"WHAT?.TXT", "WHAT?.TXT"}, Case{"plain.txt", "plain.txt"}}) {
    std::string name = c.name;
    std::string replacement = "\xC3\xBC";
    EXPECT_EQ(FixBrokenName(PrompterOrDefault(nullptr), name, replacement), NameFix::kUse);
    EXPECT_EQ(name, c.fixed);
  }
}

// Each way a file can come out, as the analyzer leaves it, and what its report and the file on
// disk then say.
TEST_F(RecoveryWriterTest, EveryOutcomeIsReportedAsTheFileOnDiskIs) {
  using Kind = RecoveryOutcome::Kind;
  struct Case {
    const char* what;
    uint64_t size;
    bool taken;
    bool skipTaken;
    std::function<bool(const std::string&, RecoveryContext&, StopFlag&)> write;
    Kind kind;
    std::string label;
    bool onDisk;
    bool originalTime;
  };
  auto writeBytes = [](size_t count) {
    return [count](const std::string& path, RecoveryContext&, StopFlag&) {
      platform::OutputFile file;
      const std::string data(count, 'x');
      return file.CreateFresh(path) == 0 && file.Write(data.data(), data.size()) == 0 &&
             file.Close() == 0;
    };
  };
  const std::vector<Case> cases = {
      {"whole", 4, false, false, writeBytes(4), Kind::kOk, "ok", true, true},
      {"volume ends early", 9, false, false, writeBytes(4), Kind::kShort, "short", true, false},
      {"stopped part-way", 9, false, false,
       [&](const std::string& path, RecoveryContext& context, StopFlag& stop) {
         stop.store(1);
         return writeBytes(4)(path, context, stop);
       },
       Kind::kStopped, "stopped", true, false},
      {"read fails part-way", 9, false, false,
       [&](const std::string& path, RecoveryContext& context, StopFlag& stop) {
         writeBytes(2)(path, context, stop);
         return false;
       },
       Kind::kFailed, "failed", true, false},
      {"bad sectors", 4, false, false,
       [&](const std::string& path, RecoveryContext& context, StopFlag& stop) {
         g_filledSectors = {5, 9, 5, 12};
         return writeBytes(4)(path, context, stop);
       },
       Kind::kBadSectors, "bad-sectors 3", true, true},
      {"taken by a live file", 9, true, false, writeBytes(4), Kind::kOverwritten, "overwritten",
       true, true},
      {"taken and left out", 4, true, true, writeBytes(4), Kind::kSkipped, "skipped", false, false},
  };
  uint32_t id = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "file" + std::to_string(id) + ".bin";
    FolderRef root = store_.FindRef(kRootId);
    root->AddFile(id, ItemLocation(0, id, 1), name.c_str(), c.size, kSomeTime, kSomeTime, 1);
    g_taken = c.taken;
    g_recover = [&](ItemLocation&, const std::string& path, RecoveryContext& context) {
      return c.write(path, context, stop_);
    };
    reports_.files.clear();
    auto job = Job({RecoverySelectionEntry::File(id, name)});
    job->listener = &reports_;
    job->skipOverwritten = c.skipTaken;
    Run(std::move(job));
    stop_.store(0);
    ++id;

    ASSERT_EQ(reports_.files.size(), 1u);
    const RecoveryOutcome& outcome = reports_.files[0].second;
    EXPECT_EQ(reports_.files[0].first, out_ + name);
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.Label(), c.label);
    EXPECT_EQ(fs::exists(out_ + name), c.onDisk);
    if (!c.onDisk) continue;
    EXPECT_EQ(outcome.bytes, fs::file_size(out_ + name));
    uint64_t modified = 0;
    ASSERT_EQ(platform::GetFileModifiedTime(out_ + name, &modified), 0u);
    EXPECT_EQ(modified == kSomeTime, c.originalTime);
    if (c.taken) {
      EXPECT_NE(JoinedLogs().find("LIVE.TXT"), std::string::npos);
    }
  }
}

// Two names that come out equal in one run, and a hard link placed in the destination: nothing
// this run wrote and nothing outside the destination is ever written over.
TEST_F(RecoveryWriterTest, ReplacingNeverTouchesThisRunsFilesOrWhatALinkLeadsTo) {
  std::ofstream(base_ / "outside" / "keep.txt") << "keep";
  fs::create_hard_link(base_ / "outside" / "keep.txt", out_ + "linked.txt");
  AddFile(kRootId, 2, "?ILE.TXT", true, 200);
  AddFile(kRootId, 3, "?ILE.TXT", true, 300);
  AddFile(kRootId, 4, "linked.txt", true, 400);
  prompter_.QueueBrokenNameAnswer({BrokenNameAnswer::kRename, "?ILE.TXT", true, "F"});
  prompter_.QueueReplaceAnswer(ReplaceAnswer::kReplaceAll);
  WrittenFiles written;
  auto job = Job({RecoverySelectionEntry::Folder(root_)});
  job->writtenFiles = &written;
  Run(std::move(job));

  EXPECT_EQ(Listing(out_),
            (std::vector<std::string>{"FILE.TXT", "FILE[Copy 001].TXT", "linked.txt"}));
  EXPECT_EQ(ReadText(out_ + "FILE.TXT"), "data@200");
  EXPECT_EQ(ReadText(out_ + "FILE[Copy 001].TXT"), "data@300");
  EXPECT_EQ(ReadText(out_ + "linked.txt"), "data@400");
  EXPECT_EQ(ReadText(base_ / "outside" / "keep.txt"), "keep");
  EXPECT_NE(JoinedLogs().find("was written earlier in this recovery"), std::string::npos);
}

// Two deleted folders of one name in one parent keep their files apart: the later one is made
// under a name of its own; a folder written again by the same node is not renamed.
TEST_F(RecoveryWriterTest, NamesakeFoldersGetNamesOfTheirOwn) {
  TreeNode first = AddFolder(root_, "Trip", 10, true);
  AddFolder(root_, "Trip", 11, true);
  AddFile(10, 12, "a.txt", true, 200);
  AddFile(11, 13, "a.txt", true, 300);
  WrittenFiles written;
  for (auto selection : {std::vector{RecoverySelectionEntry::Folder(root_)},
                         std::vector{RecoverySelectionEntry::Folder(first)}}) {
    auto job = Job(std::move(selection));
    job->writtenFiles = &written;
    Run(std::move(job));
  }

  EXPECT_EQ(Listing(out_), (std::vector<std::string>{"Trip/", "Trip/a.txt", "Trip/a[Copy 001].txt",
                                                     "Trip[Copy 001]/", "Trip[Copy 001]/a.txt"}));
  EXPECT_EQ(ReadText(out_ + "Trip/a.txt"), "data@200");
  EXPECT_EQ(ReadText(out_ + "Trip[Copy 001]/a.txt"), "data@300");
  EXPECT_NE(JoinedLogs().find("was made earlier in this recovery for another folder"),
            std::string::npos);
}

// A recovered folder gets its own time once its files are in it.
TEST_F(RecoveryWriterTest, FoldersGetTheirTimeAfterTheirFiles) {
  AddFolder(root_, "Docs", 10, true);
  store_.FindRef(10)->SetModified(kSomeTime);
  AddFile(10, 20, "a.txt", true);
  RunRoot();

  uint64_t modified = 0;
  ASSERT_EQ(platform::GetFileModifiedTime(out_ + "Docs", &modified), 0u);
  EXPECT_EQ(modified, kSomeTime);
  EXPECT_EQ(ReadText(out_ + "Docs/a.txt"), "data@100");
}

}  // namespace
}  // namespace orvande
