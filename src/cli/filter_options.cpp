#include "cli/filter_options.h"

#include <CLI/CLI.hpp>

#include "core/file_record.h"

namespace orvande::cli {
namespace {

std::string CheckTime(const std::string& text) {
  return ParseUtcTime(text) ? std::string() : "a UTC date YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS]";
}

std::string CheckProbability(const std::string& text) {
  return ParseProbability(text) ? std::string() : "good, average or poor";
}

}  // namespace

void FilterOptions::Register(CLI::App* sub) {
  nameOption_ = sub->add_option("--name", name_,
                                "Only files whose name matches GLOB (*, ?, [set]; on FAT without "
                                "regard to case); quote it from the shell");
  minOption_ = sub->add_option("--min-size", minSize_, "Only files of at least this many bytes");
  maxOption_ = sub->add_option("--max-size", maxSize_, "Only files of at most this many bytes");
  sub->add_option("--modified-after", after_, "Only files modified at or after this UTC time")
      ->check(CheckTime);
  sub->add_option("--modified-before", before_, "Only files modified before this UTC time")
      ->check(CheckTime);
  sub->add_option("--probability", probabilities_,
                  "Only deleted files of this recovery probability: good, average or poor "
                  "(repeatable)")
      ->check(CheckProbability)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

FileFilter FilterOptions::Build(bool ignoreCase) const {
  FileFilter filter;
  filter.ignoreCase = ignoreCase;
  if (nameOption_ != nullptr && nameOption_->count() > 0) filter.namePattern = name_;
  if (minOption_ != nullptr && minOption_->count() > 0) filter.minSize = minSize_;
  if (maxOption_ != nullptr && maxOption_->count() > 0) filter.maxSize = maxSize_;
  if (!after_.empty()) filter.modifiedAfter = ParseUtcTime(after_);
  if (!before_.empty()) filter.modifiedBefore = ParseUtcTime(before_);
  for (const std::string& text : probabilities_) {
    if (std::optional<uint32_t> code = ParseProbability(text)) filter.probabilities |= 1u << *code;
  }
  return filter;
}

}  // namespace orvande::cli
