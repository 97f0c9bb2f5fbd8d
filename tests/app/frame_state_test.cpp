// The frame's enabling rules and the state they follow from.
#include "app/frame_state.h"

#include <gtest/gtest.h>

#include <array>

#include "app/frame_commands.h"
#include "app/frame_cursor.h"

namespace orvande {
namespace {

// A volume's tree is shown, a search was made, a row is selected.
FrameState Idle() {
  FrameState state;
  state.selectedDevice = SelectedDeviceKind::kLogicalDrive;
  state.filesTreeHasNodes = true;
  state.lastSearchTextEmpty = false;
  state.recoverSelection = true;
  state.itemsTreeAllowsAnalysis = true;
  return state;
}

FrameState With(FrameState state, bool FrameState::*flag) {
  state.*flag = true;
  return state;
}

// A physical disk is selected and nothing else is there.
FrameState Bare(SelectedDeviceKind device) {
  FrameState state;
  state.selectedDevice = device;
  return state;
}

TEST(FrameState, EnablingRulesOverStates) {
  const std::array<FrameState, 6> states = {
      Idle(),
      With(Idle(), &FrameState::workerRunning),
      With(Idle(), &FrameState::recovering),
      With(With(Idle(), &FrameState::recovering), &FrameState::stopRecoveryRequested),
      Bare(SelectedDeviceKind::kOther),
      Bare(SelectedDeviceKind::kNone),
  };
  struct Row {
    uint32_t id;
    std::array<bool, 6> enabled;  // idle, analyzing, recovering, stopping, disk, nothing
  };
  using namespace command;
  const Row rows[] = {
      {kAnalyze, {1, 0, 0, 0, 1, 0}},
      {kStop, {0, 1, 1, 0, 0, 0}},
      {kFilter, {1, 0, 0, 1, 1, 1}},
      {kRecover, {1, 1, 0, 0, 0, 0}},
      {kStopRecovering, {0, 0, 1, 0, 0, 0}},
      {kFindFile, {1, 1, 1, 1, 0, 0}},
      {kFindNext, {1, 1, 1, 1, 0, 0}},
      {kOpenDiskImage, {1, 0, 1, 1, 1, 1}},
      {kSaveDiskImage, {1, 0, 1, 1, 0, 0}},
      {kFindPartitions, {1, 0, 1, 1, 1, 1}},
      {kAnalyzePartition, {1, 1, 1, 1, 0, 0}},
      {kTipOfTheDay, {1, 1, 1, 1, 1, 1}},
      {kWebSite, {1, 1, 1, 1, 1, 1}},
      {kRequestForSupport, {1, 1, 1, 1, 1, 1}},
      {kSettings, {1, 1, 1, 1, 1, 1}},
      {kHelpContents, {1, 1, 1, 1, 1, 1}},
      {kExit, {1, 1, 1, 1, 1, 1}},
      {12345, {0, 0, 0, 0, 0, 0}},
  };
  for (const Row& row : rows)
    for (size_t s = 0; s < states.size(); ++s)
      EXPECT_EQ(IsCommandEnabled(row.id, states[s]), row.enabled[s])
          << "command " << row.id << " in state " << s;
}

TEST(FrameState, SaveDiskImageWantsAVolume) {
  using enum SelectedDeviceKind;
  for (const auto kind : {kLogicalDrive, kImageFile, kPartition})
    EXPECT_TRUE(IsCommandEnabled(command::kSaveDiskImage, Bare(kind)));
  EXPECT_FALSE(IsCommandEnabled(command::kSaveDiskImage, Bare(kOther)));
}

TEST(FrameState, FilterCheckShowsTheFilter) {
  EXPECT_FALSE(IsCommandChecked(command::kFilter, Idle()));
  EXPECT_TRUE(IsCommandChecked(command::kFilter, With(Idle(), &FrameState::filterOn)));
  EXPECT_FALSE(IsCommandChecked(command::kAnalyze, With(Idle(), &FrameState::filterOn)));
}

TEST(FrameState, StateNamesFromTheFlags) {
  const FrameState recovering = With(Idle(), &FrameState::recovering);
  const struct {
    FrameState state;
    const char* name;
  } cases[] = {
      {Idle(), "idle"},
      {With(Idle(), &FrameState::workerRunning), "analyzing"},
      {With(With(Idle(), &FrameState::workerRunning), &FrameState::scanRunning), "scanning"},
      {recovering, "recovering"},
      {With(recovering, &FrameState::stopRecoveryRequested), "stopping recovery"},
      // A recovery beside the frame's own worker: the worker's state is the frame's.
      {With(recovering, &FrameState::workerRunning), "analyzing"},
      {With(recovering, &FrameState::imageThreadRunning), "writing image"},
      {With(Idle(), &FrameState::searching), "searching"},
      {With(Idle(), &FrameState::filtering), "filtering"},
  };
  for (const auto& c : cases) EXPECT_STREQ(FrameStateName(CurrentFrameStatus(c.state)), c.name);
}

TEST(FrameState, CursorFollowsWhatRuns) {
  const struct {
    FrameState state;
    FrameCursor cursor;
  } cases[] = {
      {Idle(), FrameCursor::kNormal},
      // A recovery or a search has its own windows; the frame keeps its usual cursor.
      {With(Idle(), &FrameState::recovering), FrameCursor::kNormal},
      {With(Idle(), &FrameState::workerRunning), FrameCursor::kBusy},
      {With(With(Idle(), &FrameState::workerRunning), &FrameState::scanRunning), FrameCursor::kBusy},
      // The image writer wins over a worker.
      {With(With(Idle(), &FrameState::workerRunning), &FrameState::imageThreadRunning),
       FrameCursor::kWait},
  };
  for (const auto& c : cases) EXPECT_EQ(CursorFor(c.state), c.cursor);
}

}  // namespace
}  // namespace orvande
