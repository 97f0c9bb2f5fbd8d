#pragma once
// Which file systems the lost partition search keeps, as the bit set the settings store. A value;
// safe from any thread.
#include <cstdint>
#include <functional>

namespace orvande {

enum SearchOption : uint32_t {
  SearchNtfs = 1,  // NTFS candidates and the extra candidate at the end of the search
  SearchFat32 = 2,
  SearchFat16 = 4,
  SearchFat12 = 8,
};

inline constexpr uint32_t kAllSearchOptions = SearchNtfs | SearchFat32 | SearchFat16 | SearchFat12;

// Asked each time a candidate is judged, so a change of the settings during a search is seen.
using SearchOptionsSource = std::function<uint32_t()>;

}  // namespace orvande
