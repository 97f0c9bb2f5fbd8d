#pragma once
// The "Tip of the Day" dialog: one tip from the tips file at a time, starting where the last one
// shown ended. The check box is bShowTips (stored when the dialog closes), the file position
// dwTipFilePos (stored when the dialog goes). User-interface thread only.
#include <QDialog>
#include <string>

#include "app/tips_reader.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace orvande {
class AppSettings;
class Prompter;
}  // namespace orvande

namespace orvande::gui {

class TipOfTheDayDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Tip of the Day";
  static constexpr char kHeading[] = "Did you know...";
  static constexpr char kShowTipsText[] = "&Show Tips on StartUp";
  static constexpr char kNextTipText[] = "Next &Tip";
  static constexpr char kCloseText[] = "&Close";

  // prompter: where "The tips file is corrupted." goes.
  TipOfTheDayDialog(const std::string& tipsFile, AppSettings& settings, Prompter& prompter,
                    QWidget* parent);
  ~TipOfTheDayDialog() override;

  QString TipText() const;
  QCheckBox& ShowTipsBox() { return *showTips_; }
  QPushButton& NextTipButton() { return *nextTip_; }

  void done(int result) override;

 private:
  QWidget* MakeTipPanel();
  void ShowNextTip();
  void ShowCurrentTip();

  AppSettings& settings_;
  Prompter& prompter_;
  TipsReader reader_;
  QLabel* tip_ = nullptr;
  QCheckBox* showTips_ = nullptr;
  QPushButton* nextTip_ = nullptr;
};

// The Tip of the Day command: the dialog, modal over parent.
void ShowTipOfTheDay(const std::string& tipsFile, AppSettings& settings, Prompter& prompter,
                     QWidget* parent);

}  // namespace orvande::gui
