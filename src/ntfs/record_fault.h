#pragma once
// A record whose bytes contradict themselves in a way the reading steps do not check for (a name
// that would lie outside its record or list, say) raises RecordFault instead of being read past
// its buffer. The operations that read and decode records catch it where they log their code
// text ("code NFR447", ...) and turn it into their status; memory exhaustion during decoding is
// caught at the same places. Safe to use from any thread.
#include <stdexcept>

namespace orvande {

class RecordFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] inline void ThrowRecordFault(const char* what) {
  throw RecordFault(what);
}

}  // namespace orvande
