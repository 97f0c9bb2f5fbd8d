// Length rules of the archive and document containers: ZIP (and the office formats built on it),
// compound files and 7z.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "crc32.h"
#include "length_rules.h"
#include "support/le_reader.h"

namespace typeprobe {
namespace {

using orvande::LeReader;

// ZIP local file header.
constexpr uint32_t kZipLocalSignature = 0x04034B50;
constexpr size_t kZipLocalHeaderSize = 30;
constexpr size_t kZipLocalFlagsOffset = 6;            // u16
constexpr size_t kZipLocalCompressedSizeOffset = 18;  // u32
constexpr size_t kZipLocalNameLengthOffset = 26;      // u16
constexpr size_t kZipLocalExtraLengthOffset = 28;     // u16
constexpr uint16_t kZipFlagDataDescriptor = 0x0008;
constexpr uint32_t kZip64Marker = 0xFFFFFFFF;
constexpr uint32_t kZipMaxLocalEntries = 1u << 20;

// ZIP end of central directory record.
constexpr size_t kZipEndSize = 22;
constexpr size_t kZipEndDiskOffset = 4;              // u16
constexpr size_t kZipEndDirectoryDiskOffset = 6;     // u16
constexpr size_t kZipEndEntriesOnDiskOffset = 8;     // u16
constexpr size_t kZipEndEntriesOffset = 10;          // u16
constexpr size_t kZipEndDirectorySizeOffset = 12;    // u32
constexpr size_t kZipEndDirectoryOffsetOffset = 16;  // u32
constexpr size_t kZipEndCommentLengthOffset = 20;    // u16
constexpr std::array<uint8_t, 4> kZipEndSignature = {'P', 'K', 0x05, 0x06};

// Follows local headers whose sizes are known, so that the search for the end record starts
// near the central directory. Stops where that no longer works; the search validates anyway.
void SkipZipLocalEntries(StreamCursor& in) {
  for (uint32_t entry = 0; entry < kZipMaxLocalEntries; ++entry) {
    const uint64_t start = in.Position();
    if (!in.Ensure(kZipLocalHeaderSize)) return;
    const LeReader header(in.Available().first(kZipLocalHeaderSize));
    if (header.U32(0) != kZipLocalSignature) return;
    const uint32_t compressed = header.U32(kZipLocalCompressedSizeOffset);
    if ((header.U16(kZipLocalFlagsOffset) & kZipFlagDataDescriptor) != 0 ||
        compressed == kZip64Marker) {
      return;
    }
    const uint64_t next = start + kZipLocalHeaderSize + header.U16(kZipLocalNameLengthOffset) +
                          header.U16(kZipLocalExtraLengthOffset) + uint64_t{compressed};
    if (!in.SeekTo(next)) {
      in.SeekTo(start);
      return;
    }
  }
}

// The end record that closes this archive: its central directory must end right where the
// record starts, measured from the archive's first byte. Records of archives stored inside the
// archive fail that test.
uint64_t ZipEndOfArchive(const LeReader& end, uint64_t endOffset) {
  if (end.U16(kZipEndDiskOffset) != 0 || end.U16(kZipEndDirectoryDiskOffset) != 0 ||
      end.U16(kZipEndEntriesOnDiskOffset) != end.U16(kZipEndEntriesOffset)) {
    return 0;
  }
  const uint64_t directoryEnd =
      uint64_t{end.U32(kZipEndDirectoryOffsetOffset)} + end.U32(kZipEndDirectorySizeOffset);
  if (directoryEnd != endOffset) return 0;
  return endOffset + kZipEndSize + end.U16(kZipEndCommentLengthOffset);
}

// Compound file header.
constexpr size_t kCfbHeaderSize = 512;
constexpr size_t kCfbSectorShiftOffset = 0x1E;   // u16
constexpr size_t kCfbFatSectorsOffset = 0x2C;    // u32
constexpr size_t kCfbFirstDifatOffset = 0x44;    // u32
constexpr size_t kCfbDifatSectorsOffset = 0x48;  // u32
constexpr size_t kCfbHeaderDifatOffset = 0x4C;   // 109 x u32
constexpr uint32_t kCfbHeaderDifatEntries = 109;
constexpr uint32_t kCfbFreeSector = 0xFFFFFFFF;
constexpr uint32_t kCfbMaxRegularSector = 0xFFFFFFFA;

uint64_t CfbSectorOffset(uint32_t sector, uint32_t shift) {
  return (uint64_t{sector} + 1) << shift;
}

// The sectors that hold the allocation table: the header's list, then the chained list sectors.
// Empty when the lists are damaged.
std::vector<uint32_t> CfbFatSectors(StreamCursor& in, const LeReader& header, uint32_t shift,
                                    uint32_t* highestListSector) {
  const uint32_t fatCount = header.U32(kCfbFatSectorsOffset);
  const uint32_t sectorSize = 1u << shift;
  const uint32_t perSector = sectorSize / 4;
  // The table cannot describe more sectors than fit below the cursor's limit.
  if (fatCount == 0 || uint64_t{fatCount} > (in.Limit() >> shift) / perSector + 1) return {};
  std::vector<uint32_t> sectors;
  sectors.reserve(fatCount);
  for (uint32_t i = 0; i < kCfbHeaderDifatEntries && sectors.size() < fatCount; ++i) {
    sectors.push_back(header.U32(kCfbHeaderDifatOffset + 4 * size_t{i}));
  }
  uint32_t next = header.U32(kCfbFirstDifatOffset);
  const uint32_t listCount = header.U32(kCfbDifatSectorsOffset);
  std::vector<uint8_t> listSector(sectorSize);
  // Each list sector adds perSector - 1 entries: fatCount bounds the chain.
  for (uint32_t list = 0; list < listCount && sectors.size() < fatCount; ++list) {
    if (next >= kCfbMaxRegularSector || !in.SeekTo(CfbSectorOffset(next, shift)) ||
        !in.ReadBytes(listSector.data(), sectorSize)) {
      return {};
    }
    *highestListSector = std::max(*highestListSector, next);
    const LeReader entries(listSector);
    for (uint32_t i = 0; i + 1 < perSector && sectors.size() < fatCount; ++i) {
      sectors.push_back(entries.U32(4 * size_t{i}));
    }
    next = entries.U32(sectorSize - 4);
  }
  if (sectors.size() < fatCount) return {};
  for (uint32_t sector : sectors) {
    if (sector >= kCfbMaxRegularSector) return {};
  }
  return sectors;
}

// 7z signature header.
constexpr size_t kSevenZipHeaderSize = 32;
constexpr size_t kSevenZipStartCrcOffset = 8;     // u32, over bytes 12..31
constexpr size_t kSevenZipNextOffsetOffset = 12;  // u64, from the end of this header
constexpr size_t kSevenZipNextSizeOffset = 20;    // u64
constexpr std::array<uint8_t, 6> kSevenZipSignature = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};

}  // namespace

uint64_t ZipLength(StreamCursor& in) {
  SkipZipLocalEntries(in);
  // Each failed candidate moves the search on by a byte: the cursor's limit bounds it.
  while (in.FindNext(kZipEndSignature)) {
    const uint64_t endOffset = in.Position();
    uint8_t record[kZipEndSize] = {};
    if (!in.ReadBytes(record, kZipEndSize)) return 0;
    const uint64_t length = ZipEndOfArchive(LeReader(record, kZipEndSize), endOffset);
    if (length != 0) return length <= in.Limit() ? length : 0;
    in.SeekTo(endOffset + 1);
  }
  return 0;
}

uint64_t CompoundFileLength(StreamCursor& in) {
  uint8_t headerBytes[kCfbHeaderSize] = {};
  if (!in.ReadBytes(headerBytes, kCfbHeaderSize) ||
      std::memcmp(headerBytes, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0) {
    return 0;
  }
  const LeReader header(headerBytes, kCfbHeaderSize);
  const uint32_t shift = header.U16(kCfbSectorShiftOffset);
  if (shift != 9 && shift != 12) return 0;
  uint32_t highest = 0;
  const std::vector<uint32_t> fatSectors = CfbFatSectors(in, header, shift, &highest);
  if (fatSectors.empty()) return 0;
  const uint32_t sectorSize = 1u << shift;
  const uint32_t perSector = sectorSize / 4;
  std::vector<uint8_t> fatBytes(sectorSize);
  // The file ends after the highest sector that the allocation table does not mark free.
  for (size_t index = 0; index < fatSectors.size(); ++index) {
    const uint32_t sector = fatSectors[index];
    highest = std::max(highest, sector);
    if (!in.SeekTo(CfbSectorOffset(sector, shift)) || !in.ReadBytes(fatBytes.data(), sectorSize)) {
      return 0;
    }
    const LeReader entries(fatBytes);
    for (uint32_t i = perSector; i-- > 0;) {
      if (entries.U32(4 * size_t{i}) != kCfbFreeSector) {
        const uint64_t used = uint64_t{index} * perSector + i;
        if (used < kCfbMaxRegularSector) highest = std::max(highest, static_cast<uint32_t>(used));
        break;
      }
    }
  }
  const uint64_t length = CfbSectorOffset(highest, shift) + sectorSize;
  return length <= in.Limit() ? length : 0;
}

uint64_t SevenZipLength(StreamCursor& in) {
  uint8_t header[kSevenZipHeaderSize] = {};
  if (!in.ReadBytes(header, kSevenZipHeaderSize) ||
      std::memcmp(header, kSevenZipSignature.data(), kSevenZipSignature.size()) != 0) {
    return 0;
  }
  const LeReader fields(header, kSevenZipHeaderSize);
  const uint32_t crc =
      Crc32(header + kSevenZipNextOffsetOffset, kSevenZipHeaderSize - kSevenZipNextOffsetOffset);
  if (crc != fields.U32(kSevenZipStartCrcOffset)) return 0;
  const uint64_t nextOffset = fields.U64(kSevenZipNextOffsetOffset);
  const uint64_t nextSize = fields.U64(kSevenZipNextSizeOffset);
  const uint64_t limit = in.Limit();
  if (nextOffset > limit || nextSize > limit ||
      kSevenZipHeaderSize + nextOffset + nextSize > limit) {
    return 0;
  }
  return kSevenZipHeaderSize + nextOffset + nextSize;
}

}  // namespace typeprobe
