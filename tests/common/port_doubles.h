#pragma once
// Test doubles of the user-interface ports. Each records what it is told and is thread-safe,
// so a worker thread may call it while the test thread inspects it.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/frame_ports.h"
#include "app/link_opener.h"
#include "core/ports.h"
#include "core/recovery_context.h"
#include "support/prompter.h"

namespace orvande::test {

struct SentMessage {
  uint32_t message = 0;
  uintptr_t wParam = 0;
  uintptr_t lParam = 0;
  bool operator==(const SentMessage&) const = default;
};

// Records every message sent, in order.
class RecordingNotifySink : public NotifySink {
 public:
  void Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

  std::vector<SentMessage> Messages() const;
  // How many messages with that number were sent.
  size_t Count(uint32_t message) const;
  // The messages with that number, in order.
  std::vector<SentMessage> Of(uint32_t message) const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<SentMessage> messages_;
};

// Keeps what a recovery job reports, in order. Read it after the job's thread has ended.
struct RecordingRecoveryListener final : RecoveryListener {
  void FileRecovered(const std::string& path, const RecoveryOutcome& outcome) override {
    std::lock_guard<std::mutex> hold(mutex);
    files.emplace_back(path, outcome);
  }
  void RecoveryFailed(const std::string& what) override {
    std::lock_guard<std::mutex> hold(mutex);
    failed.push_back(what);
  }
  std::mutex mutex;
  std::vector<std::pair<std::string, RecoveryOutcome>> files;
  std::vector<std::string> failed;
};

// Keeps the progress bar's state and counts the calls.
class RecordingProgressBar : public ProgressBar {
 public:
  void SetRange(uint32_t low, uint32_t high) override;
  void SetPosition(uint32_t position) override;
  void SetStep(uint32_t step) override;
  void Step() override;
  void Advance(uint32_t delta) override;

  uint32_t Low() const;
  uint32_t High() const;
  uint32_t Position() const;
  uint32_t StepSize() const;
  // Every position the bar took, in order (SetPosition, Step and Advance each add one).
  std::vector<uint32_t> Positions() const;
  size_t SetRangeCalls() const;

 private:
  mutable std::mutex mutex_;
  uint32_t low_ = 0;
  uint32_t high_ = 100;
  uint32_t position_ = 0;
  uint32_t step_ = 10;
  size_t rangeCalls_ = 0;
  std::vector<uint32_t> positions_;
};

struct PromptRecord {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::kInformation;
  MessageButtons buttons = MessageButtons::kOk;
};

// Answers ShowMessage from a queue of scripted answers; once the queue is empty it answers the
// fallback (kOk for an OK box, otherwise kNo unless changed). Records every box and every log.
class ScriptedPrompter : public Prompter {
 public:
  ScriptedPrompter() = default;
  explicit ScriptedPrompter(std::vector<MessageAnswer> answers);

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  void ShowOperationLog(std::string_view text) override;

  void QueueAnswer(MessageAnswer answer);
  void SetFallback(MessageAnswer answer);

  // The recovery questions: queued answers first, then the fallback (skip).
  ReplaceAnswer ConfirmFileReplace(std::string_view path) override;
  BrokenNameAnswer AskBrokenFileName(std::string_view name) override;
  void QueueReplaceAnswer(ReplaceAnswer answer);
  void QueueBrokenNameAnswer(BrokenNameAnswer answer);
  // "Mount Point": queued answers first, then go on.
  MountPointAnswer AskMountPoint(std::string_view text) override;
  void QueueMountPointAnswer(MountPointAnswer answer);
  std::vector<std::string> MountPointQuestions() const;
  // The paths and names the recovery questions were asked about, in order.
  std::vector<std::string> ReplaceQuestions() const;
  std::vector<std::string> BrokenNameQuestions() const;

  std::vector<PromptRecord> Prompts() const;
  // The texts of the message boxes, in order.
  std::vector<std::string> Texts() const;
  std::vector<std::string> OperationLogs() const;
  // Answers still queued.
  size_t PendingAnswers() const;

 private:
  mutable std::mutex mutex_;
  std::deque<MessageAnswer> answers_;
  MessageAnswer fallback_ = MessageAnswer::kNo;
  std::vector<PromptRecord> prompts_;
  std::vector<std::string> logs_;
  std::deque<ReplaceAnswer> replaceAnswers_;
  std::deque<BrokenNameAnswer> brokenNameAnswers_;
  std::vector<std::string> replaceQuestions_;
  std::vector<std::string> brokenNameQuestions_;
  std::deque<MountPointAnswer> mountPointAnswers_;
  std::vector<std::string> mountPointQuestions_;
};

// A user-interface wait that records each step it was asked for, runs `onStep` (the wait loop
// goes on while it answers true) and returns after a short sleep. Steps may come from any thread.
class RecordingWait final : public UiWait {
 public:
  bool WaitStep(std::chrono::milliseconds step) override;
  std::vector<std::chrono::milliseconds> Steps() const;
  int Calls() const { return calls_.load(); }

  std::function<bool()> onStep;  // set before the wait starts

 private:
  mutable std::mutex mutex_;
  std::vector<std::chrono::milliseconds> steps_;
  std::atomic<int> calls_{0};
};

// Keeps every link it is asked to open, in order, and opens none.
struct RecordingLinkOpener final : LinkOpener {
  bool OpenLink(const std::string& url) override {
    std::lock_guard<std::mutex> hold(mutex);
    opened.push_back(url);
    return true;
  }
  std::mutex mutex;
  std::vector<std::string> opened;
};

}  // namespace orvande::test
