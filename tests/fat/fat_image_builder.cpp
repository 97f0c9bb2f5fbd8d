#include "fat/fat_image_builder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "support/le_reader.h"

namespace orvande::test {

FatLayout FatLayout::SmallFat16() {
  FatLayout layout;
  layout.totalSectors = 8192;
  layout.rootEntries = 512;
  layout.sectorsPerFat = 32;
  layout.width = 16;
  return layout;
}

FatLayout FatLayout::SmallFat32() {
  FatLayout layout;
  layout.reservedSectors = 32;
  layout.rootEntries = 0;
  layout.sectorsPerFat = 560;  // 70000 entries of 4 bytes
  layout.totalSectors = 32 + 2 * 560 + 70000;
  layout.fat32Fields = true;
  layout.width = 32;
  return layout;
}

FatImageBuilder::FatImageBuilder(const FatLayout& layout) : layout_(layout) {
  const uint64_t volumeBytes = uint64_t{layout.totalSectors} * layout.bytesPerSector;
  bytes_.assign(layout.imageBytes != 0 ? layout.imageBytes : volumeBytes, 0);
  std::vector<uint8_t> boot(512, 0);
  std::span<uint8_t> b(boot);
  boot[0] = 0xEB;
  boot[1] = 0x3C;
  boot[2] = 0x90;
  std::memcpy(boot.data() + 3, "MSWIN4.1", 8);
  StoreLe(b, 11, layout.bytesPerSector, 2);
  StoreLe(b, 13, layout.sectorsPerCluster, 1);
  StoreLe(b, 14, layout.reservedSectors, 2);
  StoreLe(b, 16, layout.numberOfFats, 1);
  StoreLe(b, 17, layout.rootEntries, 2);
  if (layout.totalSectors < 0x10000 && !layout.fat32Fields) {
    StoreLe(b, 19, layout.totalSectors, 2);
  } else {
    StoreLe(b, 32, layout.totalSectors, 4);
  }
  boot[21] = 0xF8;
  if (layout.fat32Fields) {
    StoreLe(b, 36, layout.sectorsPerFat, 4);
    StoreLe(b, 44, layout.rootCluster, 4);
    std::memcpy(boot.data() + 82, "FAT32   ", 8);
  } else {
    StoreLe(b, 22, layout.sectorsPerFat, 2);
    std::memcpy(boot.data() + 54, layout.width == 12 ? "FAT12   " : "FAT16   ", 8);
  }
  boot[510] = 0x55;
  boot[511] = 0xAA;
  Put(0, boot.data(), std::min<size_t>(boot.size(), bytes_.size()));
  // The media entries of clusters 0 and 1.
  SetFat(0, layout.width == 32 ? 0x0FFFFFF8 : layout.width == 16 ? 0xFFF8 : 0xFF8);
  SetFat(1, layout.width == 32 ? 0x0FFFFFFF : layout.width == 16 ? 0xFFFF : 0xFFF);
}

uint64_t FatImageBuilder::RootDirSector() const {
  return uint64_t{layout_.reservedSectors} + uint64_t{layout_.numberOfFats} * layout_.sectorsPerFat;
}

uint64_t FatImageBuilder::FirstDataSector() const {
  const uint64_t rootSectors =
      (uint64_t{layout_.rootEntries} * 32 + layout_.bytesPerSector - 1) / layout_.bytesPerSector;
  return RootDirSector() + rootSectors;
}

uint64_t FatImageBuilder::ClusterOffset(uint32_t cluster) const {
  return (FirstDataSector() + uint64_t{cluster - 2} * layout_.sectorsPerCluster) *
         layout_.bytesPerSector;
}

void FatImageBuilder::Put(uint64_t offset, const void* data, size_t size) {
  if (offset + size > bytes_.size()) throw std::out_of_range("image too small");
  std::memcpy(bytes_.data() + offset, data, size);
}

void FatImageBuilder::SetFat(uint32_t cluster, uint32_t value) {
  const uint64_t base = FirstFatSector() * layout_.bytesPerSector;
  std::span<uint8_t> image(bytes_);
  if (layout_.width == 12) {
    const uint64_t at = base + cluster + cluster / 2;
    uint16_t word = static_cast<uint16_t>(LeReader(image).U16(at));
    if (cluster & 1) {
      word = static_cast<uint16_t>((word & 0x000F) | ((value & 0xFFF) << 4));
    } else {
      word = static_cast<uint16_t>((word & 0xF000) | (value & 0xFFF));
    }
    StoreLe(image, at, word, 2);
  } else if (layout_.width == 16) {
    StoreLe(image, base + uint64_t{cluster} * 2, value & 0xFFFF, 2);
  } else {
    StoreLe(image, base + uint64_t{cluster} * 4, value, 4);
  }
}

void FatImageBuilder::CopyFirstFat() {
  const uint64_t fatBytes = uint64_t{layout_.sectorsPerFat} * layout_.bytesPerSector;
  const uint64_t base = FirstFatSector() * layout_.bytesPerSector;
  for (uint32_t copy = 1; copy < layout_.numberOfFats; ++copy)
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(base),
                static_cast<std::ptrdiff_t>(fatBytes),
                bytes_.begin() + static_cast<std::ptrdiff_t>(base + copy * fatBytes));
}

void FatImageBuilder::Chain(const std::vector<uint32_t>& clusters) {
  const uint32_t end = layout_.width == 32 ? 0x0FFFFFFF : layout_.width == 16 ? 0xFFFF : 0xFFF;
  for (size_t i = 0; i < clusters.size(); ++i)
    SetFat(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : end);
}

DirectoryWriter& DirectoryWriter::Add(const EntryBytes& entry) {
  image_.PutEntry(offset_, entry);
  offset_ += entry.size();
  return *this;
}

DirectoryWriter& DirectoryWriter::Add(const std::vector<EntryBytes>& entries) {
  for (const EntryBytes& entry : entries) Add(entry);
  return *this;
}

EntryBytes ShortEntry(const ShortEntryFields& fields) {
  EntryBytes e{};
  std::span<uint8_t> s(e);
  std::string name = fields.name83;
  name.resize(11, ' ');
  std::memcpy(e.data(), name.data(), 11);
  e[11] = fields.attributes;
  e[13] = fields.createTenths;
  StoreLe(s, 14, fields.createTime, 2);
  StoreLe(s, 16, fields.createDate, 2);
  StoreLe(s, 20, fields.firstCluster >> 16, 2);
  StoreLe(s, 22, fields.writeTime, 2);
  StoreLe(s, 24, fields.writeDate, 2);
  StoreLe(s, 26, fields.firstCluster & 0xFFFF, 2);
  StoreLe(s, 28, fields.size, 4);
  return e;
}

EntryBytes FileEntry(const std::string& name83, uint32_t firstCluster, uint32_t size) {
  ShortEntryFields fields;
  fields.name83 = name83;
  fields.firstCluster = firstCluster;
  fields.size = size;
  fields.writeDate = DosDate(2020, 5, 17);
  fields.writeTime = DosTime(10, 20, 30);
  fields.createDate = DosDate(2019, 1, 2);
  fields.createTime = DosTime(3, 4, 6);
  return ShortEntry(fields);
}

EntryBytes DirEntryBytes(const std::string& name83, uint32_t firstCluster) {
  ShortEntryFields fields;
  fields.name83 = name83;
  fields.attributes = 0x10;
  fields.firstCluster = firstCluster;
  fields.writeDate = DosDate(2021, 2, 3);
  return ShortEntry(fields);
}

EntryBytes Deleted(EntryBytes entry) {
  entry[0] = 0xE5;
  return entry;
}

uint8_t Checksum83(const std::string& name83) {
  std::string name = name83;
  name.resize(11, ' ');
  uint8_t sum = 0;
  for (char c : name) sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<uint8_t>(c));
  return sum;
}

std::vector<EntryBytes> LongNamePieces(const std::u16string& name, uint8_t checksum) {
  const size_t pieces = (name.size() + 12) / 13;
  std::vector<char16_t> units(pieces * 13, 0xFFFF);
  std::copy(name.begin(), name.end(), units.begin());
  if (name.size() < units.size()) units[name.size()] = 0;
  std::vector<EntryBytes> out;
  for (size_t p = pieces; p-- > 0;) {
    EntryBytes e{};
    std::span<uint8_t> s(e);
    e[0] = static_cast<uint8_t>((p + 1) | (p + 1 == pieces ? 0x40 : 0));
    e[11] = 0x0F;
    e[13] = checksum;
    const char16_t* u = units.data() + p * 13;
    for (int i = 0; i < 5; ++i) StoreLe(s, 1 + 2 * i, u[i], 2);
    for (int i = 0; i < 6; ++i) StoreLe(s, 14 + 2 * i, u[5 + i], 2);
    for (int i = 0; i < 2; ++i) StoreLe(s, 28 + 2 * i, u[11 + i], 2);
    out.push_back(e);
  }
  return out;
}

std::vector<EntryBytes> DeletedPieces(std::vector<EntryBytes> pieces) {
  for (EntryBytes& piece : pieces) piece[0] = 0xE5;
  return pieces;
}

uint16_t DosDate(int year, int month, int day) {
  return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

uint16_t DosTime(int hour, int minute, int second) {
  return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

}  // namespace orvande::test
