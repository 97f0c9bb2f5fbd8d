#pragma once
// The support layer sits below the platform layer and includes no OS header, yet the operation log
// and the formatters need the system's error texts and the OS version text. The platform layer
// registers both here (platform::InstallSystemHooks); until it does, error texts are empty and the
// OS version text is empty. Safe to use from any thread.
#include <cstdint>
#include <string>

namespace orvande {

struct SystemHooks {
  std::string (*errorText)(uint32_t code) = nullptr;
  std::string (*osVersionText)() = nullptr;
};

// Replaces both hooks (a null member clears that hook).
void SetSystemHooks(const SystemHooks& hooks);

// The system's text for a platform error code; empty when there is none.
std::string PlatformErrorText(uint32_t code);
// The running OS as text, e.g. "Linux 6.1.0 (x86_64)"; empty when unknown.
std::string PlatformOsVersionText();

}  // namespace orvande
