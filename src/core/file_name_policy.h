#pragma once
// How a recovery job names the files it writes: the answer to files that exist already, free
// "[Copy NNN]" names, and the unknown first character of deleted names. Free functions; the
// policy and the replacement character belong to one job and are used by its thread only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/prompter.h"

namespace orvande {

// Linux limits that stand in for the 260-character path of the original platform: a path of
// PATH_MAX bytes (its terminating zero included) and a name of NAME_MAX bytes.
inline constexpr size_t kMaxPathBytes = 4096;
inline constexpr size_t kMaxNameBytes = 255;

// What to do with a destination file that exists; one per job, "ask" at the start.
enum class FileNamePolicy : uint32_t { kAsk = 0, kOverwriteAll = 1, kSkipAll = 2, kRenameAll = 3 };

// False means: do not write this file. With renamed set, newPath is the free name to use. May ask
// "Confirm file replace" through the active prompter and change the policy.
// existed (optional) tells whether something of that name was there (unless the policy is
// overwrite-all, which does not look).
bool ResolveExistingFile(FileNamePolicy& policy, const std::string& path, bool* renamed,
                         std::string* newPath, size_t capacity = kMaxPathBytes,
                         bool* existed = nullptr);

// The first free "stem[Copy NNN].ext" for NNN from 001 to 998; false when the path is too long
// for the capacity or every number is taken. The extension starts at the last '.' after the last
// '/', '\' or ':'. A stem whose name would pass the name limit is shortened to fit.
bool MakeCopyName(const std::string& path, std::string* newPath, size_t capacity = kMaxPathBytes);

// The characters a name typed in the "Broken File Name" dialog may not hold.
bool IsInvalidNameSymbol(char c);

// The string id of the message a "Broken File Name" answer is refused with (61206, 61207 or
// 61231), or 0 when it is acceptable. Only kRename answers are checked.
uint32_t BrokenNameProblem(const BrokenNameAnswer& answer);

enum class NameFix { kUse, kSkip, kSkipAll };

// Fixes the unknown character ('?') of a name: with a replacement character chosen earlier the
// first '?' becomes it; otherwise "Broken File Name" is asked (refused answers are explained and
// asked again). A ticked symbol box sets the replacement for every later name.
NameFix FixBrokenName(std::string& name, char& replacement);

}  // namespace orvande
