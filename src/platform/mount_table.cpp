#include "platform/mount_table.h"

#include <fstream>
#include <sstream>

namespace orvande::platform {
namespace {

bool IsOctal(char c) {
  return c >= '0' && c <= '7';
}

// The file writes blanks, tabs, line feeds and backslashes in names as "\040" and the like.
std::string Unescape(const std::string& field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      text.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                       (field[i + 3] - '0')));
      i += 3;
    } else {
      text.push_back(field[i]);
    }
  }
  return text;
}

bool HasOption(const std::string& options, const std::string& name) {
  std::istringstream in(options);
  std::string option;
  while (std::getline(in, option, ',')) {
    if (option == name) return true;
  }
  return false;
}

// "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue": the optional
// fields end at the lone "-".
bool ParseLine(const std::string& line, MountEntry* entry) {
  std::istringstream in(line);
  std::string id, parent, numbers, root, mountPoint, options;
  if (!(in >> id >> parent >> numbers >> root >> mountPoint >> options)) return false;
  std::string field;
  while (in >> field && field != "-") {
  }
  std::string fsType, source, superOptions;
  if (field != "-" || !(in >> fsType >> source)) return false;
  in >> superOptions;
  entry->mountPoint = Unescape(mountPoint);
  entry->source = Unescape(source);
  entry->fsType = fsType;
  entry->readOnly = HasOption(options, "ro") || HasOption(superOptions, "ro");
  return true;
}

}  // namespace

std::vector<MountEntry> ReadMountTable(const std::string& mountInfoPath) {
  std::vector<MountEntry> mounts;
  std::ifstream in(mountInfoPath);
  std::string line;
  while (std::getline(in, line)) {
    MountEntry entry;
    if (ParseLine(line, &entry)) mounts.push_back(std::move(entry));
  }
  return mounts;
}

}  // namespace orvande::platform
