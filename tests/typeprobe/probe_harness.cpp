#include "probe_harness.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace typeprobe_test {

const ProbeLibrary& Probe() {
  static const ProbeLibrary library = [] {
    ProbeLibrary loaded;
    loaded.handle = dlopen(ORVANDE_BINARY_DIR "/bin/libtypeprobe.so", RTLD_NOW | RTLD_LOCAL);
    if (loaded.handle == nullptr) return loaded;
    auto lookUp = [&](auto& slot, const char* name) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(loaded.handle, name));
    };
    lookUp(loaded.getDllVersion, "GetDllVersion");
    lookUp(loaded.getSupTypes, "GetSupTypes");
    lookUp(loaded.isEnabled, "IsEnabled");
    lookUp(loaded.getProcessors, "GetProcessors");
    lookUp(loaded.releaseProcessors, "ReleaseProcessors");
    lookUp(loaded.searchFile, "SearchFile");
    return loaded;
  }();
  return library;
}

bool MemoryStream::Read(void* buffer, uint32_t size, uint32_t* bytesRead) {
  const uint64_t available = bytes_.size() - position_;
  const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(size, available));
  if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  bytesRead_ += count;
  *bytesRead = count;
  return true;
}

uint64_t MemoryStream::Seek(int64_t offset, int origin, uint64_t* position) {
  const auto length = static_cast<int64_t>(bytes_.size());
  int64_t target = 0;
  if (origin == 0) {
    target = offset;
  } else if (origin == 1) {
    target = static_cast<int64_t>(position_) + offset;
  } else {
    target = offset > 0 ? length : length + offset;
  }
  position_ = static_cast<uint64_t>(std::clamp<int64_t>(target, 0, length));
  if (position != nullptr) *position = position_;
  return position_;
}

bool FillerStream::Read(void* buffer, uint32_t size, uint32_t* bytesRead) {
  const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(size, length_ - position_));
  auto* out = static_cast<uint8_t*>(buffer);
  const uint64_t fromPrefix =
      position_ < prefix_.size() ? std::min<uint64_t>(count, prefix_.size() - position_) : 0;
  if (fromPrefix > 0) std::memcpy(out, prefix_.data() + position_, fromPrefix);
  std::memset(out + fromPrefix, filler_, count - fromPrefix);
  position_ += count;
  bytesRead_ += count;
  *bytesRead = count;
  return true;
}

uint64_t FillerStream::Seek(int64_t offset, int origin, uint64_t* position) {
  uint64_t target = origin == 0 ? 0 : origin == 1 ? position_ : length_;
  target = offset < 0 ? target - std::min<uint64_t>(target, uint64_t(-(offset + 1)) + 1)
                      : target + static_cast<uint64_t>(offset);
  position_ = std::min(target, length_);
  if (position != nullptr) *position = position_;
  return position_;
}

Bytes& Bytes::Raw(std::initializer_list<uint8_t> values) {
  bytes_.insert(bytes_.end(), values);
  return *this;
}
Bytes& Bytes::Text(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  return *this;
}
Bytes& Bytes::Fill(size_t count, uint8_t value) {
  bytes_.insert(bytes_.end(), count, value);
  return *this;
}
Bytes& Bytes::Be16(uint32_t value) {
  return Raw({uint8_t(value >> 8), uint8_t(value)});
}
Bytes& Bytes::Be32(uint32_t value) {
  return Raw({uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
}
Bytes& Bytes::Le16(uint32_t value) {
  return Raw({uint8_t(value), uint8_t(value >> 8)});
}
Bytes& Bytes::Le32(uint32_t value) {
  return Raw({uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
}
Bytes& Bytes::Le64(uint64_t value) {
  Le32(static_cast<uint32_t>(value));
  return Le32(static_cast<uint32_t>(value >> 32));
}
Bytes& Bytes::Append(const std::vector<uint8_t>& more) {
  bytes_.insert(bytes_.end(), more.begin(), more.end());
  return *this;
}
void Bytes::PutLe32(size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes_.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

SearchOutcome Search(uint32_t typeId, const std::vector<uint8_t>& bytes, uint64_t startSector) {
  SearchOutcome outcome;
  MemoryStream stream(bytes, startSector);
  outcome.found = Probe().searchFile(typeId, &stream, &outcome.result);
  outcome.bytesRead = stream.BytesRead();
  return outcome;
}

std::vector<uint8_t> Garbage(size_t count) {
  // A repeating text: no marker, box, chunk or block introducer of any of the formats.
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>("garbage "[i % 8]);
  return bytes;
}

}  // namespace typeprobe_test
