#include "disk/ewf_image_device.h"

#include "disk/byte_units_read.h"
#include "disk/image_file_node.h"
#include "disk/open_failure.h"
#include "platform/error_numbers.h"
#include "support/prompter.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kDamagedEvidence[] =
    "The evidence file set is damaged or incomplete and can not be read.";

}  // namespace

std::string EvidenceOpenFailureText(uint32_t code, const std::string& libraryText) {
  if (code != platform::kErrCrc) return DiskOpenFailureText(code);
  std::string text = kDamagedEvidence;
  if (!libraryText.empty()) text += "\n" + libraryText;
  return text;
}

EwfImageDevice::EwfImageDevice(ImageFileNode* node) : node_(node) {}

EwfImageDevice::~EwfImageDevice() {
  Close();
}

DeviceNode* EwfImageDevice::GetNode() {
  return node_;
}

bool EwfImageDevice::Open(bool quiet, Prompter* prompter) {
  if (node_ == nullptr) return false;
  lastOpenError_ = kSuccess;
  if (file_.Open(node_->GetPath(), &lastOpenError_)) return true;
  if (!quiet) {
    // A missing or forbidden file reads like any image file's; a damaged set says what is wrong.
    if (lastOpenError_ == platform::kErrCrc) {
      PrompterOrDefault(prompter).ShowMessage(
          EvidenceOpenFailureText(lastOpenError_, file_.FailureText()), strings::kErrorCaption,
          MessageIcon::kError, MessageButtons::kOk);
    } else {
      ShowImageOpenFailure(PrompterOrDefault(prompter));
    }
  }
  return false;
}

void EwfImageDevice::Close() {
  file_.Close();
}

uint32_t EwfImageDevice::ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                     uint32_t* result, uint32_t count, int unitShift,
                                     bool /*fillBadSectors*/) {
  const ByteRangeReader read = [this](uint64_t offset, void* to, size_t size, size_t* got,
                                      uint32_t* error) {
    return file_.ReadAt(offset, to, size, got, error);
  };
  return ReadUnitsAt(read, file_.IsOpen(), first, buffer, bufferSize, result, count, unitShift);
}

}  // namespace orvande
