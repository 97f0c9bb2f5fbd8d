// The device drop-down filled from the device list, the items tree with its "&Analyze
// partition", and the "Mount Point" question. Runs offscreen on a fake sysfs, so that the
// machine's own devices never show up.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdlib>
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
#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"
#include "gui/device_combo_box.h"
#include "gui/device_drop_down.h"
#include "gui/items_tree_view.h"
#include "gui/left_frame.h"
#include "gui/main_frame.h"
#include "gui/mount_point_dialog.h"
#include "gui/qt_prompter.h"

using namespace orvande;
using namespace orvande::gui;

namespace {

namespace fs = std::filesystem;

QStringList RowTexts(const QComboBox& combo) {
  QStringList texts;
  for (int row = 0; row < combo.count(); ++row) texts << combo.itemText(row);
  return texts;
}

}  // namespace

class DeviceWiringTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();

  void dropDownShowsTheGroupsAndEntriesOfTheList();
  void wholeDiskImageIsADiskWhosePartitionCanBeAnalysed();
  void mountPointDialogAnswers();

 private:
  // Two FAT12 partitions in an MBR, made by the system's own tools; false when they are missing.
  bool MakeDiskImage();

  std::unique_ptr<test::TempFolder> folder_;
  std::string diskImage_;
  bool diskMade_ = false;
};

void DeviceWiringTest::initTestCase() {
  folder_ = std::make_unique<test::TempFolder>("gui-devices");
  PrepareEngine();
  QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
  diskMade_ = MakeDiskImage();
}

void DeviceWiringTest::cleanupTestCase() {
  folder_.reset();
}

bool DeviceWiringTest::MakeDiskImage() {
  diskImage_ = (*folder_ / "disk.img").string();
  std::ofstream(diskImage_).close();
  fs::resize_file(diskImage_, 16384 * 512);
  std::ofstream(*folder_ / "table.txt")
      << "label: dos\nstart=2048, size=4096, type=1\nstart=6144, size=8192, type=1\n";
  const std::string disk = "'" + diskImage_ + "'";
  const std::string commands =
      "sfdisk -q --no-reread --no-tell-kernel " + disk + " < '" +
      (*folder_ / "table.txt").string() + "' && mkfs.fat -F 12 -n FIRST --offset 2048 " + disk +
      " 2048 && mkfs.fat -F 12 -n SECOND --offset 6144 " + disk + " 4096";
  return std::system(("(" + commands + ") >/dev/null 2>&1").c_str()) == 0;
}

void DeviceWiringTest::dropDownShowsTheGroupsAndEntriesOfTheList() {
  test::TempFolder sys("gui-sysfs");
  DeviceComboBox combo;
  DeviceDropDown devices(combo, test::FakeSysfsWithOneDisk(sys.Path()));
  devices.Discover({{"/", "/dev/sda2", "ext4", false}});
  QCOMPARE(RowTexts(combo), QStringList({"Local Disks", "     Local Disk (/dev/sda1) : NTFS",
                                         "     Local Disk (/dev/sda2) : NTFS"}));
  QCOMPARE(combo.currentIndex(), 2);  // the volume mounted at "/"
  auto* rows = qobject_cast<QStandardItemModel*>(combo.model());
  QVERIFY(!(rows->item(0)->flags() & Qt::ItemIsEnabled));

  // Lost partitions get their disk's group; the chosen entry stays chosen.
  PhysicalDiskNode& disk = *devices.List().PhysicalDisks()[0].node;
  std::array<uint8_t, 512> boot{};
  PartitionNode found(0, std::string());
  found.InitPartition(512, kFsFat, 64, 1024, boot.data());
  disk.AddPartition(found);
  devices.RefreshLostPartitions(disk);
  QCOMPARE(combo.itemText(3), QStringLiteral("Lost Partitions on Disk 0"));
  QCOMPARE(combo.count(), 5);
  QCOMPARE(combo.currentIndex(), 2);

  // Choosing in the drop-down is choosing in the list.
  combo.setCurrentIndex(4);
  QCOMPARE(devices.List().SelectedRow(), 4);

  combo.show();
  combo.showPopup();
  QVERIFY(gui_test::SaveScreenshot(*combo.view(), "device-drop-down"));
  combo.hidePopup();
}

void DeviceWiringTest::wholeDiskImageIsADiskWhosePartitionCanBeAnalysed() {
  if (!diskMade_) QSKIP("sfdisk or mkfs.fat is missing");
  test::TempFolder sys("gui-sysfs");
  StartupOptions options;
  options.settingsFolder = (*folder_ / "settings").string();
  options.homeFolder = folder_->Path().string();
  options.debugLogPath = (*folder_ / "_log.txt").string();
  AppEnvironment environment(options);
  test::ScriptedPrompter prompter;
  CMainFrame frame(environment, &prompter, nullptr, test::FakeSysfsWithOneDisk(sys.Path()));
  frame.show();
  QVERIFY(QTest::qWaitForWindowExposed(&frame));

  QVERIFY(frame.AddImageFile(QString::fromStdString(diskImage_)));
  const QStringList rows = RowTexts(frame.LeftFrame().Devices());
  QVERIFY(rows.contains(QStringLiteral("Partitions on Disk 1")));
  QVERIFY(!rows.contains(QStringLiteral("Disk Image Files")));

  // Nothing analysed yet: the items tree lists the disks, the image's with both partitions.
  QVERIFY(!frame.LeftFrame().FilesTreeShown());
  CItemsTreeView& items = frame.LeftFrame().ItemsTree();
  QAbstractItemModel& model = *items.model();
  QCOMPARE(model.rowCount(), 2);
  const QModelIndex imageDisk = model.index(1, 0);
  QCOMPARE(imageDisk.data().toString(), QStringLiteral("Disk 1"));
  QCOMPARE(model.rowCount(imageDisk), 2);
  QAction& analyzePartition = *frame.ActionFor(command::kAnalyzePartition);
  QVERIFY(!analyzePartition.isEnabled());  // nothing chosen yet
  items.setCurrentIndex(model.index(1, 0, imageDisk));
  QVERIFY(analyzePartition.isEnabled());
  QVERIFY(gui_test::SaveScreenshot(frame, "items-tree"));

  const DeviceNode* chosen = items.SelectedPartition().get();
  QSignalSpy finished(&frame, &CMainFrame::AnalysisFinished);
  analyzePartition.trigger();
  QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
  QCOMPARE(finished.at(0).at(0).toUInt(), 0u);
  QCOMPARE(frame.LeftFrame().Devices().SelectedNode(), chosen);
  QVERIFY(frame.LeftFrame().FilesTreeShown());
  QVERIFY(frame.Analysis().Tree().HasChildren(kNoNode));
}

void DeviceWiringTest::mountPointDialogAnswers() {
  struct Case {
    bool stop;
    bool tick;
  };
  const Case cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  QWidget owner;
  QtPrompter prompter(&owner);
  bool first = true;
  for (const Case& c : cases) {
    QString title;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<MountPointDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      title = dialog->windowTitle();
      QCOMPARE(dialog->ContinueButton().text(), QStringLiteral("&Continue analyzing"));
      QCOMPARE(dialog->StopButton().text(), QStringLiteral("&Stop analyzing"));
      QCOMPARE(dialog->DontShowAgain().text(), QStringLiteral("&Don't show this message again"));
      dialog->DontShowAgain().setChecked(c.tick);
      if (first) QVERIFY(gui_test::SaveScreenshot(*dialog, "mount-point"));
      first = false;
      (c.stop ? dialog->StopButton() : dialog->ContinueButton()).click();
    });
    const MountPointAnswer answer = prompter.AskMountPoint(
        "Orvande has detected that \"/media/stick\" folder is mounted to drive /dev/sdb1, which "
        "differs from the one being analyzed. If you want to recover files from this folder, "
        "click on \"Stop analyzing\", select drive /dev/sdb1 and restart \"Analyze\".");
    QCOMPARE(title, QStringLiteral("Mount Point"));
    QCOMPARE(answer.stop, c.stop);
    QCOMPARE(answer.dontShowAgain, c.tick);
  }
}

namespace {
[[maybe_unused]] const bool registered = gui_suites::Register<DeviceWiringTest>("device_wiring");
}  // namespace
#include "device_wiring_test.moc"
