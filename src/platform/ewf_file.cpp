#include "platform/ewf_file.h"

#include <libewf.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/error_numbers.h"

namespace orvande::platform {
namespace {

libewf_handle_t* AsHandle(void* handle) {
  return static_cast<libewf_handle_t*>(handle);
}

// The library's words for an error, which is freed here.
std::string TakeErrorText(libewf_error_t* error) {
  if (error == nullptr) return {};
  char text[512] = {};
  const int length = libewf_error_sprint(error, text, sizeof text);
  libewf_error_free(&error);
  return length > 0 ? std::string(text) : std::string();
}

// The segment names the library finds beside the given one. A first segment named against the
// usual scheme (an evidence file called disk.img) is read on its own.
std::vector<std::string> SegmentNames(const std::string& segmentPath, std::string* failureText) {
  char** names = nullptr;
  int count = 0;
  libewf_error_t* error = nullptr;
  if (libewf_glob(segmentPath.c_str(), segmentPath.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count,
                  &error) != 1) {
    *failureText = TakeErrorText(error);
    return {segmentPath};
  }
  std::vector<std::string> list(names, names + count);
  libewf_glob_free(names, count, nullptr);
  if (list.empty()) list.push_back(segmentPath);
  return list;
}

}  // namespace

EwfFile::~EwfFile() {
  Close();
}

bool EwfFile::Open(const std::string& segmentPath, uint32_t* error) {
  Close();
  failureText_.clear();
  // The library's errors carry no system error: a missing or forbidden file is told apart first.
  if (access(segmentPath.c_str(), R_OK) != 0) {
    *error = LastError();
    return false;
  }
  std::string globText;
  const std::vector<std::string> names = SegmentNames(segmentPath, &globText);
  std::vector<char*> pointers;
  for (const std::string& name : names) pointers.push_back(const_cast<char*>(name.c_str()));

  libewf_handle_t* handle = nullptr;
  libewf_error_t* libraryError = nullptr;
  if (libewf_handle_initialize(&handle, &libraryError) != 1) {
    failureText_ = TakeErrorText(libraryError);
    *error = kErrNotEnoughMemory;
    return false;
  }
  size64_t mediaSize = 0;
  uint32_t bytesPerSector = 0;
  if (libewf_handle_open(handle, pointers.data(), static_cast<int>(pointers.size()),
                         LIBEWF_OPEN_READ, &libraryError) != 1 ||
      libewf_handle_get_media_size(handle, &mediaSize, &libraryError) != 1 ||
      libewf_handle_get_bytes_per_sector(handle, &bytesPerSector, &libraryError) != 1) {
    failureText_ = TakeErrorText(libraryError);
    if (failureText_.empty()) failureText_ = globText;
    libewf_handle_close(handle, nullptr);
    libewf_handle_free(&handle, nullptr);
    *error = kErrCrc;
    return false;
  }
  handle_ = handle;
  mediaSize_ = mediaSize;
  bytesPerSector_ = bytesPerSector;
  // The library opens a cut-off or damaged set without a word and then reads zeros where
  // chunks are missing: such a set is refused at once, rather than looking like an empty volume.
  if (libewf_handle_segment_files_corrupted(handle, nullptr) != 0 || !CanReadEnds()) {
    Close();
    *error = kErrCrc;
    return false;
  }
  return true;
}

bool EwfFile::CanReadEnds() {
  uint8_t sector[4096];
  const uint64_t tail = std::min<uint64_t>(mediaSize_, sizeof sector);
  size_t got = 0;
  uint32_t error = 0;
  return ReadAt(0, sector, static_cast<size_t>(tail), &got, &error) && got == tail &&
         ReadAt(mediaSize_ - tail, sector, static_cast<size_t>(tail), &got, &error) && got == tail;
}

void EwfFile::Close() {
  if (handle_ == nullptr) return;
  libewf_handle_t* handle = AsHandle(handle_);
  libewf_handle_close(handle, nullptr);
  libewf_handle_free(&handle, nullptr);
  handle_ = nullptr;
  mediaSize_ = 0;
  bytesPerSector_ = 0;
  checksumErrors_ = 0;
}

bool EwfFile::ReadAt(uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                     uint32_t* error) {
  *bytesRead = 0;
  if (handle_ == nullptr) {
    *error = kErrInvalidHandle;
    return false;
  }
  if (offset >= mediaSize_ || size == 0) return true;
  if (size > mediaSize_ - offset) size = static_cast<size_t>(mediaSize_ - offset);
  libewf_error_t* libraryError = nullptr;
  const ssize_t got = libewf_handle_read_random(AsHandle(handle_), buffer, size,
                                                static_cast<off64_t>(offset), &libraryError);
  if (got < 0) {
    failureText_ = TakeErrorText(libraryError);
    *error = kErrCrc;
    return false;
  }
  // A chunk whose checksum fails comes back as zeros; it is a data error, not data.
  uint32_t checksumErrors = 0;
  if (libewf_handle_get_number_of_checksum_errors(AsHandle(handle_), &checksumErrors, nullptr) ==
          1 &&
      checksumErrors > checksumErrors_) {
    checksumErrors_ = checksumErrors;
    *error = kErrCrc;
    return false;
  }
  *bytesRead = static_cast<size_t>(got);
  return true;
}

}  // namespace orvande::platform
