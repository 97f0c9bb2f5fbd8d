#pragma once
// The filters a user puts on a listing or a recovery: a name pattern, a size range, a range of
// modification times and the recovery probabilities wanted. Plain values; one instance may be
// read from several threads.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/record_filter.h"

namespace orvande {

class FileFilter final : public RecordFilter {
 public:
  std::optional<std::string> namePattern;  // '*', '?' and [set] as a shell has them
  bool ignoreCase = false;                 // names compared as FAT compares them
  std::optional<uint64_t> minSize;
  std::optional<uint64_t> maxSize;
  std::optional<uint64_t> modifiedAfter;   // 100 ns units since 1601 UTC, inclusive
  std::optional<uint64_t> modifiedBefore;  // exclusive
  uint32_t probabilities = 0;              // bits 1 << kProbability code; 0 takes every file

  bool Empty() const;
  // probability: a kProbability code (kProbabilityNotDeleted for live files).
  bool Matches(std::string_view name, uint64_t size, uint64_t modified, uint32_t probability) const;
  bool Accepts(const FileRecord& record, VolumeAnalyzer& analyzer) const override;
};

// True when name matches pattern ('*' any run, '?' one byte, [abc] [a-z] [!a] one of a set).
bool GlobMatches(std::string_view pattern, std::string_view name, bool ignoreCase);

// "2021-03-15", "2021-03-15T10:20" or "2021-03-15T10:20:30" (UTC, a space may stand for 'T')
// as 100 ns units since 1601; nullopt when it is no such date.
std::optional<uint64_t> ParseUtcTime(std::string_view text);

// "good", "average" or "poor" as a kProbability code; nullopt otherwise.
std::optional<uint32_t> ParseProbability(std::string_view text);

}  // namespace orvande
