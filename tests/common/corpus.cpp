#include "common/corpus.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>

namespace orvande::test {
namespace {

namespace fs = std::filesystem;

// --- SHA-256 (FIPS 180-4), small and slow enough for test data ------------------------------

constexpr std::array<uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

class Sha256 {
 public:
  void Update(const uint8_t* data, size_t size) {
    total_ += size;
    while (size > 0) {
      size_t take = std::min(size, block_.size() - used_);
      std::copy(data, data + take, block_.begin() + static_cast<std::ptrdiff_t>(used_));
      used_ += take;
      data += take;
      size -= take;
      if (used_ == block_.size()) {
        Compress();
        used_ = 0;
      }
    }
  }

  std::string HexDigest() {
    uint64_t bits = total_ * 8;
    const uint8_t one = 0x80;
    Update(&one, 1);
    const uint8_t zero = 0;
    while (used_ != 56) Update(&zero, 1);
    std::array<uint8_t, 8> length{};
    for (int i = 0; i < 8; ++i) length[static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    Update(length.data(), length.size());
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (uint32_t word : state_) {
      for (int shift = 28; shift >= 0; shift -= 4) out += kHex[(word >> shift) & 0xF];
    }
    return out;
  }

 private:
  void Compress() {
    std::array<uint32_t, 64> w{};
    for (size_t i = 0; i < 16; ++i) {
      w[i] = uint32_t{block_[4 * i]} << 24 | uint32_t{block_[4 * i + 1]} << 16 |
             uint32_t{block_[4 * i + 2]} << 8 | uint32_t{block_[4 * i + 3]};
    }
    for (size_t i = 16; i < 64; ++i) {
      uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::array<uint32_t, 8> v = state_;
    for (size_t i = 0; i < 64; ++i) {
      uint32_t s1 = Rotr(v[4], 6) ^ Rotr(v[4], 11) ^ Rotr(v[4], 25);
      uint32_t choose = (v[4] & v[5]) ^ (~v[4] & v[6]);
      uint32_t t1 = v[7] + s1 + choose + kRound[i] + w[i];
      uint32_t s0 = Rotr(v[0], 2) ^ Rotr(v[0], 13) ^ Rotr(v[0], 22);
      uint32_t majority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
      uint32_t t2 = s0 + majority;
      v = {t1 + t2, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
    }
    for (size_t i = 0; i < 8; ++i) state_[i] += v[i];
  }

  std::array<uint32_t, 8> state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                    0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::array<uint8_t, 64> block_{};
  size_t used_ = 0;
  uint64_t total_ = 0;
};

// --- the corpus on disk -------------------------------------------------------------------------

fs::path DataDir() { return fs::path(ORVANDE_SOURCE_DIR) / "tests" / "data"; }
fs::path CorpusDir() { return fs::path(ORVANDE_BINARY_DIR) / "corpus"; }

// Quotes for the shell: everything inside single quotes, quotes themselves escaped.
std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// Decompresses into a private temporary name and renames it, so parallel test processes never
// see a half-written image.
void Decompress(const fs::path& xz, const fs::path& image) {
  std::error_code error;
  fs::path partial = image;
  partial += ".partial." + std::to_string(std::random_device{}());
  std::string command = "xz -dc " + ShellQuote(xz.string()) + " > " + ShellQuote(partial.string());
  if (std::system(command.c_str()) != 0) {
    fs::remove(partial, error);
    throw std::runtime_error("cannot decompress " + xz.string() + " (is xz installed?)");
  }
  fs::rename(partial, image);
}

void DecompressIfStale(const fs::path& xz, const fs::path& image) {
  std::error_code error;
  if (fs::exists(image, error) && fs::last_write_time(image) >= fs::last_write_time(xz)) return;
  fs::create_directories(image.parent_path());
  Decompress(xz, image);
}

template <typename T>
T Get(const nlohmann::json& record, const char* key, T fallback) {
  auto found = record.find(key);
  if (found == record.end() || found->is_null()) return fallback;
  return found->get<T>();
}

CorpusEntry ParseEntry(const nlohmann::json& record) {
  CorpusEntry entry;
  entry.path = record.at("path").get<std::string>();
  entry.type = record.at("type").get<std::string>();
  entry.deleted = record.at("deleted").get<bool>();
  entry.size = record.at("size").get<uint64_t>();
  entry.sha256 = record.at("sha256").get<std::string>();
  if (record.contains("mtime") && !record.at("mtime").is_null()) {
    entry.mtime = record.at("mtime").get<int64_t>();
  }
  entry.intact = Get(record, "intact", !entry.deleted);
  entry.entryIntact = Get(record, "entry_intact", true);
  entry.notes = Get<std::string>(record, "notes", "");
  entry.longName = Get(record, "lfn", false);
  entry.firstCluster = Get<uint32_t>(record, "first_cluster", 0);
  if (record.contains("clusters")) {
    for (const auto& run : record.at("clusters")) {
      entry.clusters.emplace_back(run.at(0).get<uint32_t>(), run.at(1).get<uint32_t>());
    }
  }
  entry.firstClusterHighCleared = Get(record, "first_cluster_high_cleared", false);
  if (record.contains("mft_record")) entry.mftRecord = record.at("mft_record").get<uint64_t>();
  entry.resident = Get(record, "resident", false);
  entry.compressed = Get(record, "compressed", false);
  entry.sparse = Get(record, "sparse", false);
  entry.attributeList = Get(record, "attribute_list", false);
  entry.fragments = Get<uint32_t>(record, "fragments", 0);
  entry.raw = record;
  return entry;
}

std::unique_ptr<CorpusImage> Load(const std::string& name) {
  fs::path xz = DataDir() / (name + ".img.xz");
  fs::path manifestPath = DataDir() / (name + ".manifest.json");
  if (!fs::exists(xz) || !fs::exists(manifestPath)) {
    throw std::runtime_error("no corpus image " + name + " in " + DataDir().string());
  }
  auto image = std::make_unique<CorpusImage>();
  image->name = name;
  image->imagePath = (CorpusDir() / (name + ".img")).string();
  image->manifestPath = manifestPath.string();
  DecompressIfStale(xz, image->imagePath);

  std::ifstream in(manifestPath);
  image->manifest = nlohmann::json::parse(in);
  const nlohmann::json& manifest = image->manifest;
  image->fs = manifest.at("fs").get<std::string>();
  image->bytesPerSector = manifest.at("bytes_per_sector").get<uint32_t>();
  image->bytesPerCluster = manifest.at("bytes_per_cluster").get<uint32_t>();
  for (const auto& step : manifest.value("post_processing", nlohmann::json::array())) {
    image->postProcessing.push_back(step.get<std::string>());
  }
  for (const auto& record : manifest.at("entries")) image->entries.push_back(ParseEntry(record));
  for (const auto& record : manifest.value("orphans", nlohmann::json::array())) {
    CorpusOrphan orphan;
    orphan.path = record.at("path").get<std::string>();
    orphan.type = record.at("type").get<std::string>();
    orphan.firstCluster = record.at("first_cluster").get<uint32_t>();
    orphan.size = record.at("size").get<uint64_t>();
    orphan.sha256 = record.at("sha256").get<std::string>();
    image->orphans.push_back(orphan);
  }
  return image;
}

}  // namespace

const CorpusEntry* CorpusImage::Find(const std::string& path) const {
  for (const CorpusEntry& entry : entries) {
    if (entry.path == path) return &entry;
  }
  return nullptr;
}

std::vector<std::string> CorpusImageNames(std::string_view prefix) {
  std::vector<std::string> names;
  const std::string suffix = ".img.xz";
  std::error_code error;
  for (const auto& item : fs::directory_iterator(DataDir(), error)) {
    std::string file = item.path().filename().string();
    if (file.size() > suffix.size() && file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        file.compare(0, prefix.size(), prefix) == 0) {
      names.push_back(file.substr(0, file.size() - suffix.size()));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

const CorpusImage& LoadCorpusImage(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<CorpusImage>> loaded;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = loaded.find(name);
  if (found == loaded.end()) found = loaded.emplace(name, Load(name)).first;
  return *found->second;
}

std::string UnpackSampleVolume(const std::filesystem::path& folder) {
  const fs::path image = folder / "sample-fat16.img";
  Decompress(fs::path(ORVANDE_SOURCE_DIR) / "samples" / "sample-fat16.img.xz", image);
  return image.string();
}

std::string Sha256Hex(const void* data, size_t size) {
  Sha256 hash;
  hash.Update(static_cast<const uint8_t*>(data), size);
  return hash.HexDigest();
}

std::string Sha256Hex(const std::vector<uint8_t>& bytes) { return Sha256Hex(bytes.data(), bytes.size()); }

std::string Sha256Hex(const std::string& bytes) { return Sha256Hex(bytes.data(), bytes.size()); }

std::string Sha256OfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  Sha256 hash;
  std::vector<char> buffer(1 << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    hash.Update(reinterpret_cast<const uint8_t*>(buffer.data()), static_cast<size_t>(in.gcount()));
  }
  return hash.HexDigest();
}

}  // namespace orvande::test
