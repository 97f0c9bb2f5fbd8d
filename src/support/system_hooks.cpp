#include "support/system_hooks.h"

#include <atomic>

namespace orvande {
namespace {

std::atomic<std::string (*)(uint32_t)> g_errorText{nullptr};
std::atomic<std::string (*)()> g_osVersionText{nullptr};

}  // namespace

void SetSystemHooks(const SystemHooks& hooks) {
  g_errorText.store(hooks.errorText);
  g_osVersionText.store(hooks.osVersionText);
}

std::string PlatformErrorText(uint32_t code) {
  auto hook = g_errorText.load();
  return hook ? hook(code) : std::string();
}

std::string PlatformOsVersionText() {
  auto hook = g_osVersionText.load();
  return hook ? hook() : std::string();
}

}  // namespace orvande
