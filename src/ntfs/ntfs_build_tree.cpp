// Minimal stand-ins for the MFT walk and the recovery probability, kept apart from the rest of the
// analyzer so that the folder-tree reconstruction can replace this file as a whole. Until then an
// analysis adds nothing and every deleted file's chances read as unknown.
#include "core/file_record.h"
#include "ntfs/ntfs_analyzer.h"

namespace orvande {

uint32_t NtfsAnalyzer::BuildTree(const BuildTreeContext& /*context*/, OperationLog* /*log*/) {
  return 0;
}

uint32_t NtfsAnalyzer::GetRecoveryProbability(ItemLocation& /*location*/, uint64_t /*size*/,
                                              OperationLog* /*log*/) {
  return kProbabilityUnknown;
}

}  // namespace orvande
