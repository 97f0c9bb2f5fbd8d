#pragma once
// Names the file-name extension of a file known only by its data, through the recognisers of the
// file-type plug-in: each extension of a list of common ones brings the types the plug-in gives
// it, and data recognised as one of those types takes the first extension that brought it. Used
// by one thread (the analysis worker) after Prepare.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/file_type_plugin.h"

namespace orvande {

class TypeExtension {
 public:
  // Asks the plug-in for the recognisers; without a ready plug-in nothing is ever recognised.
  void Prepare(FindFileTypePlugin& plugin);
  bool IsPrepared() const { return plugin_ != nullptr; }
  // The extension without its dot, or empty when no type recognises the data.
  std::string Of(const uint8_t* data, uint32_t length) const;

 private:
  FindFileTypePlugin* plugin_ = nullptr;
  ProcessorSet processors_;
  std::vector<std::pair<uint32_t, std::string>> extensionOfType_;
};

}  // namespace orvande
