// The image writer copying a 1 GiB volume image, against dd bs=1M conv=fsync writing the same
// copy into the same folder. Both outputs are flushed to the disk before the clock stops. The two
// take turns, ORVANDE_IMAGE_BENCH_RUNS rounds (default 5), so that a busy disk slows both alike;
// each round prints both speeds and their ratio, and at the end the median ratio. A first round
// warms up and is not counted.
// ORVANDE_IMAGE_BENCH_BATCH_KIB sets the writer's batch in KiB (default: the job's own).
//
// The volume is ORVANDE_IMAGE_BENCH_IMAGE (default /tmp/orvande-image-bench.img), made with
// mkfs.fat when missing; the copies go to ORVANDE_IMAGE_BENCH_OUT (default: the image's folder).
// The image is read once before timing, so both copies start from a cached image.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/image_target.h"
#include "app/image_writer_job.h"
#include "app/standard_analyzers.h"
#include "core/analyzer_factory.h"
#include "disk/image_file_node.h"
#include "support/operation_log.h"

namespace {

using namespace orvande;

constexpr uint64_t kVolumeKiB = 1024 * 1024;

std::string ImagePath() {
  const char* path = std::getenv("ORVANDE_IMAGE_BENCH_IMAGE");
  return path != nullptr ? path : "/tmp/orvande-image-bench.img";
}

std::string OutputPath(const char* name) {
  const char* folder = std::getenv("ORVANDE_IMAGE_BENCH_OUT");
  return (std::filesystem::path(
              folder != nullptr ? folder : std::filesystem::path(ImagePath()).parent_path()) /
          name)
      .string();
}

// Makes the volume once and reads it through, so that both copies find it in the cache.
bool PrepareImage() {
  static const bool ready = [] {
    if (!std::filesystem::exists(ImagePath())) {
      const std::string make =
          "mkfs.fat -F 32 -C '" + ImagePath() + "' " + std::to_string(kVolumeKiB) + " >/dev/null";
      if (std::system(make.c_str()) != 0) return false;
    }
    std::ifstream in(ImagePath(), std::ios::binary);
    std::vector<char> chunk(1 << 20);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
    }
    return true;
  }();
  return ready;
}

bool Flush(const std::string& path) {
  return std::system(("sync '" + path + "'").c_str()) == 0;
}

// Seconds for `copy`, or a negative number when it failed. Each copy starts once the disk has
// taken in what came before: the second of two copies run back to back was always the slower.
double SecondsOf(const std::function<bool()>& copy) {
  std::system("sync");
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const auto start = std::chrono::steady_clock::now();
  if (!copy()) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool CopyWithImageWriter(const std::string& out) {
  ImageFileNode node(ImagePath());
  OperationLog log;
  std::unique_ptr<VolumeAnalyzer> analyzer = CreateAnalyzer(&node, true, &log, nullptr);
  if (!analyzer) return false;
  ImageTarget target;
  if (target.Create(out) != 0) return false;
  ImageWriterJob job(analyzer.get(), &target, nullptr, nullptr);
  if (const char* batch = std::getenv("ORVANDE_IMAGE_BENCH_BATCH_KIB"))
    job.SetBatchBytes(static_cast<size_t>(std::atoll(batch)) << 10);
  const bool copied = WriteImageSectors(job) == 0 && job.BytesWritten() == job.ImageSize();
  return target.Close() == 0 && copied && Flush(out);
}

bool CopyWithDd(const std::string& out) {
  const std::string command =
      "dd if='" + ImagePath() + "' of='" + out + "' bs=1M conv=fsync status=none";
  return std::system(command.c_str()) == 0;
}

int RunsWanted() {
  const char* runs = std::getenv("ORVANDE_IMAGE_BENCH_RUNS");
  return runs != nullptr ? std::max(1, std::atoi(runs)) : 5;
}

double MegabytesPerSecond(double seconds) { return kVolumeKiB * 1024.0 / seconds / 1e6; }

}  // namespace

int main() {
  if (!PrepareImage()) {
    std::fprintf(stderr, "mkfs.fat failed (is dosfstools installed?)\n");
    return 1;
  }
  RegisterStandardAnalyzers();
  // Both write the same file, which each copy replaces: a copy never shares the disk with the
  // other's file.
  const std::string out = OutputPath("orvande-image-bench.dsk");
  std::vector<double> ratios;
  // Round 0 is the warm-up: the first copy of a run was always slow, whoever made it.
  for (int round = 0; round <= RunsWanted(); ++round) {
    // Who goes first alternates, so that neither always finds the other's writeback under way.
    double writer = 0;
    double dd = 0;
    const auto runWriter = [&] { writer = SecondsOf([&] { return CopyWithImageWriter(out); }); };
    const auto runDd = [&] { dd = SecondsOf([&] { return CopyWithDd(out); }); };
    if (round % 2 == 0) {
      runWriter();
      runDd();
    } else {
      runDd();
      runWriter();
    }
    if (writer < 0 || dd < 0) {
      std::fprintf(stderr, "round %d: the %s copy failed\n", round, writer < 0 ? "image writer's" : "dd");
      std::filesystem::remove(out);
      return 1;
    }
    if (round == 0) continue;
    ratios.push_back(dd / writer);
    std::printf("round %d: image writer %.0f MB/s, dd %.0f MB/s, ratio %.2f\n", round,
                MegabytesPerSecond(writer), MegabytesPerSecond(dd), ratios.back());
  }
  std::filesystem::remove(out);
  std::sort(ratios.begin(), ratios.end());
  std::printf("median ratio (image writer / dd): %.2f\n", ratios[ratios.size() / 2]);
  return 0;
}
