#pragma once
// The boundary between the program and the file-type plug-in (libtypeprobe.so). Both sides are
// built with the same compiler from this header; the virtual slot order of the two object
// interfaces is part of the contract and must not change.
#include <cstdint>

namespace typeprobe {

inline constexpr uint32_t kPluginVersion = 0x201;
inline constexpr uint32_t kNoType = 18;
inline constexpr uint32_t kTypeJpeg = 0;

// A byte stream over a volume, starting at the sector where a type was recognised.
class Stream {
 public:
  virtual ~Stream() = default;
  virtual bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) = 0;
  virtual uint64_t GetLength() = 0;
  // origin 0: from the start, 1: from the current position, 2: from the end.
  virtual uint64_t Seek(int64_t offset, int origin, uint64_t* position) = 0;
  virtual bool Find(const uint8_t* pattern, uint32_t patternLength, uint64_t limit, uint64_t* position) = 0;
  virtual uint64_t SectorOfOffset(uint64_t offset) = 0;
};

// What SearchFile reports about a found file: its sectors and its size.
class Result {
 public:
  virtual ~Result() = default;
  virtual void AddSector(uint32_t sector) = 0;
  virtual void AddRun(uint32_t first, uint32_t last) = 0;
  virtual bool Contains(uint32_t sector) = 0;
  virtual uint32_t GetType() = 0;
  virtual void SetSize(uint64_t size) = 0;
  virtual uint64_t GetSize() = 0;
};

// True when the buffer starts like a file of the entry's type.
using Recogniser = bool (*)(const uint8_t* buffer, uint32_t length);

// One entry of the supported-types table: 16 bytes on a 64-bit build.
struct SupportedType {
  uint32_t typeId;
  uint32_t reserved;
  Recogniser recogniser;
};
static_assert(sizeof(SupportedType) == 16, "supported-types entries are 16 bytes");

}  // namespace typeprobe

// Entry points, looked up by name with dlsym.
extern "C" {
using GetDllVersionFn = uint32_t (*)();
using GetSupTypesFn = uint32_t (*)(const typeprobe::SupportedType** table);
using IsEnabledFn = int (*)();
using GetProcessorsFn = uint32_t (*)(const char* extension, uint32_t** typeIds);
using ReleaseProcessorsFn = void (*)(uint32_t* typeIds);
using SearchFileFn = int (*)(uint32_t typeId, typeprobe::Stream* stream, typeprobe::Result* result);
}
