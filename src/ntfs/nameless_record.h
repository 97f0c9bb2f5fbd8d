#pragma once
// Records that keep their data but no name, as a driver leaves a freed record when it takes the
// $FILE_NAME off and keeps $DATA with its runs: which of them are lost data, and the name they
// are listed under. Used by the analysis worker only.
#include <cstdint>
#include <string>

namespace orvande {

class MftRecord;
class OperationLog;
class TypeExtension;

// Records 0 to 23 belong to the file system itself.
inline constexpr uint32_t kFirstUserRecord = 24;

// True when record number n (found loose on the disk: its own number when its header holds one)
// is no system record, is no extension of another record, and holds an unnamed $DATA with data
// that can be read: resident, or runs that decode and lie inside the volume.
bool HoldsLostData(MftRecord& record, uint32_t n, uint64_t dataSize, OperationLog* log);

// "Record_<n>", with the extension that the start of its unnamed $DATA is recognised by.
std::string LostRecordName(MftRecord& record, uint32_t n, uint64_t dataSize,
                           const TypeExtension& types, OperationLog* log);

}  // namespace orvande
