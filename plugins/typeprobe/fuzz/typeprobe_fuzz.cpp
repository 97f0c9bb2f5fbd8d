// Fuzzes every recogniser and every length rule: the first input byte picks the type, the rest
// is the volume. A found file must lie inside the data and start at the stream's first sector.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "typeprobe_abi.h"

extern "C" uint32_t GetSupTypes(const typeprobe::SupportedType** table);
extern "C" int SearchFile(uint32_t typeId, typeprobe::Stream* stream, typeprobe::Result* result);

namespace {

// A stream over the fuzz input, 512-byte sectors from sector 7. Single-threaded.
class InputStream : public typeprobe::Stream {
 public:
  InputStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override {
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(size, size_ - position_));
    if (count > 0) std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    *bytesRead = count;
    return true;
  }
  uint64_t GetLength() override { return size_; }
  uint64_t Seek(int64_t offset, int origin, uint64_t* position) override {
    int64_t target = origin == 0   ? offset
                     : origin == 1 ? int64_t(position_) + offset
                                   : int64_t(size_) + std::min<int64_t>(offset, 0);
    position_ = static_cast<uint64_t>(std::clamp<int64_t>(target, 0, int64_t(size_)));
    if (position != nullptr) *position = position_;
    return position_;
  }
  bool Find(const uint8_t*, uint32_t, uint64_t, uint64_t*) override { return false; }
  uint64_t SectorOfOffset(uint64_t offset) override { return kStartSector + (offset >> 9); }
  static constexpr uint64_t kStartSector = 7;

 private:
  const uint8_t* data_;
  size_t size_;
  uint64_t position_ = 0;
};

// Keeps what SearchFile reports. Single-threaded.
class CheckedResult : public typeprobe::Result {
 public:
  void AddSector(uint32_t sector) override { AddRun(sector, sector); }
  void AddRun(uint32_t first, uint32_t last) override {
    ++runs;
    firstSector = first;
    lastSector = last;
  }
  bool Contains(uint32_t) override { return false; }
  uint32_t GetType() override { return 0; }
  void SetSize(uint64_t value) override { size = value; }
  uint64_t GetSize() override { return size; }
  int runs = 0;
  uint32_t firstSector = 0;
  uint32_t lastSector = 0;
  uint64_t size = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const typeprobe::SupportedType* table = nullptr;
  const uint32_t count = GetSupTypes(&table);
  // An exact copy, so that a recogniser reading past its length is caught.
  const std::vector<uint8_t> body(data + 1, data + size);
  for (uint32_t i = 0; i < count; ++i) {
    table[i].recogniser(body.data(), static_cast<uint32_t>(body.size()));
  }
  const uint32_t typeId = table[data[0] % count].typeId;
  InputStream stream(body.data(), body.size());
  CheckedResult result;
  if (SearchFile(typeId, &stream, &result) == 0) return 0;
  const uint64_t expectedLast = InputStream::kStartSector + (result.size - 1) / 512;
  if (result.size == 0 || result.size > body.size() || result.runs != 1 ||
      result.firstSector != InputStream::kStartSector || result.lastSector != expectedLast) {
    std::abort();
  }
  return 0;
}
