// Decodes arbitrary bytes as a run list and maps VCNs through it, compressed and not. Besides
// ending cleanly, a mapping must keep its promise: the VCNs it calls alike map to the LCNs after
// it (or are all sparse).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ntfs/run_list.h"

using namespace orvande;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint64_t start = data[0] & 0x3F;
  const uint64_t last = data[1] < 0x80 ? 0 : start + data[1];
  RunList runs = RunList::Decode(std::span(data + 2, size - 2), start);
  const uint64_t end = runs.EndVcn() + 40;
  for (bool compressed : {false, true}) {
    for (uint64_t vcn = 0; vcn < end && vcn < 1024; ++vcn) {
      VcnMapping mapping;
      if (!MapVcnInRuns(runs, last, compressed, vcn, true, &mapping)) continue;
      if (mapping.unitLcnCount > kClustersPerUnit) abort();
      const uint64_t check = std::min<uint64_t>(mapping.alike, 8);
      for (uint64_t i = 1; i < check; ++i) {
        VcnMapping next;
        if (!MapVcnInRuns(runs, last, compressed, vcn + i, false, &next)) abort();
        if (next.sparse != mapping.sparse || next.compressed != mapping.compressed) abort();
        if (!mapping.sparse && next.lcn != mapping.lcn + static_cast<int64_t>(i)) abort();
      }
    }
  }
  return 0;
}
