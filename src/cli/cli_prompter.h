#pragma once
// The engine's message boxes on a terminal: "Caption: text" on the error stream. A question is
// asked on the terminal when there is one, and answered "no" otherwise. Callable from any thread
// (one box at a time).
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>

#include "core/stop_flag.h"
#include "support/prompter.h"

namespace orvande::cli {

// How a recovery answers its two questions without asking: from --on-exists and --replace-char.
struct RecoveryAnswers {
  enum class OnExists { kAsk, kReplace, kSkip, kRename };
  OnExists onExists = OnExists::kAsk;
  std::string replaceChar;   // one UTF-8 character; empty: ask
  StopFlag* stop = nullptr;  // the run's stop flag (unused by the answers themselves)
};

// What an unreadable first character becomes when nobody can be asked.
inline constexpr char kBatchReplaceChar = '_';

class CliPrompter final : public Prompter {
 public:
  // `in` is where answers are read; null when nobody can answer.
  CliPrompter(std::ostream& err, std::istream* in);

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  void ShowOperationLog(std::string_view text) override;
  // Answered from the recovery answers; "ask" asks on the terminal. Without one nobody can be
  // asked: an existing file is kept and the new one renamed, an unreadable character becomes
  // kBatchReplaceChar, each choice said once as a warning, and the run goes on.
  ReplaceAnswer ConfirmFileReplace(std::string_view path) override;
  BrokenNameAnswer AskBrokenFileName(std::string_view name) override;
  // Asked on the terminal; without one the analysis goes on with a warning.
  MountPointAnswer AskMountPoint(std::string_view text) override;

  void SetRecoveryAnswers(const RecoveryAnswers& answers);
  // The first question that could not be asked, for the command's closing message; with the
  // batch answers above every question has an answer, so this stays empty.
  std::optional<std::string> UnansweredQuestion() const;

 private:
  MessageAnswer Ask();
  std::string ReadLine(bool* ok);
  void Warn(const std::string& text);

  RecoveryAnswers answers_;
  // An "all" answer given once holds for the later jobs of the same command.
  std::optional<ReplaceAnswer> rememberedReplace_;
  std::optional<std::string> unanswered_;
  bool batchSymbolChosen_ = false;

  mutable std::mutex lock_;
  std::ostream& err_;
  std::istream* in_;
};

}  // namespace orvande::cli
