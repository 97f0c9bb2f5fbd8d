// The desktop window driven as a user would: the bundled sample volume is opened and analysed
// through the frame, and what the tree, the list and the actions show is checked. Runs offscreen.
#include <QDir>
#include <QHeaderView>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <memory>

#include "gui_suites.h"
#include "window_test_helpers.h"
#include "app/app_environment.h"
#include "app/engine_setup.h"
#include "app/frame_commands.h"
#include "common/corpus.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "core/file_record.h"
#include "gui/device_combo_box.h"
#include "gui/file_list_model.h"
#include "gui/file_type_names.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_model.h"
#include "gui/files_tree_view.h"
#include "gui/left_frame.h"
#include "gui/main_frame.h"
#include "gui/operation_log_dialog.h"

using namespace orvande;
using namespace orvande::gui;

class MainFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();

  void idleFrameEnablesOnlyWhatNeedsNoVolume();
  void analysisShowsFoldersAndFiles();
  void enterOnAFolderRowOpensIt();
  void typeNamesShareOneEntryPerExtension();
  void probabilityTexts();
  void operationLogDialogShowsTheLog();
  void closingKeepsTheLayoutForTheNextWindow();

 private:
  // Selects the node with that text below the shown volume root and returns it.
  TreeNode SelectFolder(const char* text);
  QStringList ColumnTexts(int column) const;
  void AnalyseSample();
  // A sysfs that lists nothing: the frame shows only what a test opens.
  DiscoverySources NoDevices() const;

  std::unique_ptr<test::TempFolder> folder_;
  std::string image_;
  std::unique_ptr<AppEnvironment> environment_;
  test::ScriptedPrompter prompter_;
  std::unique_ptr<CMainFrame> frame_;
};

void MainFrameTest::initTestCase() {
  folder_ = std::make_unique<test::TempFolder>("gui-test");
  image_ = test::UnpackSampleVolume(folder_->Path());
  PrepareEngine();
  QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
}

void MainFrameTest::cleanupTestCase() {
  folder_.reset();
}

void MainFrameTest::init() {
  StartupOptions options;
  options.settingsFolder = (folder_->Path() / "settings").string();
  options.homeFolder = folder_->Path().string();
  options.debugLogPath = (folder_->Path() / "_log.txt").string();
  environment_ = std::make_unique<AppEnvironment>(options);
  frame_ = std::make_unique<CMainFrame>(*environment_, &prompter_, nullptr, NoDevices());
  frame_->show();
  QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
}

void MainFrameTest::cleanup() {
  frame_.reset();
  environment_.reset();
}

DiscoverySources MainFrameTest::NoDevices() const {
  DiscoverySources sources;
  sources.sysRoot = (folder_->Path() / "no-sysfs").string();
  return sources;
}

void MainFrameTest::AnalyseSample() {
  QVERIFY(frame_->AddImageFile(QString::fromStdString(image_)));
  frame_->RunCommand(command::kAnalyze);
  QCOMPARE(frame_->WaitForAnalysis(), 0u);
  // The mirror catches up with the worker's last changes.
  QCoreApplication::processEvents();
}

TreeNode MainFrameTest::SelectFolder(const char* text) {
  FolderTree& tree = frame_->Analysis().Tree();
  for (TreeNode root : tree.Children(kNoNode))
    for (TreeNode child : tree.Children(root))
      if (tree.Text(child) == text) {
        frame_->LeftFrame().FilesTree().SelectNode(child);
        return child;
      }
  return kNoNode;
}

QStringList MainFrameTest::ColumnTexts(int column) const {
  QStringList texts;
  FileListModel& model = frame_->FilesList().Model();
  for (int row = 0; row < model.rowCount(); ++row)
    texts << model.data(model.index(row, column), Qt::DisplayRole).toString();
  return texts;
}

void MainFrameTest::idleFrameEnablesOnlyWhatNeedsNoVolume() {
  QCOMPARE(frame_->windowTitle(), QStringLiteral("Orvande 2.0"));
  struct Case {
    uint32_t id;
    bool enabledIdle;
    bool enabledWithImage;
  };
  const Case cases[] = {
      {command::kAnalyze, false, true},       {command::kStop, false, false},
      {command::kOpenDiskImage, true, true},  {command::kFindFile, false, false},
      {command::kSaveDiskImage, false, true}, {command::kSettings, true, true},
  };
  for (const Case& c : cases) QCOMPARE(frame_->ActionFor(c.id)->isEnabled(), c.enabledIdle);
  QVERIFY(frame_->AddImageFile(QString::fromStdString(image_)));
  for (const Case& c : cases) QCOMPARE(frame_->ActionFor(c.id)->isEnabled(), c.enabledWithImage);
  QCOMPARE(frame_->ActionFor(command::kAnalyze)->shortcut(), QKeySequence(Qt::Key_F5));
  QCOMPARE(frame_->ActionFor(command::kAnalyze)->text(), QStringLiteral("&Analyze disk"));
}

void MainFrameTest::analysisShowsFoldersAndFiles() {
  QSignalSpy finished(frame_.get(), &CMainFrame::AnalysisFinished);
  AnalyseSample();
  QTRY_COMPARE(finished.count(), 1);
  QVERIFY(frame_->ActionFor(command::kAnalyze)->isEnabled());
  QVERIFY(!frame_->ActionFor(command::kStop)->isEnabled());
  QVERIFY(frame_->ActionFor(command::kFindFile)->isEnabled());
  QVERIFY(frame_->StatusPaneText().isEmpty());

  FilesTreeModel& tree = *qobject_cast<FilesTreeModel*>(frame_->LeftFrame().FilesTree().model());
  QVERIFY(tree.HasNodes());
  const QModelIndex root = tree.index(0, 0);
  QStringList folders;
  for (int row = 0; row < tree.rowCount(root); ++row)
    folders << tree.data(tree.index(row, 0, root), Qt::DisplayRole).toString();
  for (const char* name : {"Documents", "Pictures", "Projects"})
    QVERIFY2(folders.contains(QString::fromUtf8(name)), qPrintable(folders.join(", ")));

  QVERIFY(SelectFolder("Documents") != kNoNode);
  const QStringList names = ColumnTexts(kColumnName);
  QVERIFY2(names.contains(QStringLiteral("Quarterly Report 2004.txt")), qPrintable(names.join(", ")));
  const int report = static_cast<int>(names.indexOf(QStringLiteral("Quarterly Report 2004.txt")));
  QCOMPARE(ColumnTexts(kColumnSize).at(report), QStringLiteral("9.49KB"));
  QVERIFY(!ColumnTexts(kColumnType).at(report).isEmpty());
  QVERIFY(!ColumnTexts(kColumnModified).at(report).isEmpty());
  // Deleted files are judged by the reader analyzer when their row is shown; live ones are not.
  const QStringList chances = ColumnTexts(kColumnProbability);
  QCOMPARE(chances.at(report), QString());
  const int draft = static_cast<int>(names.indexOf(QStringLiteral("old draft.txt")));
  if (draft >= 0) QVERIFY2(!chances.at(draft).isEmpty(), qPrintable(chances.join(", ")));
  for (const QString& text : chances)
    QVERIFY2(text.isEmpty() || text == "good" || text == "average" || text == "poor", qPrintable(text));
  QVERIFY(names.contains(QStringLiteral("old draft.txt")) || names.contains(QStringLiteral("?ld draft.txt")) ||
          names.size() == 4);

  QVERIFY(gui_test::SaveScreenshot(*frame_, "main-frame-documents"));
}

void MainFrameTest::enterOnAFolderRowOpensIt() {
  AnalyseSample();
  const TreeNode pictures = SelectFolder("Pictures");
  QVERIFY(pictures != kNoNode);
  CFilesListView& list = frame_->FilesList();
  const int holiday = static_cast<int>(ColumnTexts(kColumnName).indexOf("Holiday 2003"));
  QVERIFY(holiday >= 0);
  QCOMPARE(ColumnTexts(kColumnType).at(holiday), QStringLiteral("File Folder"));
  list.setFocus();
  list.setCurrentIndex(list.model()->index(holiday, 0));
  QTest::keyClick(&list, Qt::Key_Return);
  QCOMPARE(frame_->LeftFrame().FilesTree().SelectedNode(),
           static_cast<TreeNode>(list.Model().ShownNode()));
  QVERIFY(list.Model().ShownNode() != pictures);
  QVERIFY(ColumnTexts(kColumnName).contains(QStringLiteral("mountain view.jpg")));
  QVERIFY(gui_test::SaveScreenshot(*frame_, "main-frame-deleted-folder"));
}

void MainFrameTest::typeNamesShareOneEntryPerExtension() {
  FileTypeNames names;
  QCOMPARE(names.TypeOf(QStringLiteral("README")), QStringLiteral("File"));
  const QString lower = names.TypeOf(QStringLiteral("a.txt"));
  QCOMPARE(names.TypeOf(QStringLiteral("B.TXT")), lower);
  QCOMPARE(names.CachedExtensions(), size_t{1});
  QVERIFY(lower != QStringLiteral("File"));
  QCOMPARE(names.TypeOf(QStringLiteral("x.nosuchextensionatall")), QStringLiteral("File"));
}

void MainFrameTest::probabilityTexts() {
  const std::pair<uint32_t, const char*> cases[] = {
      {kProbabilityGood, "good"},       {kProbabilityAverage, "average"},
      {kProbabilityPoor, "poor"},       {kProbabilityUnknown, "???"},
      {kProbabilityNotDeleted, ""},     {7, ""},
  };
  for (const auto& [code, text] : cases)
    QCOMPARE(FileListModel::ProbabilityText(code), QString::fromUtf8(text));
}

void MainFrameTest::operationLogDialogShowsTheLog() {
  OperationLogDialog dialog(QStringLiteral("WARNING: one\nline two"), frame_.get());
  dialog.show();
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Operation Log"));
  QCOMPARE(dialog.LogText(), QStringLiteral("WARNING: one\nline two"));
  QVERIFY(gui_test::SaveScreenshot(dialog, "operation-log"));
}

void MainFrameTest::closingKeepsTheLayoutForTheNextWindow() {
  // A first start stores a third of the window as the left column's width.
  const uint32_t firstWidth = environment_->Layout().SplitterWidth();
  QVERIFY(firstWidth > 0);
  QHeaderView& header = *frame_->FilesList().header();
  header.resizeSection(kColumnName, 201);
  header.moveSection(header.visualIndex(kColumnSize), 0);
  header.setSectionHidden(kColumnCreated, true);
  const FileListColumns layout = frame_->FilesList().Layout();
  QVERIFY(frame_->close());

  frame_ = std::make_unique<CMainFrame>(*environment_, &prompter_, nullptr, NoDevices());
  QCOMPARE(frame_->FilesList().Layout(), layout);
  QCOMPARE(frame_->FilesList().header()->visualIndex(kColumnSize), 0);
  QVERIFY(frame_->FilesList().header()->isSectionHidden(kColumnCreated));
  QVERIFY(environment_->Layout().SplitterWidth() > 0);
}

namespace {
[[maybe_unused]] const bool registered = gui_suites::Register<MainFrameTest>("main_frame");
}  // namespace
#include "main_frame_test.moc"
