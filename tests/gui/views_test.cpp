// The Qt models and widgets of the views on their own: the files tree mirror fed from another
// thread, the file list's folder images, the keys that open the context menus, and the device
// drop-down's headings and entries.
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <algorithm>
#include <thread>

#include "gui_suites.h"
#include "core/folder_tree.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "disk/image_file_node.h"
#include "gui/context_menu_key.h"
#include "gui/device_combo_box.h"
#include "gui/file_list_model.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_view.h"
#include "gui/files_tree_model.h"
#include "gui/qt_progress_bar.h"

using namespace orvande;
using namespace orvande::gui;

class ViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void treeMirrorFollowsAWorkerThread();
  void treeMirrorTakesThousandsOfFoldersInTheTreesOrder();
  void listTakesABurstOfImageChangesAsOneRepaint();
  void menuKeysOpenTheContextMenusAtTheCorner();
  void deviceComboOffersEntriesOnly();
  void progressScalesTheWholeRange();
};

void ViewsTest::treeMirrorFollowsAWorkerThread() {
  FolderTree tree;
  FilesTreeModel model(tree);
  std::thread worker([&tree] {
    const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", kImageFolder, 1);
    for (const char* name : {"b", "c", "a"}) tree.Insert(root, InsertPlace::kSorted, name, 0, 2);
  });
  worker.join();
  // Nothing reaches the views before the user-interface thread handles the queued changes.
  QCOMPARE(model.rowCount(), 0);
  QTRY_COMPARE(model.rowCount(), 1);
  const QModelIndex root = model.index(0, 0);
  QTRY_COMPARE(model.rowCount(root), 3);
  QStringList names;
  for (int row = 0; row < 3; ++row) names << model.index(row, 0, root).data().toString();
  QCOMPARE(names, QStringList({"a", "b", "c"}));

  tree.Delete(model.NodeAt(model.index(1, 0, root)));
  QTRY_COMPARE(model.rowCount(root), 2);
  tree.DeleteAll();
  QTRY_COMPARE(model.rowCount(), 0);
  QVERIFY(!model.HasNodes());
}

void ViewsTest::treeMirrorTakesThousandsOfFoldersInTheTreesOrder() {
  constexpr int kFolders = 10000;
  FolderTree tree;
  FilesTreeModel model(tree);
  std::thread worker([&tree] {
    const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", kImageFolder, 1);
    // Sorted inserts in a scrambled order land between siblings already shown; a few go again
    // while the mirror is still catching up.
    for (int i = 0; i < kFolders; ++i) {
      const TreeNode node = tree.Insert(root, InsertPlace::kSorted,
                                        QString::asprintf("f%05d", (i * 7919) % kFolders).toStdString(),
                                        0, 2);
      if (i % 97 == 0) tree.Delete(node);
    }
    tree.Insert(tree.FirstChild(root), InsertPlace::kLast, "deep", 0, 3);
  });
  worker.join();
  QTRY_VERIFY(model.HasNodes() && model.rowCount(model.index(0, 0)) == static_cast<int>(tree.Count()) - 2);
  const QModelIndex root = model.index(0, 0);
  const std::vector<TreeNode> expected = tree.Children(tree.FirstChild(kNoNode));
  QCOMPARE(model.rowCount(root), static_cast<int>(expected.size()));
  for (int row = 0; row < model.rowCount(root); ++row)
    QCOMPARE(model.NodeAt(model.index(row, 0, root)), expected[static_cast<size_t>(row)]);
  QCOMPARE(model.rowCount(model.index(0, 0, root)), 1);
}

void ViewsTest::listTakesABurstOfImageChangesAsOneRepaint() {
  FolderTree tree;
  ItemStore store;
  ReadWriteLock lock(true);
  FileListModel model(tree, store, lock, {});
  const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", kImageFolder, 1);
  std::vector<TreeNode> folders;
  for (const char* name : {"a", "b", "c", "d"})
    folders.push_back(tree.Insert(root, InsertPlace::kLast, name, kImageFolder, 2));
  model.Fill(root);
  QSignalSpy repaints(&model, &QAbstractItemModel::dataChanged);
  std::thread worker([&] {
    // b and d get deleted content, reported once per file; a is reported with no change.
    tree.SetImage(folders[1], kImageHoldsDeleted);
    tree.SetImage(folders[3], kImageHoldsDeleted);
    for (int file = 0; file < 500; ++file)
      for (TreeNode folder : {folders[0], folders[1], folders[3]}) model.QueueImageChange(folder);
  });
  worker.join();
  QTRY_COMPARE(repaints.count(), 1);
  QCoreApplication::processEvents();
  QCOMPARE(repaints.count(), 1);
  QCOMPARE(repaints[0][0].toModelIndex().row(), 1);
  QCOMPARE(repaints[0][1].toModelIndex().row(), 3);
  const uint32_t images[] = {kImageFolder, kImageHoldsDeleted, kImageFolder, kImageHoldsDeleted};
  for (int row = 0; row < 4; ++row) QCOMPARE(model.RowAt(row)->image, images[row]);
  // A folder that has no row here (the list shows another folder) changes nothing.
  model.QueueImageChange(root);
  QTest::qWait(20);
  QCOMPARE(repaints.count(), 1);
}

void ViewsTest::menuKeysOpenTheContextMenusAtTheCorner() {
  FolderTree tree;
  ItemStore store;
  ReadWriteLock lock(true);
  FileListModel listModel(tree, store, lock, {});
  FilesTreeModel treeModel(tree);
  const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", kImageFolder, 1);
  tree.Insert(root, InsertPlace::kLast, "a", kImageFolder, 2);
  QTRY_VERIFY(treeModel.HasNodes());
  CFilesListView list(listModel);
  CFilesTreeView treeView(treeModel);
  list.setContextMenuPolicy(Qt::CustomContextMenu);
  treeView.setContextMenuPolicy(Qt::CustomContextMenu);
  QList<QPoint> listMenus;
  QList<bool> treeMenusFromKeyboard;
  connect(&list, &QWidget::customContextMenuRequested, this,
          [&](const QPoint& at) { listMenus << at; });
  connect(&treeView, &QWidget::customContextMenuRequested, this,
          [&](const QPoint&) { treeMenusFromKeyboard << treeView.MenuFromKeyboard(); });
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool opens;
  } keys[] = {
      {Qt::Key_Menu, Qt::NoModifier, true},
      {Qt::Key_F10, Qt::ShiftModifier, true},
      {Qt::Key_F10, Qt::NoModifier, false},
      {Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier, false},
  };
  int opened = 0;
  for (const auto& k : keys) {
    QTest::keyClick(&list, k.key, k.modifiers);
    QTest::keyClick(&treeView, k.key, k.modifiers);
    if (k.opens) ++opened;
    QCOMPARE(listMenus.size(), opened);
    QCOMPARE(treeMenusFromKeyboard.size(), opened);
  }
  QCOMPARE(listMenus.first(), QPoint(kKeyboardMenuOffset, kKeyboardMenuOffset));
  QVERIFY(std::all_of(treeMenusFromKeyboard.begin(), treeMenusFromKeyboard.end(),
                      [](bool fromKeyboard) { return fromKeyboard; }));
  // After the key, the tree takes clicks as clicks again.
  QVERIFY(!treeView.MenuFromKeyboard());
}

void ViewsTest::deviceComboOffersEntriesOnly() {
  DeviceComboBox combo;
  auto first = std::make_shared<ImageFileNode>("/nonexistent/one.img");
  auto second = std::make_shared<ImageFileNode>("/nonexistent/two.img");
  combo.SetEntries({{DeviceListEntry::kHeading, "Disk Image Files", nullptr},
                    {DeviceListEntry::kEntry, "one", first},
                    {DeviceListEntry::kEntry, "two", second}});
  // The heading is shown but cannot be chosen; the first entry is selected.
  QCOMPARE(combo.SelectedNode(), first.get());
  auto* rows = qobject_cast<QStandardItemModel*>(combo.model());
  QVERIFY(!(rows->item(0)->flags() & Qt::ItemIsEnabled));
  QVERIFY(rows->item(0)->font().bold());
  QCOMPARE(combo.itemText(1), QStringLiteral("    one"));

  combo.RecordAnalyzedEntry();
  QVERIFY(combo.SelectNode(second.get()));
  QVERIFY(!combo.AnalyzedEntryIsSelected());
  // Refilling keeps the selected node.
  combo.SetEntries({{DeviceListEntry::kEntry, "two", second}, {DeviceListEntry::kEntry, "one", first}});
  QCOMPARE(combo.SelectedNode(), second.get());
}

void ViewsTest::progressScalesTheWholeRange() {
  struct Case {
    uint32_t low, high, position;
    int scaled;
  };
  const Case cases[] = {
      {0, 100, 50, QtProgressBar::kScale / 2},
      {0, 0xFFFFFFFF, 0xFFFFFFFE, QtProgressBar::kScale - 1},  // no overflow near the top
      {10, 20, 5, 0},                                          // below the range
      {10, 20, 30, QtProgressBar::kScale},                     // past its end
      {7, 7, 7, 0},                                            // an empty range
  };
  for (const Case& c : cases)
    QCOMPARE(QtProgressBar::ScaledPosition(c.low, c.high, c.position), c.scaled);
}

namespace {
[[maybe_unused]] const bool registered = gui_suites::Register<ViewsTest>("views");
}  // namespace

#include "views_test.moc"
