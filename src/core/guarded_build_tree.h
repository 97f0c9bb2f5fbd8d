#pragma once
// The one way front ends run an analysis: whatever an analyzer's BuildTree throws stays inside.
// Running out of memory on a volume that asks for too much becomes the out-of-memory result with
// a log line; the tree keeps what was found. Called by the analysis worker.
#include <cstdint>

namespace orvande {

class OperationLog;
class VolumeAnalyzer;
struct BuildTreeContext;

// BuildTree's status; kErrOutOfMemory after std::bad_alloc or std::length_error,
// kStatusAnalysisAborted after any other exception (both logged at error level when a log is
// given).
uint32_t GuardedBuildTree(VolumeAnalyzer& analyzer, const BuildTreeContext& context,
                          OperationLog* log);

}  // namespace orvande
