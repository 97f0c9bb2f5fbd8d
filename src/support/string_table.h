#pragma once
// The program's user-visible texts. Numbered texts are reached through LoadString (several are
// used as printf formats: their arguments are noted beside them); the others are named constants.
// Safe to use from any thread (everything here is constant).
#include <cstdint>

namespace orvande {

// Text of a string id; "" for an id the table does not hold.
const char* LoadString(uint32_t id);

namespace strings {

inline constexpr uint32_t kIdSectorsViewTitle = 170;  // "Sectors View"
inline constexpr uint32_t kIdFileExists = 61204;      // %s path
inline constexpr uint32_t kIdSameDiskWarning = 61205;
inline constexpr uint32_t kIdEmptyNewFileName = 61206;
inline constexpr uint32_t kIdInvalidNewFileName = 61207;
inline constexpr uint32_t kIdCreateMissingFolder = 61215;
inline constexpr uint32_t kIdCantRecoverFile = 61216;  // %s name
inline constexpr uint32_t kIdNoSupportedFileSystem = 61218;
inline constexpr uint32_t kIdInvalidSymbol = 61231;
inline constexpr uint32_t kIdCantRecoverStreams = 61232;
inline constexpr uint32_t kIdNotInVolume = 61235;
inline constexpr uint32_t kIdProbabilityGood = 61237;
inline constexpr uint32_t kIdProbabilityAverage = 61238;
inline constexpr uint32_t kIdProbabilityPoor = 61239;
inline constexpr uint32_t kIdCantCreateFolder = 61268;  // %s folder
inline constexpr uint32_t kIdBadSectorAt = 61269;       // uint64_t sector
inline constexpr uint32_t kIdFirstAnalyzingStep = 61270;
inline constexpr uint32_t kIdDone = 61271;
inline constexpr uint32_t kIdSecondAnalyzingStep = 61272;
inline constexpr uint32_t kIdCantInitTypeProbe = 61276;

// The product.
inline constexpr const char kProgramTitle[] = "Orvande";
inline constexpr const char kErrorCaption[] = "Error";

// Operation log.
inline constexpr const char kErrorPrefix[] = "ERROR: ";
inline constexpr const char kWarningPrefix[] = "WARNING: ";
inline constexpr const char kOperationLogTitle[] = "Operation Log";
inline constexpr const char kLogOverflowLine[] = "...";
inline constexpr const char kCodeFormat[] = "code=0x%x\r\n";  // uint32_t code

// Time spans.
inline constexpr const char kUnknownTimeSpan[] = "??:??";
inline constexpr const char kInitialElapsedTime[] = "00:00";
inline constexpr const char kFinished[] = "Finished";

// Devices.
inline constexpr const char kNoImageAccess[] =
    "Orvande can not obtain required access to the image file.";
inline constexpr const char kNoDiskAccess[] =
    "Orvande can not obtain required access to the disk. Please make sure that you have "
    "administrative rights on your computer or contact your system administrator.";
inline constexpr const char kCantOpenDriver[] = "Can't open Orvande I/O virtual driver(ZEVA.DOR).";
inline constexpr const char kDriverErrorFormat[] = "Error in Orvande I/O virtual driver: 0x%x";
inline constexpr const char kCantReadBootSector[] = "Can't read boot sector.";
inline constexpr const char kBadSectorsSummaryFormat[] =
    "%llu bad sector(s) could not be read; their contents were taken as zeros.";  // count
inline constexpr const char kVolumeBeyondDeviceFormat[] =
    "The volume is %llu bytes long, but the image or device holds only %llu bytes. "
    "Files whose data lies past its end can't be recovered whole.";  // two sizes
inline constexpr const char kNothingReadableFormat[] =
    "Nothing of the volume can be read: the image or device holds %llu sectors, and the volume's "
    "data begins at sector %llu.";  // sector count, sector
inline constexpr const char kPastDeviceEndFormat[] =
    "Sector 0x%016llx lies past the end of the image or device (%llu sectors).";  // sector, count
inline constexpr const char kFatCopyUsedFormat[] =
    "FAT sector %u can't be read; its entries were taken from FAT copy %u.";  // index, copy

// Lost partition search and partitions information.
inline constexpr const char kNoHardDrive[] = "Can't detect any hard drive.";
inline constexpr const char kSelectRange[] = "Can't start scanning. Select range please.";
inline constexpr const char kCantStartAnalyzer[] = "Can't start analyzer.";
inline constexpr const char kScanningPartitions[] = "Scanning partitions...";
inline constexpr const char kScanCompleted[] =
    "The partition scanning is now completed. Please choose one of partitions from the list.";
inline constexpr const char kInvalidPartitionsInfo[] = "Invalid partitions information.";
inline constexpr const char kPartitionsAddedFormat[] = "%d partition(s) were added for %s.";

// Disk image writer.
inline constexpr const char kImageErrorCaption[] = "Error creating image file...";
inline constexpr const char kInsufficientSpaceFormat[] =
    "Insufficient disk space (Image size - %s, free space on the disk - %s).";  // two sizes
inline constexpr const char kCantCreateImageFile[] = "Can't create file.";
inline constexpr const char kImageInternalError[] = "Internal error 0x1287.";
inline constexpr const char kDeletePartialImage[] =
    "Image creation canceled by user. Delete the partially created image file?";
inline constexpr const char kInsufficientSpaceContinue[] = "Insufficient disk space. Continue?";
inline constexpr const char kImageWriteErrorFormat[] = "Image writing error: 0x%x";
inline constexpr const char kWritingImage[] = "Writing image...";

// Recovery.
inline constexpr const char kCantCreateFileFormat[] = "Can't create file \"%s\"";    // path
inline constexpr const char kCantWriteFileFormat[] = "Can't write to file \"%s\".";  // path
inline constexpr const char kLongFileNameFormat[] = "Long file name \"%s%s\\\"";     // parent, name
inline constexpr const char kNoUniqueNameFormat[] = "Can't find unique file name for \"%s\". Skip.";
inline constexpr const char kReplaceExistingFile[] = "Would you like to replace the existing file?";
inline constexpr const char kConfirmReplaceCaption[] = "Confirm file replace";
inline constexpr const char kCopyNameFormat[] = "[Copy %03d]%s";           // number, name
inline constexpr const char kRecoverFileFormat[] = "Recover file \"%s\"";  // name
inline constexpr const char kChooseRecoveryPath[] = "Choose path for recovery";
inline constexpr const char kLongFileNameRecordFormat[] = "Long file name \"%s%s\"";  // path, name
inline constexpr const char kBrokenFileNameCaption[] = "Broken File Name";
inline constexpr const char kBrokenFileNameLabel[] = "&Broken file name:";
inline constexpr const char kNewFileNameLabel[] = "&New file name:";
inline constexpr const char kChangeAllSymbolsLabel[] = "&Change all unknown symbols to:";
// A name from the volume that would leave its folder or exceed the name limit.
inline constexpr const char kUnsafeNameFormat[] =
    "The name \"%s\" can't be used as it stands; written as \"%s\".";  // name, new name
// A deleted file whose clusters live data holds now: written as described all the same.
inline constexpr const char kDataTakenFormat[] =
    "\"%s\": its data is in use by live data now; written as described.";  // path
inline constexpr const char kDataTakenByFormat[] =
    "\"%s\": its data is in use by the live file \"%s\" now; written as described.";
inline constexpr const char kDataTakenSkippedFormat[] =
    "\"%s\": its data is in use by live data now; not written, as asked.";
// Two recovered names that came out equal: the later one gets a free name.
inline constexpr const char kWrittenThisRunFormat[] =
    "\"%s\" was written earlier in this recovery; this file is written as \"%s\".";
// Two recovered folders whose names came out equal: the later one is made under a free name.
inline constexpr const char kFolderWrittenThisRunFormat[] =
    "\"%s\" was made earlier in this recovery for another folder; this folder is written as "
    "\"%s\".";

// Analysis.
inline constexpr const char kInternalCantStartAnalyzing[] =
    "Internal error. Can't start analyzing.";
inline constexpr const char kInternalCantFinishAnalyzing[] =
    "Internal error. Can't finish analyzing.";
inline constexpr const char kAnalyzing[] = "Analyzing...";
inline constexpr const char kMftDoesNotExist[] = "MFT does not exist.";
inline constexpr const char kInvalidData[] = "Invalid data.";
inline constexpr const char kDirectoryLinkedAgainFormat[] =
    "Folder data at cluster %u is linked from more than one place; it is read only once.";  // cluster
inline constexpr const char kAnalysisOutOfMemory[] =
    "Not enough memory to finish the analysis; what was found so far is kept.";

// Main frame and application.
inline constexpr const char kStopBeforeClosing[] = "Stop current operation before closing Orvande.";
inline constexpr const char kCannotFindFileFormat[] = "Cannot find the file '%s'.";  // search text
inline constexpr const char kMissingTipsFile[] = "... that you're missing tips file.";
inline constexpr const char kCorruptedTipsFile[] = "The tips file is corrupted.";
inline constexpr const char kFiltering[] = "Filtering...";
inline constexpr const char kTurnOffFilter[] = "Turn off filter...";

}  // namespace strings
}  // namespace orvande
