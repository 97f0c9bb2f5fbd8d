#pragma once
// The file list's column layout: width, display position and visibility of each column. Stored
// as a self-describing binary value "Columns": the tag "FLC1", the column count, then per column
// its width, position and visibility, all 32-bit little-endian. Plain values; one instance may be
// read from several threads.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/registry_store.h"

namespace orvande {

struct FileListColumn {
  int32_t width = 0;
  uint32_t position = 0;  // place from the left among the columns
  bool visible = true;
  bool operator==(const FileListColumn&) const = default;
};

struct FileListColumns {
  static constexpr uint32_t kMaxColumns = 64;

  std::vector<FileListColumn> columns;  // empty: the list's own default layout

  std::vector<uint8_t> Encode() const;
  // nullopt for bytes that are not such a record (wrong tag or size, too many columns, a
  // position outside the columns).
  static std::optional<FileListColumns> Decode(std::span<const uint8_t> bytes);

  bool operator==(const FileListColumns&) const = default;
};

class FileListColumnsSetting final : public SelfStoringObject {
 public:
  static constexpr char kValueName[] = "Columns";

  // A value that is missing or is no layout record leaves the layout empty.
  ResultCode LoadFrom(RegistryBackend& backend) override;
  ResultCode SaveTo(RegistryBackend& backend) const override;

  FileListColumns layout;
};

}  // namespace orvande
