#include "app/tips_reader.h"

#include <limits>
#include <utility>

namespace orvande {
namespace {

bool IsCommentLine(const std::string& line) {
  if (line.empty()) return true;
  const char first = line.front();
  // '\r' is the line end of a tips file written with CR LF.
  return first == ' ' || first == '\t' || first == '\n' || first == '\r' || first == ';';
}

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

TipsReader::~TipsReader() {
  Close();
}

void TipsReader::Open(const std::string& path, uint32_t position) {
  Close();
  message_.clear();
  closedPosition_ = position;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    ShowNoTips();
    return;
  }
  hasTips_ = true;
  if (std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) {
    message_ = kTipsFileCorrupted;
  }
  NextTip();
}

void TipsReader::NextTip() {
  if (!CanShowNextTip()) return;
  // Going round once is enough to see every line: a second end of file means no tip at all.
  bool wentRound = false;
  std::string line;
  for (;;) {
    if (!ReadLine(&line)) {
      if (wentRound) {
        ShowNoTips();
        return;
      }
      if (std::fseek(file_, 0, SEEK_SET) != 0) {
        message_ = kTipsFileCorrupted;
        return;
      }
      wentRound = true;
      continue;
    }
    if (!IsCommentLine(line)) {
      tip_ = WithoutLineEnd(std::move(line));
      return;
    }
  }
}

bool TipsReader::ReadLine(std::string* line) {
  line->clear();
  while (line->size() < kMaxLineChars) {
    const int c = std::fgetc(file_);
    if (c == EOF) break;
    line->push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line->empty();
}

void TipsReader::ShowNoTips() {
  tip_ = kMissingTipsFile;
  hasTips_ = false;
}

void TipsReader::Close() {
  if (file_ == nullptr) return;
  closedPosition_ = Position();
  std::fclose(file_);
  file_ = nullptr;
}

std::string TipsReader::TakeMessage() {
  return std::exchange(message_, std::string());
}

uint32_t TipsReader::Position() const {
  if (file_ == nullptr) return closedPosition_;
  const long position = std::ftell(file_);
  if (position < 0 || static_cast<unsigned long>(position) > std::numeric_limits<uint32_t>::max())
    return 0;
  return static_cast<uint32_t>(position);
}

}  // namespace orvande
