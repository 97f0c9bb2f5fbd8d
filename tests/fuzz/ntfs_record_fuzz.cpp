// Feeds arbitrary bytes to the record reader as MFT record 1 of a small volume (and as the data
// clusters its runs may name): reading it through the table and directly, walking and finding its
// attributes, sizing them, and reading every $DATA and the attribute list must end cleanly.
// Contradictions the reading steps do not check for end in RecordFault, which is caught.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ntfs/mft_own_record.h"
#include "ntfs/record_fault.h"
#include "ntfs_fuzz_volume.h"
#include "support/operation_log.h"

namespace {

using namespace orvande;

// Values read from the fuzzer's bytes are bounded so that one input stays fast.
constexpr uint64_t kMaxRead = 64 * 1024;

void ReadEverything(MftRecord& record, OperationLog& log) {
  std::vector<uint8_t> buffer;
  record.ForEachAttribute([&](const Attribute& attribute) {
    uint64_t dataSize = 0, allocated = 0;
    if (!MftRecord::AttributeSizes(attribute, &dataSize, &allocated)) return true;
    buffer.resize(static_cast<size_t>(std::min(dataSize, kMaxRead)));
    uint64_t got = 0;
    record.ReadAttribute(attribute, buffer.data(), 0, buffer.size(), &got, &log);
    if (attribute.NonResident()) {
      VcnMapping mapping;
      for (uint64_t vcn = 0; vcn < 64; vcn += 7) record.MapVcn(attribute, vcn, &mapping, true);
    }
    return true;
  });
  uint64_t dataSize = 0, allocated = 0;
  if (record.GetAttributeSize(kAttrData, AttributeName::None(), &dataSize, &allocated)) {
    buffer.resize(static_cast<size_t>(std::min(dataSize, kMaxRead)));
    uint64_t got = 0;
    record.ReadStream(kAttrData, AttributeName::None(), buffer.data(), 0, buffer.size(), &got,
                      &log);
  }
  record.IsExtension();
  record.Flags();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IsMftOwnRecord(data, size);
  // One image for every input: a fresh allocation of its size per input costs more than the run.
  static std::vector<uint8_t> image;
  fuzz::MakeImageIn(image, data, size);
  std::unique_ptr<NtfsAnalyzer> analyzer = fuzz::OpenImage(image);
  if (!analyzer) return 0;
  OperationLog log;
  MftRecord record(analyzer.get());
  try {
    if (IsSuccess(record.ReadFromMft(analyzer->MftTable(), 1024, nullptr, &log)))
      ReadEverything(record, log);
  } catch (const RecordFault&) {
  }
  try {
    const uint64_t at = fuzz::kMftCluster * fuzz::kClusterBytes + 1024;
    if (IsSuccess(record.ReadDirect(at, nullptr, true, &log))) ReadEverything(record, log);
  } catch (const RecordFault&) {
  }
  return 0;
}
