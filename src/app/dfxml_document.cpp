#include "app/dfxml_document.h"

#include <cctype>
#include <cstdio>

#include "platform/file_time.h"

namespace orvande {
namespace {

constexpr char kDfxmlNamespace[] =
    "http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML";
constexpr char kDublinCoreNamespace[] = "http://purl.org/dc/elements/1.1/";

// The length of the valid UTF-8 sequence starting at text[at], or 0.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  uint32_t lowest = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0)
    length = 2, lowest = 0x80;
  else if ((lead & 0xF0) == 0xE0)
    length = 3, lowest = 0x800;
  else if ((lead & 0xF8) == 0xF0)
    length = 4, lowest = 0x10000;
  else
    return 0;
  if (at + length > text.size()) return 0;
  uint32_t code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and the two non-characters XML refuses are not text.
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE ||
      code == 0xFFFF)
    return 0;
  return length;
}

void AppendByteEscape(std::string& out, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  out += text;
}

std::string IsoTime(uint64_t fileTime) {
  platform::CalendarTime time;
  if (fileTime == 0 || !platform::FileTimeToUtcCalendar(fileTime, &time)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  return text;
}

// fiwalk's names for the file systems.
std::string FileSystemTypeText(const std::string& fileSystem) {
  std::string text;
  for (char c : fileSystem) text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void Element(std::ostream& out, const char* indent, const char* name, const std::string& value) {
  if (value.empty()) return;
  out << indent << '<' << name << '>' << XmlEscaped(value) << "</" << name << ">\n";
}

void Element(std::ostream& out, const char* indent, const char* name, uint64_t value) {
  out << indent << '<' << name << '>' << value << "</" << name << ">\n";
}

void WriteCreator(std::ostream& out, const DfxmlCreator& creator) {
  out << "  <creator version='1.0'>\n";
  Element(out, "    ", "program", creator.program);
  Element(out, "    ", "version", creator.version);
  out << "    <execution_environment>\n";
  Element(out, "      ", "os_sysname", creator.osSysname);
  Element(out, "      ", "os_release", creator.osRelease);
  Element(out, "      ", "arch", creator.arch);
  Element(out, "      ", "command_line", creator.commandLine);
  out << "    </execution_environment>\n  </creator>\n";
}

void WriteByteRuns(std::ostream& out, const ExportItem& item) {
  if (!item.runsKnown || item.runs.empty()) return;
  out << "      <byte_runs>\n";
  for (const ExportByteRun& run : item.runs) {
    out << "        <byte_run file_offset='" << run.fileOffset << "' img_offset='"
        << run.imageOffset << "' len='" << run.length << "'/>\n";
  }
  out << "      </byte_runs>\n";
}

void WriteFileObject(std::ostream& out, const ExportItem& item) {
  out << "    <fileobject>\n";
  Element(out, "      ", "filename", item.path);
  Element(out, "      ", "id", uint64_t{item.id});
  Element(out, "      ", "name_type", std::string(item.folder ? "d" : "r"));
  Element(out, "      ", "filesize", item.size);
  Element(out, "      ", item.deleted ? "unalloc" : "alloc", uint64_t{1});
  Element(out, "      ", "meta_type", uint64_t{item.folder ? 2u : 1u});
  Element(out, "      ", "mtime", IsoTime(item.modified));
  Element(out, "      ", "crtime", IsoTime(item.created));
  WriteByteRuns(out, item);
  out << "    </fileobject>\n";
}

}  // namespace

std::string XmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    const size_t length = Utf8SequenceLength(text, at);
    if (length == 0 || (c < 0x20 && c != '\t' && c != '\n' && c != '\r')) {
      AppendByteEscape(out, c);
      ++at;
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out.append(text.substr(at, length));
    }
    at += length;
  }
  return out;
}

void WriteDfxml(std::ostream& out, const DfxmlCreator& creator, const DfxmlVolume& volume,
                const std::vector<ExportItem>& items) {
  out << "<?xml version='1.0' encoding='UTF-8'?>\n"
      << "<dfxml xmlns='" << kDfxmlNamespace << "' xmlns:dc='" << kDublinCoreNamespace
      << "' version='1.0'>\n"
      << "  <metadata>\n    <dc:type>Disk Image</dc:type>\n  </metadata>\n";
  WriteCreator(out, creator);
  out << "  <source>\n";
  Element(out, "    ", "image_filename", volume.imageFilename);
  out << "  </source>\n  <volume offset='" << volume.partitionOffset << "'>\n";
  Element(out, "    ", "partition_offset", volume.partitionOffset);
  Element(out, "    ", "sector_size", uint64_t{volume.sectorSize});
  Element(out, "    ", "block_size", uint64_t{volume.blockSize});
  Element(out, "    ", "ftype_str", FileSystemTypeText(volume.fileSystem));
  Element(out, "    ", "block_count", volume.blockCount);
  for (const ExportItem& item : items) WriteFileObject(out, item);
  out << "  </volume>\n</dfxml>\n";
}

}  // namespace orvande
