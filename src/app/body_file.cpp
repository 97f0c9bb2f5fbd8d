#include "app/body_file.h"

#include <cstdint>

namespace orvande {
namespace {

// The timeline tools split on '|' alone; a control character would break their lines, so it is
// shown as '^' as other tools writing this format do.
std::string Sanitized(const std::string& name) {
  std::string text = name;
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = '^';
  }
  return text;
}

std::string ModeText(const ExportItem& item, const BodyFileStyle& style) {
  const char kind = item.folder ? 'd' : 'r';
  const char nameKind = item.deleted && style.deletedTypeUnknown ? '-' : kind;
  // No permissions are kept on these volumes: everything reads as open to all.
  return std::string(1, nameKind) + "/" + kind + "rwxrwxrwx";
}

}  // namespace

std::string BodyFileName(const ExportItem& item) {
  std::string name(1, '/');
  name += Sanitized(item.path);
  if (item.deleted) name += " (deleted)";
  return name;
}

std::string BodyFileLine(const ExportItem& item, const BodyFileStyle& style) {
  // No access or change times are kept, and no owner.
  const int64_t accessed = 0, changed = 0;
  std::string line = "0|" + BodyFileName(item) + "|" + std::to_string(item.id) + "|" +
                     ModeText(item, style) + "|0|0|" + std::to_string(item.size) + "|";
  line += std::to_string(accessed) + "|" + std::to_string(ExportUnixSeconds(item.modified)) + "|" +
          std::to_string(changed) + "|" + std::to_string(ExportUnixSeconds(item.created));
  return line;
}

std::vector<std::string> BodyFileLines(const std::vector<ExportItem>& items,
                                       const BodyFileStyle& style) {
  std::vector<std::string> lines;
  lines.reserve(items.size());
  for (const ExportItem& item : items) lines.push_back(BodyFileLine(item, style));
  return lines;
}

}  // namespace orvande
