#pragma once
// The file filters that analyze and recover share: --name GLOB, --min-size, --max-size,
// --modified-after, --modified-before, --probability. Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "app/file_filter.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace orvande::cli {

class FilterOptions {
 public:
  void Register(CLI::App* sub);
  // The filter the options give; names compared without regard to case when ignoreCase.
  FileFilter Build(bool ignoreCase) const;

 private:
  std::string name_;
  uint64_t minSize_ = 0;
  uint64_t maxSize_ = 0;
  std::string after_;
  std::string before_;
  std::vector<std::string> probabilities_;
  CLI::Option* nameOption_ = nullptr;
  CLI::Option* minOption_ = nullptr;
  CLI::Option* maxOption_ = nullptr;
};

}  // namespace orvande::cli
