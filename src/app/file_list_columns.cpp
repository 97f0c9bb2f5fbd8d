#include "app/file_list_columns.h"

#include "support/le_reader.h"
#include "support/le_writer.h"

namespace orvande {
namespace {

constexpr uint32_t kTag = 0x31434C46;  // "FLC1" read as a little-endian u32
constexpr size_t kTagOffset = 0;       // u32
constexpr size_t kCountOffset = 4;     // u32
constexpr size_t kColumnsOffset = 8;   // kColumnBytes per column
constexpr size_t kColumnBytes = 12;    // i32 width, u32 position, u32 visible

}  // namespace

std::vector<uint8_t> FileListColumns::Encode() const {
  std::vector<uint8_t> bytes;
  AppendLeU32(bytes, kTag);
  AppendLeU32(bytes, static_cast<uint32_t>(columns.size()));
  for (const FileListColumn& column : columns) {
    AppendLeI32(bytes, column.width);
    AppendLeU32(bytes, column.position);
    AppendLeU32(bytes, column.visible ? 1 : 0);
  }
  return bytes;
}

std::optional<FileListColumns> FileListColumns::Decode(std::span<const uint8_t> bytes) {
  const LeReader reader(bytes);
  if (reader.size() < kColumnsOffset || reader.U32(kTagOffset) != kTag) return std::nullopt;
  const uint32_t count = reader.U32(kCountOffset);
  if (count > kMaxColumns || reader.size() != kColumnsOffset + count * kColumnBytes)
    return std::nullopt;
  FileListColumns layout;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = kColumnsOffset + i * kColumnBytes;
    FileListColumn column;
    column.width = static_cast<int32_t>(reader.U32(at));
    column.position = reader.U32(at + 4);
    column.visible = reader.U32(at + 8) != 0;
    if (column.position >= count) return std::nullopt;
    layout.columns.push_back(column);
  }
  return layout;
}

ResultCode FileListColumnsSetting::LoadFrom(RegistryBackend& backend) {
  std::vector<uint8_t> bytes;
  const ResultCode code = backend.ReadBinary(kValueName, &bytes);
  if (!IsSuccess(code)) return code;
  auto decoded = FileListColumns::Decode(bytes);
  if (!decoded) return kErrInvalidData;
  layout = std::move(*decoded);
  return kSuccess;
}

ResultCode FileListColumnsSetting::SaveTo(RegistryBackend& backend) const {
  return backend.WriteBinary(kValueName, layout.Encode());
}

}  // namespace orvande
