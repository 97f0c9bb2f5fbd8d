#pragma once
// A window's stored position, size and show state: the 44-byte placement record (eleven 32-bit
// little-endian fields), stored as the binary value "WPData" of its section key. Plain values;
// one instance may be read from several threads.
#include <array>
#include <cstdint>
#include <span>

#include "app/registry_store.h"

namespace orvande {

struct PlacementPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const PlacementPoint&) const = default;
};

struct PlacementRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const PlacementRect&) const = default;
};

struct WindowPlacement {
  static constexpr uint32_t kRecordBytes = 44;
  static constexpr uint32_t kShowMaximized = 3;

  // Offsets inside the record.
  static constexpr size_t kLengthOffset = 0x00;          // u32
  static constexpr size_t kFlagsOffset = 0x04;           // u32
  static constexpr size_t kShowCommandOffset = 0x08;     // u32
  static constexpr size_t kMinPositionOffset = 0x0C;     // i32 x, i32 y
  static constexpr size_t kMaxPositionOffset = 0x14;     // i32 x, i32 y
  static constexpr size_t kNormalPositionOffset = 0x1C;  // i32 left, top, right, bottom

  uint32_t length = 0;
  uint32_t flags = 0;
  uint32_t showCommand = 0;
  PlacementPoint minPosition;
  PlacementPoint maxPosition;
  PlacementRect normalPosition;

  // A record whose length field is not 44 counts as no stored placement.
  bool HasStoredPlacement() const { return length == kRecordBytes; }

  std::array<uint8_t, kRecordBytes> Encode() const;
  // A record of any other size than 44 bytes gives the all-zero record.
  static WindowPlacement Decode(std::span<const uint8_t> bytes);

  bool operator==(const WindowPlacement&) const = default;
};

// The placement as a settings entry.
class WindowPlacementSetting final : public SelfStoringObject {
 public:
  static constexpr char kValueName[] = "WPData";

  // A value that cannot be read or is not 44 bytes long zeroes the record.
  ResultCode LoadFrom(RegistryBackend& backend) override;
  ResultCode SaveTo(RegistryBackend& backend) const override;

  WindowPlacement placement;
};

}  // namespace orvande
