#pragma once
// A volume image file in the device list: raw, split into numbered pieces, or an evidence set.
// Read-only after construction: safe from any thread.
#include <string>

#include "disk/device_node.h"
#include "platform/raw_io.h"

namespace orvande {

class ImageFileNode final : public DeviceNode {
 public:
  // An empty display name shows the path itself.
  explicit ImageFileNode(std::string path, std::string displayName = std::string(),
                         platform::RawIo& io = platform::SystemRawIo());

  int GetKind() const override { return kNodeImageFile; }
  int GetFsKind() const override { return kFsNone; }
  std::string GetName() const override { return displayName_; }
  int IsRemovable() const override { return -1; }
  char GetDriveLetter() const override { return '0'; }
  SectorDevice* CreateDevice() override;

  const std::string& GetPath() const { return path_; }

 private:
  std::string path_;
  std::string displayName_;
  platform::RawIo* io_;
};

}  // namespace orvande
