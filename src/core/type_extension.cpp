#include "core/type_extension.h"

#include <algorithm>

namespace orvande {
namespace {

// Asked in this order, so that a type several extensions share is named by the first: a ZIP
// archive is "zip" rather than "docx", a compound document "doc".
constexpr const char* kCommonExtensions[] = {"jpg", "png", "gif", "bmp", "tif", "pdf", "zip",
                                             "doc", "rar", "7z",  "mp3", "mp4", "wav", "avi"};

}  // namespace

void TypeExtension::Prepare(FindFileTypePlugin& plugin) {
  plugin_ = &plugin;
  processors_.pairs.clear();
  extensionOfType_.clear();
  if (!plugin.IsReady()) return;
  for (const char* extension : kCommonExtensions) {
    ProcessorSet set;
    if (!plugin.GetProcessorsForExtension(extension, set)) continue;
    for (const auto& pair : set.pairs) {
      const bool known = std::any_of(extensionOfType_.begin(), extensionOfType_.end(),
                                     [&](const auto& entry) { return entry.first == pair.first; });
      if (known) continue;
      processors_.pairs.push_back(pair);
      extensionOfType_.emplace_back(pair.first, extension);
    }
  }
}

std::string TypeExtension::Of(const uint8_t* data, uint32_t length) const {
  if (plugin_ == nullptr || processors_.Count() == 0) return {};
  const uint32_t type = plugin_->Recognise(processors_, data, length);
  for (const auto& [id, extension] : extensionOfType_) {
    if (id == type) return extension;
  }
  return {};
}

}  // namespace orvande
