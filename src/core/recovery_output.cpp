#include "core/recovery_output.h"

#include <algorithm>

#include "core/ports.h"
#include "core/recovery_context.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// Sizes above this get a progress range of size >> 4 so that it fits the bar's 32 bits.
constexpr uint64_t kLargeFileThreshold = 0x0FFFFFFF;
constexpr uint32_t kLargeFileProgressShift = 4;

}  // namespace

RecoveryOutput::RecoveryOutput(const std::string& path, uint64_t size, RecoveryContext& context,
                               OperationLog* log)
    : path_(path),
      context_(context),
      log_(log),
      remaining_(size),
      shift_(size > kLargeFileThreshold ? kLargeFileProgressShift : 0) {}

bool RecoveryOutput::Create() {
  uint32_t error = file_.CreateFresh(path_);
  if (error == kSuccess) return true;
  if (log_ != nullptr) {
    log_->AddFormat(OperationLog::kError, strings::kCantCreateFileFormat, path_.c_str());
    log_->AddPlatformError(error);
  }
  return false;
}

void RecoveryOutput::StartProgress() {
  if (context_.progressBar == nullptr) return;
  context_.progressBar->SetRange(0, static_cast<uint32_t>(remaining_ >> shift_));
  context_.progressBar->SetPosition(0);
}

bool RecoveryOutput::Write(const uint8_t* data, uint64_t maxBytes, uint32_t unitBytes) {
  const uint64_t bytes = std::min(remaining_, maxBytes);
  if (bytes == 0) return true;
  if (uint32_t error = file_.Write(data, static_cast<size_t>(bytes)); error != kSuccess) {
    ReportWriteError(error);
    return false;
  }
  remaining_ -= bytes;
  written_ += bytes;
  const uint64_t whole = bytes / unitBytes;
  if (whole > 0 && context_.progressBar != nullptr)
    context_.progressBar->Advance(static_cast<uint32_t>(whole * (unitBytes >> shift_)));
  return true;
}

bool RecoveryOutput::Close(bool ok) {
  if (uint32_t error = file_.Close(); error != kSuccess && ok) {
    ReportWriteError(error);
    return false;
  }
  return ok;
}

void RecoveryOutput::ReportWriteError(uint32_t error) {
  if (log_ == nullptr) return;
  log_->AddFormat(OperationLog::kError, strings::kCantWriteFileFormat, path_.c_str());
  log_->AddPlatformError(error);
}

}  // namespace orvande
