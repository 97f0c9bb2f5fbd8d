#pragma once
// Finding the next row of a file list whose name matches a search: what the file list does for
// Find and for a pending selection by name. Keeps no state; safe to use from any thread.
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace orvande {

struct NameQuery;

// What the search needs to know of one row.
struct ListRowName {
  std::string_view name;
  bool folder = false;
  bool deleted = false;  // the row shows a deleted item (images 2 and 3)
};

// The first row after firstSelected (from the first row when none is selected) that is not a
// folder, is deleted when the query asks for deleted files only, and whose name matches.
std::optional<size_t> FindListRow(size_t rowCount, std::optional<size_t> firstSelected,
                                  const std::function<ListRowName(size_t row)>& rowAt,
                                  const NameQuery& query);

}  // namespace orvande
