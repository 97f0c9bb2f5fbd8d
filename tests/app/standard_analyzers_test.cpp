// Every corpus image, opened the way a front end opens a volume, names its file system and says
// how its names match, so that no front end needs to know which analyzer it holds.
#include "app/standard_analyzers.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/corpus.h"
#include "common/port_doubles.h"
#include "core/analyzer_factory.h"
#include "disk/image_file_node.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

TEST(StandardAnalyzers, TellTheirFileSystemAndHowNamesMatch) {
  RegisterStandardAnalyzers();
  struct Case {
    const char* image;
    const char* fileSystem;
    bool ignoreCase;
  };
  for (const Case& c : {Case{"fat12", "FAT12", true}, Case{"fat16", "FAT16", true},
                        Case{"fat32", "FAT32", true}, Case{"ntfs4k", "NTFS", false},
                        Case{"ntfs4kn", "NTFS", false}, Case{"ntfs512", "NTFS", false}}) {
    const test::CorpusImage& image = test::LoadCorpusImage(c.image);
    ASSERT_EQ(image.fs, c.fileSystem) << c.image;
    ImageFileNode node(image.imagePath);
    test::ScriptedPrompter prompter;
    OperationLog log;
    std::unique_ptr<VolumeAnalyzer> analyzer = CreateAnalyzer(&node, false, &log, &prompter);
    ASSERT_NE(analyzer, nullptr) << c.image;
    EXPECT_EQ(analyzer->FileSystemName(), c.fileSystem) << c.image;
    EXPECT_EQ(analyzer->NamesIgnoreCase(), c.ignoreCase) << c.image;
    EXPECT_TRUE(prompter.Prompts().empty()) << c.image;
  }
}

}  // namespace
}  // namespace orvande
