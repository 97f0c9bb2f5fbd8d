// The image writer copying a 1 GiB volume image, against dd bs=1M conv=fsync writing the same
// copy into the same folder; both report bytes per second. Both outputs are flushed to the disk
// before the clock stops.
//
// The volume is ORVANDE_IMAGE_BENCH_IMAGE (default /tmp/orvande-image-bench.img), made with
// mkfs.fat when missing; the copies go to ORVANDE_IMAGE_BENCH_OUT (default: the image's folder).
// The image is read once before timing, so both copies start from a cached image.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
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

void BM_ImageWriter1GiB(benchmark::State& state) {
  if (!PrepareImage()) return state.SkipWithError("mkfs.fat failed (is dosfstools installed?)");
  RegisterStandardAnalyzers();
  const std::string out = OutputPath("orvande-image-bench.dsk");
  uint64_t bytes = 0;
  for (auto _ : state) {
    ImageFileNode node(ImagePath());
    OperationLog log;
    std::unique_ptr<VolumeAnalyzer> analyzer = CreateAnalyzer(&node, true, &log, nullptr);
    if (!analyzer) return state.SkipWithError("the volume did not open");
    ImageTarget target;
    if (target.Create(out) != 0) return state.SkipWithError("the copy could not be created");
    ImageWriterJob job(analyzer.get(), &target, nullptr, nullptr);
    if (WriteImageSectors(job) != 0) return state.SkipWithError("the copy failed");
    target.Close();
    if (!Flush(out)) return state.SkipWithError("sync failed");
    bytes += job.BytesWritten();
  }
  std::filesystem::remove(out);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_Dd1GiB(benchmark::State& state) {
  if (!PrepareImage()) return state.SkipWithError("mkfs.fat failed (is dosfstools installed?)");
  const std::string out = OutputPath("orvande-image-bench.dd");
  const std::string command =
      "dd if='" + ImagePath() + "' of='" + out + "' bs=1M conv=fsync status=none";
  uint64_t bytes = 0;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) return state.SkipWithError("dd failed");
    bytes += std::filesystem::file_size(out);
  }
  std::filesystem::remove(out);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

}  // namespace

BENCHMARK(BM_ImageWriter1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Dd1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
