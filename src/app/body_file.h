#pragma once
// The body file (version 3) that timeline tools read: one line per item,
// MD5|name|inode|mode_as_string|UID|GID|size|atime|mtime|ctime|crtime, 0 for what the volume
// does not tell. Pure functions; safe from any thread.
#include <string>
#include <vector>

#include "app/export_item.h"

namespace orvande {

struct BodyFileStyle {
  // On NTFS a deleted item's name no longer says what it was: its type letter is then '-'.
  bool deletedTypeUnknown = false;
};

// The name as the line shows it: "/" before the path, control characters as '^', and
// " (deleted)" after a deleted item's name.
std::string BodyFileName(const ExportItem& item);

// One line, without the line end.
std::string BodyFileLine(const ExportItem& item, const BodyFileStyle& style);

std::vector<std::string> BodyFileLines(const std::vector<ExportItem>& items,
                                       const BodyFileStyle& style);

}  // namespace orvande
