// Analyses a volume in the desktop window (offscreen) and reports how responsive the window
// stayed: the longest gap between the ticks of a 10 ms timer on the user-interface thread, from
// the Analyze command until the files tree shows every folder; the time until then; and the
// peak resident size of the process. bench/gui_analysis_bench.sh sets these figures against
// `orvande-cli analyze` of the same volume.
//
// Usage: gui_analysis_bench IMAGE [--show-root]
//   --show-root  the file list shows the volume root while it is filled, as after a click on it
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "app/app_environment.h"
#include "app/engine_setup.h"
#include "app/frame_commands.h"
#include "gui/files_tree_model.h"
#include "gui/files_tree_view.h"
#include "gui/left_frame.h"
#include "gui/main_frame.h"
#include "support/prompter.h"

using namespace orvande;
using namespace orvande::gui;

namespace {

constexpr int kTickMs = 10;
constexpr qint64 kStallLimitMs = 100;  // what the window may take at most between two events

// The peak resident size of this process in KiB, from the kernel's own count.
long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// The nodes the model shows, counted through its own interface as a view would see them.
size_t ShownNodes(const FilesTreeModel& model, const QModelIndex& parent = {}) {
  const int rows = model.rowCount(parent);
  size_t count = static_cast<size_t>(rows);
  for (int row = 0; row < rows; ++row) count += ShownNodes(model, model.index(row, 0, parent));
  return count;
}

// The longest time between two ticks of a short timer: how long the event loop was kept busy.
class StallMeter {
 public:
  StallMeter() {
    timer_.setInterval(kTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }

  void Start() {
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  void Stop() { timer_.stop(); }
  // A check run on every tick; it is not part of the gap it ends.
  void OnTick(std::function<void()> check) { check_ = std::move(check); }

  qint64 LongestGapMs() const { return longest_; }
  int GapsOverLimit() const { return overLimit_; }
  qint64 ElapsedMs() const { return clock_.elapsed(); }

 private:
  void Tick() {
    const qint64 now = clock_.elapsed();
    const qint64 gap = now - last_;
    longest_ = std::max(longest_, gap);
    if (gap > kStallLimitMs) ++overLimit_;
    if (check_) check_();
    last_ = clock_.elapsed();
  }

  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
  int overLimit_ = 0;
  std::function<void()> check_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s IMAGE [--show-root]\n", argv[0]);
    return 2;
  }
  const bool showRoot = argc > 2 && std::strcmp(argv[2], "--show-root") == 0;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);

  QTemporaryDir home;
  StartupOptions options;
  options.settingsFolder = (home.path() + "/settings").toStdString();
  options.homeFolder = home.path().toStdString();
  options.debugLogPath = (home.path() + "/_log.txt").toStdString();
  AppEnvironment environment(options);
  PrepareEngine();

  CMainFrame frame(environment, &PrompterOrDefault(nullptr));
  frame.show();
  if (!frame.AddImageFile(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "not a file: %s\n", argv[1]);
    return 2;
  }
  FolderTree& tree = frame.Analysis().Tree();
  CFilesTreeView& treeView = frame.LeftFrame().FilesTree();
  const auto& model = *qobject_cast<FilesTreeModel*>(treeView.model());

  QEventLoop loop;
  bool finished = false;
  uint32_t status = 0;
  qint64 completeMs = -1;
  QObject::connect(&frame, &CMainFrame::AnalysisFinished, [&](uint32_t code) {
    finished = true;
    status = code;
  });
  StallMeter meter;
  meter.OnTick([&] {
    if (showRoot && treeView.SelectedNode() == kNoNode && model.HasNodes())
      treeView.SelectNode(static_cast<TreeNode>(model.index(0, 0).internalId()));
    if (!finished || ShownNodes(model) != tree.Count()) return;
    completeMs = meter.ElapsedMs();
    loop.quit();
  });

  meter.Start();
  frame.RunCommand(command::kAnalyze);
  loop.exec();
  meter.Stop();

  std::printf("analysis status:            %u\n", status);
  std::printf("folders in the tree:        %zu\n", tree.Count());
  std::printf("longest UI stall:           %lld ms (%d gaps over 100 ms)\n",
              static_cast<long long>(meter.LongestGapMs()), meter.GapsOverLimit());
  std::printf("tree complete after:        %.3f s\n", static_cast<double>(completeMs) / 1000.0);
  std::printf("peak resident size:         %.1f MiB\n",
              static_cast<double>(PeakResidentKiB()) / 1024.0);
  return status == 0 ? 0 : 1;
}
