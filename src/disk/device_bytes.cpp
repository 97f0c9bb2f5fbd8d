#include "disk/device_bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "disk/device_node.h"
#include "disk/partition_node.h"
#include "disk/sector_device.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

uint32_t ReadPartitionBytes(SectorDevice& device, uint32_t sectorBytes, uint64_t offset,
                            uint8_t* buffer, uint32_t count, uint32_t* result) {
  if (!std::has_single_bit(sectorBytes)) {
    *result = ErrBadPosition;
    return 0;
  }
  const uint64_t firstSector = offset / sectorBytes;
  const uint64_t lead = offset % sectorBytes;
  const uint64_t span = (lead + count + sectorBytes - 1) / sectorBytes * sectorBytes;
  if (span > UINT32_MAX) {
    *result = ErrBufferTooSmall;
    return 0;
  }
  const bool direct = lead == 0 && span == count;
  std::vector<uint8_t> around(direct ? 0 : static_cast<size_t>(span));
  uint8_t* target = direct ? buffer : around.data();
  const int shift = std::countr_zero(sectorBytes);
  const uint32_t sectors = static_cast<uint32_t>(span / sectorBytes);
  const uint32_t got = device.ReadSectors(firstSector, target, static_cast<uint32_t>(span),
                                          result, sectors, shift, /*fillBadSectors=*/false);
  if (!IsSuccess(*result)) return 0;
  const uint64_t delivered = uint64_t{std::min(got, sectors)} * sectorBytes;
  if (delivered <= lead) return 0;
  const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(delivered - lead, count));
  if (!direct) std::memcpy(buffer, around.data() + lead, wanted);
  return wanted;
}

}  // namespace

uint32_t ReadDeviceBytes(SectorDevice& device, uint64_t offset, uint8_t* buffer, uint32_t count,
                         uint32_t* result) {
  *result = kSuccess;
  if (count == 0) return 0;
  const DeviceNode* node = device.GetNode();
  if (node != nullptr && node->GetKind() == kNodePartition) {
    const uint32_t sectorBytes = static_cast<const PartitionNode*>(node)->GetBytesPerSector();
    return ReadPartitionBytes(device, sectorBytes, offset, buffer, count, result);
  }
  const uint32_t got = device.ReadSectors(offset, buffer, count, result, count, /*unitShift=*/0,
                                          /*fillBadSectors=*/false);
  return IsSuccess(*result) ? std::min(got, count) : 0;
}

}  // namespace orvande
