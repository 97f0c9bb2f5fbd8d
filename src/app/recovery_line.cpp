#include "app/recovery_line.h"

namespace orvande {
namespace {

std::string Columns(std::string label, std::string bytes, std::string_view path) {
  if (label.size() < kRecoveryLabelWidth) label.resize(kRecoveryLabelWidth, ' ');
  if (bytes.size() < kRecoveryBytesWidth) bytes.insert(0, kRecoveryBytesWidth - bytes.size(), ' ');
  std::string line = std::move(label);
  line.push_back(' ');
  line.append(bytes).push_back(' ');
  line.append(path);
  return line;
}

}  // namespace

std::string RecoveryLine(const RecoveryOutcome& outcome, std::string_view printablePath) {
  return Columns(outcome.Label(), std::to_string(outcome.bytes), printablePath);
}

std::string RecoveryFailedLine(std::string_view printablePath) {
  return Columns("failed", "-", printablePath);
}

}  // namespace orvande
