#pragma once
// Reads the media of an evidence file set (NAME.E01, NAME.E02, ...) in the caller's units,
// read-only. Never fills bad sectors: a chunk the set cannot give is a failed read. Reads from
// one thread at a time.
#include <cstdint>
#include <string>

#include "disk/sector_device.h"
#include "platform/ewf_file.h"

namespace orvande {

class ImageFileNode;

class EwfImageDevice final : public SectorDevice {
 public:
  // The node's path names a segment of the set, usually the first.
  explicit EwfImageDevice(ImageFileNode* node);
  ~EwfImageDevice() override;

  bool Open(bool quiet, Prompter* prompter) override;
  void Close() override;
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool fillBadSectors) override;
  DeviceNode* GetNode() override;
  const uint8_t* GetStoredBootSector() override { return nullptr; }
  uint64_t SizeInBytes() override { return file_.MediaSize(); }

  uint32_t LastOpenError() const { return lastOpenError_; }

 private:
  ImageFileNode* node_;
  platform::EwfFile file_;
  uint32_t lastOpenError_ = 0;
};

// What the user is told when a set cannot be opened: the library's words where it has any.
std::string EvidenceOpenFailureText(uint32_t code, const std::string& libraryText);

}  // namespace orvande
