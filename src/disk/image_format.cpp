#include "disk/image_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"

namespace orvande {
namespace {

// The first eight bytes of every evidence segment file.
constexpr uint8_t kEvidenceSignature[] = {'E', 'V', 'F', 0x09, 0x0d, 0x0a, 0xff, 0x00};
constexpr char kFirstPieceSuffix[] = ".001";
// Three digits name a piece; a set cannot go on past them.
constexpr int kMaxPieces = 999;

bool StartsWithEvidenceSignature(const std::string& path, platform::RawIo& io) {
  uint32_t error = 0;
  const platform::RawIo::Handle handle = io.OpenReadOnly(path, &error);
  if (handle == platform::RawIo::kInvalidHandle) return false;
  uint8_t head[sizeof kEvidenceSignature] = {};
  size_t got = 0;
  const bool read = io.ReadAt(handle, 0, head, sizeof head, &got, &error);
  io.Close(handle);
  return read && got == sizeof head && std::memcmp(head, kEvidenceSignature, sizeof head) == 0;
}

bool NamedAsFirstPiece(const std::string& path) {
  return path.size() > std::strlen(kFirstPieceSuffix) && path.ends_with(kFirstPieceSuffix);
}

std::string PieceName(const std::string& stem, int number) {
  char suffix[8];
  std::snprintf(suffix, sizeof suffix, ".%03d", number);
  return stem + suffix;
}

}  // namespace

ImageFormat DetectImageFormat(const std::string& path, platform::RawIo& io) {
  if (StartsWithEvidenceSignature(path, io)) return ImageFormat::kEvidence;
  if (SplitImagePieces(path).size() > 1) return ImageFormat::kSplitRaw;
  return ImageFormat::kRaw;
}

std::vector<std::string> SplitImagePieces(const std::string& firstPiece) {
  std::vector<std::string> pieces{firstPiece};
  if (!NamedAsFirstPiece(firstPiece)) return pieces;
  const std::string stem = firstPiece.substr(0, firstPiece.size() - std::strlen(kFirstPieceSuffix));
  for (int number = 2; number <= kMaxPieces; ++number) {
    std::string next = PieceName(stem, number);
    if (!platform::PathExists(next)) break;
    pieces.push_back(std::move(next));
  }
  return pieces;
}

}  // namespace orvande
