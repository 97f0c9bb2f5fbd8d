#pragma once
// What the plug-in reports about a found file. Used by one thread at a time.
#include <cstdint>

#include "core/sector_run_list.h"
#include "typeprobe_abi.h"

namespace orvande {

class FoundFileResult : public typeprobe::Result {
 public:
  explicit FoundFileResult(uint32_t typeId) : typeId_(typeId) {}
  void AddSector(uint32_t sector) override { runs_.AddSector(sector); }
  void AddRun(uint32_t first, uint32_t last) override { runs_.AddRun(first, last); }
  bool Contains(uint32_t sector) override { return runs_.Contains(sector); }
  uint32_t GetType() override { return typeId_; }
  void SetSize(uint64_t size) override { size_ = size; }
  uint64_t GetSize() override { return size_; }
  const SectorRunList& Runs() const { return runs_; }

 private:
  uint32_t typeId_;
  SectorRunList runs_;
  uint64_t size_ = 0;
};

}  // namespace orvande
