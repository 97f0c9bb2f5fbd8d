// A stand-in for the file-type plug-in with a small, known types table. Built once per version
// (FAKE_TYPEPROBE_VERSION). The Fake* exports let a test see how the program used it.
#include <cstdint>
#include <cstring>
#include <string>

#include "typeprobe_abi.h"

namespace {

bool StartsWithA(const uint8_t* buffer, uint32_t length) {
  return length > 0 && buffer[0] == 'A';
}
bool AcceptsAnything(const uint8_t*, uint32_t) {
  return true;
}

// Type 2 has an entry without a recogniser first and a second usable entry last, so only the
// first usable entry may be picked; type 18 (no type) answers yes to everything.
const typeprobe::SupportedType kTable[] = {
    {2, 0, nullptr},         {2, 0, StartsWithA},      {9, 0, AcceptsAnything},
    {2, 0, AcceptsAnything}, {18, 0, AcceptsAnything},
};

int releaseCount = 0;
int supTypesCalls = 0;
std::string lastExtension;

}  // namespace

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT uint32_t GetDllVersion() {
  return FAKE_TYPEPROBE_VERSION;
}

FAKE_EXPORT uint32_t GetSupTypes(const typeprobe::SupportedType** table) {
  ++supTypesCalls;
  *table = kTable;
  return sizeof kTable / sizeof kTable[0];
}

FAKE_EXPORT int IsEnabled() {
  return 1;
}

// "two" names types 2 and 4 (4 is not in the table); anything else names none.
FAKE_EXPORT uint32_t GetProcessors(const char* extension, uint32_t** typeIds) {
  lastExtension = extension;
  *typeIds = nullptr;
  if (std::strcmp(extension, "two") != 0) return 0;
  *typeIds = new uint32_t[2]{2, 4};
  return 2;
}

FAKE_EXPORT void ReleaseProcessors(uint32_t* typeIds) {
  ++releaseCount;
  delete[] typeIds;
}

// Reports a 3-sector file of the asked type at the stream's start.
FAKE_EXPORT int SearchFile(uint32_t, typeprobe::Stream* stream, typeprobe::Result* result) {
  const auto first = static_cast<uint32_t>(stream->SectorOfOffset(0));
  result->AddRun(first, first + 2);
  result->SetSize(1500);
  return 1;
}

FAKE_EXPORT int FakeReleaseCount() {
  return releaseCount;
}
FAKE_EXPORT int FakeSupTypesCalls() {
  return supTypesCalls;
}
FAKE_EXPORT const char* FakeLastExtension() {
  return lastExtension.c_str();
}
