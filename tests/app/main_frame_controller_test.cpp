// The main frame's commands over doubles of its worker, views and prompter.
#include "app/main_frame_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/analysis_worker_slot.h"
#include "app/frame_commands.h"
#include "app/sleeping_wait.h"
#include "app/standard_analyzers.h"
#include "app/recovery_status_notifier.h"
#include "common/corpus.h"
#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "disk/image_file_node.h"

namespace orvande {
namespace {

// The worker slot, the views, the mount-point check and the find state in one double; every
// call that changes something is written to `calls`, in order.
struct FakeFrame : FrameWorker, FrameViews, MountPointCheck, FrameFindState, StatusTextSink {
  bool WorkerRunning() const override { return workerRunning; }
  void StopWorker(UiWait&) override {
    calls.push_back(workerRunning ? "stop worker" : "stop no worker");
    workerRunning = false;
  }
  bool StartAnalysis(DeviceNode* node) override {
    calls.push_back("start " + node->GetName());
    workerRunning = true;
    return true;
  }

  DeviceNode* SelectedDevice() const override { return selected; }
  bool FilesTreeHasNodes() const override { return true; }
  bool HasRecoverSelection() const override { return true; }
  bool ItemsTreeAllowsAnalysis() const override { return false; }
  void SetViewsRedraw(bool on) override { calls.push_back(on ? "redraw on" : "redraw off"); }
  void EmptyFileListAndFilesTree() override { calls.push_back("empty views"); }
  void RecordAnalyzedEntry() override { calls.push_back("record entry"); }
  void ShowFilesTree() override { calls.push_back("files tree"); }
  void EnableDeviceToolBar(bool enabled) override {
    calls.push_back(enabled ? "tool bar on" : "tool bar off");
  }

  bool CheckMountPoints(DeviceNode&) override {
    calls.push_back("mount points");
    return goOnAfterMountPoints;
  }

  bool SearchBusy() const override { return false; }
  bool LastSearchTextEmpty() const override { return true; }

  void ShowStatusText(const std::string& text) override { shown.push_back(text); }

  bool workerRunning = false;
  DeviceNode* selected = nullptr;
  bool goOnAfterMountPoints = true;
  std::vector<std::string> calls;
  std::vector<std::string> shown;
};

class MainFrameControllerTest : public ::testing::Test {
 protected:
  bool StopOffered() const { return controller.IsEnabled(command::kStop); }
  bool CloseRefused() {
    const size_t before = prompter.Prompts().size();
    const bool allowed = controller.RequestClose(wait);
    EXPECT_EQ(prompter.Prompts().size(), before + (allowed ? 0 : 1));
    return !allowed;
  }

  FakeFrame frame;
  test::ScriptedPrompter prompter;
  test::RecordingWait wait;
  MainFrameController controller{{frame, frame, frame, frame, frame, prompter}};
};

TEST_F(MainFrameControllerTest, StopAsksTheRecoveryFirstThenStopsTheWorker) {
  frame.workerRunning = true;
  controller.PrepareRecovery();
  // The recovery is slow to wind down and the program quits meanwhile: the wait ends early.
  wait.onStep = [] { return false; };
  controller.Stop(wait);
  EXPECT_NE(controller.StopRecoveryRequest(), 0);
  EXPECT_EQ(wait.Calls(), 1);
  EXPECT_TRUE(frame.workerRunning);

  controller.Stop(wait);
  EXPECT_EQ(frame.calls, std::vector<std::string>{"stop worker"});
  EXPECT_FALSE(StopOffered());
}

TEST_F(MainFrameControllerTest, StopRecoveringWaitsUntilTheRecoveryHasEnded) {
  controller.PrepareRecovery();
  wait.onStep = [&] {
    if (wait.Calls() == 3) controller.RecoveringFlag() = 0;  // the job's last act
    return true;
  };
  controller.StopRecovering(wait);
  EXPECT_EQ(wait.Calls(), 3);
  EXPECT_EQ(controller.RecoveringFlag(), 0);
}

TEST_F(MainFrameControllerTest, CloseRefusedWhileSomethingRunsThatMustNotBeCutOff) {
  EXPECT_FALSE(CloseRefused());  // idle
  EXPECT_EQ(frame.calls, std::vector<std::string>{"stop no worker"});

  frame.workerRunning = true;  // analysing
  EXPECT_TRUE(CloseRefused());
  EXPECT_TRUE(frame.workerRunning);  // the attempt stops nothing
  frame.workerRunning = false;

  controller.PrepareRecovery();
  EXPECT_TRUE(CloseRefused());
  wait.onStep = [] { return false; };
  controller.StopRecovering(wait);  // asked to stop; the job still winds down
  controller.SetImageThreadRunning(true);
  EXPECT_TRUE(CloseRefused());
  controller.SetImageThreadRunning(false);
  EXPECT_FALSE(CloseRefused());

  const test::PromptRecord box = prompter.Prompts().front();
  EXPECT_EQ(box.text, "Stop current operation before closing Orvande.");
  EXPECT_EQ(box.icon, MessageIcon::kExclamation);
}

TEST_F(MainFrameControllerTest, AnalyzeChecksMountPointsOfALogicalDriveOnly) {
  test::MemoryNode drive({}, kNodeLogicalDrive);
  test::MemoryNode image({}, kNodeImageFile);
  const std::vector<std::string> steps = {"redraw off",   "empty views", "redraw on",
                                          "record entry", "files tree",  "start memory"};

  frame.selected = &image;
  EXPECT_TRUE(controller.Analyze());
  EXPECT_EQ(frame.calls, steps);
  EXPECT_FALSE(controller.IsEnabled(command::kAnalyze));  // while the worker runs

  frame.calls.clear();
  frame.workerRunning = false;
  frame.selected = &drive;
  frame.goOnAfterMountPoints = false;
  EXPECT_FALSE(controller.Analyze());
  EXPECT_EQ(frame.calls, std::vector<std::string>{"mount points"});
  EXPECT_EQ(controller.CurrentDevice(), &drive);

  frame.selected = nullptr;
  EXPECT_FALSE(controller.Analyze());

  // Nor while a recovery reads the items.
  frame.calls.clear();
  frame.selected = &image;
  controller.RecoveringFlag() = 1;
  EXPECT_FALSE(controller.Analyze());
  EXPECT_TRUE(frame.calls.empty());
}

TEST_F(MainFrameControllerTest, AnalysisWorkerEventsSetToolBarFilterAndStatusText) {
  controller.SetFilterOn(true);
  controller.AnalysisStarting();
  EXPECT_EQ(controller.StatusText(), "Analyzing...");
  EXPECT_FALSE(controller.FilterOn());
  controller.AnalysisEnded(0);
  EXPECT_EQ(frame.calls, (std::vector<std::string>{"tool bar off", "tool bar on"}));
  EXPECT_EQ(frame.shown, (std::vector<std::string>{"Analyzing...", ""}));
}

TEST_F(MainFrameControllerTest, StatusTextIsKeptAndReplacedByTheRecoveryMessages) {
  controller.SetStatusText("Scanning %d%%", 40);
  EXPECT_EQ(controller.StatusText(), "Scanning 40%");

  test::RecordingNotifySink views;
  RecoveryStatusNotifier notifier(controller.StatusTextKeeper(), &views);
  const std::string name = "/out/a b.txt";
  notifier.Send(kMsgRecoveringFile, reinterpret_cast<uintptr_t>(name.c_str()), 0);
  EXPECT_EQ(controller.StatusText(), "Recover file \"/out/a b.txt\"");
  notifier.Send(kMsgFolderChanged, 7, 0);  // not the status bar's: passed on
  notifier.Send(kMsgRecoveringFile, 0, 0);
  EXPECT_EQ(controller.StatusText(), "Finished");
  EXPECT_EQ(views.Messages(), (std::vector<test::SentMessage>{{kMsgFolderChanged, 7, 0}}));

  controller.SetStatusText("%s", std::string(3000, 'x').c_str());
  EXPECT_EQ(controller.StatusText().size(), 2047u);
  EXPECT_EQ(frame.shown.back(), controller.StatusText());
}

// The frame, the worker slot and the analysis operation together, as a front end wires them.
TEST(MainFrameWiringTest, AnalyzeRunsTheAnalysisAndTheFrameSeesItsStartAndEnd) {
  RegisterStandardAnalyzers();
  ImageFileNode image(test::LoadCorpusImage("fat16").imagePath);
  FakeFrame frame;
  frame.selected = &image;
  test::ScriptedPrompter prompter;
  SleepingWait wait;
  VolumeAnalysis analysis;
  AnalysisPorts ports;
  ports.prompter = &prompter;
  AnalysisWorkerSlot slot(analysis, ports, wait);
  MainFrameController controller{{slot, frame, frame, frame, frame, prompter}};
  slot.SetListener(&controller);

  ASSERT_TRUE(controller.Analyze());
  EXPECT_EQ(analysis.WaitForEnd(wait), 0u);
  EXPECT_FALSE(controller.IsEnabled(command::kStop));
  EXPECT_TRUE(controller.IsEnabled(command::kAnalyze));
  EXPECT_GT(analysis.Tree().Count(), 1u);
  EXPECT_EQ(frame.shown, (std::vector<std::string>{"Analyzing...", ""}));
  EXPECT_EQ(frame.calls.back(), "tool bar on");
}

}  // namespace
}  // namespace orvande
