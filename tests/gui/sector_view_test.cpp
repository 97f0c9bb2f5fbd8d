// The sector viewer as a user drives it: keys across sector boundaries, Shift selection and the
// two copy modes, scrolling a source of terabytes, the stored placement, and the file list's View
// command on the analysed sample. Runs offscreen.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "gui_suites.h"
#include "window_test_helpers.h"
#include "app/app_environment.h"
#include "app/engine_setup.h"
#include "app/frame_commands.h"
#include "app/layout_settings.h"
#include "app/sector_data_source.h"
#include "app/sector_layout.h"
#include "common/temp_folder.h"
#include "common/corpus.h"
#include "gui/file_list_model.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_view.h"
#include "gui/left_frame.h"
#include <QKeyEvent>
#include "gui/main_frame.h"
#include "gui/operation_log_dialog.h"
#include "gui/sector_view.h"
#include "gui/sectors_view_frame.h"

using namespace orvande;
using namespace orvande::gui;

namespace {

// Byte i holds i & 0xFF.
class PatternSource final : public SectorDataSource {
 public:
  explicit PatternSource(uint64_t size) : size_(size) {}
  size_t Read(uint64_t offset, uint8_t* buffer, size_t count) override {
    const uint64_t end = std::min(offset + count, size_);
    for (uint64_t at = offset; at < end; ++at) buffer[at - offset] = static_cast<uint8_t>(at);
    return end > offset ? static_cast<size_t>(end - offset) : 0;
  }
  uint32_t BlockSize() const override { return 512; }
  uint32_t BytesPerSector() const override { return 512; }
  uint32_t BytesPerCluster() const override { return 2048; }
  uint64_t TotalSize() const override { return size_; }

 private:
  uint64_t size_;
};

}  // namespace

class SectorViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void keysMoveTheCaretAcrossSectors();
  void shiftSelectsAndCopyFollowsThePane();
  void aTerabyteSourceScrollsToItsEnd();
  void theFrameKeepsItsPlacement();
  void viewOpensAViewerAtTheSelectedFile();

 private:
  CSectorsViewFrame* Open(uint64_t size, uint64_t caret);

  std::unique_ptr<test::TempFolder> folder_;
  std::unique_ptr<AppEnvironment> environment_;
};

void SectorViewTest::initTestCase() {
  folder_ = std::make_unique<test::TempFolder>("gui-sector-view");
  PrepareEngine();
  QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
}

void SectorViewTest::init() {
  StartupOptions options;
  options.settingsFolder = (folder_->Path() / "settings").string();
  options.homeFolder = folder_->Path().string();
  options.debugLogPath = (folder_->Path() / "_log.txt").string();
  environment_ = std::make_unique<AppEnvironment>(options);
}

void SectorViewTest::cleanup() {
  CSectorsViewFrame::CloseAllViewers();
  QVERIFY(CSectorsViewFrame::OpenViewers().empty());
  environment_.reset();
}

CSectorsViewFrame* SectorViewTest::Open(uint64_t size, uint64_t caret) {
  CSectorsViewFrame* viewer = CSectorsViewFrame::OpenViewer(
      environment_->Layout(), std::make_shared<PatternSource>(size), caret);
  if (!QTest::qWaitForWindowExposed(viewer)) return nullptr;
  return viewer;
}

void SectorViewTest::keysMoveTheCaretAcrossSectors() {
  CSectorsViewFrame* viewer = Open(4 * 512, 500);
  QVERIFY(viewer != nullptr);
  QCOMPARE(viewer->windowTitle(), QStringLiteral("Sectors View"));
  CSectorView& view = viewer->View();
  struct Step {
    Qt::Key key;
    uint64_t caret;
  };
  const Step steps[] = {
      {Qt::Key_Down, 516},  {Qt::Key_Up, 500},     {Qt::Key_PageDown, 1012},
      {Qt::Key_Right, 1013}, {Qt::Key_PageUp, 501}, {Qt::Key_End, 2047},
      {Qt::Key_Down, 2047}, {Qt::Key_Right, 2047},  {Qt::Key_Home, 0},
      {Qt::Key_Left, 0},    {Qt::Key_Up, 0},
  };
  for (const Step& step : steps) {
    QTest::keyClick(&view, step.key);
    QCOMPARE(view.Caret(), step.caret);
    // The caret's row is in view.
    const SectorLayout layout(4 * 512, 512);
    const uint64_t row = layout.RowOf(view.Caret());
    QVERIFY(row >= view.FirstShownRow());
    const int shown = view.viewport()->height() / view.fontMetrics().lineSpacing();
    QVERIFY(row < view.FirstShownRow() + static_cast<uint64_t>(shown));
  }
  QVERIFY(!view.HasSelection());
  QCOMPARE(viewer->CaretPaneText(), QStringLiteral("Offset 0h, sector 0"));

  QCOMPARE(view.ActivePane(), CSectorView::Pane::kHex);
  QTest::keyClick(&view, Qt::Key_Tab);
  QCOMPARE(view.ActivePane(), CSectorView::Pane::kCharacters);
  QVERIFY(view.hasFocus());

  // Without a source nothing moves.
  view.SetDataSource(nullptr);
  QTest::keyClick(&view, Qt::Key_End);
  QCOMPARE(view.Caret(), uint64_t{0});
}

void SectorViewTest::shiftSelectsAndCopyFollowsThePane() {
  CSectorsViewFrame* viewer = Open(0x300, 0x202);
  QVERIFY(viewer != nullptr);
  CSectorView& view = viewer->View();
  // Back across the sector boundary with Shift held: the selection runs backwards from its anchor.
  QTest::keyPress(&view, Qt::Key_Shift);
  for (int i = 0; i < 4; ++i) {
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::ShiftModifier);
    QApplication::sendEvent(&view, &left);
  }
  QTest::keyRelease(&view, Qt::Key_Shift);
  QCOMPARE(view.SelectionAnchor(), uint64_t{0x202});
  QCOMPARE(view.SelectionLength(), int64_t{-4});
  QCOMPARE(view.SelectionFirst(), uint64_t{0x1FE});
  QCOMPARE(viewer->SelectionPaneText(), QStringLiteral("5 bytes selected"));

  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
  QCOMPARE(lines.size(), 5);  // two title lines, two rows, and the empty rest after the last end
  QVERIFY(lines[0].endsWith(QStringLiteral("0F       ASCII")));
  QCOMPARE(lines[2].left(4), QStringLiteral("1F0:"));
  QVERIFY(lines[2].contains(QStringLiteral("FE FF")));
  QCOMPARE(lines[3].left(7), QStringLiteral("200: 00"));

  QTest::keyClick(&view, Qt::Key_Tab);
  QTest::keyClick(&view, Qt::Key_Insert, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(),
           QStringLiteral("\u00FE\u00FF..."));

  // A plain move or Escape ends the selection.
  QTest::keyClick(&view, Qt::Key_Escape);
  QVERIFY(!view.HasSelection());
  QCOMPARE(viewer->SelectionPaneText(), QString());
}

void SectorViewTest::aTerabyteSourceScrollsToItsEnd() {
  const uint64_t size = uint64_t{1} << 42;
  CSectorsViewFrame* viewer = Open(size, 0);
  QVERIFY(viewer != nullptr);
  CSectorView& view = viewer->View();
  QScrollBar* bar = view.verticalScrollBar();
  QTest::keyClick(&view, Qt::Key_End);
  QCOMPARE(view.Caret(), size - 1);
  QCOMPARE(bar->value(), bar->maximum());
  const uint64_t rows = SectorLayout(size, 512).RowCount();
  QVERIFY(view.FirstShownRow() < rows && view.FirstShownRow() > rows - 100);

  bar->setValue(bar->maximum() / 2);
  QVERIFY(view.FirstShownRow() > rows / 2 - rows / 1000);
  QVERIFY(view.FirstShownRow() < rows / 2 + rows / 1000);
  bar->setValue(0);
  QCOMPARE(view.FirstShownRow(), uint64_t{0});
}

void SectorViewTest::theFrameKeepsItsPlacement() {
  CSectorsViewFrame* first = Open(1024, 0);
  QVERIFY(first != nullptr);
  first->resize(640, 360);
  const QPoint place = first->geometry().topLeft();
  CSectorsViewFrame::CloseViewer(first);
  QTRY_VERIFY(CSectorsViewFrame::OpenViewers().empty());
  QTRY_COMPARE(environment_->Layout().SectorsPlacement().normalPosition.right -
                   environment_->Layout().SectorsPlacement().normalPosition.left,
               640);

  CSectorsViewFrame* second = Open(1024, 0);
  QVERIFY(second != nullptr);
  QCOMPARE(second->size(), QSize(640, 360));
  QCOMPARE(second->geometry().topLeft(), place);
}

void SectorViewTest::viewOpensAViewerAtTheSelectedFile() {
  const std::string image = test::UnpackSampleVolume(folder_->Path());
  CMainFrame frame(*environment_);
  frame.show();
  QVERIFY(QTest::qWaitForWindowExposed(&frame));
  QAction* view = frame.ActionFor(command::kView);
  QVERIFY(view != nullptr);
  QVERIFY(!view->isEnabled());

  // The analysis shows its log when it ends.
  QTimer closeLog;
  connect(&closeLog, &QTimer::timeout, [] {
    if (auto* log = qobject_cast<OperationLogDialog*>(QApplication::activeModalWidget()))
      log->accept();
  });
  closeLog.start(10);
  QVERIFY(frame.AddImageFile(QString::fromStdString(image)));
  frame.RunCommand(command::kAnalyze);
  QCOMPARE(frame.WaitForAnalysis(), 0u);
  QCoreApplication::processEvents();
  QVERIFY(view->isEnabled());

  FolderTree& tree = frame.Analysis().Tree();
  for (TreeNode root : tree.Children(kNoNode))
    for (TreeNode child : tree.Children(root))
      if (tree.Text(child) == "Documents") frame.LeftFrame().FilesTree().SelectNode(child);
  CFilesListView& list = frame.FilesList();
  int fileRow = -1;
  for (int row = 0; row < list.Model().rowCount() && fileRow < 0; ++row)
    if (const FileListRow* listed = list.Model().RowAt(row); listed && !listed->IsFolder() &&
                                                             listed->size > 0)
      fileRow = row;
  QVERIFY(fileRow >= 0);
  list.setCurrentIndex(list.Model().index(fileRow, 0));

  frame.RunCommand(command::kView);
  const std::vector<CSectorsViewFrame*> viewers = CSectorsViewFrame::OpenViewers();
  QCOMPARE(viewers.size(), size_t{1});
  CSectorsViewFrame& viewer = *viewers.front();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
  QVERIFY(viewer.View().Caret() > 0);
  QCOMPARE(viewer.View().Caret() % 512, uint64_t{0});
  QVERIFY(viewer.CaretPaneText().startsWith(QStringLiteral("Offset ")));
  QTest::keyClick(&viewer.View(), Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(&viewer.View(), Qt::Key_Down, Qt::ShiftModifier);
  QVERIFY(gui_test::SaveScreenshot(viewer, "sector-viewer"));

  // Each View opens one more viewer; the viewer's own View opens one at its caret.
  frame.RunCommand(command::kView);
  viewer.ViewAction()->trigger();
  QCOMPARE(CSectorsViewFrame::OpenViewers().size(), size_t{3});
  closeLog.stop();
}

namespace {
[[maybe_unused]] const bool registered = gui_suites::Register<SectorViewTest>("sector_view");
}  // namespace

#include "sector_view_test.moc"
