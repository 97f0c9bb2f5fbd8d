#pragma once
// CSectorsViewFrame: the sector viewer's top-level window, "Sectors View", holding one
// CSectorView over a data source that the frame keeps alive. Its "View" menu chooses the view's
// font and opens one more viewer on the same data at the caret. The frame takes its placement
// from the layout settings and stores it when it is destroyed. The program keeps a list of the
// open viewers, so that they can all be closed when it ends. User-interface thread only (the
// list itself is guarded).
#include <QMainWindow>
#include <memory>
#include <vector>

class QLabel;

namespace orvande {
class LayoutSettings;
class SectorDataSource;
}  // namespace orvande

namespace orvande::gui {

class CSectorView;

class CSectorsViewFrame final : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Sectors View";
  static constexpr char kMenuTitle[] = "View";
  static constexpr char kChooseFontItem[] = "Choose &font...";
  static constexpr char kViewItem[] = "&View";
  // Without a stored placement a viewer opens this far right of and below the default place.
  static constexpr int kDefaultShift = 50;

  // A new viewer, listed and shown, its caret at caretOffset. The layout settings must outlive
  // every viewer (CloseAllViewers ends them).
  static CSectorsViewFrame* OpenViewer(LayoutSettings& layout,
                                       std::shared_ptr<SectorDataSource> source,
                                       uint64_t caretOffset);
  // Takes the viewer off the list, then closes it.
  static void CloseViewer(CSectorsViewFrame* viewer);
  // Closes every listed viewer that still exists and empties the list.
  static void CloseAllViewers();
  static std::vector<CSectorsViewFrame*> OpenViewers();

  ~CSectorsViewFrame() override;

  CSectorView& View() { return *view_; }
  QAction* ChooseFontAction() const { return chooseFont_; }
  QAction* ViewAction() const { return viewAgain_; }
  QString CaretPaneText() const;
  QString SelectionPaneText() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  CSectorsViewFrame(LayoutSettings& layout, std::shared_ptr<SectorDataSource> source);

  void BuildMenu();
  void ApplyPlacement();
  void StorePlacement();
  void ChooseFont();
  void ShowCaret();

  LayoutSettings& layout_;
  std::shared_ptr<SectorDataSource> source_;
  CSectorView* view_ = nullptr;
  QAction* chooseFont_ = nullptr;
  QAction* viewAgain_ = nullptr;
  QLabel* caretPane_ = nullptr;
  QLabel* selectionPane_ = nullptr;
  bool maximizeOnShow_ = false;
};

}  // namespace orvande::gui
