#pragma once
// Turns each file record the analysis accepts into a folder or a file of the item tree, placed
// under the folder of its parent record. Parents not seen yet, and parents that can't be trusted,
// get placeholder folders named "$$folder_<number>"; a placeholder takes its folder's own name
// and place when that folder's record arrives. Used by the analysis worker only.
#include <cstdint>
#include <string>
#include <vector>

#include "core/lost_and_found.h"
#include "core/type_extension.h"
#include "core/volume_analyzer.h"

namespace orvande {

class FolderItem;
class MftRecord;
class OperationLog;

class NtfsTreeBuilder {
 public:
  // Parent numbers up to this one are system records and are always trusted.
  static constexpr uint32_t kLastSystemRecord = 10;
  // Set in the id of a placeholder that stands for an untrusted parent number.
  static constexpr uint32_t kUntrustedParent = 0x80000000;
  // Longest name kept, in bytes.
  static constexpr size_t kMaxNameBytes = 1023;

  explicit NtfsTreeBuilder(const BuildTreeContext& context) : context_(context) {}

  // Adds the record numbered n (its id). nameBuffer, when given, receives the chosen name (empty
  // when the record adds nothing). outside: the record lies beyond the MFT's valid data or was
  // found loose on the disk, and counts as deleted. Parent numbers above 10 and up to
  // parentLimit may have been reused since, so such a record goes under a placeholder of its own.
  // A record without any acceptable name that still holds data (see HoldsLostData) is listed as
  // "Record_<n>" in "Lost&Found/Records".
  // 0, or kStatusTreeInsertFailed when a tree node could not be made.
  uint32_t AddRecordToTree(MftRecord& record, uint32_t n, std::string* nameBuffer, bool outside,
                           uint32_t parentLimit, OperationLog* log);

  // The text of a placeholder folder for a parent number.
  static std::string PlaceholderName(uint32_t parent);
  // Characters a name can't show become '?'.
  static void ReplaceUnshownCharacters(std::string& name);

 private:
  struct RecordValues;
  enum class Scan { kNamed, kNoName, kFailed };

  // Takes times from $STANDARD_INFORMATION and the first acceptable $FILE_NAME of one record's
  // own attributes.
  Scan ScanAttributes(MftRecord& record, RecordValues& values, OperationLog* log);
  Scan ScanExtensions(MftRecord& record, RecordValues& values, OperationLog* log);
  uint32_t Place(MftRecord& record, uint32_t n, RecordValues& values, uint32_t parentLimit);
  uint32_t PlaceNameless(MftRecord& record, uint32_t n, const RecordValues& values,
                         OperationLog* log);
  bool IsShown(FolderItem& folder) const;

  const BuildTreeContext& context_;
  // Attribute values are read into this one buffer, record after record.
  std::vector<uint8_t> value_;
  LostAndFound lostAndFound_;
  TypeExtension types_;
};

}  // namespace orvande
