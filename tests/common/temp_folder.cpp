#include "common/temp_folder.h"

#include <cstdlib>
#include <stdexcept>

namespace orvande::test {

TempFolder::TempFolder(const std::string& stem) {
  std::string pattern = (std::filesystem::temp_directory_path() / (stem + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder " + pattern);
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace orvande::test
