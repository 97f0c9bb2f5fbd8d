#include "cli/cli_prompter.h"

#include <istream>
#include <ostream>
#include <string>

namespace orvande::cli {
namespace {

// The engine's texts end lines the Windows way; a terminal wants bare line feeds.
std::string WithoutCarriageReturns(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (char c : text) {
    if (c != '\r') plain.push_back(c);
  }
  return plain;
}

}  // namespace

CliPrompter::CliPrompter(std::ostream& err, std::istream* in) : err_(err), in_(in) {}

MessageAnswer CliPrompter::ShowMessage(std::string_view text, std::string_view caption,
                                       MessageIcon /*icon*/, MessageButtons buttons) {
  std::lock_guard<std::mutex> hold(lock_);
  err_ << caption << ": " << WithoutCarriageReturns(text);
  if (buttons == MessageButtons::kOk) {
    err_ << '\n' << std::flush;
    return MessageAnswer::kOk;
  }
  return Ask();
}

MessageAnswer CliPrompter::Ask() {
  if (in_ == nullptr) {
    err_ << " [y/N] n (no terminal to answer on)\n" << std::flush;
    return MessageAnswer::kNo;
  }
  err_ << " [y/N] " << std::flush;
  std::string line;
  if (!std::getline(*in_, line)) {
    err_ << '\n' << std::flush;
    return MessageAnswer::kNo;
  }
  size_t first = line.find_first_not_of(" \t");
  bool yes = first != std::string::npos && (line[first] == 'y' || line[first] == 'Y');
  return yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

void CliPrompter::ShowOperationLog(std::string_view text) {
  std::lock_guard<std::mutex> hold(lock_);
  std::string plain = WithoutCarriageReturns(text);
  err_ << plain;
  if (!plain.empty() && plain.back() != '\n') err_ << '\n';
  err_ << std::flush;
}

}  // namespace orvande::cli
