#include "cli/search_range_option.h"

#include <cctype>
#include <charconv>

namespace orvande::cli {
namespace {

uint64_t SuffixBytes(char suffix) {
  switch (std::toupper(static_cast<unsigned char>(suffix))) {
    case 'K':
      return uint64_t{1} << 10;
    case 'M':
      return uint64_t{1} << 20;
    case 'G':
      return uint64_t{1} << 30;
    case 'T':
      return uint64_t{1} << 40;
    default:
      return 0;
  }
}

}  // namespace

std::optional<double> ParseRangeAmount(const std::string& text, uint64_t unitBytes) {
  std::string number = text;
  uint64_t unit = unitBytes;
  if (!number.empty() && std::toupper(static_cast<unsigned char>(number.back())) == 'B' &&
      number.size() >= 2 && SuffixBytes(number[number.size() - 2]) != 0)
    number.pop_back();
  if (!number.empty() && SuffixBytes(number.back()) != 0) {
    unit = SuffixBytes(number.back());
    number.pop_back();
  }
  double value = 0;
  const char* end = number.data() + number.size();
  const auto [stop, error] = std::from_chars(number.data(), end, value);
  if (number.empty() || error != std::errc() || stop != end || !(value >= 0)) return std::nullopt;
  return value * static_cast<double>(unit);
}

}  // namespace orvande::cli
