#pragma once
// One NTFS file record in memory: read from a byte offset of the volume or from a position inside
// the master file table, with the update sequence applied; its attributes, its $ATTRIBUTE_LIST
// with the extension records that list names, and the reading and writing of its attribute data.
// Used by one thread at a time (the analyzer that owns it).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/item_location.h"
#include "core/named_stream.h"
#include "ntfs/attribute.h"
#include "ntfs/run_list.h"

namespace orvande {

namespace platform {
class OutputFile;
}
class NtfsAnalyzer;
class OperationLog;
struct RecoveryContext;

// The runs of a compressed attribute joined over all its pieces (see
// MftRecord::JoinedCompressedRuns).
struct JoinedRuns {
  uint32_t type = 0;
  bool anyName = false;
  std::vector<uint8_t> name;
  std::optional<RunList> runs;  // none: the pieces need no joining, or cannot be joined
  uint64_t lastVcn = 0;
};

class MftRecord {
 public:
  // Size of the pieces in which streams are read and written.
  static constexpr uint32_t kStreamPiece = 0x10000;

  explicit MftRecord(NtfsAnalyzer* analyzer);
  MftRecord(const MftRecord&) = delete;
  MftRecord& operator=(const MftRecord&) = delete;
  virtual ~MftRecord();

  // Reads the record at a byte offset of the volume (location kind 0). *next receives the offset
  // after the record. With checkAttributeList, a record that has an $ATTRIBUTE_LIST is refused
  // with kStatusNotUsableRecord: a record found loose on the disk can't reach its extensions.
  uint32_t ReadDirect(uint64_t offset, uint64_t* next, bool checkAttributeList, OperationLog* log);
  // Reads the record at a byte position of the MFT through the table record's unnamed $DATA
  // (location kind 1), then loads its attribute list. *next receives the next record's position.
  virtual uint32_t ReadFromMft(MftRecord& table, uint64_t position, uint64_t* next,
                               OperationLog* log);

  // False while no record is loaded, and after a read that dropped the record.
  bool HasBuffer() const { return !buffer_.empty(); }
  // The record, rounded up to whole sectors.
  std::span<const uint8_t> Bytes() const { return buffer_; }
  uint32_t RecordSize() const { return recordSize_; }
  uint32_t TableRecordSize() const { return tableRecordSize_; }
  const ItemLocation& Location() const { return location_; }
  NtfsAnalyzer* Analyzer() const { return analyzer_; }

  // Attributes ----------------------------------------------------------------------------------
  // Visits the attributes from the first one while they lie inside the record: the walk stops at
  // an offset past the used size, a header that would pass the record size, a zero length or the
  // end marker, or when visit returns false.
  template <class Visit>
  void ForEachAttribute(Visit visit) const;
  // The first attribute of the type with the name; attributes are sorted by type, so the walk
  // stops at a greater type. RecordFault when a name to compare lies outside the record.
  std::optional<Attribute> FindAttribute(uint32_t type, const AttributeName& name) const;
  // This record's attribute first; else, for a record read through the MFT with a usable list,
  // the sum over the extents in the extension records. False when an extension is missing or
  // the list walk meets a zero entry length. No attribute anywhere: true with zero sizes.
  bool GetAttributeSize(uint32_t type, const AttributeName& name, uint64_t* dataSize,
                        uint64_t* allocatedSize) const;
  // Non-resident: the data size and allocated size fields; resident: the value length for both.
  // False when the header does not fit the record.
  static bool AttributeSizes(const Attribute& attribute, uint64_t* dataSize,
                             uint64_t* allocatedSize);
  bool IsExtension() const;
  uint16_t Flags() const;

  // Loads the $ATTRIBUTE_LIST of a record read through the MFT and reads each extension record it
  // names into the record cache. A list of 65536 bytes or more is marked unusable.
  bool LoadAttributeList(OperationLog* log);
  bool HasUsableAttributeList() const { return listState_ == ListState::kLoaded; }
  std::span<const uint8_t> AttributeListBytes() const { return attributeList_; }
  // The cached extension record at an MFT position, or null.
  MftRecord* FindExtension(uint64_t position) const;

  // Attribute data ------------------------------------------------------------------------------
  // The decoded runs of a non-resident attribute of this record (its run list offset up to the
  // attribute's end), decoded once per read of the record. A refused list is logged as a warning
  // the first time it is asked for with a log.
  const RunList& Runs(const Attribute& attribute, OperationLog* log) const;
  // Maps a VCN of a non-resident attribute of this record to an LCN (see MapVcnInRuns); false
  // for a resident attribute, a header past the record, a VCN outside the attribute, a missing
  // run list or one that breaks off or was refused. collectUnit fills the unit's LCN list.
  bool MapVcn(const Attribute& attribute, uint64_t vcn, VcnMapping* out, bool collectUnit,
              OperationLog* log = nullptr) const;
  // This record's attribute of the type and name first, then the extents that the attribute list
  // places in extension records.
  bool MapVcnByName(uint32_t type, const AttributeName& name, uint64_t vcn, VcnMapping* out,
                    bool collectUnit, OperationLog* log = nullptr) const;
  // One cluster of the attribute into a buffer of BytesPerCluster: the bytes delivered, 0 on
  // failure. 0 with *status 0 means the VCN is not mapped here and is to be looked up by name.
  uint32_t ReadCluster(const Attribute& attribute, uint64_t vcn, uint8_t* cluster, uint32_t* status,
                       OperationLog* log);
  uint32_t ReadClusterByName(uint32_t type, const AttributeName& name, uint64_t vcn,
                             uint8_t* cluster, uint32_t* status, OperationLog* log);
  // length bytes of the attribute's value from offset. A resident value gives what it holds.
  bool ReadAttribute(const Attribute& attribute, uint8_t* destination, uint64_t offset,
                     uint64_t length, uint64_t* bytesRead, OperationLog* log);
  // The same by type and name, through the attribute list when this record lacks the attribute.
  // Neither attribute nor list entry: true with 0 bytes.
  bool ReadStream(uint32_t type, const AttributeName& name, uint8_t* destination, uint64_t offset,
                  uint64_t length, uint64_t* bytesRead, OperationLog* log);

  // Writing -------------------------------------------------------------------------------------
  // Writes size bytes of one $DATA stream (the attribute given, else the one of that name) to a
  // new file in pieces of kStreamPiece. A stop request ends the stream as a success.
  bool WriteStream(const std::string& path, uint64_t size, const Attribute* attribute,
                   const AttributeName& name, RecoveryContext& context, OperationLog* log);
  // Writes the unnamed stream to path and, when asked, each named stream to "path:name". A named
  // stream that fails ends the walk with a warning but the file counts as recovered. On failure
  // the file at path keeps what was written. Streams named "$..." belong to the file system and
  // are never written.
  bool WriteFileData(const std::string& path, bool recoverStreams, RecoveryContext& context,
                     OperationLog* log);
  // The record's named streams that hold a user's data (not the file system's "$..." ones), in
  // record order.
  std::vector<NamedStream> UserNamedStreams();

 private:
  enum class ListState { kNotLoaded, kAbsent, kLoaded };

  void Reset(uint32_t kind, uint64_t position);
  // The record's header fields after the buffer holds it: "FILE", used size, update sequence,
  // first attribute. siteCode names the update sequence's fault site.
  uint32_t CheckAndFix(const char* updateSequenceCode, OperationLog* log);
  uint32_t ReadDirectRecord(uint64_t offset, uint64_t* next, OperationLog* log);
  uint32_t ReadMftRecord(MftRecord& table, uint64_t position, uint64_t* next, OperationLog* log);
  // Allocates the sector-rounded buffer; false when memory runs out.
  bool AllocateBuffer();
  bool LoadExtensions(OperationLog* log);
  bool BelongsHere(const Attribute& attribute) const {
    return attribute.Record().data() == buffer_.data() && !buffer_.empty();
  }

  // The cluster-by-cluster read behind ReadAttribute and ReadStream: through the attribute when
  // one is given, else by name only.
  bool ReadNonResident(const Attribute* attribute, uint32_t type, const AttributeName& name,
                       uint8_t* destination, uint64_t offset, uint64_t length, uint64_t* bytesRead,
                       OperationLog* log);
  // One cluster the way the reading steps take it, with every message; false ends the read.
  bool ReadOneClusterStep(const Attribute* attribute, uint32_t type, const AttributeName& name,
                          uint64_t vcn, uint32_t inCluster, uint64_t take, uint8_t* destination,
                          OperationLog* log);
  uint32_t ReadMapped(const VcnMapping& mapping, uint8_t* cluster, uint32_t* status,
                      OperationLog* log);
  bool ReadResident(const Attribute& attribute, uint8_t* destination, uint64_t offset,
                    uint64_t length, uint64_t* bytesRead) const;
  bool ReadResidentExtension(uint32_t type, const AttributeName& name, uint8_t* destination,
                             uint64_t offset, uint64_t length, uint64_t* bytesRead) const;
  // unnamedFile is the file at path, created and still open: the unnamed stream is written into
  // it rather than creating the file a second time.
  bool WriteDataStreams(const std::string& path, bool recoverStreams, RecoveryContext& context,
                        OperationLog* log, platform::OutputFile& unnamedFile);
  // WriteStream into a file already created; the file is closed at the end.
  bool WriteStreamInto(platform::OutputFile& file, uint64_t size, const Attribute* attribute,
                       const AttributeName& name, RecoveryContext& context, OperationLog* log);
  // Calls visit(name, attribute) for the first piece of each $DATA stream, the unnamed one
  // included, until it returns false. attribute is null for a stream found through the attribute
  // list; it is then read by name.
  void ForEachDataStream(
      const std::function<bool(std::span<const uint8_t> name, const Attribute* attribute)>& visit);
  bool DataStreamSize(std::span<const uint8_t> name, const Attribute* attribute, uint64_t* size);

  NtfsAnalyzer* analyzer_;
  uint32_t recordSize_ = 0;
  std::vector<uint8_t> buffer_;
  uint32_t firstAttribute_ = 0;  // 0: none
  uint32_t tableRecordSize_ = 4096;
  ItemLocation location_;
  ListState listState_ = ListState::kNotLoaded;
  std::vector<uint8_t> attributeList_;
  std::map<uint64_t, std::unique_ptr<MftRecord>> recordCache_;
  // Extension records read into a cache do not load lists of their own: the format never nests
  // lists, and a damaged one that did could loop forever.
  bool isExtensionCopy_ = false;
  // Run lists decoded once per attribute, keyed by the header's offset; emptied on every read.
  struct DecodedRuns {
    RunList runs;
    bool faultLogged = false;
  };
  mutable std::unordered_map<uint32_t, DecodedRuns> runLists_;
  // For the one attribute asked for last; emptied on every read.
  mutable std::optional<JoinedRuns> joinedRuns_;
  // A compressed attribute split over records at VCNs that are not unit bounds (some writers
  // split anywhere) has units that straddle two records: they map only through the runs of all
  // its pieces joined into one list, grouped in units from VCN 0. Null when the attribute is not
  // compressed, is in one piece, or its pieces all start at unit bounds (each then maps alone).
  const JoinedRuns* JoinedCompressedRuns(uint32_t type, const AttributeName& name,
                                         OperationLog* log) const;
  // One cluster, for the reads that go cluster by cluster.
  std::vector<uint8_t> clusterScratch_;
};

template <class Visit>
void MftRecord::ForEachAttribute(Visit visit) const {
  if (buffer_.empty() || firstAttribute_ == 0) return;
  const uint64_t usedSize = LeReader(buffer_).U32(record_header::kUsedSizeOffset);
  uint64_t offset = firstAttribute_;
  // Lengths are never 0 here, so the walk ends within the record.
  while (offset <= usedSize && offset + attribute_header::kWalkHeaderSize <= recordSize_ &&
         offset + attribute_header::kWalkHeaderSize <= buffer_.size()) {
    Attribute attribute(buffer_, static_cast<uint32_t>(offset));
    if (attribute.Type() == attribute_header::kEndMarker || attribute.Length() == 0) return;
    if (!visit(attribute)) return;
    offset += attribute.Length();
  }
}

}  // namespace orvande
