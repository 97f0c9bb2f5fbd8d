#include "app/image_display_name.h"

namespace orvande {
namespace {

constexpr size_t kKeptHead = 8;
constexpr size_t kKeptTail = 8;

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

}  // namespace

std::string ImageDisplayName(const std::string& path) {
  const size_t length = path.size();
  size_t head = length;
  for (size_t i = kKeptHead; i < length; ++i) {
    if (IsSeparator(path[i])) {
      head = i;
      break;
    }
  }
  if (head >= length || length < kKeptTail) return path;
  for (size_t j = length - kKeptTail; j > head; --j) {
    if (IsSeparator(path[j])) return path.substr(0, head + 1) + "..." + path.substr(j);
  }
  return path;
}

}  // namespace orvande
