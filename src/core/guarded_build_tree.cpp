#include "core/guarded_build_tree.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "core/volume_analyzer.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

uint32_t Fail(OperationLog* log, const char* text, uint32_t status) {
  if (log != nullptr) {
    // Adding the line needs memory too; the status alone must still come back.
    try {
      log->Add(OperationLog::kError, text);
    } catch (...) {
    }
  }
  return status;
}

}  // namespace

uint32_t GuardedBuildTree(VolumeAnalyzer& analyzer, const BuildTreeContext& context,
                          OperationLog* log) {
  try {
    return analyzer.BuildTree(context, log);
  } catch (const std::bad_alloc&) {
    return Fail(log, strings::kAnalysisOutOfMemory, kErrOutOfMemory);
  } catch (const std::length_error&) {
    return Fail(log, strings::kAnalysisOutOfMemory, kErrOutOfMemory);
  } catch (...) {
    return Fail(log, strings::kInternalCantFinishAnalyzing, kStatusAnalysisAborted);
  }
}

}  // namespace orvande
