#pragma once
// The program side of the file-type plug-in (libtypeprobe.so): loading it, its supported-types
// table, and the questions the analyzers ask it. One process-wide instance (TypePlugin()). The
// types table is loaded under the instance's mutex; the other calls need no lock.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "typeprobe_abi.h"

namespace orvande {

class VolumeStream;
class FoundFileResult;

// The recognisers chosen for a set of types, in the order asked for.
struct ProcessorSet {
  std::vector<std::pair<uint32_t, typeprobe::Recogniser>> pairs;
  size_t Count() const { return pairs.size(); }
};

class FindFileTypePlugin {
 public:
  FindFileTypePlugin();
  ~FindFileTypePlugin();
  FindFileTypePlugin(const FindFileTypePlugin&) = delete;
  FindFileTypePlugin& operator=(const FindFileTypePlugin&) = delete;

  // Loads libtypeprobe.so from next to the executable (the build tree), else from lib/orvande/
  // beside the executable's folder (an installed program), else from the library search path.
  // `path`, when given, is tried alone (tests).
  void Load(const std::string& path = {});
  void Unload();
  bool IsReady() const;  // a library of version 0x201 is loaded
  uint32_t Version() const;

  bool GetProcessorsForTypes(const uint32_t* typeIds, uint32_t count, ProcessorSet& set);
  bool GetProcessorsForExtension(std::string_view extension, ProcessorSet& set);
  // The first type whose recogniser accepts the buffer, or typeprobe::kNoType.
  uint32_t Recognise(const ProcessorSet& set, const uint8_t* buffer, uint32_t length) const;
  bool SearchFile(uint32_t typeId, VolumeStream& stream, FoundFileResult& result);

 private:
  bool LoadTypesTable();
  // The library handle, its entry points, the mutex, the types table and the version.
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process's plug-in instance (loaded by the front end at start-up).
FindFileTypePlugin& TypePlugin();

}  // namespace orvande
