#pragma once
// Test doubles and builders for the file-type plug-in: the library loaded by path, a stream
// over bytes in memory, a result that records its runs, and a byte builder. None of them is
// meant for use from several threads.
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "typeprobe_abi.h"

namespace typeprobe_test {

struct ProbeLibrary {
  void* handle = nullptr;
  GetDllVersionFn getDllVersion = nullptr;
  GetSupTypesFn getSupTypes = nullptr;
  IsEnabledFn isEnabled = nullptr;
  GetProcessorsFn getProcessors = nullptr;
  ReleaseProcessorsFn releaseProcessors = nullptr;
  SearchFileFn searchFile = nullptr;
  bool Complete() const {
    return getDllVersion && getSupTypes && isEnabled && getProcessors && releaseProcessors &&
           searchFile;
  }
};

// Loaded once for the whole test program from the build's bin folder.
const ProbeLibrary& Probe();

// A volume stream over a byte vector; 512-byte sectors starting at `startSector`.
class MemoryStream : public typeprobe::Stream {
 public:
  explicit MemoryStream(std::vector<uint8_t> bytes, uint64_t startSector = 100)
      : bytes_(std::move(bytes)), startSector_(startSector) {}
  bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override;
  uint64_t GetLength() override { return bytes_.size(); }
  uint64_t Seek(int64_t offset, int origin, uint64_t* position) override;
  // The plug-in does its own searching: it must not depend on this one's chunk limits.
  bool Find(const uint8_t*, uint32_t, uint64_t, uint64_t*) override { return false; }
  uint64_t SectorOfOffset(uint64_t offset) override { return startSector_ + (offset >> 9); }

  uint64_t BytesRead() const { return bytesRead_; }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t startSector_;
  uint64_t position_ = 0;
  uint64_t bytesRead_ = 0;
};

// A huge stream: `prefix`, then `filler` bytes up to `length`, produced as they are read.
class FillerStream : public typeprobe::Stream {
 public:
  FillerStream(std::vector<uint8_t> prefix, uint8_t filler, uint64_t length)
      : prefix_(std::move(prefix)), filler_(filler), length_(length) {}
  bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override;
  uint64_t GetLength() override { return length_; }
  uint64_t Seek(int64_t offset, int origin, uint64_t* position) override;
  bool Find(const uint8_t*, uint32_t, uint64_t, uint64_t*) override { return false; }
  uint64_t SectorOfOffset(uint64_t offset) override { return offset >> 9; }
  uint64_t BytesRead() const { return bytesRead_; }

 private:
  std::vector<uint8_t> prefix_;
  uint8_t filler_;
  uint64_t length_;
  uint64_t position_ = 0;
  uint64_t bytesRead_ = 0;
};

class RecordingResult : public typeprobe::Result {
 public:
  void AddSector(uint32_t sector) override { AddRun(sector, sector); }
  void AddRun(uint32_t first, uint32_t last) override { runs.emplace_back(first, last); }
  bool Contains(uint32_t) override { return false; }  // not asked by the plug-in
  uint32_t GetType() override { return 0; }
  void SetSize(uint64_t value) override { size = value; }
  uint64_t GetSize() override { return size; }

  std::vector<std::pair<uint32_t, uint32_t>> runs;
  uint64_t size = 0;
};

// Builds test files byte by byte.
class Bytes {
 public:
  Bytes& Raw(std::initializer_list<uint8_t> values);
  Bytes& Text(std::string_view text);
  Bytes& Fill(size_t count, uint8_t value);
  Bytes& Be16(uint32_t value);
  Bytes& Be32(uint32_t value);
  Bytes& Le16(uint32_t value);
  Bytes& Le32(uint32_t value);
  Bytes& Le64(uint64_t value);
  Bytes& Append(const std::vector<uint8_t>& more);
  void PutLe32(size_t offset, uint32_t value);
  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Get() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Runs SearchFile over `bytes`; the result and the stream's read count are kept for checks.
struct SearchOutcome {
  int found = 0;
  RecordingResult result;
  uint64_t bytesRead = 0;
};
SearchOutcome Search(uint32_t typeId, const std::vector<uint8_t>& bytes,
                     uint64_t startSector = 100);

// Bytes that no length rule takes for part of a file.
std::vector<uint8_t> Garbage(size_t count);

}  // namespace typeprobe_test
