#include "platform/shared_library.h"

#include <dlfcn.h>

#include <cstdint>

#include "platform/error_numbers.h"

namespace orvande::platform {

SharedLibrary::~SharedLibrary() {
  Close();
}

uint32_t SharedLibrary::Open(const std::string& path) {
  Close();
  lastError_.clear();
  if (path.empty()) return kErrModNotFound;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = dlerror();
    lastError_ = why ? why : "";
    return kErrModNotFound;
  }
  return 0;
}

void* SharedLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr || name == nullptr) return nullptr;
  return dlsym(handle_, name);
}

void SharedLibrary::Close() {
  if (handle_ != nullptr) {
    dlclose(handle_);
    handle_ = nullptr;
  }
}

}  // namespace orvande::platform
