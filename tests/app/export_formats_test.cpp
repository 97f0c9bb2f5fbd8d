// The body file and DFXML writers: what each item turns into.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/body_file.h"
#include "app/dfxml_document.h"
#include "platform/file_time.h"

namespace orvande {
namespace {

ExportItem Item(std::string path, bool folder, bool deleted) {
  ExportItem item;
  item.path = std::move(path);
  item.folder = folder;
  item.deleted = deleted;
  item.id = 7;
  item.size = folder ? 0 : 1234;
  item.modified = platform::UnixToFileTime(1615790282, 0);
  item.created = platform::UnixToFileTime(1615766400, 0);
  return item;
}

TEST(BodyFile, OneLinePerItemAsTimelineToolsReadIt) {
  struct Case {
    ExportItem item;
    bool ntfs;
    const char* line;
  };
  const Case cases[] = {
      {Item("DOCS/NOTES.TXT", false, false), false,
       "0|/DOCS/NOTES.TXT|7|r/rrwxrwxrwx|0|0|1234|0|1615790282|0|1615766400"},
      {Item("DOCS/?ARTIAL.TXT", false, true), false,
       "0|/DOCS/?ARTIAL.TXT (deleted)|7|r/rrwxrwxrwx|0|0|1234|0|1615790282|0|1615766400"},
      {Item("Old", true, true), true,
       "0|/Old (deleted)|7|-/drwxrwxrwx|0|0|0|0|1615790282|0|1615766400"},
      {Item("a|b\x01\tc\x7f", false, false), true,
       "0|/a|b^^c\x7f|7|r/rrwxrwxrwx|0|0|1234|0|1615790282|0|1615766400"},
  };
  for (const Case& c : cases) {
    BodyFileStyle style;
    style.deletedTypeUnknown = c.ntfs;
    EXPECT_EQ(BodyFileLine(c.item, style), c.line);
  }
  ExportItem timeless = Item("X", false, false);
  timeless.modified = 0;
  timeless.created = platform::UnixToFileTime(-5, 0);  // before 1970: unknown to the format
  EXPECT_EQ(BodyFileLines({timeless}, {}),
            std::vector<std::string>{"0|/X|7|r/rrwxrwxrwx|0|0|1234|0|0|0|0"});
}

TEST(Dfxml, TextIsEscapedAndNeverBreaksTheDocument) {
  struct Case {
    const char* text;
    const char* escaped;
  };
  for (const Case& c :
       {Case{"plain.txt", "plain.txt"}, Case{"a<b>&'\"", "a&lt;b&gt;&amp;&apos;&quot;"},
        Case{"Ünï\x01", "Ünï\\x01"}, Case{"bad\xC3(", "bad\\xC3("},
        Case{"\xE0\x80\x80", "\\xE0\\x80\\x80"}, Case{"\xEF\xBF\xBE", "\\xEF\\xBF\\xBE"}}) {
    EXPECT_EQ(XmlEscaped(c.text), c.escaped) << c.text;
  }
}

TEST(Dfxml, FileObjectsCarryStateTimesAndRuns) {
  ExportItem live = Item("dir/f&g.bin", false, false);
  live.runsKnown = true;
  live.runs = {{0, 4096, 2048}, {2048, 10240, 1000}};
  const ExportItem gone = Item("dir/gone.txt", false, true);
  std::ostringstream out;
  WriteDfxml(out, {"orvande-cli", "1.2", "", "Linux", "", ""},
             {"disk<1>.img", 1048576, 512, 4096, "FAT32", 100}, {live, gone});
  const std::string xml = out.str();
  for (const char* part :
       {"<dfxml xmlns='http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML'",
        "version='1.0'>", "<image_filename>disk&lt;1&gt;.img</image_filename>",
        "<partition_offset>1048576</partition_offset>", "<ftype_str>fat32</ftype_str>",
        "<filename>dir/f&amp;g.bin</filename>", "<alloc>1</alloc>", "<unalloc>1</unalloc>",
        "<mtime>2021-03-15T06:38:02Z</mtime>", "<crtime>2021-03-15T00:00:00Z</crtime>",
        "<byte_run file_offset='2048' img_offset='10240' len='1000'/>",
        "<os_sysname>Linux</os_sysname>"}) {
    EXPECT_NE(xml.find(part), std::string::npos) << part;
  }
  // Fields nobody knows are left out rather than written empty.
  EXPECT_EQ(xml.find("<os_release>"), std::string::npos);
  EXPECT_EQ(xml.find("<byte_runs>", xml.find("gone.txt")), std::string::npos);
}

}  // namespace
}  // namespace orvande
