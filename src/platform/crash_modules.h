#pragma once
// The loaded modules of the own process and where a code address lies in them: the module's
// path, the number of its loadable segment (1-based) holding the address and the offset within
// that segment. Read from the loader's program-header list; meant for the crash handler, which
// calls it once the process has faulted (the loader takes no allocation on this path).
#include <cstdint>

namespace orvande::platform {

struct LogicalAddress {
  const char* module = "";  // empty when no module holds the address
  uint32_t section = 0;     // 0 when unknown
  uint64_t offset = 0;
};

struct ModuleSpan {
  const char* path;
  uint64_t base;
  uint64_t size;
};

// mainProgram names the executable, which the loader lists without a path.
LogicalAddress FindLogicalAddress(uint64_t address, const char* mainProgram);

// Calls visit for every loaded module, in the loader's order.
void ForEachModule(const char* mainProgram, void (*visit)(const ModuleSpan&, void* context),
                   void* context);

}  // namespace orvande::platform
