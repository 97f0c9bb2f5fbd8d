#include "disk/volume_service_calls.h"

#include <span>

#include "platform/error_numbers.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

uint32_t Low32(const void* address) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
}

class NoVolumeServiceCalls final : public VolumeServiceCalls {
 public:
  Handle Open(uint32_t* error) override {
    if (error) *error = platform::kErrNotSupported;
    return kInvalidHandle;
  }
  void Close(Handle) override {}
  bool Call(Handle, DosDiskCall*, uint8_t*, uint32_t* error) override {
    if (error) *error = platform::kErrInvalidHandle;
    return false;
  }
};

}  // namespace

bool BuildDosDiskCall(uint32_t accessMode, char driveLetter, uint32_t firstSector, uint16_t count,
                      const uint8_t* buffer, DosDiskCall* call) {
  if (accessMode != 1 && accessMode != 2) return false;
  *call = DosDiskCall{};
  std::span<uint8_t> packet(call->packet);
  StoreLe(packet, kPacketStartSector, firstSector, 4);
  StoreLe(packet, kPacketSectorCount, count, 2);
  StoreLe(packet, kPacketBufferAddress, Low32(buffer), 4);

  // Drive numbers: the extended read counts A as 1, the old one counts A as 0.
  uint32_t driveFromA = static_cast<uint8_t>(driveLetter - 'A');
  std::span<uint8_t> regs(call->registers);
  StoreLe(regs, kRegEbx, Low32(call->packet.data()), 4);
  StoreLe(regs, kRegEsi, 0, 4);  // 0 selects reading
  if (accessMode == 1) {
    StoreLe(regs, kRegEdx, driveFromA + 1, 4);
    StoreLe(regs, kRegEcx, 0xFFFFFFFFu, 4);
    StoreLe(regs, kRegEax, 0x7305, 4);
    call->controlCode = kServiceExtendedAbsoluteRead;
  } else {
    StoreLe(regs, kRegEcx, 0xFFFF, 4);
    StoreLe(regs, kRegEax, driveFromA, 4);
    call->controlCode = kServiceAbsoluteRead;
  }
  return true;
}

VolumeServiceCalls& SystemVolumeServiceCalls() {
  static NoVolumeServiceCalls instance;
  return instance;
}

}  // namespace orvande
