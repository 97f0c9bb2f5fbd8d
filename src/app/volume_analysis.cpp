#include "app/volume_analysis.h"

#include "app/frame_ports.h"
#include "core/analyzer_factory.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/guarded_build_tree.h"
#include "core/volume_analyzer.h"
#include "support/operation_log.h"
#include "support/prompter.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {

VolumeAnalysis::VolumeAnalysis() = default;

VolumeAnalysis::~VolumeAnalysis() {
  // The worker thread is joined with the members; a build still running ends at its next poll.
  stop_.store(1);
}

bool VolumeAnalysis::Start(DeviceNode* node, const AnalysisPorts& ports, UiWait& wait) {
  Prompter& prompter = PrompterOrDefault(ports.prompter);
  if (node == nullptr) {
    prompter.ShowMessage(strings::kInternalCantStartAnalyzing, strings::kProgramTitle,
                         MessageIcon::kError, MessageButtons::kOk);
    return false;
  }
  StopWorker(wait);
  // The stopped worker may still be reporting its end; the next one must not overlap it.
  if (!worker_.WaitUntilDone(wait)) return false;
  device_ = node;
  ports_ = ports;
  DeleteAnalyzers();
  {
    std::lock_guard<std::mutex> hold(logLock_);
    kept_ = {};
  }

  openLog_ = nextOpenLog_ ? std::move(nextOpenLog_) : std::make_unique<OperationLog>();
  analyzer_ = CreateAnalyzer(node, /*quiet=*/false, openLog_.get(), ports.prompter);
  if (!analyzer_) {
    KeepLines(*openLog_);
    openLog_->Show(PrompterOrDefault(ports.prompter));
    return false;
  }
  {
    // The reader's opening would only repeat what the first one said, and a log handed to it
    // would have to live as long as the reader.
    std::lock_guard<std::mutex> hold(readerLock_);
    reader_ = CreateAnalyzer(node, /*quiet=*/true, nullptr, ports.prompter);
  }
  KeepLines(*openLog_);
  openLog_->Show(PrompterOrDefault(ports.prompter));

  if (!LaunchWorker()) {
    prompter.ShowMessage(strings::kCantStartAnalyzer, strings::kErrorCaption, MessageIcon::kError,
                         MessageButtons::kOk);
    return false;
  }
  return true;
}

OperationLog& VolumeAnalysis::NextOpeningLog() {
  if (!nextOpenLog_) nextOpenLog_ = std::make_unique<OperationLog>();
  return *nextOpenLog_;
}

void VolumeAnalysis::StopWorker(UiWait& wait) {
  {
    std::lock_guard<std::mutex> hold(workerLock_);
    if (!workerRunning_) return;
    stop_.store(1);
  }
  // The worker clears the flag as its last act under the lock.
  while (StopRequested(&stop_)) {
    if (!wait.WaitStep(WorkerThread::kWaitStep)) return;
  }
}

bool VolumeAnalysis::WorkerRunning() const {
  std::lock_guard<std::mutex> hold(workerLock_);
  return workerRunning_;
}

uint32_t VolumeAnalysis::WaitForEnd(UiWait& wait) {
  worker_.WaitUntilDone(wait);
  return LastStatus();
}

// 3 (unknown) without a reader, 4 (none) when probabilities are not shown, 3 for a folder or file
// that is gone. A live file answers 4 as well: its chain is intact, and calling it "average" (what
// the FAT walk says of any chain) would tell the user its data is at risk. Data given as a run list
// is "average" without a disk read. The answer is stored in
// the file's record, so each file is asked once.
uint32_t VolumeAnalysis::ProbabilityAnswer(uint32_t folderId, uint32_t fileIndex,
                                           bool showProbability) {
  std::lock_guard<std::mutex> holdReader(readerLock_);
  if (!reader_) return kProbabilityUnknown;
  if (!showProbability) return kProbabilityNotDeleted;
  FolderRef folder = store_.FindRef(folderId);
  if (!folder) return kProbabilityUnknown;

  ItemLocation location;
  uint64_t size = 0;
  {
    ReadLockGuard read(storeLock_);
    const std::vector<FileRecord>& files = folder->Files();
    if (fileIndex >= files.size()) return kProbabilityUnknown;
    const FileRecord& file = files[fileIndex];
    if (file.probability != kProbabilityUnknown) return file.probability;
    if (!file.deleted) return kProbabilityNotDeleted;
    location = file.location;
    size = file.size;
  }
  // The analyzer may correct a location it is handed; the record keeps the stored one.
  uint32_t answer = location.Kind() == ItemLocation::kKindRuns
                        ? kProbabilityAverage
                        : reader_->GetRecoveryProbability(location, size, nullptr);
  if (answer > kProbabilityNotDeleted) answer = kProbabilityUnknown;

  WriteLockGuard write(storeLock_);
  std::vector<FileRecord>& files = folder->MutableFiles();
  if (fileIndex < files.size()) files[fileIndex].probability = static_cast<uint8_t>(answer);
  return answer;
}

void VolumeAnalysis::DropAnalyzers() {
  if (WorkerRunning()) return;
  DeleteAnalyzers();
}

uint32_t VolumeAnalysis::LastStatus() const {
  return lastStatus_.load();
}

bool VolumeAnalysis::EndedOnStop() const {
  return endedOnStop_.load();
}

KeptLog VolumeAnalysis::Log() const {
  std::lock_guard<std::mutex> hold(logLock_);
  return kept_;
}

void VolumeAnalysis::DeleteAnalyzers() {
  analyzer_.reset();
  openLog_.reset();
  std::lock_guard<std::mutex> hold(readerLock_);
  reader_.reset();
}

bool VolumeAnalysis::LaunchWorker() {
  {
    // Cleared here rather than by the worker, so that a stop asked right after Start is kept.
    std::lock_guard<std::mutex> hold(workerLock_);
    stop_.store(0);
    workerRunning_ = true;
  }
  if (worker_.Launch([this] { RunWorker(); })) return true;
  std::lock_guard<std::mutex> hold(workerLock_);
  workerRunning_ = false;
  return false;
}

void VolumeAnalysis::RunWorker() {
  if (ports_.statusText != nullptr) ports_.statusText->ShowStatusText(strings::kAnalyzing);
  if (ports_.listener != nullptr) ports_.listener->AnalysisStarting();
  store_.Clear();
  OperationLog log;

  uint32_t status = kStatusNoAnalyzer;
  if (analyzer_) {
    BuildTreeContext build{&stop_,     ports_.notifySink,  store_,       tree_, &shown_,
                           storeLock_, ports_.progressBar, reader_.get()};
    status = GuardedBuildTree(*analyzer_, build, &log);
  }
  tree_.Invalidate();
  lastStatus_.store(status);
  {
    std::lock_guard<std::mutex> hold(workerLock_);
    endedOnStop_.store(StopRequested(&stop_));
    stop_.store(0);
    workerRunning_ = false;
  }

  if (ports_.listener != nullptr) ports_.listener->AnalysisEnded(status);
  if (ports_.statusText != nullptr) ports_.statusText->ShowStatusText(std::string());
  KeepLines(log);
  log.Show(PrompterOrDefault(ports_.prompter));
}

void VolumeAnalysis::KeepLines(const OperationLog& log) {
  std::lock_guard<std::mutex> hold(logLock_);
  kept_.lines.insert(kept_.lines.end(), log.Lines().begin(), log.Lines().end());
  kept_.flaggedCount += log.FlaggedCount();
}

}  // namespace orvande
