#pragma once
// The volume service device of the old DOS-based platform family, through which logical drives
// are read with absolute-disk-read calls (access modes 1 and 2). Linux has no such device: the
// system implementation refuses to open, and the calls are exercised with test doubles.
// BuildDosDiskCall is safe from any thread; implementations of the port say so themselves.
#include <array>
#include <cstddef>
#include <cstdint>

namespace orvande {

// Byte layout of the disk-transfer packet (packed, 10 bytes).
inline constexpr size_t kPacketStartSector = 0;    // u32
inline constexpr size_t kPacketSectorCount = 4;    // u16
inline constexpr size_t kPacketBufferAddress = 6;  // u32
inline constexpr size_t kPacketSize = 10;

// Byte layout of the register block (seven u32 values, 28 bytes), in the order the service takes.
inline constexpr size_t kRegEbx = 0;     // u32
inline constexpr size_t kRegEdx = 4;     // u32
inline constexpr size_t kRegEcx = 8;     // u32
inline constexpr size_t kRegEax = 12;    // u32
inline constexpr size_t kRegEdi = 16;    // u32
inline constexpr size_t kRegEsi = 20;    // u32
inline constexpr size_t kRegFlags = 24;  // u32
inline constexpr size_t kRegisterBlockSize = 28;

// Control codes of the service device.
inline constexpr uint32_t kServiceExtendedAbsoluteRead = 6;  // DOS function 7305h
inline constexpr uint32_t kServiceAbsoluteRead = 2;          // interrupt 25h

// One prepared call: the packet, the register block that points at it, and the control code.
// The addresses inside are the low 32 bits of the real ones, as the 32-bit service expects.
struct DosDiskCall {
  std::array<uint8_t, kPacketSize> packet{};
  std::array<uint8_t, kRegisterBlockSize> registers{};
  uint32_t controlCode = 0;
};

// Fills *call for a read of `count` sectors from `firstSector` of the drive with the upper-case
// letter `driveLetter` into `buffer`. accessMode 1 builds the extended read, 2 the old one; any
// other mode leaves *call untouched and returns false.
bool BuildDosDiskCall(uint32_t accessMode, char driveLetter, uint32_t firstSector, uint16_t count,
                      const uint8_t* buffer, DosDiskCall* call);

class VolumeServiceCalls {
 public:
  using Handle = int;
  static constexpr Handle kInvalidHandle = -1;

  virtual ~VolumeServiceCalls() = default;
  // Opens the service device; no drive is named at this point.
  virtual Handle Open(uint32_t* error) = 0;
  virtual void Close(Handle handle) = 0;
  // Issues the call. The register block is both input and output. `buffer` is where the packet
  // says the sectors go (its real address, for implementations that cannot use the 32-bit one).
  virtual bool Call(Handle handle, DosDiskCall* call, uint8_t* buffer, uint32_t* error) = 0;
};

// The process's implementation: this platform has no service device, so Open always fails.
VolumeServiceCalls& SystemVolumeServiceCalls();

}  // namespace orvande
