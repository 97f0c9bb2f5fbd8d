// The frame's analysis operation: a started analysis fills the tree on its worker and ends idle,
// a new start stops the running worker first, a stop waits in 100 ms steps until the worker is
// gone, and the file list's probability answer.
#include "app/volume_analysis.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/frame_ports.h"
#include "app/sleeping_wait.h"
#include "app/standard_analyzers.h"
#include "common/corpus.h"
#include "common/idle_analyzer.h"
#include "common/port_doubles.h"
#include "core/analyzer_factory.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "disk/device_node.h"
#include "disk/image_file_node.h"
#include "fat/fat_analyzer.h"

namespace orvande {
namespace {

using namespace std::chrono_literals;

struct RecordingFramePorts final : StatusTextSink, AnalysisListener {
  void ShowStatusText(const std::string& text) override {
    std::lock_guard<std::mutex> hold(mutex);
    texts.push_back(text);
  }
  void AnalysisStarting() override { starts.fetch_add(1); }
  void AnalysisEnded(uint32_t) override { ends.fetch_add(1); }
  std::mutex mutex;
  std::vector<std::string> texts;
  std::atomic<int> starts{0};
  std::atomic<int> ends{0};
};

// Stands in for the FAT analyzer: its BuildTree runs until it is asked to stop and a wait step
// has been taken meanwhile (when `wait` is set), and it counts the probability questions.
struct SlowAnalyzer final : test::IdleAnalyzer {
  static inline std::atomic<int> buildsEntered{0};
  static inline std::atomic<int> buildsStopped{0};
  static inline std::atomic<int> questions{0};
  static inline test::RecordingWait* wait = nullptr;

  uint32_t BuildTree(const BuildTreeContext& context, OperationLog*) override {
    buildsEntered.fetch_add(1);
    while (!StopRequested(context.stop) || (wait != nullptr && wait->Calls() == 0))
      std::this_thread::sleep_for(1ms);
    buildsStopped.fetch_add(1);
    return 0;
  }
  uint32_t GetRecoveryProbability(ItemLocation&, uint64_t, OperationLog*) override {
    questions.fetch_add(1);
    return kProbabilityGood;
  }
};

class VolumeAnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterStandardAnalyzers();
    node_ = std::make_unique<ImageFileNode>(test::LoadCorpusImage("fat16").imagePath);
  }
  void TearDown() override { RegisterAnalyzer(kFsFat, &MakeFatAnalyzer); }

  static void UseSlowAnalyzer(test::RecordingWait* wait) {
    SlowAnalyzer::buildsEntered = 0;
    SlowAnalyzer::buildsStopped = 0;
    SlowAnalyzer::questions = 0;
    SlowAnalyzer::wait = wait;
    RegisterAnalyzer(kFsFat, []() -> std::unique_ptr<VolumeAnalyzer> {
      return std::make_unique<SlowAnalyzer>();
    });
  }

  static void AwaitBuilds(int count) {
    while (SlowAnalyzer::buildsEntered.load() < count) std::this_thread::sleep_for(1ms);
  }

  std::unique_ptr<DeviceNode> node_;
  test::ScriptedPrompter prompter_;
  SleepingWait sleeping_;
};

TEST_F(VolumeAnalysisTest, StartedAnalysisFillsTheTreeAndEndsIdle) {
  VolumeAnalysis analysis;
  RecordingFramePorts frame;
  test::RecordingProgressBar progress;
  AnalysisPorts ports;
  ports.prompter = &prompter_;
  ports.progressBar = &progress;
  ports.listener = &frame;
  ports.statusText = &frame;
  ASSERT_TRUE(analysis.Start(node_.get(), ports, sleeping_));
  EXPECT_EQ(analysis.WaitForEnd(sleeping_), 0u);

  EXPECT_FALSE(analysis.WorkerRunning());
  EXPECT_FALSE(analysis.EndedOnStop());
  EXPECT_GT(analysis.Tree().Count(), 1u);
  EXPECT_GT(analysis.Store().Size(), 1u);
  EXPECT_GE(analysis.Tree().InvalidateCount(), 1u);
  EXPECT_NE(analysis.Reader(), nullptr);
  EXPECT_EQ(frame.starts.load(), 1);
  EXPECT_EQ(frame.ends.load(), 1);
  EXPECT_EQ(frame.texts, (std::vector<std::string>{"Analyzing...", ""}));
  EXPECT_TRUE(prompter_.Texts().empty());
}

TEST_F(VolumeAnalysisTest, MissingDeviceIsAnInternalError) {
  VolumeAnalysis analysis;
  AnalysisPorts ports;
  ports.prompter = &prompter_;
  EXPECT_FALSE(analysis.Start(nullptr, ports, sleeping_));
  EXPECT_EQ(prompter_.Texts(),
            (std::vector<std::string>{"Internal error. Can't start analyzing."}));
  EXPECT_FALSE(analysis.WorkerRunning());
}

TEST_F(VolumeAnalysisTest, StartWhileAWorkerRunsStopsItFirst) {
  UseSlowAnalyzer(nullptr);
  VolumeAnalysis analysis;
  AnalysisPorts ports;
  ports.prompter = &prompter_;
  ASSERT_TRUE(analysis.Start(node_.get(), ports, sleeping_));
  AwaitBuilds(1);
  ASSERT_TRUE(analysis.Start(node_.get(), ports, sleeping_));
  EXPECT_EQ(SlowAnalyzer::buildsStopped.load(), 1) << "the first worker ended before the second";
  EXPECT_TRUE(analysis.WorkerRunning());
  AwaitBuilds(2);
  analysis.StopWorker(sleeping_);
  analysis.WaitForEnd(sleeping_);
  EXPECT_EQ(SlowAnalyzer::buildsStopped.load(), 2);
}

TEST_F(VolumeAnalysisTest, StopWorkerWaitsInHundredMillisecondStepsUntilTheWorkerIsGone) {
  test::RecordingWait wait;
  UseSlowAnalyzer(&wait);
  VolumeAnalysis analysis;
  AnalysisPorts ports;
  ports.prompter = &prompter_;
  ASSERT_TRUE(analysis.Start(node_.get(), ports, sleeping_));
  AwaitBuilds(1);
  analysis.StopWorker(wait);

  EXPECT_FALSE(analysis.WorkerRunning());
  EXPECT_TRUE(analysis.EndedOnStop());
  EXPECT_FALSE(StopRequested(&analysis.StopRequest())) << "the worker clears the flag";
  const std::vector<std::chrono::milliseconds> steps = wait.Steps();
  ASSERT_FALSE(steps.empty());
  for (std::chrono::milliseconds step : steps) EXPECT_EQ(step, 100ms);
  analysis.WaitForEnd(sleeping_);
  analysis.StopWorker(wait);  // nothing runs: returns at once
  EXPECT_EQ(wait.Steps().size(), steps.size());
}

TEST_F(VolumeAnalysisTest, ProbabilityAnswers) {
  VolumeAnalysis analysis;
  EXPECT_EQ(analysis.ProbabilityAnswer(7, 0, true), kProbabilityUnknown) << "no reader";

  UseSlowAnalyzer(nullptr);
  AnalysisPorts ports;
  ports.prompter = &prompter_;
  ASSERT_TRUE(analysis.Start(node_.get(), ports, sleeping_));
  analysis.StopWorker(sleeping_);
  analysis.WaitForEnd(sleeping_);
  auto* folder = new FolderItem(7);
  folder->AddFile(70, ItemLocation(0, 1234, 1), "cluster.txt", 10, 0, 0, 1);
  SectorRunList runs;
  folder->AddFile(71, ItemLocation(runs, 1), "runs.txt", 10, 0, 0, 1);
  folder->AddFile(72, ItemLocation(0, 1300, 1), "live.txt", 10, 0, 0, 0);
  analysis.Store().Insert(7, folder);
  folder->Release();

  struct Case {
    uint32_t folderId;
    uint32_t fileIndex;
    bool show;
    uint32_t answer;
    int questionsAfter;
  } cases[] = {
      {7, 0, false, kProbabilityNotDeleted, 0},  // the setting is off
      {8, 0, true, kProbabilityUnknown, 0},      // no such folder
      {7, 5, true, kProbabilityUnknown, 0},      // no such file
      {7, 1, true, kProbabilityAverage, 0},      // a run list: no read
      {7, 2, true, kProbabilityNotDeleted, 0},   // a live file: no read
      {7, 0, true, kProbabilityGood, 1},         // asked ...
      {7, 0, true, kProbabilityGood, 1},         // ... once
  };
  for (const Case& c : cases) {
    EXPECT_EQ(analysis.ProbabilityAnswer(c.folderId, c.fileIndex, c.show), c.answer)
        << c.folderId << "/" << c.fileIndex;
    EXPECT_EQ(SlowAnalyzer::questions.load(), c.questionsAfter) << c.folderId << "/" << c.fileIndex;
  }
  FolderRef stored = analysis.Store().FindRef(7);
  EXPECT_EQ(stored->Files()[0].probability, kProbabilityGood);
  EXPECT_EQ(stored->Files()[1].probability, kProbabilityAverage);
}

}  // namespace
}  // namespace orvande
