#include "app/list_row_search.h"

#include "app/file_search.h"
#include "app/name_match.h"

namespace orvande {

std::optional<size_t> FindListRow(size_t rowCount, std::optional<size_t> firstSelected,
                                  const std::function<ListRowName(size_t row)>& rowAt,
                                  const NameQuery& query) {
  for (size_t row = firstSelected ? *firstSelected + 1 : 0; row < rowCount; ++row) {
    const ListRowName named = rowAt(row);
    if (named.folder || (query.deletedOnly && !named.deleted)) continue;
    if (NameMatches(named.name, query.text, query.wholeName, query.matchCase)) return row;
  }
  return std::nullopt;
}

}  // namespace orvande
