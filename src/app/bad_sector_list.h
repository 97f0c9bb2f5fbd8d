#pragma once
// The sectors a user declared bad in badsectors.txt: one sector or one range "first-last" a line.
// Lines that name none are skipped. One thread at a time may change an instance; reading it from
// several threads is safe once it is filled.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvande {

struct SectorRange {
  uint64_t first = 0;
  uint64_t last = 0;  // inclusive
  bool operator==(const SectorRange&) const = default;
};

// One line: a decimal number at its very start; then blanks, control characters and '-' are
// skipped; the end of the line names that one sector, otherwise a second decimal number must
// follow and the line names the range between them. nullopt for a line that names nothing.
std::optional<SectorRange> ParseBadSectorLine(std::string_view line);

class BadSectorList {
 public:
  static constexpr char kFileName[] = "badsectors.txt";

  void Add(SectorRange range);
  // Adds every range the file names; false when it cannot be opened (a missing file is usual).
  bool ReadFile(const std::string& path);

  bool Contains(uint64_t sector) const;
  const std::vector<SectorRange>& Ranges() const { return ranges_; }
  bool Empty() const { return ranges_.empty(); }

 private:
  std::vector<SectorRange> ranges_;
};

}  // namespace orvande
