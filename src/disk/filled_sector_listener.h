#pragma once
// Told by a sector device of every byte range a read could not get from the medium and delivered
// as zeros instead (the read itself still reports success). Called on the reading thread.
#include <cstdint>

namespace orvande {

class FilledSectorListener {
 public:
  // byteOffset counts from the device's own byte 0 (the volume's start for a volume device).
  virtual void OnFilled(uint64_t byteOffset, uint64_t byteCount) = 0;

 protected:
  ~FilledSectorListener() = default;
};

}  // namespace orvande
