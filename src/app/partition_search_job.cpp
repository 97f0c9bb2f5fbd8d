#include "app/partition_search_job.h"

#include <new>
#include <utility>

#include "app/frame_ports.h"
#include "app/image_time_left.h"
#include "disk/device_ref.h"
#include "disk/physical_disk_node.h"
#include "disk/whole_disk_device.h"
#include "search/lost_partition_search.h"
#include "support/formatters.h"
#include "support/prompter.h"

namespace orvande {

PartitionSearchJob::PartitionSearchJob(PartitionSearchRequest request)
    : request_(std::move(request)), started_(std::chrono::steady_clock::now()) {}

PartitionSearchJob::~PartitionSearchJob() {
  Stop();
}

bool PartitionSearchJob::Start() {
  if (request_.disk == nullptr) return false;
  if (request_.removePrevious) request_.disk->ClearPartitions();
  auto* whole = new (std::nothrow) WholeDiskDevice(request_.disk, request_.disk->GetPorts());
  DeviceRef device(whole);
  if (!device || !device->Open(/*quiet=*/false, request_.prompter)) return false;
  cancel_ = 0;
  stopAsked_ = false;
  position = 0;
  started_ = std::chrono::steady_clock::now();
  // The worker owns the device from here; it closes and releases it when done.
  if (worker_.Launch([this, whole, held = std::move(device)]() mutable {
        RunWorker(whole);
        held->Close();
        held = DeviceRef();
      }))
    return true;
  PrompterOrDefault(request_.prompter)
      .ShowMessage(search_texts::kCantStart, search_texts::kCantStartCaption, MessageIcon::kError,
                   MessageButtons::kOk);
  return false;
}

void PartitionSearchJob::RunWorker(WholeDiskDevice* device) {
  if (request_.statusText != nullptr)
    request_.statusText->ShowStatusText(search_texts::kStatusScanning);
  const uint32_t fileSystems = request_.fileSystems;
  result_ = SearchLostPartitions(*device, &cancel_, request_.range.first, request_.range.last,
                                 *this, [fileSystems] { return fileSystems; });
  position.store(kFinished, std::memory_order_release);
  cancel_ = 0;
  if (request_.statusText != nullptr) request_.statusText->ShowStatusText(std::string());
}

void PartitionSearchJob::Stop() {
  stopAsked_ = true;
  cancel_ = 1;
  // The search waits for a shown window before it looks at the cancel flag.
  WindowShown();
}

bool PartitionSearchJob::WaitUntilDone(UiWait& wait) {
  return worker_.WaitUntilDone(wait);
}

std::vector<std::shared_ptr<PartitionNode>> PartitionSearchJob::TakeFound() {
  std::lock_guard<std::mutex> lock(foundLock_);
  return std::exchange(found_, {});
}

uint64_t PartitionSearchJob::ElapsedSeconds() const {
  const auto elapsed = std::chrono::steady_clock::now() - started_;
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
}

std::string PartitionSearchJob::ElapsedText(uint64_t elapsedSeconds) {
  return FormatTimeSpan(elapsedSeconds);
}

std::string PartitionSearchJob::TimeLeftText(uint64_t elapsedSeconds) const {
  if (Finished()) return search_texts::kFinished;
  // The estimate follows the same rule as the image window's.
  return ImageTimeLeftText(elapsedSeconds, Total(), Position());
}

void PartitionSearchJob::SetTotal(uint32_t total) {
  total_.store(total, std::memory_order_release);
}

void PartitionSearchJob::AddPartition(const std::shared_ptr<PartitionNode>& partition) {
  std::lock_guard<std::mutex> lock(foundLock_);
  found_.push_back(partition);
}

}  // namespace orvande
