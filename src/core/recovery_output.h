#pragma once
// The output file of one recovered file: created or emptied, written up to the file's size, the
// progress bar moved in whole units, and every failure logged with the platform's text. One
// thread at a time may use an instance.
#include <cstdint>
#include <string>

#include "platform/output_file.h"

namespace orvande {

class OperationLog;
struct RecoveryContext;

class RecoveryOutput {
 public:
  // path and context must outlive the object; log may be null.
  RecoveryOutput(const std::string& path, uint64_t size, RecoveryContext& context,
                 OperationLog* log);

  // Creates a new file in place of whatever had its name (unlinked, never written through); logs
  // "Can't create file" on failure.
  bool Create();
  // Sets the progress range to the size (shifted down when it would not fit 32 bits).
  void StartProgress();
  // Writes the first min(Remaining(), maxBytes) bytes of data and advances the progress by the
  // whole units of unitBytes among them. False, logged, when the write fails.
  bool Write(const uint8_t* data, uint64_t maxBytes, uint32_t unitBytes);
  // Closes the file. A write the system deferred can still fail here: when ok, that is logged and
  // the result is false. Returns ok otherwise.
  bool Close(bool ok);

  uint64_t Remaining() const { return remaining_; }
  uint64_t Written() const { return written_; }

 private:
  void ReportWriteError(uint32_t error);

  platform::OutputFile file_;
  const std::string& path_;
  RecoveryContext& context_;
  OperationLog* log_;
  uint64_t remaining_;
  uint64_t written_ = 0;
  uint32_t shift_ = 0;
};

}  // namespace orvande
