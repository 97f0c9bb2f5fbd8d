#pragma once
// A corpus image analysed through the app's analysis operation, for tests that work on the built
// files tree. Used by one test thread.
#include <string>

#include "app/sleeping_wait.h"
#include "app/standard_analyzers.h"
#include "app/volume_analysis.h"
#include "common/corpus.h"
#include "disk/image_file_node.h"

namespace orvande::test {

class AnalyzedCorpus {
 public:
  explicit AnalyzedCorpus(const std::string& name)
      : image_((RegisterStandardAnalyzers(), LoadCorpusImage(name).imagePath)) {
    if (analysis_.Start(&image_, AnalysisPorts{}, wait_)) status_ = analysis_.WaitForEnd(wait_);
  }

  // True when the tree was built to its end.
  bool Built() const { return status_ == 0; }
  VolumeAnalysis& Analysis() { return analysis_; }

 private:
  ImageFileNode image_;
  VolumeAnalysis analysis_;
  SleepingWait wait_;
  uint32_t status_ = ~0u;
};

}  // namespace orvande::test
