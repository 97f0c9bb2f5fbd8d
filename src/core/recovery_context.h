#pragma once
// One recovery job: what the views chose and where the job reports. Made by the view, then owned
// by the job's thread; only that thread uses it (the flags it points to are shared atomically).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/folder_tree.h"
#include "core/recovery_outcome.h"
#include "core/stop_flag.h"
#include "core/written_files.h"

namespace orvande {

class DeviceNode;
class ItemStore;
class NotifySink;
class ProgressBar;
class Prompter;
class ReadWriteLock;
class RecordFilter;

// One selected item in list-view order: a folder node of the files tree, or a file of the shown
// folder named by its id and name (ids alone are not unique inside a folder).
struct RecoverySelectionEntry {
  TreeNode folderNode = kNoNode;  // kNoNode for a file entry
  uint32_t fileId = 0;
  std::string fileName;

  bool IsFolder() const { return folderNode != kNoNode; }

  static RecoverySelectionEntry Folder(TreeNode node) { return {node, 0, {}}; }
  static RecoverySelectionEntry File(uint32_t id, std::string name) {
    return {kNoNode, id, std::move(name)};
  }
};

// Told about each file a job finishes, for front ends that report more than the status line.
// Called on the job's thread.
class RecoveryListener {
 public:
  virtual ~RecoveryListener() = default;
  // A file was written (whole or not: a partial file stays) or left out; path is where it is or
  // would have been.
  virtual void FileRecovered(const std::string& path, const RecoveryOutcome& outcome) = 0;
  // A file or folder that could not even be started (a name too long, a folder not made).
  virtual void RecoveryFailed(const std::string& what) = 0;
};

struct RecoveryContext {
  const StopFlag* stop = nullptr;  // the frame's stop byte, polled before every file and folder
  StopFlag* running = nullptr;     // set by the view before the job starts, cleared at its end
  ProgressBar* progressBar = nullptr;
  NotifySink* notifySink = nullptr;  // receives the recovering-file message
  // Asks "Confirm file replace" and "Broken File Name" and shows the job's messages and log;
  // null: see PrompterOrDefault.
  Prompter* prompter = nullptr;
  DeviceNode* deviceNode = nullptr;  // the job makes its own analyzer from it
  ItemStore* itemStore = nullptr;
  FolderTree* folderTree = nullptr;
  bool recoverStreams = false;   // bRecoverAlternativeStreams
  bool recoverAllFiles = false;  // bRecoverAllFiles: when clear, only deleted files of a folder
  std::string destination;       // ends with a '/'
  uint32_t shownFolderId = 0;    // the folder whose file list the selection was made in
  std::vector<RecoverySelectionEntry> selection;
  // The unknown first character of names becomes this (one UTF-8 character); empty until a
  // symbol is chosen for all later names.
  std::string replacementCharacter;
  ReadWriteLock* storeLock = nullptr;  // read side held while a folder's files are walked
  bool deletedOnlyFilter =
      false;                // the frame's filter when the job started: live files not written
  bool useFileType = true;  // bUseFileType: the FAT32 start-cluster probe may run
  RecoveryListener* listener = nullptr;  // optional
  bool skipOverwritten = false;          // deleted files whose data live files hold are left out
  const RecordFilter* filter = nullptr;  // optional: only the files it accepts are written
  // The files written so far by this job and the jobs of the same run (optional): they are never
  // replaced, whatever the policy says.
  WrittenFiles* writtenFiles = nullptr;

  // Reported by the analyzer about the file it is writing; reset by the writer before each file.
  // Bytes of the unnamed stream, when it counts them (kUnknownBytes otherwise): saves asking the
  // file system for each file's size.
  static constexpr uint64_t kUnknownBytes = ~uint64_t{0};
  uint64_t fileExpectedBytes = 0;  // set by the writer: the size of the file being written
  uint64_t fileBytesWritten = kUnknownBytes;
  uint64_t fileStreamBytes = 0;  // bytes of alternate streams written beside it
  std::vector<std::string> fileStreamPaths;  // the files they were written to
  uint32_t fileBadSectors = 0;   // sectors that could not be read and went out as zeros
  bool fileDataTaken = false;    // live data was found where the file's data should be
  std::string fileTakenBy;       // the live file holding it, when known
  bool fileCutAtLoop = false;    // a chain returned to a cluster already written

  void ResetFileReport() {
    fileBytesWritten = kUnknownBytes;
    fileStreamBytes = 0;
    fileStreamPaths.clear();
    fileBadSectors = 0;
    fileDataTaken = false;
    fileTakenBy.clear();
    fileCutAtLoop = false;
  }
};

}  // namespace orvande
