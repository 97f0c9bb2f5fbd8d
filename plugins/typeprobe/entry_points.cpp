// The library's exported entry points; everything else stays hidden.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stream_cursor.h"
#include "type_table.h"
#include "typeprobe_abi.h"

namespace typeprobe {
namespace {

// No extension the table knows is longer; longer texts cannot match.
constexpr size_t kMaxExtensionLength = 16;
// Enough of the file's start for every recogniser to decide.
constexpr uint32_t kRecogniserProbeSize = 4096;

std::string NormalisedExtension(const char* extension) {
  std::string text;
  if (extension == nullptr) return text;
  if (*extension == '.') ++extension;
  for (; *extension != '\0'; ++extension) {
    if (text.size() == kMaxExtensionLength) return {};
    const char c = *extension;
    text.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::vector<uint32_t> TypesForExtension(const std::string& extension) {
  std::vector<uint32_t> ids;
  if (extension.empty()) return ids;
  for (const TypeInfo& type : KnownTypes()) {
    if (std::find(type.extensions.begin(), type.extensions.end(), extension) !=
        type.extensions.end()) {
      ids.push_back(type.id);
    }
  }
  return ids;
}

// The file's length when a whole file of the type starts at the stream's offset 0, else 0.
uint64_t MeasureFile(const TypeInfo& type, Stream& stream) {
  StreamCursor cursor(stream, type.maxSize);
  const uint32_t probe =
      static_cast<uint32_t>(std::min<uint64_t>(kRecogniserProbeSize, cursor.Limit()));
  if (probe == 0 || !cursor.Ensure(probe)) return 0;
  if (!type.recognise(cursor.Available().data(), probe)) return 0;
  return type.length(cursor);
}

int SearchFileImpl(uint32_t typeId, Stream* stream, Result* result) {
  const TypeInfo* type = FindType(typeId);
  if (type == nullptr || type->length == nullptr || stream == nullptr || result == nullptr) {
    return 0;
  }
  const uint64_t size = MeasureFile(*type, *stream);
  if (size == 0) return 0;
  // The program's sector runs are 32-bit.
  const uint64_t first = stream->SectorOfOffset(0);
  const uint64_t last = stream->SectorOfOffset(size - 1);
  if (last > UINT32_MAX || first > last) return 0;
  result->AddRun(static_cast<uint32_t>(first), static_cast<uint32_t>(last));
  result->SetSize(size);
  return 1;
}

}  // namespace
}  // namespace typeprobe

#define TYPEPROBE_EXPORT extern "C" __attribute__((visibility("default")))

TYPEPROBE_EXPORT uint32_t GetDllVersion() {
  return typeprobe::kPluginVersion;
}

TYPEPROBE_EXPORT uint32_t GetSupTypes(const typeprobe::SupportedType** table) {
  const auto types = typeprobe::SupportedTypes();
  if (table != nullptr) *table = types.data();
  return static_cast<uint32_t>(types.size());
}

TYPEPROBE_EXPORT int IsEnabled() {
  return 1;
}

TYPEPROBE_EXPORT uint32_t GetProcessors(const char* extension, uint32_t** typeIds) {
  if (typeIds == nullptr) return 0;
  *typeIds = nullptr;
  const std::vector<uint32_t> ids =
      typeprobe::TypesForExtension(typeprobe::NormalisedExtension(extension));
  if (ids.empty()) return 0;
  // Handed across the boundary and back through ReleaseProcessors.
  auto array = std::make_unique<uint32_t[]>(ids.size());
  std::copy(ids.begin(), ids.end(), array.get());
  *typeIds = array.release();
  return static_cast<uint32_t>(ids.size());
}

TYPEPROBE_EXPORT void ReleaseProcessors(uint32_t* typeIds) {
  std::unique_ptr<uint32_t[]> owned(typeIds);
}

TYPEPROBE_EXPORT int SearchFile(uint32_t typeId, typeprobe::Stream* stream,
                                typeprobe::Result* result) {
  return typeprobe::SearchFileImpl(typeId, stream, result);
}
