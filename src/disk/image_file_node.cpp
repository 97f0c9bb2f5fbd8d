#include "disk/image_file_node.h"

#include <new>

#include "disk/image_file_device.h"

namespace orvande {

ImageFileNode::ImageFileNode(std::string path, std::string displayName, platform::RawIo& io)
    : path_(std::move(path)),
      displayName_(displayName.empty() ? path_ : std::move(displayName)),
      io_(&io) {}

SectorDevice* ImageFileNode::CreateDevice() {
  return new (std::nothrow) ImageFileDevice(this, *io_);
}

}  // namespace orvande
