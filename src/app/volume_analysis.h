#pragma once
// The analysis operation of the main frame: the item store and files tree it fills, the two
// analyzers made for the shown volume (the analyzing one, and the reader that answers the file
// list's probability questions), and the worker that builds the tree with its stop flag.
//
// Start, StopWorker, WaitForEnd, ProbabilityAnswer and DropAnalyzers are called from the
// user-interface thread only; the worker reports through the ports it was started with. The
// store, tree and flags are thread-safe themselves.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/worker_thread.h"
#include "core/folder_tree.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/stop_flag.h"

namespace orvande {

class AnalysisListener;
class DeviceNode;
class NotifySink;
class OperationLog;
class ProgressBar;
class Prompter;
class StatusTextSink;
class UiWait;
class VolumeAnalyzer;

// Where an analysis reports; each may be null (a null prompter is the process-wide one). They
// must outlive the worker.
struct AnalysisPorts {
  Prompter* prompter = nullptr;  // message boxes and the operation logs
  NotifySink* notifySink = nullptr;
  ProgressBar* progressBar = nullptr;
  AnalysisListener* listener = nullptr;
  StatusTextSink* statusText = nullptr;
};

// The lines of an operation's logs as they were before being shown, and how many of them were
// warnings or errors.
struct KeptLog {
  std::vector<std::string> lines;
  uint32_t flaggedCount = 0;
};

class VolumeAnalysis {
 public:
  VolumeAnalysis();
  VolumeAnalysis(const VolumeAnalysis&) = delete;
  VolumeAnalysis& operator=(const VolumeAnalysis&) = delete;
  // Asks a worker still running to stop and waits for it.
  ~VolumeAnalysis();

  // Makes both analyzers for the node and starts the worker; a worker still running is stopped
  // first. False when nothing was started: the user was told why.
  bool Start(DeviceNode* node, const AnalysisPorts& ports, UiWait& wait);
  // Asks the worker to stop and waits, in 100 ms steps, until it has ended (or the wait says the
  // program is quitting).
  void StopWorker(UiWait& wait);
  bool WorkerRunning() const;
  // Waits until the worker's thread is gone; BuildTree's status (0 when nothing ran).
  uint32_t WaitForEnd(UiWait& wait);

  // The file list's probability code for the file at fileIndex of the folder (see the .cpp).
  uint32_t ProbabilityAnswer(uint32_t folderId, uint32_t fileIndex, bool showProbability);

  // The log the next Start opens its analyzer with, so that what was checked before it (a
  // read-write mount) is shown as part of the analysis log. Start takes it over.
  OperationLog& NextOpeningLog();

  // Deletes both analyzers, when the worker no longer needs them.
  void DropAnalyzers();

  // BuildTree's status of the last worker; 0 before one ended.
  uint32_t LastStatus() const;
  // True when the last worker ended because it was asked to stop.
  bool EndedOnStop() const;
  // What the logs of the last Start and its worker held.
  KeptLog Log() const;

  // Set to ask the worker to stop (the command line's Ctrl-C sets it directly).
  StopFlag& StopRequest() { return stop_; }
  ItemStore& Store() { return store_; }
  FolderTree& Tree() { return tree_; }
  ReadWriteLock& StoreLock() { return storeLock_; }
  ShownNode& Shown() { return shown_; }
  DeviceNode* CurrentDevice() const { return device_; }
  // The analyzing instance; while a worker runs it belongs to the worker.
  VolumeAnalyzer* Analyzer() const { return analyzer_.get(); }
  // The reader instance, to be used under ReaderLock() (or once no one else can).
  VolumeAnalyzer* Reader() const { return reader_.get(); }
  std::mutex& ReaderLock() { return readerLock_; }

 private:
  void DeleteAnalyzers();
  bool LaunchWorker();
  void RunWorker();
  void KeepLines(const OperationLog& log);

  ItemStore store_;
  FolderTree tree_;
  ReadWriteLock storeLock_{/*readersFirst=*/true};
  ShownNode shown_{kNoNode};
  DeviceNode* device_ = nullptr;
  AnalysisPorts ports_;

  std::unique_ptr<VolumeAnalyzer> analyzer_;
  // The log the analyzing instance was opened with: it keeps writing its bad sectors there, so
  // the log must live as long as the analyzer does.
  std::unique_ptr<OperationLog> openLog_;
  std::unique_ptr<OperationLog> nextOpenLog_;
  std::unique_ptr<VolumeAnalyzer> reader_;
  std::mutex readerLock_;

  mutable std::mutex workerLock_;  // guards workerRunning_ and the writes of stop_
  bool workerRunning_ = false;
  StopFlag stop_{0};
  WorkerThread worker_;
  std::atomic<uint32_t> lastStatus_{0};
  std::atomic<bool> endedOnStop_{false};

  mutable std::mutex logLock_;
  KeptLog kept_;
};

}  // namespace orvande
