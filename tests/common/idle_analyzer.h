#pragma once
// An analyzer that finds nothing and recovers nothing, for tests that need only the base reader
// or override a single call. One test thread uses it.
#include <cstdint>
#include <string>

#include "core/volume_analyzer.h"

namespace orvande::test {

class IdleAnalyzer : public VolumeAnalyzer {
 public:
  uint32_t BuildTree(const BuildTreeContext&, OperationLog*) override { return 0; }
  bool RecoverFile(ItemLocation&, uint64_t, const std::string&, bool, RecoveryContext&,
                   OperationLog*) override {
    return false;
  }
  uint32_t GetRecoveryProbability(ItemLocation&, uint64_t, OperationLog*) override { return 3; }
  uint64_t GetTotalSectors() const override { return 0; }
  std::string FileSystemName() const override { return "idle"; }
  bool NamesIgnoreCase() const override { return false; }
};

}  // namespace orvande::test
