#include "common/port_doubles.h"

#include <algorithm>
#include <thread>

namespace orvande::test {

void RecordingNotifySink::Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
  std::lock_guard lock(mutex_);
  messages_.push_back({message, wParam, lParam});
}

std::vector<SentMessage> RecordingNotifySink::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

size_t RecordingNotifySink::Count(uint32_t message) const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(
      std::count_if(messages_.begin(), messages_.end(),
                    [message](const SentMessage& m) { return m.message == message; }));
}

std::vector<SentMessage> RecordingNotifySink::Of(uint32_t message) const {
  std::lock_guard lock(mutex_);
  std::vector<SentMessage> out;
  for (const SentMessage& m : messages_) {
    if (m.message == message) out.push_back(m);
  }
  return out;
}

void RecordingNotifySink::Clear() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

void RecordingProgressBar::SetRange(uint32_t low, uint32_t high) {
  std::lock_guard lock(mutex_);
  low_ = low;
  high_ = high;
  ++rangeCalls_;
}

void RecordingProgressBar::SetPosition(uint32_t position) {
  std::lock_guard lock(mutex_);
  position_ = position;
  positions_.push_back(position_);
}

void RecordingProgressBar::SetStep(uint32_t step) {
  std::lock_guard lock(mutex_);
  step_ = step;
}

void RecordingProgressBar::Step() {
  std::lock_guard lock(mutex_);
  position_ += step_;
  positions_.push_back(position_);
}

void RecordingProgressBar::Advance(uint32_t delta) {
  std::lock_guard lock(mutex_);
  position_ += delta;
  positions_.push_back(position_);
}

uint32_t RecordingProgressBar::Low() const {
  std::lock_guard lock(mutex_);
  return low_;
}

uint32_t RecordingProgressBar::High() const {
  std::lock_guard lock(mutex_);
  return high_;
}

uint32_t RecordingProgressBar::Position() const {
  std::lock_guard lock(mutex_);
  return position_;
}

uint32_t RecordingProgressBar::StepSize() const {
  std::lock_guard lock(mutex_);
  return step_;
}

std::vector<uint32_t> RecordingProgressBar::Positions() const {
  std::lock_guard lock(mutex_);
  return positions_;
}

size_t RecordingProgressBar::SetRangeCalls() const {
  std::lock_guard lock(mutex_);
  return rangeCalls_;
}

ScriptedPrompter::ScriptedPrompter(std::vector<MessageAnswer> answers)
    : answers_(answers.begin(), answers.end()) {}

MessageAnswer ScriptedPrompter::ShowMessage(std::string_view text, std::string_view caption,
                                            MessageIcon icon, MessageButtons buttons) {
  std::lock_guard lock(mutex_);
  prompts_.push_back({std::string(text), std::string(caption), icon, buttons});
  if (!answers_.empty()) {
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return buttons == MessageButtons::kOk ? MessageAnswer::kOk : fallback_;
}

void ScriptedPrompter::ShowOperationLog(std::string_view text) {
  std::lock_guard lock(mutex_);
  logs_.emplace_back(text);
}

ReplaceAnswer ScriptedPrompter::ConfirmFileReplace(std::string_view path) {
  std::lock_guard lock(mutex_);
  replaceQuestions_.emplace_back(path);
  if (replaceAnswers_.empty()) return ReplaceAnswer::kSkip;
  ReplaceAnswer answer = replaceAnswers_.front();
  replaceAnswers_.pop_front();
  return answer;
}

BrokenNameAnswer ScriptedPrompter::AskBrokenFileName(std::string_view name) {
  std::lock_guard lock(mutex_);
  brokenNameQuestions_.emplace_back(name);
  if (brokenNameAnswers_.empty()) return {};
  BrokenNameAnswer answer = brokenNameAnswers_.front();
  brokenNameAnswers_.pop_front();
  return answer;
}

MountPointAnswer ScriptedPrompter::AskMountPoint(std::string_view text) {
  std::lock_guard lock(mutex_);
  mountPointQuestions_.emplace_back(text);
  if (mountPointAnswers_.empty()) return {};
  MountPointAnswer answer = mountPointAnswers_.front();
  mountPointAnswers_.pop_front();
  return answer;
}

void ScriptedPrompter::QueueMountPointAnswer(MountPointAnswer answer) {
  std::lock_guard lock(mutex_);
  mountPointAnswers_.push_back(answer);
}

std::vector<std::string> ScriptedPrompter::MountPointQuestions() const {
  std::lock_guard lock(mutex_);
  return mountPointQuestions_;
}

void ScriptedPrompter::QueueReplaceAnswer(ReplaceAnswer answer) {
  std::lock_guard lock(mutex_);
  replaceAnswers_.push_back(answer);
}

void ScriptedPrompter::QueueBrokenNameAnswer(BrokenNameAnswer answer) {
  std::lock_guard lock(mutex_);
  brokenNameAnswers_.push_back(std::move(answer));
}

std::vector<std::string> ScriptedPrompter::ReplaceQuestions() const {
  std::lock_guard lock(mutex_);
  return replaceQuestions_;
}

std::vector<std::string> ScriptedPrompter::BrokenNameQuestions() const {
  std::lock_guard lock(mutex_);
  return brokenNameQuestions_;
}

void ScriptedPrompter::QueueAnswer(MessageAnswer answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

void ScriptedPrompter::SetFallback(MessageAnswer answer) {
  std::lock_guard lock(mutex_);
  fallback_ = answer;
}

std::vector<PromptRecord> ScriptedPrompter::Prompts() const {
  std::lock_guard lock(mutex_);
  return prompts_;
}

std::vector<std::string> ScriptedPrompter::Texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const PromptRecord& p : prompts_) out.push_back(p.text);
  return out;
}

std::vector<std::string> ScriptedPrompter::OperationLogs() const {
  std::lock_guard lock(mutex_);
  return logs_;
}

size_t ScriptedPrompter::PendingAnswers() const {
  std::lock_guard lock(mutex_);
  return answers_.size();
}

bool RecordingWait::WaitStep(std::chrono::milliseconds step) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    steps_.push_back(step);
  }
  calls_.fetch_add(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return onStep ? onStep() : true;
}

std::vector<std::chrono::milliseconds> RecordingWait::Steps() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return steps_;
}

}  // namespace orvande::test
