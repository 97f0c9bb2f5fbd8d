#pragma once
// A dynamically loaded library (the file-type search plug-in). Loading and unloading are not
// thread-safe; looking up symbols of a loaded library is.
#include <cstdint>
#include <string>

namespace orvande::platform {

class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Loads the library with every symbol resolved now and kept private to it. A path without '/'
  // is searched on the library search path. Unloads a library held before. 0 or an error code
  // (126 when it cannot be loaded; LastLoadError() then tells why).
  uint32_t Open(const std::string& path);
  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  void Close();

  bool IsOpen() const { return handle_ != nullptr; }
  const std::string& LastLoadError() const { return lastError_; }

  template <typename Fn>
  Fn Function(const char* name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }

 private:
  void* handle_ = nullptr;
  std::string lastError_;
};

}  // namespace orvande::platform
