#pragma once
// An in-memory file layer for the device tests: named images, byte ranges that fail with a chosen
// error code (the data error for bad sectors), a record of every read, and a count of open handles.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/raw_io.h"

namespace orvande::test {

class FakeRawIo : public platform::RawIo {
 public:
  struct Read {
    uint64_t offset;
    size_t size;
    bool direct = false;  // made through ReadDirectAt
  };

  // Adds an image of `size` bytes whose byte i holds PatternByte(i), with the given sector size.
  void AddImage(const std::string& path, uint64_t size, uint32_t bytesPerSector = 512);
  // Reads that touch [offset, offset + size) fail with `error`. A cachedOnly failure stands for a
  // good neighbour of a bad sector inside the cache's page: only reads through the cache fail.
  void FailRange(uint64_t offset, uint64_t size, uint32_t error, bool cachedOnly = false);
  // Opening `path` fails with `error`.
  void FailOpen(const std::string& path, uint32_t error);

  Handle OpenReadOnly(const std::string& path, uint32_t* error) override;
  void Close(Handle handle) override;
  bool ReadAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
              uint32_t* error) override;
  bool ReadDirectAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                    uint32_t* error) override;
  bool QueryGeometry(Handle handle, platform::BlockGeometry* geometry, uint32_t* error) override;

  static uint8_t PatternByte(uint64_t offset) {
    return static_cast<uint8_t>((offset * 131 + (offset >> 9) * 7 + 1) & 0xFF);
  }

  size_t OpenHandles() const { return open_.size(); }
  const std::vector<Read>& Reads() const { return reads_; }
  void ClearReads() { reads_.clear(); }

 private:
  struct Image {
    uint64_t size;
    uint32_t bytesPerSector;
  };
  struct Failure {
    uint64_t offset, size;
    uint32_t error;
    bool cachedOnly;
  };
  bool Serve(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
            uint32_t* error, bool direct);
  std::map<std::string, Image> images_;
  std::map<std::string, uint32_t> openFailures_;
  std::vector<Failure> failures_;
  std::map<Handle, std::string> open_;
  std::vector<Read> reads_;
  Handle next_ = 100;
};

}  // namespace orvande::test
