// Feeds arbitrary bytes to the whole NTFS analysis of a small volume: the input may set the boot
// sector's geometry fields, and it is the MFT's records from record 7 on, the data clusters after
// the table and the cluster bitmap, under a root folder (record 5) and a $Bitmap record (6)
// made here. BuildTree (the walk with names, parents and placeholders, the bitmap for both
// analyzers, the search for lost records in free clusters, nameless records) and the reader's
// probability for every file listed must end cleanly whatever the bytes are.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "ntfs_fuzz_volume.h"
#include "support/operation_log.h"

namespace {

using namespace orvande;

constexpr uint64_t kBitmapCluster = 39;
constexpr size_t kFirstInputRecord = 7;
constexpr size_t kRecordBytes = 1024;

// A record with an update sequence, one $FILE_NAME (name in the root) and optionally a
// non-resident $DATA of one cluster.
void PutSystemRecord(std::vector<uint8_t>& image, size_t number, const char16_t* name,
                     bool directory, uint64_t dataCluster) {
  const size_t r = fuzz::kMftCluster * fuzz::kClusterBytes + number * kRecordBytes;
  std::memcpy(&image[r], "FILE", 4);
  fuzz::Put(image, r + 4, 0x30, 2);
  fuzz::Put(image, r + 6, 3, 2);
  fuzz::Put(image, r + 20, 0x38, 2);
  fuzz::Put(image, r + 22, directory ? 3 : 1, 2);
  fuzz::Put(image, r + 28, kRecordBytes, 4);
  size_t a = r + 0x38;
  const size_t units = std::char_traits<char16_t>::length(name);
  const size_t valueLength = 66 + 2 * units;
  const size_t nameLength = (24 + valueLength + 7) / 8 * 8;
  fuzz::Put(image, a, 0x30, 4);
  fuzz::Put(image, a + 4, nameLength, 4);
  fuzz::Put(image, a + 16, valueLength, 4);
  fuzz::Put(image, a + 20, 24, 2);
  const size_t value = a + 24;
  fuzz::Put(image, value, 5 | (uint64_t{5} << 48), 8);
  fuzz::Put(image, value + 56, directory ? 0x10000000 : 0, 4);
  fuzz::Put(image, value + 64, units, 1);
  fuzz::Put(image, value + 65, 1, 1);
  for (size_t i = 0; i < units; ++i) fuzz::Put(image, value + 66 + 2 * i, name[i], 2);
  a += nameLength;
  if (dataCluster != 0) {
    fuzz::Put(image, a, 0x80, 4);
    fuzz::Put(image, a + 4, 72, 4);
    fuzz::Put(image, a + 8, 1, 1);
    fuzz::Put(image, a + 32, 64, 2);
    fuzz::Put(image, a + 40, fuzz::kClusterBytes, 8);
    fuzz::Put(image, a + 48, fuzz::kVolumeClusters / 8, 8);
    const uint8_t runs[] = {0x11, 1, static_cast<uint8_t>(dataCluster), 0};
    std::memcpy(&image[a + 64], runs, sizeof runs);
    a += 72;
  }
  fuzz::Put(image, a, 0xFFFFFFFF, 4);
  fuzz::Put(image, r + 24, a + 8 - r, 4);
}

void MakeTreeImage(std::vector<uint8_t>& image, const uint8_t* data, size_t size) {
  // The first byte, when odd, lets the next 20 bytes set the geometry fields.
  const uint8_t mode = size > 0 ? data[0] : 0;
  std::vector<uint8_t> geometry;
  if (size > 0) ++data, --size;
  if ((mode & 1) != 0 && size >= 20) {
    geometry.assign(data, data + 20);
    data += 20;
    size -= 20;
  }
  const uint8_t nothing = 0;
  fuzz::MakeImageIn(image, &nothing, 0);
  if (!geometry.empty()) {
    std::memcpy(&image[11], &geometry[0], 3);     // bytes per sector, sectors per cluster
    std::memcpy(&image[0x28], &geometry[4], 16);  // total sectors, MFT cluster
  }
  PutSystemRecord(image, 5, u".", true, 0);
  PutSystemRecord(image, 6, u"$Bitmap", false, kBitmapCluster);
  const size_t records = fuzz::kMftCluster * fuzz::kClusterBytes + kFirstInputRecord * kRecordBytes;
  const size_t tableEnd = (fuzz::kMftCluster + 16) * fuzz::kClusterBytes;
  std::memcpy(&image[records], data, std::min(size, tableEnd - records));
  const size_t dataAt = fuzz::kDataCluster * fuzz::kClusterBytes;
  std::memcpy(&image[dataAt], data, std::min(size, image.size() - dataAt));
  // The bitmap: clusters up to the table's end used, the rest as the input's last bytes say.
  std::vector<uint8_t> bitmap(fuzz::kVolumeClusters / 8, 0);
  std::fill_n(bitmap.begin(), 4, 0xFF);
  const size_t tail = std::min(size, bitmap.size() - 4);
  std::memcpy(bitmap.data() + 4, data + size - tail, tail);
  std::memcpy(&image[kBitmapCluster * fuzz::kClusterBytes], bitmap.data(), bitmap.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Both analyzers read the one image, as the analyzing and the reader instance do.
  static std::vector<uint8_t> image;
  MakeTreeImage(image, data, size);
  auto* device = new fuzz::FuzzDevice(std::span<const uint8_t>(image));
  auto analyzer = std::make_unique<NtfsAnalyzer>();
  auto reader = std::make_unique<NtfsAnalyzer>();
  const bool opened = analyzer->Open(device, true, nullptr) && reader->Open(device, true, nullptr);
  device->Release();
  if (!opened) return 0;
  ItemStore store;
  FolderTree tree;
  ReadWriteLock lock(true);
  ShownNode shown{kNoNode};
  StopFlag stop{0};
  BuildTreeContext context{&stop, nullptr, store, tree, &shown, lock, nullptr, reader.get()};
  OperationLog log;
  analyzer->BuildTree(context, &log);
  store.ForEach([&](uint32_t, FolderItem* folder) {
    for (const FileRecord& file : folder->Files()) {
      ItemLocation location = file.location;
      reader->GetRecoveryProbability(location, file.size, &log);
    }
  });
  store.Clear();
  return 0;
}
