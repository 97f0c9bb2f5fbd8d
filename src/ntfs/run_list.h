#pragma once
// Run lists of non-resident attributes: decoded once into extents, then mapped VCN by VCN with a
// binary search. A value; safe to read from several threads, not to change.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvande {

inline constexpr uint32_t kClustersPerUnit = 16;
inline constexpr uint64_t kUnboundedRun = ~uint64_t{0};

struct RunExtent {
  uint64_t vcn = 0;     // first VCN
  uint64_t length = 0;  // clusters, never 0
  int64_t lcn = 0;      // first LCN; a sparse run keeps the running LCN it leaves unchanged
  bool sparse = false;
  uint64_t End() const { return vcn + length; }
};

// Why a run list was refused as damaged or hostile.
enum class RunListFault {
  kNone,
  kLcnBelowMinusOne,  // a run's LCN lies below -1
  kOverlap,           // a run's VCNs reach back over earlier ones (negative or wrapping length)
  kLcnOverflow,       // a run's clusters pass the largest LCN
  kShortOfLastVcn,    // the runs end before the attribute's highest VCN
};
// A short description of the fault for the log.
const char* RunListFaultText(RunListFault fault);

class RunList {
 public:
  // Decodes runs from the start of `bytes` (the run list offset up to the attribute's end). Each
  // run is a header byte (low nibble: length field size, high nibble: offset field size, each 0
  // to 8 bytes), an unsigned length and a signed offset to the previous run's LCN, sign-extended
  // from its size. A zero header ends the list; a field past the end or a field size above 8 ends
  // it early and leaves the list incomplete, keeping the runs decoded before. A list with an LCN
  // below -1, runs that overlap, or (lastVcn non-zero) runs that end before lastVcn is refused:
  // it keeps no runs and maps nothing.
  static RunList Decode(std::span<const uint8_t> bytes, uint64_t startingVcn, uint64_t lastVcn = 0);

  bool Complete() const { return complete_; }
  bool Refused() const { return fault_ != RunListFault::kNone; }
  RunListFault Fault() const { return fault_; }
  const std::vector<RunExtent>& Extents() const { return extents_; }
  uint64_t StartingVcn() const { return startingVcn_; }
  // The end of the last run (the starting VCN when there is none).
  uint64_t EndVcn() const { return extents_.empty() ? startingVcn_ : extents_.back().End(); }
  // Index of the run holding vcn, or kNone.
  static constexpr size_t kNone = ~size_t{0};
  size_t Find(uint64_t vcn) const;
  // Appends the runs of the attribute's next piece (from another record) when it starts where
  // these end and neither list is refused; the joined list is then as complete as that piece.
  // False, with nothing changed, otherwise.
  bool Append(const RunList& next);

 private:
  std::vector<RunExtent> extents_;
  uint64_t startingVcn_ = 0;
  bool complete_ = false;
  RunListFault fault_ = RunListFault::kNone;
};

// What mapping one VCN tells.
struct VcnMapping {
  int64_t lcn = -1;  // -1 when the VCN lies past the runs
  bool sparse = false;
  bool compressed = false;
  uint32_t indexInUnit = 0;  // the VCN's cluster index inside its unit of 16
  std::array<int64_t, kClustersPerUnit> unitLcns{};
  uint32_t unitLcnCount = 0;
  // When mapped: this VCN and the alike - 1 after it map alike (LCN + i, or all sparse).
  uint64_t alike = 1;
  // When not mapped: this VCN and the unmapped - 1 after it are not mapped either.
  uint64_t unmapped = 0;
};

// Maps vcn through an attribute's runs (lastVcn 0: no upper limit). False when vcn lies outside
// [starting VCN, lastVcn], or when the runs broke off before the end of the unit holding vcn.
//
// VCNs are grouped in units of 16 clusters from the starting VCN. In a compressed attribute a unit
// whose first run is sparse reads as zeros, a unit that starts with data and ends in a sparse run
// is compressed (its data clusters, collected in unitLcns when asked, hold the whole unit), and a
// run ending inside its unit is read as data. Other attributes map each VCN through its own run:
// their sparse runs need not follow unit bounds.
bool MapVcnInRuns(const RunList& runs, uint64_t lastVcn, bool compressed, uint64_t vcn,
                  bool collectUnit, VcnMapping* out);

}  // namespace orvande
