#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/scoped_time_zone.h"
#include "platform/error_numbers.h"
#include "platform/file_time.h"
#include "platform/output_file.h"
#include "platform/shared_library.h"
#include "temp_folder.h"

namespace orvande::platform {
namespace {

using FileSystemTest = TempFolderTest;

TEST_F(FileSystemTest, OutputFileReplacesSeeksAndRefusesToClobberWhenAskedNew) {
  std::string path = WriteFile("out.bin", "old content that is long");
  OutputFile file;
  ASSERT_EQ(file.CreateOrReplace(path), 0u);
  size_t written = 0;
  ASSERT_EQ(file.Write("abcdef", 6, &written), 0u);
  EXPECT_EQ(written, 6u);
  ASSERT_EQ(file.Seek(2), 0u);
  ASSERT_EQ(file.Write("XY", 2), 0u);
  ASSERT_EQ(file.Close(), 0u);
  EXPECT_EQ(ReadFile(path), "abXYef");

  OutputFile other;
  EXPECT_EQ(other.CreateNew(path), kErrFileExists);
  EXPECT_FALSE(other.IsOpen());
  EXPECT_EQ(other.Write("z", 1), kErrInvalidHandle);
  EXPECT_EQ(other.CreateOrReplace(PathOf("no/such/folder/f")), kErrPathNotFound);

  // A link in the file's place is refused, and what it points at stays as it was.
  std::filesystem::create_symlink(path, PathOf("link.bin"));
  EXPECT_EQ(other.CreateOrReplace(PathOf("link.bin")), kErrCantResolveFilename);
  EXPECT_EQ(ReadFile(path), "abXYef");
}

TEST_F(FileSystemTest, ModifiedTimeRoundTripsWithoutTouchingTheAccessTime) {
  std::string path = WriteFile("dated.txt", "x");
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  // 2004-02-29 12:34:56.5 UTC, and a time before 1970.
  const uint64_t times[] = {UnixToFileTime(1078058096, 500'000'000), UnixToFileTime(-86400, 0)};
  for (uint64_t t : times) {
    ASSERT_EQ(SetFileModifiedTime(path, t), 0u);
    uint64_t back = 0;
    ASSERT_EQ(GetFileModifiedTime(path, &back), 0u);
    EXPECT_EQ(back, t);
  }
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
  EXPECT_EQ(SetFileModifiedTime(PathOf("missing"), times[0]), kErrFileNotFound);
}

TEST_F(FileSystemTest, RemoveTreeDeletesEverythingButNeverFollowsLinks) {
  std::string keep = PathOf("keep");
  ASSERT_EQ(MakeDirectory(keep), 0u);
  WriteFile("keep/precious.txt", "do not delete");
  std::string tree = PathOf("tree");
  ASSERT_EQ(MakeDirectory(tree), 0u);
  EXPECT_EQ(MakeDirectory(tree), kErrFileExists);
  EXPECT_EQ(MakeDirectory(PathOf("no/parent")), kErrPathNotFound);
  ASSERT_EQ(MakeDirectory(tree + "/a"), 0u);
  ASSERT_EQ(MakeDirectory(tree + "/a/b"), 0u);
  WriteFile("tree/a/b/file", "1");
  std::filesystem::create_directory_symlink(keep, tree + "/a/link");

  ASSERT_EQ(RemoveTree(tree), 0u);
  EXPECT_FALSE(PathExists(tree));
  EXPECT_EQ(ReadFile(keep + "/precious.txt"), "do not delete");
  EXPECT_EQ(RemoveTree(tree), 0u);  // already gone
}

TEST_F(FileSystemTest, PathQueriesClimbToTheNearestExistingFolder) {
  uint64_t rootDevice = 0, futureDevice = 0;
  ASSERT_EQ(DeviceIdOfPath(root_.string(), &rootDevice), 0u);
  ASSERT_EQ(DeviceIdOfPath(PathOf("not/yet/made/"), &futureDevice), 0u);
  EXPECT_EQ(futureDevice, rootDevice);

  EXPECT_TRUE(IsDirectory(root_.string()));
  std::string file = WriteFile("f", "1");
  EXPECT_FALSE(IsDirectory(file));
  std::filesystem::create_symlink(PathOf("nowhere"), PathOf("dangling"));
  EXPECT_TRUE(PathExists(PathOf("dangling")));  // the name is taken
  EXPECT_EQ(BlockDeviceId(file, nullptr), kErrNotSupported);

  uint64_t free = 0;
  ASSERT_EQ(FreeSpaceBytes(root_.string(), &free), 0u);
  EXPECT_GT(free, 0u);
  EXPECT_FALSE(ExecutableDirectory().empty());
}

TEST(FileTimeTest, LocalCalendarFollowsTheZoneAndRejectsDaysThatDoNotExist) {
  test::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
  bool valid = false;
  // 2020-07-01 12:00 summer time is 10:00 UTC; 2020-01-01 12:00 winter time is 11:00 UTC.
  EXPECT_EQ(LocalCalendarToFileTime(2020, 7, 1, 12, 0, 0, &valid), UnixToFileTime(1593597600, 0));
  EXPECT_TRUE(valid);
  EXPECT_EQ(LocalCalendarToFileTime(2020, 1, 1, 12, 0, 0, &valid), UnixToFileTime(1577876400, 0));
  CalendarTime c;
  ASSERT_TRUE(FileTimeToLocalCalendar(UnixToFileTime(1593597600, 0), &c));
  EXPECT_EQ(c.hour, 12);
  EXPECT_EQ(LocalCalendarToFileTime(2021, 2, 29, 0, 0, 0, &valid), 0u);
  EXPECT_FALSE(valid);
  EXPECT_EQ(LocalCalendarToFileTime(2021, 13, 1, 0, 0, 0, &valid), 0u);
  EXPECT_FALSE(valid);
}

TEST(FileTimeTest, UnixEpochAndEarlyTimes) {
  EXPECT_EQ(UnixToFileTime(0, 0), 116444736000000000ull);
  EXPECT_EQ(UnixToFileTime(-20000000000LL, 0), 0u);
  int64_t seconds = 0;
  long nanos = 0;
  FileTimeToUnix(116444736000000001ull, &seconds, &nanos);
  EXPECT_EQ(seconds, 0);
  EXPECT_EQ(nanos, 100);
  EXPECT_GT(NowFileTime(), UnixToFileTime(1600000000, 0));
}

TEST(SharedLibraryTest, LoadsExportedSymbolsAndReportsMissingLibraries) {
  SharedLibrary lib;
  EXPECT_EQ(lib.Open("liborvande_does_not_exist.so"), kErrModNotFound);
  EXPECT_FALSE(lib.LastLoadError().empty());
  ASSERT_EQ(lib.Open("libc.so.6"), 0u);
  auto length = lib.Function<size_t (*)(const char*)>("strlen");
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length("four"), 4u);
  EXPECT_EQ(lib.Symbol("no_such_symbol_here"), nullptr);
  lib.Close();
  EXPECT_EQ(lib.Symbol("strlen"), nullptr);
}

}  // namespace
}  // namespace orvande::platform
