#include "disk/image_file_node.h"

#include <new>

#include "disk/ewf_image_device.h"
#include "disk/image_file_device.h"
#include "disk/image_format.h"
#include "disk/split_image_device.h"

namespace orvande {

ImageFileNode::ImageFileNode(std::string path, std::string displayName, platform::RawIo& io)
    : path_(std::move(path)),
      displayName_(displayName.empty() ? path_ : std::move(displayName)),
      io_(&io) {}

// Chosen here so that every front end reads evidence sets and split images alike. The kind is
// read from the file system itself (as the other pieces of a split set are found there), apart
// from the reads the device then makes through its reader.
SectorDevice* ImageFileNode::CreateDevice() {
  switch (DetectImageFormat(path_, platform::SystemRawIo())) {
    case ImageFormat::kEvidence:
      return new (std::nothrow) EwfImageDevice(this);
    case ImageFormat::kSplitRaw:
      return new (std::nothrow) SplitImageDevice(this, *io_);
    case ImageFormat::kRaw:
      break;
  }
  return new (std::nothrow) ImageFileDevice(this, *io_);
}

}  // namespace orvande
