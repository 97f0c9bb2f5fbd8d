#pragma once
// An ordered list of inclusive (first, last) sector runs of a volume. Not thread-safe.
#include <cstdint>
#include <vector>

namespace orvande {

struct SectorRun {
  uint32_t first = 0;
  uint32_t last = 0;
  bool operator==(const SectorRun&) const = default;
};

class SectorRunList {
 public:
  void AddSector(uint32_t sector) { AddRun(sector, sector); }
  // Extends the last run when the new one touches or overlaps its ends, else appends.
  void AddRun(uint32_t a, uint32_t b);
  bool Contains(uint32_t sector) const;
  const std::vector<SectorRun>& Runs() const { return runs_; }
  bool Empty() const { return runs_.empty(); }
  bool operator==(const SectorRunList&) const = default;

 private:
  std::vector<SectorRun> runs_;
};

}  // namespace orvande
