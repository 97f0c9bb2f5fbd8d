// The frame's Filter, Find and Find next, and Save disk image as a user gives them, over the
// bundled sample volume. The dialogs that ask the user are answered through the frame's prompter
// or by clicking the window that comes up. Runs offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <thread>

#include "gui_suites.h"
#include "window_test_helpers.h"
#include "app/app_environment.h"
#include "app/engine_setup.h"
#include "app/frame_commands.h"
#include "app/image_target.h"
#include "common/corpus.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "gui/file_list_model.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_model.h"
#include "gui/files_tree_view.h"
#include "gui/filter_command.h"
#include "gui/find_commands.h"
#include "gui/find_dialog.h"
#include "gui/frame_disk_commands.h"
#include "gui/left_frame.h"
#include "gui/main_frame.h"
#include "gui/writing_image_dialog.h"

namespace orvande::gui {
namespace {

using gui_test::WhenModal;

// A file that takes its time with every write, so that a test can stop the copy part-way.
class SlowTarget final : public ImageTarget {
 public:
  uint32_t Write(const void* data, size_t size, size_t* written) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++writes;
    return ImageTarget::Write(data, size, written);
  }
  std::atomic<int> writes{0};
};

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

class DiskCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void filterTwiceRestoresTheTree();
  void findAndFindNextVisitEveryMatch();
  void findDialogKeepsWhatItWasGiven();
  void savedImageEqualsTheVolume();
  void stopPartWayAsksAboutThePartialFile();

 private:
  void AnalyseSample();
  TreeNode NodeAt(const std::vector<std::string>& path) const;
  // Every node as "depth text image", in pre-order.
  QStringList TreeLines() const;
  // "folder/name" of the row the list has selected; "" when none.
  QString SelectedRow() const;

  std::unique_ptr<orvande::test::TempFolder> folder_;
  std::string image_;
  std::unique_ptr<AppEnvironment> environment_;
  orvande::test::ScriptedPrompter prompter_;
  std::unique_ptr<CMainFrame> frame_;
};

void DiskCommandsTest::initTestCase() {
  folder_ = std::make_unique<orvande::test::TempFolder>("gui-disk-commands");
  image_ = orvande::test::UnpackSampleVolume(folder_->Path());
  PrepareEngine();
  QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
}

void DiskCommandsTest::init() {
  StartupOptions options;
  options.settingsFolder = (folder_->Path() / "settings").string();
  options.homeFolder = folder_->Path().string();
  options.debugLogPath = (folder_->Path() / "_log.txt").string();
  environment_ = std::make_unique<AppEnvironment>(options);
  DiscoverySources noDevices;
  noDevices.sysRoot = (folder_->Path() / "no-sysfs").string();
  frame_ = std::make_unique<CMainFrame>(*environment_, &prompter_, nullptr, noDevices);
  frame_->show();
  QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
}

void DiskCommandsTest::cleanup() {
  frame_.reset();
  environment_.reset();
}

void DiskCommandsTest::AnalyseSample() {
  QVERIFY(frame_->DiskCommands().OpenImage(QString::fromStdString(image_)));
  // Opening posts Analyze.
  QTRY_VERIFY(!frame_->ActionFor(command::kAnalyze)->isEnabled());
  QCOMPARE(frame_->WaitForAnalysis(), 0u);
  QCoreApplication::processEvents();
}

TreeNode DiskCommandsTest::NodeAt(const std::vector<std::string>& path) const {
  const FolderTree& tree = frame_->Analysis().Tree();
  TreeNode node = tree.Children(kNoNode).front();  // the volume's root
  for (const std::string& name : path) {
    TreeNode next = kNoNode;
    for (TreeNode child : tree.Children(node))
      if (tree.Text(child) == name) next = child;
    if (next == kNoNode) return kNoNode;
    node = next;
  }
  return node;
}

QStringList DiskCommandsTest::TreeLines() const {
  const FolderTree& tree = frame_->Analysis().Tree();
  QStringList lines;
  std::function<void(TreeNode, int)> walk = [&](TreeNode parent, int depth) {
    for (TreeNode child : tree.Children(parent)) {
      lines << QStringLiteral("%1 %2 %3")
                   .arg(depth)
                   .arg(QString::fromStdString(tree.Text(child)))
                   .arg(tree.Image(child));
      walk(child, depth + 1);
    }
  };
  walk(kNoNode, 0);
  return lines;
}

QString DiskCommandsTest::SelectedRow() const {
  CFilesListView& list = frame_->FilesList();
  const QModelIndexList rows = list.selectionModel()->selectedRows();
  if (rows.size() != 1) return QString();
  const FolderTree& tree = frame_->Analysis().Tree();
  return QString::fromStdString(tree.Text(list.Model().ShownNode())) + "/" +
         list.Model().RowAt(rows.front().row())->name;
}

void DiskCommandsTest::filterTwiceRestoresTheTree() {
  AnalyseSample();
  const QStringList before = TreeLines();
  QVERIFY(before.size() > 4);
  // An ordinary folder with nothing deleted below it is hidden, and the list with it.
  const TreeNode notes = NodeAt({"Projects", "Orvande Notes"});
  QVERIFY(notes != kNoNode);
  frame_->LeftFrame().FilesTree().SelectNode(notes);
  QVERIFY(frame_->FilesList().Model().rowCount() > 0);

  QAction* filter = frame_->ActionFor(command::kFilter);
  filter->trigger();
  QVERIFY(filter->isChecked());
  QCOMPARE(frame_->Analysis().Shown().load(), kNoNode);
  QCOMPARE(frame_->FilesList().Model().rowCount(), 0);
  // Also once the tree the user sees has dropped the folder: no other folder takes its place.
  QTest::qWait(100);
  QCOMPARE(frame_->Analysis().Shown().load(), kNoNode);
  QCOMPARE(frame_->FilesList().Model().rowCount(), 0);
  const QStringList filtered = TreeLines();
  QVERIFY(filtered.size() < before.size());
  for (const QString& line : filtered) QVERIFY2(!line.endsWith(" 0") && !line.endsWith(" 1"), qPrintable(line));
  QVERIFY(NodeAt({"Pictures", "Holiday 2003"}) != kNoNode);

  filter->trigger();
  QVERIFY(!filter->isChecked());
  QCOMPARE(TreeLines(), before);
  // The tree the user sees follows.
  QCoreApplication::processEvents();
  FilesTreeModel& model = *static_cast<FilesTreeModel*>(frame_->LeftFrame().FilesTree().model());
  const QModelIndex root = model.index(0, 0);
  QCOMPARE(model.rowCount(root), static_cast<int>(frame_->Analysis().Tree().Children(NodeAt({})).size()));
}

void DiskCommandsTest::findAndFindNextVisitEveryMatch() {
  AnalyseSample();
  QVERIFY(!frame_->ActionFor(command::kFindNext)->isEnabled());
  FrameFind& find = frame_->Find();
  FindSettings asked;
  find.SetFindAsker([&asked](const FindSettings& shown) {
    asked = shown;
    return FindSettings{"*.txt", /*deletedOnly=*/false, false, false};
  });
  frame_->RunCommand(command::kFindFile);
  QVERIFY(!find.SearchBusy());
  QVERIFY(frame_->ActionFor(command::kFindNext)->isEnabled());
  QCOMPARE(environment_->Settings().LastSearchString(), std::string("*.txt"));
  // From the volume's root in pre-order, one file at a time, then round again.
  QStringList seen{SelectedRow()};
  for (int step = 0; step < 8; ++step) {
    frame_->RunCommand(command::kFindNext);
    seen << SelectedRow();
  }
  const QStringList expected{".", "Documents", "Documents", "Documents", "Documents",
                             "Orvande Notes", "."};
  QStringList folders;
  for (const QString& row : seen.mid(0, 7)) folders << row.section('/', 0, 0);
  QCOMPARE(folders, expected);
  QCOMPARE(seen[0], QStringLiteral("./readme.txt"));
  QCOMPARE(seen[6], seen[0]);
  QStringList documents = seen.mid(1, 4);
  QCOMPARE(documents.removeDuplicates(), qsizetype{0});
  QVERIFY(prompter_.Texts().empty());

  // Deleted only: the folder itself is a hit once its name matches.
  find.SetFindAsker([](const FindSettings&) {
    return FindSettings{"holiday", /*deletedOnly=*/true, false, false};
  });
  frame_->RunCommand(command::kFindFile);
  QCOMPARE(frame_->LeftFrame().FilesTree().SelectedNode(), NodeAt({"Pictures", "Holiday 2003"}));

  find.SetFindAsker([](const FindSettings&) {
    return FindSettings{"logo", /*deletedOnly=*/true, false, false};
  });
  frame_->RunCommand(command::kFindFile);
  const std::vector<std::string> texts = prompter_.Texts();
  QCOMPARE(texts.back(), std::string("Cannot find the file 'logo'."));
  // A cancelled dialog searches nothing and keeps the last text.
  find.SetFindAsker([&asked](const FindSettings& shown) -> std::optional<FindSettings> {
    asked = shown;
    return std::nullopt;
  });
  frame_->RunCommand(command::kFindFile);
  QCOMPARE(prompter_.Texts().size(), texts.size());
  QCOMPARE(environment_->Settings().LastSearchString(), std::string("logo"));
  QCOMPARE(asked.lastSearchString, std::string("logo"));
}

void DiskCommandsTest::findDialogKeepsWhatItWasGiven() {
  FindDialog dialog(FindSettings{"report", true, true, false}, frame_.get());
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  QCOMPARE(dialog.TextEdit().text(), QStringLiteral("report"));
  QVERIFY(dialog.DeletedOnlyBox().isChecked());
  QVERIFY(gui_test::SaveScreenshot(dialog, "find-dialog"));
  dialog.TextEdit().setText(QStringLiteral("minutes"));
  dialog.DeletedOnlyBox().setChecked(false);
  const FindSettings values = dialog.Values();
  QCOMPARE(values.lastSearchString, std::string("minutes"));
  QVERIFY(!values.searchDeletedOnly);
  // The two choices it does not show come back as they were.
  QVERIFY(values.searchMatchFullName);
  QVERIFY(!values.searchMatchCase);
}

void DiskCommandsTest::savedImageEqualsTheVolume() {
  QVERIFY(frame_->AddImageFile(QString::fromStdString(image_)));
  QVERIFY(frame_->ActionFor(command::kSaveDiskImage)->isEnabled());
  const std::string path = (folder_->Path() / "copy.dsk").string();
  bool sawWindow = false;
  WhenModal<WritingImageDialog> watch([&sawWindow](WritingImageDialog& window) {
    sawWindow = window.windowTitle() == QStringLiteral("Writing Image...");
    return true;
  });
  QCOMPARE(frame_->DiskCommands().SaveImageTo(path), ImageOutcome::kComplete);
  QVERIFY(sawWindow);
  QCOMPARE(orvande::test::Sha256OfFile(path), orvande::test::Sha256OfFile(image_));
  QCOMPARE(frame_->DiskCommands().LastBytesWritten(), static_cast<uint64_t>(FileBytes(image_).size()));
  QVERIFY(frame_->ActionFor(command::kAnalyze)->isEnabled());
}

void DiskCommandsTest::stopPartWayAsksAboutThePartialFile() {
  struct Case {
    MessageAnswer answer;
    bool fileKept;
  };
  const std::string volume = FileBytes(image_);
  QVERIFY(frame_->AddImageFile(QString::fromStdString(image_)));
  for (const Case& c : {Case{MessageAnswer::kNo, true}, Case{MessageAnswer::kYes, false}}) {
    SlowTarget target;
    frame_->DiskCommands().UseTarget(&target, 512);
    const std::string path = (folder_->Path() / "partial.dsk").string();
    WhenModal<WritingImageDialog> stop([&target](WritingImageDialog& window) {
      if (target.writes.load() < 40) return false;
      window.Poll();
      gui_test::SaveScreenshot(window, "writing-image");
      window.StopButton().click();
      return true;
    });
    prompter_.QueueAnswer(c.answer);
    const size_t asked = prompter_.Texts().size();
    const ImageOutcome outcome = frame_->DiskCommands().SaveImageTo(path);
    QCOMPARE(outcome, c.fileKept ? ImageOutcome::kPartialKept : ImageOutcome::kDeleted);
    QCOMPARE(prompter_.Texts().size(), asked + 1);
    QCOMPARE(prompter_.Texts().back(),
             std::string("Image creation canceled by user. Delete the partially created image file?"));
    const uint64_t written = frame_->DiskCommands().LastBytesWritten();
    QVERIFY(written >= 40 * 512 && written < volume.size());
    QCOMPARE(std::filesystem::exists(path), c.fileKept);
    if (c.fileKept) QVERIFY(FileBytes(path) == volume.substr(0, written));
  }
}

namespace {
[[maybe_unused]] const bool registered =
    gui_suites::Register<DiskCommandsTest>("disk_commands");
}  // namespace

}  // namespace orvande::gui
#include "disk_commands_test.moc"
