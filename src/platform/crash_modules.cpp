#include "platform/crash_modules.h"

#include <link.h>

namespace orvande::platform {
namespace {

const char* ModulePath(const dl_phdr_info* info, const char* mainProgram) {
  const char* name = info->dlpi_name;
  return name != nullptr && name[0] != '\0' ? name : mainProgram;
}

struct AddressSearch {
  uint64_t address;
  const char* mainProgram;
  LogicalAddress found;
  bool done = false;
};

int SearchModule(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<AddressSearch*>(data);
  uint32_t loadable = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_LOAD) continue;
    ++loadable;
    const uint64_t start = info->dlpi_addr + header.p_vaddr;
    const uint64_t extent = header.p_memsz > header.p_filesz ? header.p_memsz : header.p_filesz;
    if (search->address < start || search->address > start + extent) continue;
    search->found = LogicalAddress{ModulePath(info, search->mainProgram), loadable,
                                   search->address - start};
    search->done = true;
    return 1;
  }
  return 0;
}

struct ModuleWalk {
  const char* mainProgram;
  void (*visit)(const ModuleSpan&, void*);
  void* context;
};

int VisitModule(dl_phdr_info* info, size_t, void* data) {
  auto* walk = static_cast<ModuleWalk*>(data);
  uint64_t low = ~uint64_t{0};
  uint64_t high = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_LOAD) continue;
    const uint64_t start = info->dlpi_addr + header.p_vaddr;
    if (start < low) low = start;
    if (start + header.p_memsz > high) high = start + header.p_memsz;
  }
  if (high > low) walk->visit(ModuleSpan{ModulePath(info, walk->mainProgram), low, high - low},
                              walk->context);
  return 0;
}

}  // namespace

LogicalAddress FindLogicalAddress(uint64_t address, const char* mainProgram) {
  AddressSearch search{address, mainProgram, {}};
  dl_iterate_phdr(&SearchModule, &search);
  return search.done ? search.found : LogicalAddress{};
}

void ForEachModule(const char* mainProgram, void (*visit)(const ModuleSpan&, void* context),
                   void* context) {
  ModuleWalk walk{mainProgram, visit, context};
  dl_iterate_phdr(&VisitModule, &walk);
}

}  // namespace orvande::platform
