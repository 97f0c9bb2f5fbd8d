#include "app/window_placement.h"

#include <algorithm>
#include <vector>

#include "support/le_reader.h"
#include "support/le_writer.h"

namespace orvande {
namespace {

int32_t I32(const LeReader& reader, size_t offset) {
  return static_cast<int32_t>(reader.U32(offset));
}

}  // namespace

std::array<uint8_t, WindowPlacement::kRecordBytes> WindowPlacement::Encode() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(kRecordBytes);
  AppendLeU32(bytes, length);
  AppendLeU32(bytes, flags);
  AppendLeU32(bytes, showCommand);
  for (int32_t value :
       {minPosition.x, minPosition.y, maxPosition.x, maxPosition.y, normalPosition.left,
        normalPosition.top, normalPosition.right, normalPosition.bottom}) {
    AppendLeI32(bytes, value);
  }
  std::array<uint8_t, kRecordBytes> record{};
  std::copy(bytes.begin(), bytes.end(), record.begin());
  return record;
}

WindowPlacement WindowPlacement::Decode(std::span<const uint8_t> bytes) {
  WindowPlacement placement;
  if (bytes.size() != kRecordBytes) return placement;
  const LeReader reader(bytes);
  placement.length = reader.U32(kLengthOffset);
  placement.flags = reader.U32(kFlagsOffset);
  placement.showCommand = reader.U32(kShowCommandOffset);
  placement.minPosition = {I32(reader, kMinPositionOffset), I32(reader, kMinPositionOffset + 4)};
  placement.maxPosition = {I32(reader, kMaxPositionOffset), I32(reader, kMaxPositionOffset + 4)};
  placement.normalPosition = {
      I32(reader, kNormalPositionOffset), I32(reader, kNormalPositionOffset + 4),
      I32(reader, kNormalPositionOffset + 8), I32(reader, kNormalPositionOffset + 12)};
  return placement;
}

ResultCode WindowPlacementSetting::LoadFrom(RegistryBackend& backend) {
  std::vector<uint8_t> bytes;
  const ResultCode code = backend.ReadBinary(kValueName, &bytes);
  placement = IsSuccess(code) ? WindowPlacement::Decode(bytes) : WindowPlacement{};
  if (!IsSuccess(code)) return code;
  return bytes.size() == WindowPlacement::kRecordBytes ? kSuccess : kErrInvalidData;
}

ResultCode WindowPlacementSetting::SaveTo(RegistryBackend& backend) const {
  const auto record = placement.Encode();
  return backend.WriteBinary(kValueName, record);
}

}  // namespace orvande
