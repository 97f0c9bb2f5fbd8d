#pragma once
// Whether a folder or file name matches what the user typed into Find, the way the search and the
// file list both compare names. Safe to use from any thread (it keeps no state).
#include <string_view>

namespace orvande {

// A text holding "*" or "?" is a wildcard pattern over the whole name ("*" any run of characters,
// none included; "?" one character). Any other text matches where it occurs in the name; with
// wholeName only an occurrence with no letter or digit right before or after it counts. Without
// matchCase letters compare regardless of case, non-ASCII ones included. Characters are UTF-8;
// a byte that is not part of a valid sequence counts as one character that equals only itself.
// An empty text matches nothing.
bool NameMatches(std::string_view name, std::string_view text, bool wholeName, bool matchCase);

}  // namespace orvande
