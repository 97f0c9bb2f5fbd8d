#include "app/file_filter.h"

#include <charconv>

#include "core/file_record.h"
#include "core/item_location.h"
#include "core/volume_analyzer.h"

namespace orvande {
namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kDaysFrom1601To1970 = 134774;

char Folded(char c, bool ignoreCase) {
  return ignoreCase && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The set at pattern[at] ('[' already there); *end is the index after its ']'. A set without its
// ']' is taken as a plain '['.
bool SetMatches(std::string_view pattern, size_t at, char c, bool ignoreCase, size_t* end) {
  size_t i = at + 1;
  const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negated) ++i;
  bool matched = false;
  bool first = true;
  for (; i < pattern.size() && (first || pattern[i] != ']'); ++i, first = false) {
    char low = Folded(pattern[i], ignoreCase);
    char high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      high = Folded(pattern[i + 2], ignoreCase);
      i += 2;
    }
    if (low <= c && c <= high) matched = true;
  }
  if (i >= pattern.size()) {
    *end = at + 1;
    return c == '[';
  }
  *end = i + 1;
  return matched != negated;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

bool ReadNumber(std::string_view text, size_t at, size_t digits, unsigned* value) {
  if (at + digits > text.size()) return false;
  const char* begin = text.data() + at;
  auto [end, error] = std::from_chars(begin, begin + digits, *value);
  return error == std::errc() && end == begin + digits;
}

}  // namespace

bool GlobMatches(std::string_view pattern, std::string_view name, bool ignoreCase) {
  size_t p = 0, n = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    const char c = Folded(name[n], ignoreCase);
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
      continue;
    }
    if (p < pattern.size()) {
      size_t next = p + 1;
      bool one = false;
      if (pattern[p] == '?')
        one = true;
      else if (pattern[p] == '[')
        one = SetMatches(pattern, p, c, ignoreCase, &next);
      else
        one = Folded(pattern[p], ignoreCase) == c;
      if (one) {
        p = next;
        ++n;
        continue;
      }
    }
    // Let the last '*' take one more byte, or fail.
    if (starP == std::string_view::npos) return false;
    p = starP + 1;
    n = ++starN;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<uint64_t> ParseUtcTime(std::string_view text) {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!ReadNumber(text, 0, 4, &year) || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
      !ReadNumber(text, 5, 2, &month) || !ReadNumber(text, 8, 2, &day))
    return std::nullopt;
  if (text.size() > 10) {
    if ((text[10] != 'T' && text[10] != ' ') || text.size() < 16 || text[13] != ':' ||
        !ReadNumber(text, 11, 2, &hour) || !ReadNumber(text, 14, 2, &minute))
      return std::nullopt;
    if (text.size() > 16 &&
        (text.size() != 19 || text[16] != ':' || !ReadNumber(text, 17, 2, &second)))
      return std::nullopt;
  }
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
      second > 59)
    return std::nullopt;
  const int64_t days = DaysFromCivil(year, month, day) + kDaysFrom1601To1970;
  const uint64_t seconds = static_cast<uint64_t>(days) * 86400 + hour * 3600 + minute * 60 + second;
  return seconds * kTicksPerSecond;
}

std::optional<uint32_t> ParseProbability(std::string_view text) {
  if (text == "good") return kProbabilityGood;
  if (text == "average") return kProbabilityAverage;
  if (text == "poor") return kProbabilityPoor;
  return std::nullopt;
}

bool FileFilter::Empty() const {
  return !namePattern && !minSize && !maxSize && !modifiedAfter && !modifiedBefore &&
         probabilities == 0;
}

bool FileFilter::Matches(std::string_view name, uint64_t size, uint64_t modified,
                         uint32_t probability) const {
  if (namePattern && !GlobMatches(*namePattern, name, ignoreCase)) return false;
  if (minSize && size < *minSize) return false;
  if (maxSize && size > *maxSize) return false;
  if (modifiedAfter && modified < *modifiedAfter) return false;
  if (modifiedBefore && modified >= *modifiedBefore) return false;
  if (probabilities != 0 && (probability >= 32 || (probabilities & (1u << probability)) == 0))
    return false;
  return true;
}

bool FileFilter::Accepts(const FileRecord& record, VolumeAnalyzer& analyzer) const {
  uint32_t probability = kProbabilityNotDeleted;
  if (probabilities != 0 && record.deleted) {
    // The estimate may correct a location; the record itself stays as the store has it.
    ItemLocation location = record.location;
    probability = analyzer.GetRecoveryProbability(location, record.size, nullptr);
  }
  return Matches(record.Name(), record.size, record.modified, probability);
}

}  // namespace orvande
