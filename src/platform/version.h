#pragma once
// The platform's version as the device layer sees it, and the OS version text. Linux answers like
// the NT line with device-path access. Safe to use from any thread.
#include <cstdint>
#include <string>

namespace orvande::platform {

inline constexpr uint32_t kAccessModeDevicePaths = 0;
inline constexpr uint32_t kAccessModeExtendedDosRead = 1;
inline constexpr uint32_t kAccessModeDosRead = 2;
inline constexpr uint32_t kAccessModeNone = 3;

inline constexpr uint32_t kPlatformKindNt5Later = 4;
inline constexpr uint32_t kPlatformKindUnknown = 5;

struct PlatformVersion {
  uint32_t accessMode = kAccessModeNone;
  uint32_t platformKind = kPlatformKindUnknown;
};

PlatformVersion QueryPlatformVersion();

// "Linux <release> (<machine>)" from uname; empty when uname fails.
std::string FormatOsVersionText();

}  // namespace orvande::platform
