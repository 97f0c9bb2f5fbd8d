#include "app/image_writer_job.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <new>
#include <vector>

#include "app/frame_ports.h"
#include "app/image_target.h"
#include "core/volume_analyzer.h"
#include "platform/error_numbers.h"
#include "support/prompter.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr const char* kImageCaption = strings::kProgramTitle;

bool IsDiskFull(uint32_t code) {
  return code == platform::kErrNotEnoughMemory || code == platform::kErrOutOfMemory ||
         code == platform::kErrHandleDiskFull || code == platform::kErrDiskFull;
}

void ShowStatus(StatusTextSink* sink, const char* text) {
  if (sink != nullptr) sink->ShowStatusText(text);
}

// The copy loop of one job; its members are the loop's state.
class SectorCopier {
 public:
  SectorCopier(VolumeAnalyzer& analyzer, ImageTarget& target, Prompter& prompter,
               std::atomic<uint64_t>& bytesWritten, std::atomic<uint32_t>& position,
               const StopFlag& cancel)
      : analyzer_(analyzer),
        target_(target),
        prompter_(prompter),
        bytesWritten_(bytesWritten),
        position_(position),
        cancel_(cancel),
        sectorSize_(analyzer.BytesPerSector()),
        remaining_(analyzer.GetTotalSectors()),
        coarse_(remaining_ > kImageFineProgressLimit) {}

  uint32_t Run(size_t batchBytes) {
    const uint32_t batchSectors =
        static_cast<uint32_t>(std::max<size_t>(1, std::min<size_t>(batchBytes / sectorSize_,
                                                                   UINT32_MAX / sectorSize_)));
    try {
      buffer_.resize(size_t{batchSectors} * sectorSize_);
    } catch (const std::bad_alloc&) {
      return kErrOutOfMemory;
    }
    uint32_t result = kSuccess;
    while (!StopRequested(&cancel_) && remaining_ != 0) {
      const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(remaining_, batchSectors));
      // Fill on: a sector the medium cannot deliver comes back zeroed. Substitution on: sector 0
      // of a found partition is its stored boot sector.
      const uint32_t got = analyzer_.ReadVolumeSectors(
          sector_, buffer_.data(), static_cast<uint32_t>(buffer_.size()), &result, count,
          /*fillBadSectors=*/true, /*keepSectorZero=*/false);
      const uint32_t delivered = std::min(got, count);
      if (delivered != 0 && !WriteSectors(delivered, &result)) break;
      // A read that ends early ends the image where it stands, with the reader's code.
      if (delivered < count) break;
    }
    return result;
  }

 private:
  // Writes the first `count` sectors of the buffer; false when the loop is to stop. After a full
  // disk the sectors that did not go out wholly are read again on the next turn.
  bool WriteSectors(uint32_t count, uint32_t* result) {
    const size_t size = size_t{count} * sectorSize_;
    size_t written = 0;
    const uint32_t code = target_.Write(buffer_.data(), size, &written);
    const uint32_t whole = static_cast<uint32_t>(std::min(written, size) / sectorSize_);
    Advance(code == 0 ? count : whole);
    if (code == 0) return true;
    *result = code;
    if (IsDiskFull(code)) {
      if (prompter_.ShowMessage("Insufficient disk space. Continue?", kImageCaption,
                                MessageIcon::kError, MessageButtons::kYesNo) == MessageAnswer::kYes) {
        // Back to the end of the last whole sector, so the file stays a correct prefix.
        *result = target_.Seek(bytesWritten_.load());
        return *result == 0;
      }
    } else {
      char text[64];
      std::snprintf(text, sizeof text, "Image writing error: 0x%x", static_cast<unsigned>(code));
      prompter_.ShowMessage(text, kImageCaption, MessageIcon::kError, MessageButtons::kOk);
    }
    // A sector cut off by the failed write is no part of the image.
    target_.SetSize(bytesWritten_.load());
    return false;
  }

  void Advance(uint32_t sectors) {
    if (sectors == 0) return;
    const uint64_t before = sector_;
    sector_ += sectors;
    remaining_ -= sectors;
    bytesWritten_.fetch_add(uint64_t{sectors} * sectorSize_, std::memory_order_release);
    const uint64_t steps =
        coarse_ ? (sector_ >> kImageCoarseShift) - (before >> kImageCoarseShift) : sectors;
    position_.fetch_add(static_cast<uint32_t>(steps), std::memory_order_release);
  }

  VolumeAnalyzer& analyzer_;
  ImageTarget& target_;
  Prompter& prompter_;
  std::atomic<uint64_t>& bytesWritten_;
  std::atomic<uint32_t>& position_;
  const StopFlag& cancel_;
  const uint32_t sectorSize_;
  uint64_t remaining_;
  const bool coarse_;
  uint64_t sector_ = 0;
  std::vector<uint8_t> buffer_;
};

}  // namespace

ImageWriterJob::ImageWriterJob(VolumeAnalyzer* analyzer, ImageTarget* target, Prompter* prompter,
                               StatusTextSink* statusText)
    : analyzer_(analyzer), target_(target), prompter_(prompter), statusText_(statusText) {}

uint64_t ImageWriterJob::TotalSectors() const {
  return analyzer_ != nullptr ? analyzer_->GetTotalSectors() : 0;
}

uint64_t ImageWriterJob::ImageSize() const {
  return analyzer_ != nullptr ? TotalSectors() << analyzer_->SectorShift() : 0;
}

uint32_t ImageWriterJob::Range() const {
  const uint64_t total = TotalSectors();
  return static_cast<uint32_t>(total <= kImageFineProgressLimit ? total
                                                                : total >> kImageCoarseShift);
}

uint32_t WriteImageSectors(ImageWriterJob& job) {
  ShowStatus(job.statusText_, "Writing image...");
  // The cancel flag starts clear with the job: clearing it here would lose a Stop pressed
  // before this thread ran.
  job.bytesWritten_.store(0);
  job.position_.store(0);
  uint32_t result = kSuccess;
  if (job.analyzer_ == nullptr || job.target_ == nullptr) {
    result = ErrNotAvailable;
  } else if (job.analyzer_->BytesPerSector() != 0) {
    SectorCopier copier(*job.analyzer_, *job.target_, PrompterOrDefault(job.prompter_),
                        job.bytesWritten_, job.position_, job.cancel_);
    result = copier.Run(job.batchBytes_);
  }
  job.position_.store(kImagePositionDone, std::memory_order_release);
  job.cancel_.store(0);
  ShowStatus(job.statusText_, "");
  return result;
}

}  // namespace orvande
