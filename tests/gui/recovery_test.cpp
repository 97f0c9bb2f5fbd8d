// Recovery from the window as a user gives it: the Recover dialog, the job it starts and the
// questions the job asks on the way, all answered through the real dialogs. Runs offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "gui_suites.h"
#include "window_test_helpers.h"
#include "app/app_environment.h"
#include "app/app_settings.h"
#include "app/engine_setup.h"
#include "app/frame_commands.h"
#include "app/main_frame_controller.h"
#include "common/corpus.h"
#include "common/temp_folder.h"
#include "gui/broken_file_name_dialog.h"
#include "gui/confirm_file_replace_dialog.h"
#include "gui/file_list_model.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_view.h"
#include "gui/left_frame.h"
#include "gui/main_frame.h"
#include "gui/operation_log_dialog.h"
#include "gui/recover_dialog.h"

using namespace orvande;
using namespace orvande::gui;

namespace {

// Answers each modal window that comes up with the handler for its type. A handler runs as a
// queued call, so that the windows it opens in turn are answered too.
class ModalAnswers : public QObject {
 public:
  ModalAnswers() {
    connect(&timer_, &QTimer::timeout, this, &ModalAnswers::Poll);
    timer_.start(10);
  }
  template <typename Window>
  void On(std::function<void(Window&)> answer) {
    handlers_.push_back([answer](QWidget* widget) {
      auto* window = qobject_cast<Window*>(widget);
      if (window != nullptr) answer(*window);
      return window != nullptr;
    });
  }
  const QStringList& Titles() const { return titles_; }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == handled_.data()) return;
    handled_ = modal;
    QMetaObject::invokeMethod(
        this,
        [this, window = QPointer<QWidget>(modal)] {
          if (window.isNull()) return;
          const QString title = window->windowTitle();
          for (const auto& handler : handlers_) {
            // Recorded first: a handler returns only when the windows it opened have closed.
            titles_ << title;
            if (handler(window.data())) return;
            titles_.removeLast();
          }
        },
        Qt::QueuedConnection);
  }

  QTimer timer_;
  QPointer<QWidget> handled_;
  std::vector<std::function<bool(QWidget*)>> handlers_;
  QStringList titles_;
};

// The sample's manifest: path from the volume root to the sha256 of the content.
std::map<std::string, std::string> SampleHashes() {
  std::ifstream in(std::string(qgetenv("ORVANDE_SOURCE_DIR").constData()) +
                   "/samples/sample-fat16.manifest");
  std::map<std::string, std::string> hashes;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string state, type, size, hash, path;
    fields >> state >> type >> size;
    if (type != "file") continue;
    fields >> hash >> std::ws;
    std::getline(fields, path);
    hashes[path] = hash;
  }
  return hashes;
}

// The hash of a recovered file; empty when it was not written.
std::string HashOf(const QString& path) {
  try {
    return test::Sha256OfFile(path.toStdString());
  } catch (const std::runtime_error&) {
    return std::string();
  }
}

}  // namespace

class RecoveryTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void deletedFilesFromTheListMatchTheManifest();
  void aFolderFromTheTreeKeepsItsPlaceAndAsksBeforeReplacing();
  void closeIsRefusedWhileRecovering();
  void brokenFileNameRefusesBadAnswers();

 private:
  void AnalyseSample();
  // Answers the Recover dialog with folder and options, the create question with yes, and
  // names a broken file after the manifest's name it stands for.
  void AnswerRecovery(ModalAnswers& answers, const QString& folder, bool restoreStructure);
  void RunRecoverAndWait();
  QString OutputFolder(const char* name) const;

  std::unique_ptr<test::TempFolder> folder_;
  std::string image_;
  std::map<std::string, std::string> hashes_;
  std::unique_ptr<AppEnvironment> environment_;
  std::unique_ptr<CMainFrame> frame_;
  QStringList messages_;
};

void RecoveryTest::initTestCase() {
  folder_ = std::make_unique<test::TempFolder>("gui-recovery");
  image_ = test::UnpackSampleVolume(folder_->Path());
  hashes_ = SampleHashes();
  QVERIFY(!hashes_.empty());
  PrepareEngine();
  QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
}

void RecoveryTest::init() {
  StartupOptions options;
  options.settingsFolder = (folder_->Path() / "settings").string();
  options.homeFolder = folder_->Path().string();
  options.debugLogPath = (folder_->Path() / "_log.txt").string();
  environment_ = std::make_unique<AppEnvironment>(options);
  // No prompter given: the frame asks through its own dialogs.
  frame_ = std::make_unique<CMainFrame>(*environment_);
  frame_->show();
  QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
  messages_.clear();
}

void RecoveryTest::cleanup() {
  frame_.reset();
  environment_.reset();
}

void RecoveryTest::AnalyseSample() {
  // The analysis shows its log at the end.
  ModalAnswers answers;
  answers.On<OperationLogDialog>([](OperationLogDialog& dialog) { dialog.accept(); });
  QVERIFY(frame_->AddImageFile(QString::fromStdString(image_)));
  frame_->RunCommand(command::kAnalyze);
  QCOMPARE(frame_->WaitForAnalysis(), 0u);
  QCoreApplication::processEvents();
}

QString RecoveryTest::OutputFolder(const char* name) const {
  return QString::fromStdString((folder_->Path() / name).string());
}

void RecoveryTest::AnswerRecovery(ModalAnswers& answers, const QString& folder,
                                  bool restoreStructure) {
  answers.On<RecoverDialog>([folder, restoreStructure](RecoverDialog& dialog) {
    dialog.FolderEdit().setText(QStringLiteral("  ") + folder);
    dialog.RestoreStructureBox().setChecked(restoreStructure);
    QVERIFY(gui_test::SaveScreenshot(dialog, "recover-dialog"));
    dialog.OkButton().click();
  });
  answers.On<QMessageBox>([this](QMessageBox& box) {
    messages_ << box.text();
    QAbstractButton* yes = box.button(QMessageBox::Yes);
    (yes != nullptr ? yes : box.button(QMessageBox::Ok))->click();
  });
  answers.On<OperationLogDialog>([this](OperationLogDialog& dialog) {
    messages_ << dialog.LogText();
    dialog.accept();
  });
  answers.On<BrokenFileNameDialog>([this](BrokenFileNameDialog& dialog) {
    const std::string broken = dialog.NewNameEdit().text().toStdString();
    for (const auto& [path, hash] : hashes_) {
      const std::string name = path.substr(path.find_last_of('/') + 1);
      if (name.size() == broken.size() && name.substr(1) == broken.substr(1))
        dialog.NewNameEdit().setText(QString::fromStdString(name));
    }
    QVERIFY(gui_test::SaveScreenshot(dialog, "broken-file-name"));
    dialog.RenameButton().click();
  });
}

void RecoveryTest::RunRecoverAndWait() {
  frame_->RunCommand(command::kRecover);
  QTRY_VERIFY_WITH_TIMEOUT(!frame_->Controller().Recovery().Recovering(), 20000);
  QTRY_COMPARE(frame_->StatusPaneText(), QStringLiteral("Finished"));
  // The frame notices the job's end on its own.
  QTRY_VERIFY(frame_->ActionFor(command::kAnalyze)->isEnabled());
}

void RecoveryTest::deletedFilesFromTheListMatchTheManifest() {
  AnalyseSample();
  FolderTree& tree = frame_->Analysis().Tree();
  for (TreeNode root : tree.Children(kNoNode))
    for (TreeNode child : tree.Children(root))
      if (tree.Text(child) == "Documents") frame_->LeftFrame().FilesTree().SelectNode(child);
  CFilesListView& list = frame_->FilesList();
  // Recover takes the view that has the focus, which needs an active window.
  frame_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
  list.setFocus();
  QVERIFY(list.hasFocus());
  for (int row = 0; row < list.Model().rowCount(); ++row) {
    const QString name = list.Model().RowAt(row)->name;
    if (name == QStringLiteral("old draft.txt") || name == QStringLiteral("?odo.txt"))
      list.selectionModel()->select(list.Model().index(row, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  QCOMPARE(list.selectionModel()->selectedRows().size(), 2);
  QVERIFY(frame_->ActionFor(command::kRecover)->isEnabled());

  ModalAnswers answers;
  const QString out = OutputFolder("from-list");
  AnswerRecovery(answers, out, /*restoreStructure=*/false);
  RunRecoverAndWait();

  QCOMPARE(answers.Titles(), QStringList({"Recover", "Orvande", "Broken File Name"}));
  QCOMPARE(messages_, QStringList({"The specified folder does not exist. Do you want to create it?"}));
  for (const char* path : {"Documents/old draft.txt", "Documents/todo.txt"}) {
    const std::string name = std::string(path).substr(10);
    QCOMPARE(HashOf(out + "/" + QString::fromStdString(name)), hashes_.at(path));
  }
  // The dialog keeps what it was given for the next time.
  QCOMPARE(environment_->Settings().RecoverOutputFolder(), (out + "/").toStdString());
}

void RecoveryTest::aFolderFromTheTreeKeepsItsPlaceAndAsksBeforeReplacing() {
  AnalyseSample();
  FolderTree& tree = frame_->Analysis().Tree();
  TreeNode holiday = kNoNode;
  for (TreeNode root : tree.Children(kNoNode))
    for (TreeNode child : tree.Children(root))
      for (TreeNode grandChild : tree.Children(child))
        if (tree.Text(grandChild) == "Holiday 2003") holiday = grandChild;
  QVERIFY(holiday != kNoNode);
  CFilesTreeView& view = frame_->LeftFrame().FilesTree();
  view.SelectNode(holiday);
  view.setFocus();

  const QString out = OutputFolder("from-tree");
  {
    ModalAnswers answers;
    AnswerRecovery(answers, out, /*restoreStructure=*/true);
    RunRecoverAndWait();
  }
  for (const char* path :
       {"Pictures/Holiday 2003/beach sunset.jpg", "Pictures/Holiday 2003/mountain view.jpg"})
    QCOMPARE(HashOf(out + "/" + path), hashes_.at(path));

  // The same folder again: the first file that exists is asked about, and all are replaced.
  ModalAnswers answers;
  AnswerRecovery(answers, out, /*restoreStructure=*/true);
  QStringList replaceTexts;
  answers.On<ConfirmFileReplaceDialog>([&replaceTexts](ConfirmFileReplaceDialog& dialog) {
    replaceTexts << dialog.Text();
    QVERIFY(gui_test::SaveScreenshot(dialog, "confirm-file-replace"));
    dialog.ButtonFor(ReplaceAnswer::kReplaceAll).click();
  });
  RunRecoverAndWait();
  QCOMPARE(replaceTexts.size(), 1);
  QVERIFY2(replaceTexts.front().startsWith("Would you like to replace the existing file?\nFile \""),
           qPrintable(replaceTexts.front()));
  QVERIFY(replaceTexts.front().endsWith(".jpg\" exists."));
  QCOMPARE(HashOf(out + "/Pictures/Holiday 2003/beach sunset.jpg"),
           hashes_.at("Pictures/Holiday 2003/beach sunset.jpg"));
}

void RecoveryTest::closeIsRefusedWhileRecovering() {
  AnalyseSample();
  MainFrameController& controller = frame_->Controller();
  controller.PrepareRecovery();
  frame_->UpdateActions();
  QVERIFY(frame_->ActionFor(command::kStop)->isEnabled());
  QVERIFY(!frame_->ActionFor(command::kRecover)->isEnabled());
  ModalAnswers answers;
  AnswerRecovery(answers, QString(), false);
  QVERIFY(!frame_->close());
  QCOMPARE(messages_, QStringList({"Stop current operation before closing Orvande."}));
  // Asked to stop, the recovery no longer holds the window.
  controller.Recovery().StopRequest().store(1);
  controller.RecoveringFlag().store(0);
  QVERIFY(frame_->close());
}

void RecoveryTest::brokenFileNameRefusesBadAnswers() {
  struct Case {
    const char* newName;
    bool changeAll;
    const char* symbol;
    const char* refusal;  // null: accepted
  };
  const Case cases[] = {
      {"", false, "", "New file name can't be empty. Please enter new file name."},
      {"a?b.txt", false, "", "Invalid new file name."},
      {"?odo.txt", true, "*", "Please enter valid symbol."},
      {"?odo.txt", true, "t", nullptr},
      {"todo.txt", false, "", nullptr},
  };
  for (const Case& c : cases) {
    BrokenFileNameDialog dialog(QStringLiteral("?odo.txt"), frame_.get());
    dialog.show();
    dialog.NewNameEdit().setText(QString::fromUtf8(c.newName));
    dialog.ChangeAllBox().setChecked(c.changeAll);
    dialog.SymbolEdit().setText(QString::fromUtf8(c.symbol));
    ModalAnswers answers;
    QStringList refusals;
    answers.On<QMessageBox>([&refusals](QMessageBox& box) {
      refusals << box.text();
      box.accept();
    });
    dialog.RenameButton().click();
    QCOMPARE(refusals, c.refusal ? QStringList({c.refusal}) : QStringList());
    QCOMPARE(dialog.isVisible(), c.refusal != nullptr);
    if (c.refusal == nullptr) {
      QCOMPARE(dialog.Answer().action, BrokenNameAnswer::kRename);
      QCOMPARE(dialog.Answer().changeAll, c.changeAll);
    }
  }
}

namespace {
[[maybe_unused]] const bool registered = gui_suites::Register<RecoveryTest>("recovery");
}  // namespace
#include "recovery_test.moc"
