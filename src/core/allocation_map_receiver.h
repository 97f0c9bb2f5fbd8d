#pragma once
// How an analysis hands the volume's allocation map to the reader instance of the same volume,
// which answers the probability questions from it while the analysis goes on. The map is named by
// where the analysis found it (for NTFS the MFT position of the $Bitmap record); the receiver
// reads it through its own device. Called from the analysis worker while the user interface may
// be asking the receiver: implementations lock.
#include <cstdint>

namespace orvande {

class OperationLog;

class AllocationMapReceiver {
 public:
  virtual ~AllocationMapReceiver() = default;
  // Forgets the map it holds: a new analysis starts.
  virtual void DropAllocationMap() = 0;
  // Reads the map from where the analysis found it; true when it is held now. Throws what the
  // reading throws (std::bad_alloc, or a record that contradicts itself).
  virtual bool LoadAllocationMap(uint64_t position, OperationLog* log) = 0;
};

}  // namespace orvande
