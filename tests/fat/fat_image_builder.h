#pragma once
// Builds small FAT volume images from bytes for the analyzer's tests: a boot sector, the first
// FAT, directory entries and long-name pieces, written into an in-memory image.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvande::test {

using EntryBytes = std::array<uint8_t, 32>;

struct FatLayout {
  uint32_t bytesPerSector = 512;
  uint32_t sectorsPerCluster = 1;
  uint32_t reservedSectors = 1;
  uint32_t numberOfFats = 2;
  uint32_t rootEntries = 224;      // 0 for FAT32
  uint32_t totalSectors = 2880;
  uint32_t sectorsPerFat = 9;
  bool fat32Fields = false;        // sectors per FAT and the root cluster in the FAT32 fields
  uint32_t rootCluster = 2;
  uint32_t width = 12;             // how the builder writes FAT entries
  // Bytes actually allocated (0: the whole volume).
  uint64_t imageBytes = 0;

  // The 1.44 MB diskette (FAT12, 224 root entries).
  static FatLayout Diskette() { return {}; }
  // A FAT16 volume of 8192 sectors with 1-sector clusters.
  static FatLayout SmallFat16();
  // A FAT32 volume of 70000 one-sector clusters, root at cluster 2.
  static FatLayout SmallFat32();
};

class FatImageBuilder {
 public:
  explicit FatImageBuilder(const FatLayout& layout);

  std::vector<uint8_t>& Bytes() { return bytes_; }
  const FatLayout& Layout() const { return layout_; }

  uint64_t FirstFatSector() const { return layout_.reservedSectors; }
  uint64_t RootDirSector() const;
  uint64_t FirstDataSector() const;
  uint64_t ClusterOffset(uint32_t cluster) const;
  uint64_t RootDirOffset() const { return RootDirSector() * layout_.bytesPerSector; }
  uint32_t ClusterBytes() const { return layout_.bytesPerSector * layout_.sectorsPerCluster; }

  // Writes a FAT entry of the layout's width into the first FAT.
  void SetFat(uint32_t cluster, uint32_t value);
  // Copies the first FAT over the later ones, as a file system keeps them.
  void CopyFirstFat();
  // Links the clusters in order and ends the chain.
  void Chain(const std::vector<uint32_t>& clusters);
  void Put(uint64_t offset, const void* data, size_t size);
  void PutEntry(uint64_t offset, const EntryBytes& entry) { Put(offset, entry.data(), entry.size()); }

 private:
  FatLayout layout_;
  std::vector<uint8_t> bytes_;
};

// Appends entries one after another from a start offset.
class DirectoryWriter {
 public:
  DirectoryWriter(FatImageBuilder& image, uint64_t offset) : image_(image), offset_(offset) {}
  DirectoryWriter& Add(const EntryBytes& entry);
  DirectoryWriter& Add(const std::vector<EntryBytes>& entries);
  uint64_t Offset() const { return offset_; }

 private:
  FatImageBuilder& image_;
  uint64_t offset_;
};

struct ShortEntryFields {
  std::string name83 = "FILE    TXT";  // 11 bytes as stored
  uint8_t attributes = 0x20;
  uint32_t firstCluster = 0;
  uint32_t size = 0;
  uint8_t createTenths = 0;
  uint16_t createTime = 0;
  uint16_t createDate = 0;
  uint16_t writeTime = 0;
  uint16_t writeDate = 0;
};

EntryBytes ShortEntry(const ShortEntryFields& fields);
EntryBytes FileEntry(const std::string& name83, uint32_t firstCluster, uint32_t size);
EntryBytes DirEntryBytes(const std::string& name83, uint32_t firstCluster);
// Marks an entry deleted (first byte 0xE5).
EntryBytes Deleted(EntryBytes entry);

uint8_t Checksum83(const std::string& name83);
// The long-name pieces of a name in disk order (last piece first), live, for the short name's
// checksum. Units beyond the name are a 0 terminator then 0xFFFF padding.
std::vector<EntryBytes> LongNamePieces(const std::u16string& name, uint8_t checksum);
std::vector<EntryBytes> DeletedPieces(std::vector<EntryBytes> pieces);

uint16_t DosDate(int year, int month, int day);
uint16_t DosTime(int hour, int minute, int second);

}  // namespace orvande::test
