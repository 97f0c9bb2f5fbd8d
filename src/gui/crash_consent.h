#pragma once
// The desktop side of the crash reporter: the consent box (an error box with Yes and No), the
// consent process that a crashed program starts (`orvande --crash-report FILE`), and the
// reporter through which the engine's internal failures reach the same box while the program
// runs. User-interface thread, except the reporter, which may be called from any thread.
#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <string>

#include "core/internal_failure.h"

namespace orvande::gui {

class CrashConsentBox final : public QMessageBox {
  Q_OBJECT
 public:
  explicit CrashConsentBox(QWidget* parent = nullptr);
};

// Shows the consent box for the report at reportPath and, on Yes, opens the mail. The exit
// status of the consent process: 0 when the mail was opened, 1 otherwise.
int RunCrashReportConsent(const std::string& reportPath);

class GuiInternalFailureReporter final : public InternalFailureReporter {
 public:
  using SelectedNodeQuery = std::function<const DeviceNode*()>;
  // window: the box's parent, whose thread shows it. Active for the reporter's lifetime.
  GuiInternalFailureReporter(QWidget* window, SelectedNodeQuery selected);
  ~GuiInternalFailureReporter() override;
  GuiInternalFailureReporter(const GuiInternalFailureReporter&) = delete;
  GuiInternalFailureReporter& operator=(const GuiInternalFailureReporter&) = delete;

  const DeviceNode* SelectedNode() const override;
  void OfferCrashReport(std::string_view text) override;

 private:
  QPointer<QWidget> window_;
  SelectedNodeQuery selected_;
};

}  // namespace orvande::gui
