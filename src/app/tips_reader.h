#pragma once
// The Tip of the Day's reading of tips.txt: one tip a line, lines beginning with a blank, a tab,
// a line end or ';' are comments. It starts where the previous run stopped (dwTipFilePos) and
// goes round to the start at the end of the file. One thread at a time may use an instance.
#include <cstdint>
#include <cstdio>
#include <string>

namespace orvande {

class TipsReader {
 public:
  static constexpr char kFileName[] = "tips.txt";
  static constexpr char kMissingTipsFile[] = "... that you're missing tips file.";
  static constexpr char kTipsFileCorrupted[] = "The tips file is corrupted.";
  static constexpr size_t kMaxLineChars = 1000;

  TipsReader() = default;
  ~TipsReader();
  TipsReader(const TipsReader&) = delete;
  TipsReader& operator=(const TipsReader&) = delete;

  // Opens the file at the stored position and reads the first tip. A file that cannot be opened,
  // or holds no tip at all, shows kMissingTipsFile with no next tip.
  void Open(const std::string& path, uint32_t position);
  // Reads the tip after the current one.
  void NextTip();
  void Close();

  const std::string& Tip() const { return tip_; }
  bool CanShowNextTip() const { return file_ != nullptr && hasTips_; }
  // A text for a message box (kTipsFileCorrupted) raised since the last call; empty when none.
  std::string TakeMessage();
  // Where the next tip starts: the value to store as dwTipFilePos when the dialog goes.
  uint32_t Position() const;

 private:
  // One line of at most kMaxLineChars characters with its line end; false at the end of the file.
  bool ReadLine(std::string* line);
  void ShowNoTips();

  std::FILE* file_ = nullptr;
  bool hasTips_ = false;
  std::string tip_;
  std::string message_;
  uint32_t closedPosition_ = 0;
};

}  // namespace orvande
