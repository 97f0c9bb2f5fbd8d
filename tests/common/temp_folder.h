#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. One thread at a time may use an instance.
#include <filesystem>
#include <string>

namespace orvande::test {

class TempFolder {
 public:
  // Named stem followed by six random characters. Throws std::runtime_error when it cannot be
  // made.
  explicit TempFolder(const std::string& stem);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace orvande::test
