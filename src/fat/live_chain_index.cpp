#include "fat/live_chain_index.h"

#include <algorithm>

#include "fat/fat_table.h"

namespace orvande {

LiveChainIndex::LiveChainIndex(FatTable& table, uint32_t clusterEnd) {
  auto isData = [clusterEnd](uint32_t c) { return c >= 2 && c < clusterEnd; };
  auto nextOf = [&table, &isData](uint32_t c) {
    const uint32_t next = table.GetEntry(c);
    return isData(next) && !table.IsEndOfChain(next) && !table.IsBad(next) ? next : 0;
  };
  std::vector<bool> pointedTo(clusterEnd, false);
  for (uint32_t c = 2; isData(c); ++c)
    if (uint32_t next = nextOf(c)) pointedTo[next] = true;

  // Each cluster joins one chain at most: where two chains meet, the first walked keeps it.
  std::vector<bool> taken(clusterEnd, false);
  for (uint32_t start = 2; isData(start); ++start) {
    const uint32_t entry = table.GetEntry(start);
    if (pointedTo[start] || entry == 0 || table.IsBad(entry)) continue;
    Stretch stretch{start, start, start};
    taken[start] = true;
    for (uint32_t c = nextOf(start); c != 0 && !taken[c]; c = nextOf(c)) {
      taken[c] = true;
      if (c == stretch.last + 1) {
        stretch.last = c;
        continue;
      }
      stretches_.push_back(stretch);
      stretch = Stretch{c, c, start};
    }
    stretches_.push_back(stretch);
  }
  std::sort(stretches_.begin(), stretches_.end(),
            [](const Stretch& a, const Stretch& b) { return a.first < b.first; });
}

uint32_t LiveChainIndex::ChainStartOf(uint32_t cluster) const {
  auto after = std::upper_bound(stretches_.begin(), stretches_.end(), cluster,
                                [](uint32_t c, const Stretch& s) { return c < s.first; });
  if (after == stretches_.begin()) return 0;
  const Stretch& stretch = *(after - 1);
  return cluster <= stretch.last ? stretch.chainStart : 0;
}

}  // namespace orvande
