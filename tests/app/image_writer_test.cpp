// The disk image job: a whole volume copied byte for byte, never over its own source, a found
// partition's stored boot sector as sector 0, a full disk asked about and retried, a stop that
// leaves a prefix, and the progress window's time-left rule.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "app/image_target.h"
#include "app/image_time_left.h"
#include "app/image_writer_job.h"
#include "app/standard_analyzers.h"
#include "app/write_disk_image.h"
#include "common/corpus.h"
#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "disk/image_file_node.h"
#include "platform/error_numbers.h"

namespace orvande {
namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ImageWriter : public ::testing::Test {
 protected:
  void SetUp() override { RegisterStandardAnalyzers(); }
  const test::CorpusImage& corpus_ = test::LoadCorpusImage("fat12");
  test::TempFolder folder_{"orvande-image-"};
  const std::string out_ = (folder_ / "out.dsk").string();
  test::ScriptedPrompter prompter_;
  test::RecordingWait wait_;
};

TEST_F(ImageWriter, CopiesTheWholeVolume) {
  ImageFileNode node(corpus_.imagePath);
  ImageCommandPorts ports;
  ports.prompter = &prompter_;
  uint64_t written = 0;
  EXPECT_EQ(WriteDiskImage(&node, out_, ports, wait_, &written), ImageOutcome::kComplete);
  EXPECT_EQ(written, 1474560u);
  EXPECT_EQ(FileBytes(out_), FileBytes(corpus_.imagePath));
  EXPECT_TRUE(prompter_.Texts().empty());
}

// The image itself (by its name or a link to it) and a device are refused before anything is
// written: the source stays whole.
TEST_F(ImageWriter, NeverWritesOverItsSourceOrADevice) {
  const std::string source = (folder_ / "source.img").string();
  std::filesystem::copy_file(corpus_.imagePath, source);
  const std::string link = (folder_ / "link.img").string();
  std::filesystem::create_symlink(source, link);
  for (const std::string& target : {source, link, std::string("/dev/null")}) {
    test::ScriptedPrompter prompter;
    ImageFileNode node(source);
    ImageCommandPorts ports;
    ports.prompter = &prompter;
    EXPECT_EQ(WriteDiskImage(&node, target, ports, wait_), ImageOutcome::kNotCreated) << target;
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Can't create file."}) << target;
    EXPECT_EQ(FileBytes(source), FileBytes(corpus_.imagePath)) << target;
  }
}

TEST_F(ImageWriter, FoundPartitionStartsWithItsStoredBootSector) {
  test::MemoryNode node(FileBytes(corpus_.imagePath), kNodePartition, kFsFat);
  std::array<uint8_t, 512> stored{};
  std::copy_n(node.Image().bytes.begin(), 512, stored.begin());
  stored[3] = 'X';  // the OEM name: the volume still opens, the bytes tell the copies apart
  node.Image().storedBootSector = stored;
  node.Image().bytes[3] = 'Y';
  ImageCommandPorts ports;
  ports.prompter = &prompter_;
  ASSERT_EQ(WriteDiskImage(&node, out_, ports, wait_), ImageOutcome::kComplete);
  const std::vector<uint8_t> image = FileBytes(out_);
  ASSERT_EQ(image.size(), node.Image().bytes.size());
  EXPECT_TRUE(std::equal(stored.begin(), stored.end(), image.begin()));
  EXPECT_TRUE(std::equal(image.begin() + 512, image.end(), node.Image().bytes.begin() + 512));
}

// A disk that is full once, part way into a write, and has room again after the user was asked.
class FullOnceTarget final : public ImageTarget {
 public:
  explicit FullOnceTarget(uint64_t limit) : limit_(limit) {}
  uint64_t FreeSpace(const std::string&) override { return limit_; }
  uint32_t Write(const void* data, size_t size, size_t* written) override {
    if (full_ && offset_ + size > limit_) {
      full_ = false;
      const size_t fits = static_cast<size_t>(limit_ - offset_);
      ImageTarget::Write(data, fits, written);
      offset_ += fits;
      return platform::kErrDiskFull;
    }
    offset_ += size;
    return ImageTarget::Write(data, size, written);
  }
  uint32_t Seek(uint64_t offset) override {
    offset_ = offset;
    return ImageTarget::Seek(offset);
  }

 private:
  uint64_t limit_;
  uint64_t offset_ = 0;
  bool full_ = true;
};

TEST_F(ImageWriter, FullDiskIsWarnedAskedAndRetried) {
  ImageFileNode node(corpus_.imagePath);
  FullOnceTarget target(100 * 512 + 100);  // ends inside a sector
  prompter_.QueueAnswer(MessageAnswer::kYes);  // "&Continue" despite the free space
  prompter_.QueueAnswer(MessageAnswer::kYes);  // go on after the disk was full
  ImageCommandPorts ports;
  ports.prompter = &prompter_;
  ports.target = &target;
  ports.batchBytes = 64 * 512;
  EXPECT_EQ(WriteDiskImage(&node, out_, ports, wait_), ImageOutcome::kComplete);
  const std::vector<std::string> texts = prompter_.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind("Insufficient disk space (Image size - ", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1], "Insufficient disk space. Continue?");
  EXPECT_EQ(FileBytes(out_), FileBytes(corpus_.imagePath));
}

// Holds the writer after `stopAt` bytes have gone out, until the command's wait lets it go.
class HoldingTarget final : public ImageTarget {
 public:
  explicit HoldingTarget(uint64_t stopAt) : stopAt_(stopAt) {}
  uint32_t Write(const void* data, size_t size, size_t* written) override {
    const uint32_t code = ImageTarget::Write(data, size, written);
    total_ += size;
    if (total_ == stopAt_) {
      std::unique_lock<std::mutex> hold(mutex_);
      reached_ = true;
      changed_.notify_all();
      changed_.wait(hold, [this] { return released_; });
    }
    return code;
  }
  void WaitUntilReached() {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [this] { return reached_; });
  }
  void Release() {
    std::lock_guard<std::mutex> hold(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  const uint64_t stopAt_;
  uint64_t total_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool reached_ = false;
  bool released_ = false;
};

// The user presses Stop once the target holds 100 sectors.
class StoppingWindow final : public ImageProgressWindow {
 public:
  explicit StoppingWindow(HoldingTarget& target) : target_(target) {}
  void Show(const ImageWriterJob&) override { target_.WaitUntilReached(); }

 private:
  HoldingTarget& target_;
};

TEST_F(ImageWriter, StopLeavesAPrefixAndAsksWhetherToDeleteIt) {
  ImageFileNode node(corpus_.imagePath);
  HoldingTarget target(51200);
  StoppingWindow window(target);
  // The cancel flag is set before the command waits: only then may the writer go on.
  wait_.onStep = [&target] {
    target.Release();
    return true;
  };
  ImageCommandPorts ports;
  ports.prompter = &prompter_;
  ports.target = &target;
  ports.window = &window;
  ports.batchBytes = 50 * 512;
  uint64_t written = 0;
  EXPECT_EQ(WriteDiskImage(&node, out_, ports, wait_, &written), ImageOutcome::kPartialKept);
  EXPECT_EQ(written, 51200u);
  EXPECT_EQ(FileBytes(out_).size(), 51200u);
  ASSERT_EQ(prompter_.Texts().size(), 1u);
  EXPECT_EQ(prompter_.Texts()[0],
            "Image creation canceled by user. Delete the partially created image file?");
}

TEST(ImageTimeLeft, FollowsTheWindowsRule) {
  struct Case {
    uint64_t elapsed;
    uint32_t range, position;
    const char* text;
  };
  const Case cases[] = {
      {10, 100, 0, "??:??"},      // nothing done yet
      {10, 100, 50, "00:10"},     // half way: as long again
      {10, 100, 100, "00:00"},    // done
      {10, 100, 200, "??:??"},    // the estimate falls below the time elapsed
      {3600, 4, 1, "03:00:00"},   // hours shown
      {7, 3, 2, "00:03"},         // 7 x 3 / 2 = 10 truncated, minus 7
  };
  for (const Case& c : cases)
    EXPECT_EQ(ImageTimeLeftText(c.elapsed, c.range, c.position), c.text)
        << c.elapsed << " " << c.range << " " << c.position;
}

}  // namespace
}  // namespace orvande
