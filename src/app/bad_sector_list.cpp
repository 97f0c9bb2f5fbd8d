#include "app/bad_sector_list.h"

#include <algorithm>
#include <fstream>

namespace orvande {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Blanks, control characters and the dash between the two numbers.
bool IsSeparator(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte == ' ' || byte < 0x20 || byte == 0x7F || c == '-';
}

// A decimal number at the start of text, which it consumes; nullopt when there is none or it
// does not fit 64 bits.
std::optional<uint64_t> TakeNumber(std::string_view& text) {
  if (text.empty() || !IsDigit(text.front())) return std::nullopt;
  uint64_t value = 0;
  size_t used = 0;
  for (; used < text.size() && IsDigit(text[used]); ++used) {
    const uint64_t digit = static_cast<uint64_t>(text[used] - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  text.remove_prefix(used);
  return value;
}

}  // namespace

std::optional<SectorRange> ParseBadSectorLine(std::string_view line) {
  const auto first = TakeNumber(line);
  if (!first) return std::nullopt;
  while (!line.empty() && IsSeparator(line.front())) line.remove_prefix(1);
  if (line.empty()) return SectorRange{*first, *first};
  const auto second = TakeNumber(line);
  if (!second) return std::nullopt;
  // Written backwards the range still means the sectors between the two numbers.
  return SectorRange{std::min(*first, *second), std::max(*first, *second)};
}

void BadSectorList::Add(SectorRange range) {
  ranges_.push_back(range);
}

bool BadSectorList::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (auto range = ParseBadSectorLine(line)) Add(*range);
  }
  return true;
}

bool BadSectorList::Contains(uint64_t sector) const {
  return std::any_of(ranges_.begin(), ranges_.end(), [sector](const SectorRange& range) {
    return sector >= range.first && sector <= range.last;
  });
}

}  // namespace orvande
