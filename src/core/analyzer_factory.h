#pragma once
// The only way the rest of the program gets an analyzer, and the file-system detector it uses.
// The concrete analyzers live in layers above this one; they register a maker here at start-up
// (see app/standard_analyzers.h). All functions are thread-safe.
#include <memory>

#include "core/volume_analyzer.h"

namespace orvande {

class DeviceNode;
class OperationLog;
class Prompter;
class SectorDevice;

// Makes a new, unopened analyzer; null (or std::bad_alloc) when memory runs out.
using AnalyzerMaker = std::unique_ptr<VolumeAnalyzer> (*)();

// Sets the maker for a file-system kind (kFsFat, kFsNtfs of disk/device_node.h); null removes it.
void RegisterAnalyzer(int fsKind, AnalyzerMaker maker);

// Opens the node's device, finds its file system and returns an opened analyzer, or null. Unless
// quiet, a device that can't be opened and a volume without a supported file system are reported
// in message boxes through the prompter (see PrompterOrDefault).
std::unique_ptr<VolumeAnalyzer> CreateAnalyzer(DeviceNode* node, bool quiet, OperationLog* log,
                                               Prompter* prompter);

// kFsNone, kFsFat or kFsNtfs from the boot sector (the stored one when the device holds one).
int DetectFileSystem(SectorDevice* device);

}  // namespace orvande
