#pragma once
// What the save and load commands of the partitions information file say, and the boxes they
// show once the file operation has run. Safe from any thread (the prompter serialises boxes).
#include <string>

#include "support/result_codes.h"

namespace orvande {

class Prompter;

namespace ovp_texts {

inline constexpr char kExtension[] = "ovp";
inline constexpr char kSaveTitle[] = "Save partitions information to";
inline constexpr char kSaveFilter[] = "Partitions Information File (*.ovp)|*.ovp||";
inline constexpr char kLoadTitle[] = "Load partitions information from";
inline constexpr char kLoadFilter[] =
    "Partitions Information File (*.ovp)|*.ovp|All Files (*.*)|*.*||";
inline constexpr char kLoadDefaultNameFormat[] = "%s.ovp";  // the disk node's name
inline constexpr char kCantSave[] = "Can't save partitions information.";
inline constexpr char kInvalidData[] = "Invalid partitions information.";
inline constexpr char kAddedFormat[] = "%d partition(s) were added for %s.";  // count, disk name

}  // namespace ovp_texts

// The box for a failed save; nothing for a success.
void ReportPartitionsSave(Prompter& prompter, ResultCode result);
// The box for a failed load, then the count of added partitions when there are any (also after
// a failure part way). True when partitions were added: the disk's entries need a refresh.
bool ReportPartitionsLoad(Prompter& prompter, ResultCode result, int added,
                          const std::string& diskName);

// The text "%d partition(s) were added for %s." filled in.
std::string PartitionsAddedText(int added, const std::string& diskName);

}  // namespace orvande
