#include <string>

#include "core/item_location.h"
#include "core/recovery_context.h"
#include "fat/fat_analyzer.h"

namespace orvande {

// Placeholders until the data of deleted files is read: nothing is recovered and the
// probability stays unknown.
bool FatAnalyzer::RecoverFile(ItemLocation& /*location*/, uint64_t /*size*/,
                              const std::string& /*path*/, bool /*recoverStreams*/,
                              RecoveryContext& /*context*/, OperationLog* /*log*/) {
  return false;
}

uint32_t FatAnalyzer::GetRecoveryProbability(ItemLocation& /*location*/, uint64_t /*size*/,
                                             OperationLog* /*log*/) {
  return 3;
}

bool FatAnalyzer::FixFat32StartCluster(ItemLocation& /*location*/, const std::string& /*path*/,
                                       uint64_t /*size*/) {
  return false;
}

}  // namespace orvande
