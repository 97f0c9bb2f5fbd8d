#pragma once
// The lost partition search as a job that every front end drives: it empties the disk's list
// when asked, runs the search on its own worker, and publishes the position, the partitions found
// and the end for the user-interface thread to poll; it also words what the "Searching Lost
// Partitions" window shows. Start, WaitUntilDone and the destructor are for the user-interface
// thread; every other member may be called from any thread.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/partition_search_range.h"
#include "app/worker_thread.h"
#include "core/stop_flag.h"
#include "search/search_options.h"
#include "search/search_progress.h"

namespace orvande {

class PartitionNode;
class PhysicalDiskNode;
class Prompter;
class StatusTextSink;
class UiWait;
class WholeDiskDevice;

namespace search_texts {

inline constexpr char kWindowCaption[] = "Searching Lost Partitions";
inline constexpr char kStatusScanning[] = "Scanning partitions...";
inline constexpr char kCompleted[] =
    "The partition scanning is now completed. Please choose one of partitions from the list.";
inline constexpr char kCompletedCaption[] = "Orvande";
inline constexpr char kFinished[] = "Finished";
inline constexpr char kCantStart[] = "Can't start analyzer.";
inline constexpr char kCantStartCaption[] = "Error";

}  // namespace search_texts

// The window's timer; the times are shown on every third tick.
inline constexpr std::chrono::milliseconds kSearchWindowTick{3333};
inline constexpr int kSearchTimeTextTicks = 3;

struct PartitionSearchRequest {
  PhysicalDiskNode* disk = nullptr;
  SearchSectorRange range;
  uint32_t fileSystems = kAllSearchOptions;  // SearchOption bits
  bool removePrevious = false;               // empty the disk's list before searching
  Prompter* prompter = nullptr;              // null: the default one
  StatusTextSink* statusText = nullptr;      // null: no status line
};

class PartitionSearchJob final : public SearchProgress {
 public:
  explicit PartitionSearchJob(PartitionSearchRequest request);
  PartitionSearchJob(const PartitionSearchJob&) = delete;
  PartitionSearchJob& operator=(const PartitionSearchJob&) = delete;
  // Stops a search still running and joins it.
  ~PartitionSearchJob() override;

  // Empties the list when asked, opens the disk (its failure is shown) and starts the worker.
  // False when nothing runs; a worker that could not start says "Can't start analyzer.".
  bool Start();
  // What the window does once it is shown: lets the search begin.
  void WindowShown() { ready.store(true, std::memory_order_release); }
  // Asks the search to stop; what was found stays listed.
  void Stop();
  bool Finished() const { return position.load(std::memory_order_acquire) == kFinished; }
  // Waits in UiWait steps until the worker has ended; false when the wait gave up.
  bool WaitUntilDone(UiWait& wait);

  uint32_t Total() const { return total_.load(std::memory_order_acquire); }
  uint32_t Position() const { return position.load(std::memory_order_acquire); }
  // The partitions the search listed since the last call, in the order found.
  std::vector<std::shared_ptr<PartitionNode>> TakeFound();
  // The search's result code once finished (it is not shown to the user).
  uint32_t Result() const { return result_.load(std::memory_order_acquire); }
  bool StopWasAsked() const { return stopAsked_.load(std::memory_order_acquire); }

  // Seconds since Start.
  uint64_t ElapsedSeconds() const;
  // "%M:%S" under an hour, else "%H:%M:%S".
  static std::string ElapsedText(uint64_t elapsedSeconds);
  // elapsed x total / position - elapsed in the same forms; "??:??" while the position is 0,
  // "Finished" once the search has ended.
  std::string TimeLeftText(uint64_t elapsedSeconds) const;

  // SearchProgress, called by the search on the worker.
  void SetTotal(uint32_t total) override;
  void AddPartition(const std::shared_ptr<PartitionNode>& partition) override;

 private:
  void RunWorker(WholeDiskDevice* device);

  PartitionSearchRequest request_;
  StopFlag cancel_{0};
  std::atomic<bool> stopAsked_{false};
  std::atomic<uint32_t> total_{0};
  std::atomic<uint32_t> result_{0};
  std::chrono::steady_clock::time_point started_;
  std::mutex foundLock_;
  std::vector<std::shared_ptr<PartitionNode>> found_;
  WorkerThread worker_;
};

}  // namespace orvande
