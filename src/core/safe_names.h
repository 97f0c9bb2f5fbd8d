#pragma once
// Names read from a volume become file and folder names inside the destination folder. A hostile
// or damaged volume can hold names that would lead elsewhere ("..", "a/b") or that Linux cannot
// store (a zero byte, more than 255 bytes); these are rewritten into a safe name in the same
// place. Pure functions, safe from any thread.
#include <cstddef>
#include <string>
#include <string_view>

namespace orvande {

struct SafeName {
  std::string name;
  bool changed = false;
};

// '/' and zero bytes become '_'; "." and ".." get a leading '_'; a name over 255 bytes is cut to
// 255 bytes at a character boundary, keeping a short extension. An empty name stays empty.
SafeName MakeSafeName(std::string_view name);

// The longest prefix of text that has at most maxBytes bytes and does not end inside a UTF-8
// sequence; where the bytes at the cut are no UTF-8 (more than three continuation bytes in a
// row), maxBytes.
size_t Utf8PrefixLength(std::string_view text, size_t maxBytes);

// The name with zero bytes shown as "\0" and other control characters as "\x1b", for log lines
// and listings.
std::string PrintableName(std::string_view name);

}  // namespace orvande
