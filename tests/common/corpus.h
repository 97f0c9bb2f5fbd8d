#pragma once
// The real-volume corpus: images made by the file systems' own tools (tests/tools/), committed as
// tests/data/<name>.img.xz with a manifest <name>.manifest.json that is the ground truth. A test
// asks for an image by name; it is decompressed into <build>/corpus/ once per build and its
// manifest is parsed once per process.
// LoadCorpusImage and CorpusImageNames may be called from several threads.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace orvande::test {

// One folder, file or alternate stream the generator made, as the generator left it.
struct CorpusEntry {
  std::string path;   // from the volume root, '/'-separated; a stream is "folder/file:stream"
  std::string type;   // "file", "folder" or "stream"
  bool deleted = false;
  uint64_t size = 0;
  std::string sha256;                 // of the content; empty for folders
  std::optional<int64_t> mtime;       // seconds since 1970 UTC; absent where not recorded
  bool intact = true;                 // content still on the volume, not overwritten
  bool entryIntact = true;            // the directory entry / MFT record still describes it
  std::string notes;

  // FAT
  bool longName = false;              // the name needed long-name entries
  uint32_t firstCluster = 0;
  std::vector<std::pair<uint32_t, uint32_t>> clusters;  // (first cluster, count) in file order
  bool firstClusterHighCleared = false;  // high word zeroed after deletion, as Windows does

  // NTFS
  std::optional<uint64_t> mftRecord;
  bool resident = false;
  bool compressed = false;
  bool sparse = false;
  bool attributeList = false;
  uint32_t fragments = 0;             // data runs (FAT: cluster runs), holes not counted

  nlohmann::json raw;                 // the manifest's record, for anything not above

  bool IsFolder() const { return type == "folder"; }
  bool IsStream() const { return type == "stream"; }
};

// A file whose directory entry is gone: only a content search finds it.
struct CorpusOrphan {
  std::string path;  // where the generator wrote it before erasing its entry
  std::string type;  // content type, e.g. "jpeg"
  uint32_t firstCluster = 0;
  uint64_t size = 0;
  std::string sha256;
};

struct CorpusImage {
  std::string name;          // "fat16"
  std::string imagePath;     // the decompressed image in the build tree
  std::string manifestPath;  // in the source tree
  std::string fs;            // "FAT12", "FAT16", "FAT32" or "NTFS"
  uint32_t bytesPerSector = 0;
  uint32_t bytesPerCluster = 0;
  std::vector<std::string> postProcessing;  // steps applied to the image after the tools
  std::vector<CorpusEntry> entries;         // in the order the generator made them
  std::vector<CorpusOrphan> orphans;        // by first cluster
  nlohmann::json manifest;

  const CorpusEntry* Find(const std::string& path) const;
  bool IsFat() const { return fs.rfind("FAT", 0) == 0; }
};

// The images in tests/data whose names start with prefix ("fat", "ntfs"; empty for all), sorted.
std::vector<std::string> CorpusImageNames(std::string_view prefix = {});

// Decompresses (when the build tree's copy is missing or older than the .xz) and parses; the
// result lives until the process ends. Throws std::runtime_error when the image cannot be had.
const CorpusImage& LoadCorpusImage(const std::string& name);

// The bundled FAT16 sample volume (samples/sample-fat16.img.xz) decompressed into folder, a copy a
// test may change; returns its path. Throws std::runtime_error when it cannot be had.
std::string UnpackSampleVolume(const std::filesystem::path& folder);

std::string Sha256Hex(const void* data, size_t size);
std::string Sha256Hex(const std::vector<uint8_t>& bytes);
std::string Sha256Hex(const std::string& bytes);
// Throws std::runtime_error when the file cannot be read.
std::string Sha256OfFile(const std::string& path);

}  // namespace orvande::test
