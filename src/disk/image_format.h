#pragma once
// Which kind of image file a path holds: a plain raw image, an evidence file set, or the first
// piece of a raw image split into numbered pieces. Safe from any thread as long as `io` is.
#include <string>
#include <vector>

#include "platform/raw_io.h"

namespace orvande {

enum class ImageFormat { kRaw, kEvidence, kSplitRaw };

// By the file's first bytes (the evidence signature), else by its name: "NAME.001" with a
// "NAME.002" beside it is the first of a split set. Anything else, unreadable files included,
// is raw (opening it then tells what is wrong).
ImageFormat DetectImageFormat(const std::string& path, platform::RawIo& io);

// The pieces of a split set from its first one: NAME.001, NAME.002, ... as long as they follow
// on without a gap. Just the path itself when it is not named like a first piece.
std::vector<std::string> SplitImagePieces(const std::string& firstPiece);

}  // namespace orvande
