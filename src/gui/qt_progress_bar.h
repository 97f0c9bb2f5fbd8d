#pragma once
// The engine's progress bar shown by a QProgressBar. The engine's calls come from its worker and
// only publish the values; the widget is brought up to date on its own thread, at most one
// pending update at a time, so a fast worker cannot flood the event queue. Callable from any
// thread.
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <atomic>

#include "core/ports.h"

namespace orvande::gui {

class QtProgressBar final : public ProgressBar {
 public:
  explicit QtProgressBar(QProgressBar* bar) : bar_(bar) {}

  void SetRange(uint32_t low, uint32_t high) override;
  void SetPosition(uint32_t position) override;
  void SetStep(uint32_t step) override { step_ = step; }
  void Step() override { Advance(step_); }
  void Advance(uint32_t delta) override;

  // The bar's scale: a 32-bit range does not fit the widget's int.
  static constexpr int kScale = 10000;
  static int ScaledPosition(uint32_t low, uint32_t high, uint32_t position);

 private:
  void ScheduleUpdate();

  QPointer<QProgressBar> bar_;
  std::atomic<uint32_t> low_{0};
  std::atomic<uint32_t> high_{100};
  std::atomic<uint32_t> position_{0};
  std::atomic<uint32_t> step_{10};
  std::atomic<bool> updatePending_{false};
};

}  // namespace orvande::gui
