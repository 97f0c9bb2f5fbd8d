// Recovery of NTFS file data through NtfsAnalyzer::RecoverFile: a 1 GiB file of about 10,000
// fragments and a 64 MiB LZNT1-compressed text file, LZNT1 decompression on its own, and icat of
// The Sleuth Kit recovering the same files in the same run, all reported in bytes per second.
//
// The volume comes from bench/ntfs_make_recover_image.sh (root only); its path is taken from
// ORVANDE_NTFS_BENCH_IMAGE (default /tmp/orvande-ntfs-recover.img), with the record numbers in
// IMAGE.records. The image is read once before timing, so both readers work on a cached image;
// both write their output to a file in the same folder (ORVANDE_NTFS_BENCH_OUT, e.g. /dev/shm to
// leave the output disk out of the figures).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/recovery_context.h"
#include "disk/image_file_node.h"
#include "disk/sector_device.h"
#include "ntfs/lznt1.h"
#include "ntfs/ntfs_analyzer.h"
#include "support/operation_log.h"

namespace {

using namespace orvande;

std::string ImagePath() {
  const char* path = std::getenv("ORVANDE_NTFS_BENCH_IMAGE");
  return path != nullptr ? path : "/tmp/orvande-ntfs-recover.img";
}

// Both readers write into ORVANDE_NTFS_BENCH_OUT (default: the image's folder).
std::string OutputPath(const char* name) {
  const char* folder = std::getenv("ORVANDE_NTFS_BENCH_OUT");
  return (std::filesystem::path(
              folder != nullptr ? folder : std::filesystem::path(ImagePath()).parent_path()) /
          name)
      .string();
}

std::map<std::string, uint64_t> Records() {
  std::map<std::string, uint64_t> records;
  std::ifstream in(ImagePath() + ".records");
  std::string name;
  uint64_t number = 0;
  while (in >> name >> number) records[name] = number;
  return records;
}

std::unique_ptr<NtfsAnalyzer> OpenVolume(ImageFileNode& node) {
  SectorDevice* device = node.CreateDevice();
  if (device == nullptr || !device->Open(true, nullptr)) return nullptr;
  auto analyzer = std::make_unique<NtfsAnalyzer>();
  const bool opened = analyzer->Open(device, true, nullptr);
  device->Release();
  return opened ? std::move(analyzer) : nullptr;
}

// The size of what a recovery wrote, removed again; outside the timed part.
uint64_t TakeOutputSize(benchmark::State& state, const std::string& out) {
  state.PauseTiming();
  const uint64_t size = std::filesystem::file_size(out);
  std::filesystem::remove(out);
  state.ResumeTiming();
  return size;
}

bool Ready(benchmark::State& state, uint64_t* record, const char* name) {
  auto records = Records();
  if (!std::filesystem::exists(ImagePath()) || records.count(name) == 0) {
    state.SkipWithError("no benchmark volume: run bench/ntfs_make_recover_image.sh first");
    return false;
  }
  *record = records[name];
  return true;
}

void RecoverWithOrvande(benchmark::State& state, const char* name) {
  uint64_t record = 0;
  if (!Ready(state, &record, name)) return;
  ImageFileNode node(ImagePath());
  const std::string out = OutputPath("orvande.out");
  uint64_t bytes = 0;
  for (auto _ : state) {
    // Every recovery starts from a freshly opened volume, as a recovery job does.
    std::unique_ptr<NtfsAnalyzer> analyzer = OpenVolume(node);
    if (!analyzer) {
      state.SkipWithError("the volume does not open");
      return;
    }
    ItemLocation location(1, record * analyzer->MftTable().RecordSize());
    RecoveryContext context;
    OperationLog log;
    if (!analyzer->RecoverFile(location, 0, out, false, context, &log)) {
      state.SkipWithError("recovery failed");
      return;
    }
    bytes += TakeOutputSize(state, out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void RecoverWithIcat(benchmark::State& state, const char* name) {
  uint64_t record = 0;
  if (!Ready(state, &record, name)) return;
  const std::string out = OutputPath("icat.out");
  const std::string command =
      "icat -f ntfs '" + ImagePath() + "' " + std::to_string(record) + " > '" + out + "'";
  uint64_t bytes = 0;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("icat failed (is The Sleuth Kit installed?)");
      return;
    }
    bytes += TakeOutputSize(state, out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_RecoverFragmented1GiB(benchmark::State& state) {
  RecoverWithOrvande(state, "big");
}
void BM_IcatFragmented1GiB(benchmark::State& state) {
  RecoverWithIcat(state, "big");
}
void BM_RecoverCompressed64MiB(benchmark::State& state) {
  RecoverWithOrvande(state, "text");
}
void BM_IcatCompressed64MiB(benchmark::State& state) {
  RecoverWithIcat(state, "text");
}

// The compressed units of the text file, read once; then only their decompression is timed.
void BM_Lznt1Decompression(benchmark::State& state) {
  uint64_t record = 0;
  if (!Ready(state, &record, "text")) return;
  ImageFileNode node(ImagePath());
  std::unique_ptr<NtfsAnalyzer> analyzer = OpenVolume(node);
  if (!analyzer) {
    state.SkipWithError("the volume does not open");
    return;
  }
  MftRecord file(analyzer.get());
  std::optional<Attribute> data;
  if (file.ReadFromMft(analyzer->MftTable(), record * analyzer->MftTable().RecordSize(), nullptr,
                       nullptr) == 0)
    data = file.FindAttribute(kAttrData, AttributeName::None());
  if (!data) {
    state.SkipWithError("no compressed file");
    return;
  }
  const uint32_t clusterBytes = analyzer->BytesPerCluster();
  std::vector<std::vector<uint8_t>> units;
  for (uint64_t vcn = 0; units.size() < 256; vcn += kClustersPerUnit) {
    VcnMapping mapping;
    if (!file.MapVcn(*data, vcn, &mapping, true)) break;
    if (!mapping.compressed) continue;
    std::vector<uint8_t> bytes(mapping.unitLcnCount * clusterBytes);
    for (uint32_t i = 0; i < mapping.unitLcnCount; ++i) {
      uint32_t status = 0;
      analyzer->ReadVolumeSectors(mapping.unitLcns[i] * analyzer->SectorsPerCluster(),
                                  bytes.data() + i * clusterBytes, clusterBytes, &status,
                                  analyzer->SectorsPerCluster(), true, true);
    }
    units.push_back(std::move(bytes));
  }
  if (units.empty()) {
    state.SkipWithError("the text file has no compressed units");
    return;
  }
  std::vector<uint8_t> cluster(clusterBytes);
  uint64_t produced = 0;
  for (auto _ : state) {
    for (const std::vector<uint8_t>& unit : units) {
      Lznt1Unit decoder(unit);
      for (uint32_t c = 0; c < kClustersPerUnit; ++c)
        produced += decoder.Extract(uint64_t{c} * clusterBytes, cluster).value_or(0);
    }
    benchmark::DoNotOptimize(cluster.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(produced));
}

BENCHMARK(BM_RecoverFragmented1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_IcatFragmented1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RecoverCompressed64MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_IcatCompressed64MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Lznt1Decompression)->Unit(benchmark::kMillisecond);

// Reads the image once so that every reader finds it cached.
void WarmImage() {
  std::ifstream in(ImagePath(), std::ios::binary);
  std::vector<char> buffer(1 << 20);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  WarmImage();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
