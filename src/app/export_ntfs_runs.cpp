#include "app/export_ntfs_runs.h"

#include <new>
#include <optional>

#include "core/item_location.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_layout.h"
#include "ntfs/record_fault.h"
#include "ntfs/update_sequence.h"
#include "support/le_reader.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

// The volume byte of a byte of the record: a record of kind 0 lies at a volume offset, one of
// kind 1 at a position of the MFT, placed through the MFT's own runs.
std::optional<uint64_t> RecordByteOnVolume(NtfsAnalyzer& ntfs, const ItemLocation& location,
                                           uint64_t inRecord) {
  const uint64_t at = location.Position() + inRecord;
  if (location.Kind() == 0) return at;
  const uint64_t clusterBytes = ntfs.BytesPerCluster();
  VcnMapping mapping;
  if (clusterBytes == 0 ||
      !ntfs.MftTable().MapVcnByName(kAttrData, AttributeName::None(), at / clusterBytes, &mapping,
                                    false) ||
      mapping.lcn < 0 || mapping.sparse || mapping.compressed)
    return std::nullopt;
  return uint64_t(mapping.lcn) * clusterBytes + at % clusterBytes;
}

// A resident value: its bytes in record order, each block's last two taken from the word of the
// update sequence array that holds them on the volume.
bool ResidentRuns(NtfsAnalyzer& ntfs, const ItemLocation& location, const MftRecord& record,
                  const Attribute& data, RunCollector& collector) {
  if (!data.HeaderFits(attribute_header::kResidentHeaderSize)) return false;
  const LeReader header(record.Bytes());
  const uint64_t usaOffset = header.U16(record_header::kUsaOffsetOffset);
  const uint32_t words = header.U16(record_header::kUsaCountOffset);
  const uint64_t stride = UpdateSequenceStride(record.RecordSize(), ntfs.BytesPerSector(), words);
  if (words < 2 || stride < 2) return false;
  const uint64_t start = uint64_t{data.Offset()} + data.ValueOffset();
  const uint64_t end = start + data.ValueLength();
  if (end > record.RecordSize()) return false;
  for (uint64_t at = start; at < end && !collector.Full();) {
    const uint64_t block = at / stride;
    const uint64_t protectedStart = (block + 1) * stride - 2;
    uint64_t source = at;
    uint64_t length = std::min(end, protectedStart) - at;
    if (at >= protectedStart) {
      if (block + 1 >= words) return false;
      source = usaOffset + 2 * (block + 1) + (at - protectedStart);
      length = 1;
    }
    // A piece never crosses a block, so it lies within one cluster of the MFT.
    const std::optional<uint64_t> volumeByte = RecordByteOnVolume(ntfs, location, source);
    if (!volumeByte) return false;
    collector.Add(*volumeByte, length);
    at += length;
  }
  return true;
}

// Non-resident data, mapped VCN by VCN as its reading does, through the attribute list too.
void ClusterRuns(const NtfsAnalyzer& ntfs, const MftRecord& record, RunCollector& collector) {
  const uint64_t clusterBytes = ntfs.BytesPerCluster();
  if (clusterBytes == 0) return;
  for (uint64_t vcn = 0; !collector.Full();) {
    VcnMapping mapping;
    if (!record.MapVcnByName(kAttrData, AttributeName::None(), vcn, &mapping, false)) return;
    const uint64_t clusters = std::max<uint64_t>(mapping.alike, 1);
    const uint64_t bytes = clusters * clusterBytes;
    if (mapping.compressed || mapping.sparse || mapping.lcn < 0) {
      collector.Skip(bytes);
    } else {
      collector.Add(uint64_t(mapping.lcn) * clusterBytes, bytes);
    }
    vcn += clusters;
  }
}

bool RecordRuns(NtfsAnalyzer& ntfs, const ItemLocation& location, RunCollector& collector) {
  MftRecord record(&ntfs);
  uint64_t next = 0;
  const uint32_t status =
      location.Kind() == 1 ? record.ReadFromMft(ntfs.MftTable(), location.Position(), &next, nullptr)
                           : record.ReadDirect(location.Position(), &next, true, nullptr);
  if (!IsSuccess(status) || !record.HasBuffer()) return false;
  const std::optional<Attribute> data = record.FindAttribute(kAttrData, AttributeName::None());
  if (data && data->HeaderFits(attribute_header::kWalkHeaderSize) && !data->NonResident())
    return ResidentRuns(ntfs, location, record, *data, collector);
  ClusterRuns(ntfs, record, collector);
  return true;
}

}  // namespace

bool NtfsRecordRuns(NtfsAnalyzer& ntfs, const ItemLocation& location, RunCollector& collector) {
  if ((location.Kind() != 0 && location.Kind() != 1) || !location.HasPosition()) return false;
  try {
    return RecordRuns(ntfs, location, collector);
  } catch (const RecordFault&) {
    return false;  // a record that contradicts itself places nothing
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace orvande
