#include "gui/crash_consent.h"

#include "app/crash_mail.h"
#include "gui/qt_link_opener.h"
#include "gui/ui_thread_call.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande::gui {
namespace {

// Asks through the consent box, owned by `parent` (none in the consent process). Only the
// consent question is ever put to it.
class ConsentBoxPrompter final : public Prompter {
 public:
  explicit ConsentBoxPrompter(QWidget* parent) : parent_(parent) {}
  MessageAnswer ShowMessage(std::string_view, std::string_view, MessageIcon,
                            MessageButtons) override {
    CrashConsentBox box(parent_);
    return box.exec() == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
  }
  void ShowOperationLog(std::string_view) override {}

 private:
  QWidget* parent_;
};

}  // namespace

CrashConsentBox::CrashConsentBox(QWidget* parent)
    : QMessageBox(QMessageBox::Critical, QString::fromUtf8(strings::kProgramTitle),
                  QString::fromUtf8(kCrashConsentText), QMessageBox::Yes | QMessageBox::No,
                  parent) {
  setObjectName(QStringLiteral("CrashConsentBox"));
  setDefaultButton(QMessageBox::Yes);
  // Shown by a process of its own, over whatever the user was doing.
  if (parent == nullptr) setWindowFlag(Qt::WindowStaysOnTopHint);
}

int RunCrashReportConsent(const std::string& reportPath) {
  ConsentBoxPrompter prompter(nullptr);
  QtLinkOpener opener;
  return OfferCrashMail(reportPath, prompter, opener) ? 0 : 1;
}

GuiInternalFailureReporter::GuiInternalFailureReporter(QWidget* window, SelectedNodeQuery selected)
    : window_(window), selected_(std::move(selected)) {
  SetActiveInternalFailureReporter(this);
}

GuiInternalFailureReporter::~GuiInternalFailureReporter() {
  SetActiveInternalFailureReporter(nullptr);
}

const DeviceNode* GuiInternalFailureReporter::SelectedNode() const {
  if (!selected_ || window_.isNull()) return nullptr;
  // The selection belongs to the window's thread; a worker's failure asks it there.
  const DeviceNode* node = nullptr;
  CallOnObjectThread(window_.data(), [this, &node] { node = selected_(); });
  return node;
}

void GuiInternalFailureReporter::OfferCrashReport(std::string_view text) {
  if (window_.isNull()) return;
  const std::string failure(text);
  CallOnObjectThread(window_.data(), [this, &failure] {
    ConsentBoxPrompter prompter(window_.data());
    QtLinkOpener opener;
    OfferInternalFailureMail(failure, prompter, opener);
  });
}

}  // namespace orvande::gui
