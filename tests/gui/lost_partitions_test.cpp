// The lost-partition windows driven through the main window's command, on a whole-disk image
// whose two FAT volumes have no partition table: the search lists both, the list goes to a
// partitions information file and comes back through the buttons, and the partition chosen at
// the end is analysed. Runs offscreen on a fake sysfs whose disk cannot be opened, so that only
// the image is offered; the file boxes answer with the test's own file.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "gui_suites.h"
#include "window_test_helpers.h"
#include "app/app_environment.h"
#include "app/engine_setup.h"
#include "app/frame_commands.h"
#include "common/fake_sysfs.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "disk/device_node.h"
#include "gui/device_combo_box.h"
#include "gui/frame_disk_commands.h"
#include "gui/find_partitions_dialog.h"
#include "gui/left_frame.h"
#include "gui/main_frame.h"
#include "gui/range_selector.h"
#include "gui/searching_partitions_dialog.h"

using namespace orvande;
using namespace orvande::gui;
using gui_test::WhenModal;

namespace {

namespace fs = std::filesystem;

QStringList RowTexts(const QComboBox& combo) {
  QStringList texts;
  for (int row = 0; row < combo.count(); ++row) texts << combo.itemText(row);
  return texts;
}

bool HasPrompt(const test::ScriptedPrompter& prompter, const std::string& text,
               const std::string& caption) {
  const auto prompts = prompter.Prompts();
  return std::any_of(prompts.begin(), prompts.end(), [&](const test::PromptRecord& prompt) {
    return prompt.text == text && prompt.caption == caption;
  });
}

}  // namespace

class LostPartitionsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();

  void searchListsTheVolumesSavesThemAndAnalysesTheChosenOne();
  void loadButtonAddsTheSavedListAfterAnEmptyRangeIsRefused();

 private:
  // A frame that lists the image as its only searchable disk.
  std::unique_ptr<CMainFrame> MakeFrame(test::ScriptedPrompter& prompter);
  bool MakeDiskImage();

  std::unique_ptr<test::TempFolder> folder_;
  std::unique_ptr<AppEnvironment> environment_;
  DiscoverySources sources_;
  std::string diskImage_;
  QString savedList_;
  bool diskMade_ = false;
};

void LostPartitionsTest::initTestCase() {
  folder_ = std::make_unique<test::TempFolder>("gui-lost-partitions");
  PrepareEngine();
  StartupOptions options;
  options.settingsFolder = (*folder_ / "settings").string();
  options.homeFolder = folder_->Path().string();
  options.debugLogPath = (*folder_ / "_log.txt").string();
  environment_ = std::make_unique<AppEnvironment>(options);
  sources_ = test::FakeSysfsWithOneDisk(*folder_ / "sys");
  fs::create_directories(*folder_ / "dev");
  sources_.devFolder = (*folder_ / "dev").string();  // sda is listed but never opens
  savedList_ = QString::fromStdString((*folder_ / "found.ovp").string());
  diskMade_ = MakeDiskImage();
}

void LostPartitionsTest::cleanupTestCase() {
  environment_.reset();
  folder_.reset();
}

// FAT12 at sector 2048 holding one file and FAT16 at sector 10240; sector 0 stays zero.
bool LostPartitionsTest::MakeDiskImage() {
  diskImage_ = (*folder_ / "disk.img").string();
  std::ofstream(diskImage_).close();
  fs::resize_file(diskImage_, 49152 * 512);
  std::ofstream(*folder_ / "note.txt") << "found again\n";
  const std::string disk = "'" + diskImage_ + "'";
  const std::string commands =
      "mkfs.fat -F 12 -n FIRST --offset 2048 " + disk + " 2048 && mkfs.fat -F 16 -n SECOND " +
      "--offset 10240 " + disk + " 16384 && mcopy -i " + disk + "@@1048576 '" +
      (*folder_ / "note.txt").string() + "' ::/";
  return std::system(("(" + commands + ") >/dev/null 2>&1").c_str()) == 0;
}

std::unique_ptr<CMainFrame> LostPartitionsTest::MakeFrame(test::ScriptedPrompter& prompter) {
  auto frame = std::make_unique<CMainFrame>(*environment_, &prompter, nullptr, sources_);
  const auto theTestsFile = [this](QWidget*, const std::string&) { return savedList_; };
  frame->SetPartitionsFileBoxes({theTestsFile, theTestsFile});
  frame->show();
  if (!QTest::qWaitForWindowExposed(frame.get())) return nullptr;
  // Opened as the user opens it: the image has no partition to select, so nothing is analysed,
  // not even the entry chosen before.
  if (!frame->DiskCommands().OpenImage(QString::fromStdString(diskImage_))) return nullptr;
  QCoreApplication::processEvents();
  if (frame->Analysis().WorkerRunning() || !prompter.Prompts().empty()) return nullptr;
  return frame;
}

void LostPartitionsTest::searchListsTheVolumesSavesThemAndAnalysesTheChosenOne() {
  if (!diskMade_) QSKIP("mkfs.fat or mcopy is missing");
  test::ScriptedPrompter prompter;
  std::unique_ptr<CMainFrame> frame = MakeFrame(prompter);
  QVERIFY(frame);

  QStringList offered;
  QString unit;
  QString size;
  WhenModal<FindLostPartitionsDialog> chooseTheRange([&](FindLostPartitionsDialog& window) {
    for (int row = 0; row < window.DiskList().count(); ++row)
      offered << window.DiskList().itemText(row);
    unit = window.SizeUnit().text();
    size = window.SizeEdit().text();
    gui_test::SaveScreenshot(window, "find-lost-partitions");
    window.OkButton().click();
    return true;
  });
  QStringList found;
  bool stopBecameOk = false;
  WhenModal<SearchingLostPartitionsDialog> saveAndChoose([&](SearchingLostPartitionsDialog& window) {
    if (window.StopButton().text() != QStringLiteral("OK")) return false;
    stopBecameOk = true;
    for (int row = 0; row < window.Partitions().count(); ++row)
      found << window.Partitions().item(row)->text();
    gui_test::SaveScreenshot(window, "searching-lost-partitions");
    window.SaveButton().click();
    window.StopButton().click();  // the first row is chosen
    return true;
  });
  QSignalSpy analysed(frame.get(), &CMainFrame::AnalysisFinished);
  frame->RunCommand(command::kFindPartitions);

  // Only the image qualifies; a disk of 24 MiB takes its range in megabytes, the whole disk.
  QCOMPARE(offered.size(), 1);
  QVERIFY2(offered[0].startsWith(QStringLiteral("Disk 1 (")), qPrintable(offered[0]));
  QCOMPARE(unit, QStringLiteral("MB"));
  QCOMPARE(size, QStringLiteral("24"));
  QVERIFY(stopBecameOk);
  QCOMPARE(found.size(), 2);
  QVERIFY(HasPrompt(prompter,
                    "The partition scanning is now completed. Please choose one of partitions "
                    "from the list.",
                    "Orvande"));
  // The file's header and one record per partition.
  QCOMPARE(fs::file_size(savedList_.toStdString()), uintmax_t{22 + 2 * 540});

  // The disk's group lists both, and the first is analysed: its file is in the tree.
  const QStringList rows = RowTexts(frame->LeftFrame().Devices());
  const qsizetype heading = rows.indexOf(QStringLiteral("Lost Partitions on Disk 1"));
  QVERIFY(heading >= 0);
  QCOMPARE(rows.size() - heading - 1, qsizetype{2});
  QTRY_COMPARE_WITH_TIMEOUT(analysed.count(), 1, 30000);
  QCOMPARE(analysed.at(0).at(0).toUInt(), 0u);
  const DeviceNode* selected = frame->LeftFrame().Devices().SelectedNode();
  QVERIFY(selected != nullptr);
  QCOMPARE(selected->GetKind(), kNodePartition);
  QCOMPARE(QString::fromStdString(selected->GetName()), found[0]);
  QVERIFY(frame->Analysis().Tree().HasChildren(kNoNode));
}

void LostPartitionsTest::loadButtonAddsTheSavedListAfterAnEmptyRangeIsRefused() {
  if (!diskMade_) QSKIP("mkfs.fat or mcopy is missing");
  QVERIFY2(fs::exists(savedList_.toStdString()), "the search before saved no list");
  test::ScriptedPrompter prompter;
  std::unique_ptr<CMainFrame> frame = MakeFrame(prompter);
  QVERIFY(frame);

  bool stillOpen = false;
  WhenModal<FindLostPartitionsDialog> refusedThenLoad([&](FindLostPartitionsDialog& window) {
    window.SizeEdit().clear();
    QTest::keyClicks(&window.SizeEdit(), QStringLiteral("0"));
    window.OkButton().click();
    stillOpen = window.isVisible();
    window.LoadButton().click();
    return true;
  });
  frame->RunCommand(command::kFindPartitions);

  QVERIFY(stillOpen);
  QVERIFY(HasPrompt(prompter, "Can't start scanning. Select range please.", "Error"));
  const auto texts = prompter.Texts();
  QVERIFY(std::find(texts.begin(), texts.end(), "2 partition(s) were added for Disk 1.") !=
          texts.end());
  const QStringList rows = RowTexts(frame->LeftFrame().Devices());
  QVERIFY(rows.contains(QStringLiteral("Lost Partitions on Disk 1")));
}

namespace {
[[maybe_unused]] const bool registered = gui_suites::Register<LostPartitionsTest>("lost_partitions");
}  // namespace
#include "lost_partitions_test.moc"
