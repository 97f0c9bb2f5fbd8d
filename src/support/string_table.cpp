#include "support/string_table.h"

#include <cinttypes>

namespace orvande {
namespace {

struct StringEntry {
  uint32_t id;
  const char* text;
};

constexpr StringEntry kStrings[] = {
    {strings::kIdSectorsViewTitle, "Sectors View"},
    {strings::kIdFileExists, "File \"%s\" exists."},
    {strings::kIdSameDiskWarning,
     "Warning: Recovering to the same disk may cause permanent data loss.\nContinue?"},
    {strings::kIdEmptyNewFileName, "New file name can't be empty. Please enter new file name."},
    {strings::kIdInvalidNewFileName, "Invalid new file name."},
    {strings::kIdCreateMissingFolder,
     "The specified folder does not exist. Do you want to create it?"},
    {strings::kIdCantRecoverFile, "Can't recover the file \"%s\"."},
    {strings::kIdNoSupportedFileSystem, "No valid supported file system present on the volume."},
    {strings::kIdInvalidSymbol, "Please enter valid symbol."},
    {strings::kIdCantRecoverStreams, "Can't recover alternative streams."},
    {strings::kIdNotInVolume, "File does not belong to volume/partition."},
    {strings::kIdProbabilityGood, "good"},
    {strings::kIdProbabilityAverage, "average"},
    {strings::kIdProbabilityPoor, "poor"},
    {strings::kIdCantCreateFolder, "Can't create folder \"%s\""},
    {strings::kIdBadSectorAt, "Bad sector at: 0x%016" PRIx64},
    {strings::kIdFirstAnalyzingStep, "First analyzing step..."},
    {strings::kIdDone, "Done"},
    {strings::kIdSecondAnalyzingStep, "Second analyzing step..."},
    {strings::kIdCantInitTypeProbe,
     "Can't initialize libtypeprobe.so (not found or wrong version)."},
};

}  // namespace

const char* LoadString(uint32_t id) {
  for (const StringEntry& entry : kStrings) {
    if (entry.id == id) return entry.text;
  }
  return "";
}

}  // namespace orvande
