#pragma once
// One folder or file of an analysed volume as the listing exports (body file, DFXML) see it.
// A plain value; not thread-safe.
#include <cstdint>
#include <string>
#include <vector>

namespace orvande {

// Bytes of a file's data where they lie in the image: file bytes [fileOffset, fileOffset + length)
// are image bytes [imageOffset, imageOffset + length).
struct ExportByteRun {
  uint64_t fileOffset = 0;
  uint64_t imageOffset = 0;
  uint64_t length = 0;
  bool operator==(const ExportByteRun&) const = default;
};

struct ExportItem {
  std::string path;  // from the volume root, names joined by '/', no leading '/'
  bool folder = false;
  uint32_t id = 0;
  bool deleted = false;
  uint64_t size = 0;
  uint64_t created = 0;  // 100 ns units since 1601-01-01 UTC; 0 when unknown
  uint64_t modified = 0;
  bool runsKnown = false;  // whether `runs` tells where the data lies (empty: no data)
  std::vector<ExportByteRun> runs;
};

// 100 ns units since 1601 as Unix seconds; 0 for unknown and for times before 1970.
int64_t ExportUnixSeconds(uint64_t fileTime);

}  // namespace orvande
