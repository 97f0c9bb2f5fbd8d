#pragma once
// The recovery job: turns a selection of folders and files into files under a destination folder,
// with an analyzer of its own, on a thread of its own.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "core/file_name_policy.h"
#include "core/folder_tree.h"
#include "core/recovery_context.h"

namespace orvande {

class FileRecord;
class FolderItem;
class ItemLocation;
class OperationLog;
class Prompter;
class VolumeAnalyzer;

// The job's thread function: makes the job's analyzer from its device node, walks the selection
// in order, then clears the running flag, sends the empty recovering-file message and shows the
// log when it holds a warning or an error. Deletes the job. Returns 1.
int RunRecoveryJob(std::unique_ptr<RecoveryContext> job);

// Starts RunRecoveryJob on a new thread that owns the job. False when no thread could be started:
// the job is deleted and its running flag cleared.
bool StartRecoveryJob(std::unique_ptr<RecoveryContext> job, std::thread* thread);

// The walk of one job over folders and files. Used by the job's thread only.
//
// A folder's file list is read under the read side of the store lock one record at a time; the
// lock is not held while a file is written, so that an analysis can go on adding files and a
// location the analyzer corrects while writing (the FAT32 start-cluster probe) can be stored back
// into the record under the write side.
class RecoveryWriter {
 public:
  RecoveryWriter(RecoveryContext& job, VolumeAnalyzer& analyzer, OperationLog* log);

  // A folder node of the files tree with its files and its subtree, under parentPath (which ends
  // with '/'). A node named "." (a volume root) stands for parentPath itself.
  bool RecoverFolderNode(TreeNode node, const std::string& parentPath);
  // The folder's files, created under path on the first file to write (path may be corrected).
  bool RecoverFolderFiles(FolderItem& folder, std::string& path);
  // The first file of the folder with that id and exactly that name.
  bool RecoverSelectedFile(FolderItem& folder, uint32_t fileId, std::string_view fileName,
                           const std::string& path);
  // One file into path (a folder that exists). record is the job's copy of the folder's record
  // at index; a location changed while writing is stored back into that record.
  bool RecoverRecord(FileRecord& record, FolderItem& folder, size_t index, const std::string& path);

  // Set by "Skip All" in a name dialog or when the stop byte was seen: the job ends.
  bool Stopped() const { return stopped_; }
  FileNamePolicy Policy() const { return policy_; }

 private:
  bool StopRequestedNow();
  // Renames path (a folder's, ending with '/') when this run wrote that folder for another node.
  bool ClaimFolderPath(TreeNode node, std::string& path);
  bool ReadRecord(FolderItem& folder, size_t index, FileRecord* copy, bool* present);
  bool FilterAccepts(const FileRecord& record);
  void StoreLocation(FolderItem& folder, size_t index, const FileRecord& record);
  std::string SafeComponent(std::string_view name);
  void ReportFailed(const std::string& what);
  // The path a file is written to: a name this run wrote gets a free copy name, an existing one
  // follows the policy. False: the file is not written.
  bool ChooseTarget(std::string& full);
  RecoveryOutcome OutcomeOf(bool ok, uint64_t size, const std::string& full) const;
  void LogDataTaken(const std::string& full, const std::string& takenBy);
  void ReportSkipped(const std::string& full, const FileRecord& record);
  // The files-tree path of the live file whose data a deleted file's location holds, as far as
  // the analyzer knows its owner; empty otherwise.
  std::string LiveFileHolding(const ItemLocation& location);
  std::string FolderPathOf(const FolderItem& folder) const;

  struct LiveFileAt {
    uint32_t folderId;
    size_t index;
  };

  RecoveryContext& job_;
  VolumeAnalyzer& analyzer_;
  OperationLog* log_;
  Prompter& prompter_;  // the job's, or the default one
  FileNamePolicy policy_ = FileNamePolicy::kAsk;
  bool stopped_ = false;
  // The live files of the store by the position of their location; made on first need.
  std::unordered_map<uint64_t, LiveFileAt> liveFiles_;
  bool liveFilesIndexed_ = false;
};

}  // namespace orvande
