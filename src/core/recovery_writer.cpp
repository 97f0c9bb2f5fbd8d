#include "core/recovery_writer.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/analyzer_factory.h"
#include "core/bad_sector_record.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/folder_path.h"
#include "core/item_location.h"
#include "core/item_store.h"
#include "core/ports.h"
#include "core/read_write_lock.h"
#include "core/record_filter.h"
#include "core/safe_names.h"
#include "core/volume_analyzer.h"
#include "platform/file_system.h"
#include "platform/thread_crash_stack.h"
#include "support/operation_log.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// Holds the read side of the job's store lock, when the job has one.
class OptionalReadLock {
 public:
  explicit OptionalReadLock(ReadWriteLock* lock) : lock_(lock) {
    if (lock_ != nullptr) lock_->LockRead();
  }
  ~OptionalReadLock() {
    if (lock_ != nullptr) lock_->Unlock();
  }
  OptionalReadLock(const OptionalReadLock&) = delete;
  OptionalReadLock& operator=(const OptionalReadLock&) = delete;

 private:
  ReadWriteLock* lock_;
};

std::string WithoutTrailingSlash(const std::string& path) {
  return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

uint64_t SizeOnDisk(const std::string& path) {
  std::error_code error;
  uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<uint64_t>(size);
}

}  // namespace

RecoveryWriter::RecoveryWriter(RecoveryContext& job, VolumeAnalyzer& analyzer, OperationLog* log)
    : job_(job), analyzer_(analyzer), log_(log), prompter_(PrompterOrDefault(job.prompter)) {}

bool RecoveryWriter::StopRequestedNow() {
  if (StopRequested(job_.stop)) stopped_ = true;
  return stopped_;
}

std::string RecoveryWriter::SafeComponent(std::string_view name) {
  SafeName safe = MakeSafeName(name);
  if (safe.changed && log_ != nullptr) {
    log_->AddFormatLine(OperationLog::kWarning, strings::kUnsafeNameFormat,
                        PrintableName(name).c_str(), safe.name.c_str());
  }
  return std::move(safe.name);
}

void RecoveryWriter::ReportFailed(const std::string& what) {
  if (job_.listener != nullptr) job_.listener->RecoveryFailed(what);
}

bool RecoveryWriter::RecoverFolderNode(TreeNode node, const std::string& parentPath) {
  if (job_.folderTree == nullptr) return false;
  FolderTree& tree = *job_.folderTree;
  const std::string text = tree.Text(node);
  if (text.empty()) return false;

  std::string path = parentPath;
  if (text != ".") {
    std::string name = SafeComponent(text);
    if (parentPath.size() + name.size() >= kMaxPathBytes) {
      if (log_ != nullptr) {
        log_->AddFormatLine(OperationLog::kError, strings::kLongFileNameRecordFormat,
                            parentPath.c_str(), (name + "/").c_str());
      }
      ReportFailed(parentPath + name + "/");
      return false;
    }
    path.append(name).push_back('/');
    if (!ClaimFolderPath(node, path)) {
      ReportFailed(path);
      return false;
    }
  }

  // A deleted folder is made even when nothing gets written into it.
  if (tree.Image(node) == kImageDeletedFolder) {
    bool skipped = false;
    CreateFolderPath(path, kMaxPathBytes, true, &skipped, &stopped_, &job_.replacementCharacter,
                     log_, prompter_, job_.destination.size());
    if (skipped || stopped_) return true;
  }

  FolderRef folder;
  if (job_.itemStore != nullptr) folder = job_.itemStore->FindRef(tree.Data(node));
  if (folder) {
    RecoverFolderFiles(*folder, path);
    if (stopped_) return true;
  }

  bool result = true;
  for (TreeNode child : tree.Children(node)) {
    if (StopRequestedNow()) break;
    result = RecoverFolderNode(child, path);
    if (stopped_) break;
  }
  if (text != "." && job_.writtenFiles != nullptr && platform::IsDirectory(path))
    job_.writtenFiles->AddFolder(WithoutTrailingSlash(path), node);
  // Last, as writing into a folder changes its time.
  if (text != "." && folder && folder->Modified() != 0 && platform::IsDirectory(path))
    platform::SetFileModifiedTime(path, folder->Modified());
  return result;
}

bool RecoveryWriter::ClaimFolderPath(TreeNode node, std::string& path) {
  // Two folders of one name in one parent (a deleted one and its later namesake) must not mix
  // their files: the later one gets a name of its own, as a file would.
  const std::string folder = WithoutTrailingSlash(path);
  if (job_.writtenFiles == nullptr || !job_.writtenFiles->FolderOfOtherOwner(folder, node))
    return true;
  std::string free;
  if (!MakeCopyName(folder, &free, kMaxPathBytes - 1)) {
    if (log_ != nullptr)
      log_->AddFormatLine(OperationLog::kError, strings::kNoUniqueNameFormat, folder.c_str());
    return false;
  }
  if (log_ != nullptr)
    log_->AddFormatLine(OperationLog::kWarning, strings::kFolderWrittenThisRunFormat,
                        folder.c_str(), free.c_str());
  path = free + '/';
  return true;
}

bool RecoveryWriter::ReadRecord(FolderItem& folder, size_t index, FileRecord* copy, bool* present) {
  OptionalReadLock hold(job_.storeLock);
  const std::vector<FileRecord>& files = folder.Files();
  *present = index < files.size();
  if (!*present) return false;
  const FileRecord& record = files[index];
  if (!record.deleted && (!job_.recoverAllFiles || job_.deletedOnlyFilter)) return false;
  *copy = record;
  return true;
}

bool RecoveryWriter::FilterAccepts(const FileRecord& record) {
  return job_.filter == nullptr || job_.filter->Accepts(record, analyzer_);
}

bool RecoveryWriter::RecoverFolderFiles(FolderItem& folder, std::string& path) {
  bool folderMade = false;
  for (size_t index = 0;; ++index) {
    if (StopRequestedNow()) return true;
    FileRecord record;
    bool present = false;
    if (!ReadRecord(folder, index, &record, &present)) {
      if (!present) break;
      continue;
    }
    if (!FilterAccepts(record)) continue;
    if (!folderMade) {
      bool skipped = false;
      if (!CreateFolderPath(path, kMaxPathBytes, true, &skipped, &stopped_,
                            &job_.replacementCharacter, log_, prompter_, job_.destination.size())) {
        ReportFailed(path);
        return false;
      }
      if (skipped || stopped_) break;
      folderMade = true;
    }
    if (!RecoverRecord(record, folder, index, path) && log_ != nullptr)
      log_->AddIdLine(OperationLog::kError, strings::kIdCantRecoverFile, record.NameCStr());
    if (stopped_) return true;
  }
  return true;
}

bool RecoveryWriter::RecoverSelectedFile(FolderItem& folder, uint32_t fileId,
                                         std::string_view fileName, const std::string& path) {
  FileRecord record;
  size_t index = 0;
  bool found = false;
  {
    OptionalReadLock hold(job_.storeLock);
    const std::vector<FileRecord>& files = folder.Files();
    for (; index < files.size(); ++index) {
      if (StopRequestedNow()) return true;
      if (files[index].id == fileId && files[index].Name() == fileName) {
        record = files[index];
        found = true;
        break;
      }
    }
  }
  if (!found || !FilterAccepts(record)) return true;
  if (RecoverRecord(record, folder, index, path)) return true;
  if (log_ != nullptr)
    log_->AddIdLine(OperationLog::kError, strings::kIdCantRecoverFile, record.NameCStr());
  return false;
}

void RecoveryWriter::StoreLocation(FolderItem& folder, size_t index, const FileRecord& record) {
  // The user interface may be reading this record's location for its probability column.
  std::vector<FileRecord>& files = folder.MutableFiles();
  if (job_.storeLock != nullptr) job_.storeLock->LockWrite();
  if (index < files.size() && files[index].id == record.id && files[index].Name() == record.Name())
    files[index].location = record.location;
  if (job_.storeLock != nullptr) job_.storeLock->Unlock();
}

bool RecoveryWriter::RecoverRecord(FileRecord& record, FolderItem& folder, size_t index,
                                   const std::string& path) {
  std::string name(record.Name());
  if (name.empty()) return false;
  switch (FixBrokenName(prompter_, name, job_.replacementCharacter)) {
    case NameFix::kSkip:
      ReportSkipped(path + name, record);
      return true;
    case NameFix::kSkipAll:
      stopped_ = true;
      return true;
    case NameFix::kUse:
      break;
  }
  name = SafeComponent(name);
  if (path.size() + name.size() >= kMaxPathBytes) {
    if (log_ != nullptr) {
      log_->AddFormatLine(OperationLog::kError, strings::kLongFileNameRecordFormat, path.c_str(),
                          name.c_str());
    }
    ReportFailed(path + name);
    return false;
  }

  std::string full = path + name;
  std::string takenBy;
  const bool taken =
      record.deleted && analyzer_.DataTakenByLiveFile(record.location, record.size, &takenBy);
  if (taken && job_.skipOverwritten) {
    if (log_ != nullptr)
      log_->AddFormatLine(OperationLog::kWarning, strings::kDataTakenSkippedFormat, full.c_str());
    ReportSkipped(full, record);
    return true;
  }
  if (!ChooseTarget(full)) {
    ReportSkipped(full, record);
    return true;
  }
  if (StopRequestedNow()) return true;

  if (job_.notifySink != nullptr)
    job_.notifySink->Send(kMsgRecoveringFile, reinterpret_cast<uintptr_t>(full.c_str()), 0);

  const ItemLocation before = record.location;
  job_.ResetFileReport();
  job_.fileExpectedBytes = record.size;
  if (taken) {
    job_.fileDataTaken = true;
    job_.fileTakenBy = takenBy;
  }
  const auto started = std::chrono::steady_clock::now();
  bool ok = false;
  {
    // The distinct sectors this file's writing met unreadable, also those an analysis met first.
    BadSectorTally tally(analyzer_.BadSectors());
    ok = analyzer_.RecoverFile(record.location, record.size, full, job_.recoverStreams, job_, log_);
    job_.fileBadSectors = static_cast<uint32_t>(tally.Count());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!(record.location == before)) StoreLocation(folder, index, record);
  if (job_.fileDataTaken && job_.fileTakenBy.empty())
    job_.fileTakenBy = LiveFileHolding(record.location);

  RecoveryOutcome outcome = OutcomeOf(ok, record.size, full);
  outcome.writeSeconds = seconds;
  if (job_.fileDataTaken) LogDataTaken(full, outcome.takenBy);
  // A partial file keeps the time of its writing, so that it is never taken for the whole one.
  // Linux keeps no creation time that could be set; the modification time is.
  if (outcome.Whole() || outcome.kind == RecoveryOutcome::Kind::kBadSectors) {
    platform::SetFileModifiedTime(full, record.modified);
    // The alternate streams written beside it are the same file's.
    for (const std::string& stream : job_.fileStreamPaths)
      platform::SetFileModifiedTime(stream, record.modified);
  }
  if (job_.writtenFiles != nullptr) job_.writtenFiles->Add(full);
  if (job_.listener != nullptr) job_.listener->FileRecovered(full, outcome);
  return ok;
}

bool RecoveryWriter::ChooseTarget(std::string& full) {
  // Nothing of that name yet, the usual case: neither the run's files nor the policy has a say.
  if (!platform::PathExists(full)) return true;
  if (job_.writtenFiles != nullptr && job_.writtenFiles->Contains(full)) {
    // Never replace what this run wrote, whatever the policy says.
    std::string free;
    if (!MakeCopyName(full, &free, kMaxPathBytes)) {
      if (log_ != nullptr)
        log_->AddFormatLine(OperationLog::kError, strings::kNoUniqueNameFormat, full.c_str());
      return false;
    }
    if (log_ != nullptr)
      log_->AddFormatLine(OperationLog::kWarning, strings::kWrittenThisRunFormat, full.c_str(),
                          free.c_str());
    full = std::move(free);
    return true;
  }
  bool renamed = false;
  bool existed = false;
  std::string newPath;
  if (!ResolveExistingFile(prompter_, policy_, full, &renamed, &newPath, kMaxPathBytes, &existed))
    return false;
  if (renamed) {
    full = std::move(newPath);
  } else if (platform::IsRegularFileOrLink(full)) {
    // Replacing means a new file under this name: a hard link or a symbolic link placed here
    // must never lead the writing to a file outside the destination.
    platform::RemoveFile(full);
  }
  return true;
}

RecoveryOutcome RecoveryWriter::OutcomeOf(bool ok, uint64_t size, const std::string& full) const {
  using Kind = RecoveryOutcome::Kind;
  RecoveryOutcome outcome;
  outcome.expectedBytes = size;
  uint64_t bytes = job_.fileBytesWritten;
  if (bytes == RecoveryContext::kUnknownBytes) bytes = SizeOnDisk(full);
  outcome.bytes = bytes + job_.fileStreamBytes;
  outcome.badSectors = job_.fileBadSectors;
  outcome.takenBy = job_.fileTakenBy;
  // A file that followed another file's data is that file's length: overwritten says more
  // than short.
  const bool stopped = bytes < size && StopRequested(job_.stop);
  if (!ok)
    outcome.kind = Kind::kFailed;
  else if (stopped)
    outcome.kind = Kind::kStopped;
  else if (job_.fileDataTaken)
    outcome.kind = Kind::kOverwritten;
  else if (bytes < size)
    outcome.kind = Kind::kShort;
  else if (job_.fileBadSectors > 0)
    outcome.kind = Kind::kBadSectors;
  else
    outcome.kind = Kind::kOk;
  return outcome;
}

void RecoveryWriter::LogDataTaken(const std::string& full, const std::string& takenBy) {
  if (log_ == nullptr) return;
  if (takenBy.empty())
    log_->AddFormatLine(OperationLog::kWarning, strings::kDataTakenFormat, full.c_str());
  else
    log_->AddFormatLine(OperationLog::kWarning, strings::kDataTakenByFormat, full.c_str(),
                        PrintableName(takenBy).c_str());
}

std::string RecoveryWriter::LiveFileHolding(const ItemLocation& location) {
  if (job_.itemStore == nullptr || job_.folderTree == nullptr) return {};
  uint64_t position = 0;
  if (!analyzer_.LiveOwnerPosition(location, &position)) return {};
  OptionalReadLock hold(job_.storeLock);
  if (!liveFilesIndexed_) {
    liveFilesIndexed_ = true;
    job_.itemStore->ForEach([this](uint32_t id, FolderItem* folder) {
      const std::vector<FileRecord>& files = folder->Files();
      for (size_t i = 0; i < files.size(); ++i) {
        const ItemLocation& at = files[i].location;
        if (files[i].deleted == 0 && at.Kind() != ItemLocation::kKindRuns && at.HasPosition())
          liveFiles_.emplace(at.Position(), LiveFileAt{id, i});
      }
    });
  }
  auto found = liveFiles_.find(position);
  if (found == liveFiles_.end()) return {};
  FolderRef folder = job_.itemStore->FindRef(found->second.folderId);
  if (!folder || found->second.index >= folder->Files().size()) return {};
  return FolderPathOf(*folder) + std::string(folder->Files()[found->second.index].Name());
}

std::string RecoveryWriter::FolderPathOf(const FolderItem& folder) const {
  const FolderTree& tree = *job_.folderTree;
  std::vector<std::string> names;
  for (TreeNode at = folder.FirstNode(); at != kNoNode; at = tree.Parent(at)) {
    std::string text = tree.Text(at);
    if (!text.empty() && text != ".") names.push_back(std::move(text));
  }
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) path.append(*it).push_back('/');
  return path;
}

void RecoveryWriter::ReportSkipped(const std::string& full, const FileRecord& record) {
  if (job_.listener == nullptr) return;
  RecoveryOutcome outcome;
  outcome.kind = RecoveryOutcome::Kind::kSkipped;
  outcome.expectedBytes = record.size;
  job_.listener->FileRecovered(full, outcome);
}

int RunRecoveryJob(std::unique_ptr<RecoveryContext> job) {
  OperationLog log;
  // The job goes before its log is shown; the prompter it names outlives it.
  Prompter& prompter = PrompterOrDefault(job->prompter);
  if (std::unique_ptr<VolumeAnalyzer> analyzer =
          CreateAnalyzer(job->deviceNode, false, &log, job->prompter)) {
    FolderRef shown;
    if (job->itemStore != nullptr) shown = job->itemStore->FindRef(job->shownFolderId);
    RecoveryWriter writer(*job, *analyzer, &log);
    for (const RecoverySelectionEntry& entry : job->selection) {
      if (StopRequested(job->stop)) break;
      if (entry.IsFolder()) {
        writer.RecoverFolderNode(entry.folderNode, job->destination);
      } else if (shown) {
        writer.RecoverSelectedFile(*shown, entry.fileId, entry.fileName, job->destination);
      }
      if (writer.Stopped()) break;
    }
  }
  if (job->running != nullptr) job->running->store(0);
  if (job->progressBar != nullptr) job->progressBar->SetPosition(0);
  if (job->notifySink != nullptr) job->notifySink->Send(kMsgRecoveringFile, 0, 0);
  job.reset();
  log.Show(prompter);
  return 1;
}

bool StartRecoveryJob(std::unique_ptr<RecoveryContext> job, std::thread* thread) {
  StopFlag* running = job->running;
  try {
    *thread = std::thread([owned = std::move(job)]() mutable {
      const platform::ThreadCrashStack crashStack;
      RunRecoveryJob(std::move(owned));
    });
  } catch (const std::system_error&) {
    // The lambda that owned the job is gone with the failed start.
    if (running != nullptr) running->store(0);
    return false;
  }
  return true;
}

}  // namespace orvande
