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
// "Confirm file replace" through the prompter and change the policy.
// existed (optional) tells whether something of that name was there (unless the policy is
// overwrite-all, which does not look).
bool ResolveExistingFile(Prompter& prompter, FileNamePolicy& policy, const std::string& path,
                         bool* renamed, std::string* newPath, size_t capacity = kMaxPathBytes,
                         bool* existed = nullptr);

// The first free "stem[Copy NNN].ext" for NNN from 001 to 998; false when the path is too long
// for the capacity or every number is taken. The extension starts at the last '.' after the last
// '/', '\' or ':'. A stem whose name would pass the name limit is shortened to fit.
bool MakeCopyName(const std::string& path, std::string* newPath, size_t capacity = kMaxPathBytes);

// The characters a name typed in the "Broken File Name" dialog may not hold.
bool IsInvalidNameSymbol(char c);
// True when symbol is one well-formed UTF-8 character that may stand in a file name: the
// replacement of the unknown character may be any character of the names' encoding.
bool IsValidNameSymbol(std::string_view symbol);

// The string id of the message a "Broken File Name" answer is refused with (61206, 61207 or
// 61231), or 0 when it is acceptable. Only kRename answers are checked.
uint32_t BrokenNameProblem(const BrokenNameAnswer& answer);

enum class NameFix { kUse, kSkip, kSkipAll };

// True when the name starts with the unknown character: the '?' that stands for the first
// character a deleted FAT short name lost. A '?' further on is part of the name.
bool HasUnknownFirstCharacter(std::string_view name);

// Fixes the unknown first character of a name: with a replacement chosen earlier (not empty) it
// becomes that; otherwise "Broken File Name" is asked through the prompter (refused answers are
// explained and asked again). A ticked symbol box sets the replacement for every later name.
NameFix FixBrokenName(Prompter& prompter, std::string& name, std::string& replacement);

}  // namespace orvande
