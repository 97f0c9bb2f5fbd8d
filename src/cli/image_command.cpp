#include "cli/image_command.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
#include <ostream>
#include <string>

#include "app/image_writer_job.h"
#include "app/sleeping_wait.h"
#include "app/write_disk_image.h"
#include "cli/cli_progress.h"
#include "cli/cli_prompter.h"
#include "cli/interrupt_scope.h"
#include "cli/source_opener.h"
#include "cli/volume_session.h"
#include "disk/device_node.h"
#include "platform/terminal.h"

namespace orvande::cli {
namespace {

// Answers every yes/no question yes (--yes); everything else goes to the run's prompter.
class YesPrompter final : public Prompter {
 public:
  explicit YesPrompter(Prompter& inner) : inner_(inner) {}
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    if (buttons != MessageButtons::kYesNo) return inner_.ShowMessage(text, caption, icon, buttons);
    return MessageAnswer::kYes;
  }
  void ShowOperationLog(std::string_view text) override { inner_.ShowOperationLog(text); }

 private:
  Prompter& inner_;
};

// The progress window on a terminal: the bar follows the worker's position until it reports its
// end or a signal asks for a stop.
class TerminalImageWindow final : public ImageProgressWindow {
 public:
  TerminalImageWindow(std::ostream& err, bool draw, StopFlag& interrupted)
      : bar_(err, "Writing image", draw), interrupted_(interrupted) {}

  void Show(const ImageWriterJob& job) override {
    bar_.SetRange(0, job.Range());
    for (;;) {
      const uint32_t position = job.Position();
      if (position == kImagePositionDone || StopRequested(&interrupted_)) break;
      bar_.SetPosition(position);
      wait_.WaitStep(std::chrono::milliseconds(100));
    }
    bar_.Finish();
  }

 private:
  TerminalProgressBar bar_;
  StopFlag& interrupted_;
  SleepingWait wait_;
};

class ImageCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "image", "Copy the volume in SOURCE sector by sector into the raw image file OUT");
    sub->add_option("SOURCE", source_,
                    "Volume image file, block device, or DISK@N: partition N of a whole disk")->required();
    sub->add_option("OUT", out_, "Image file to write (replaced when it exists)")->required();
    sub->add_flag("--yes", yes_,
                  "Answer yes to every question: go on when space runs short, delete a partial "
                  "image");
    return sub;
  }

  int Run(CommandContext& context) override {
    std::unique_ptr<DeviceNode> node = PrepareSource(context, source_);
    if (!node) return kExitFailed;
    if (!CanWriteDiskImage(node.get())) {
      return FailCommand(context, "an image can be made of a volume only, not of a whole disk");
    }

    YesPrompter yes(context.prompter);
    StopFlag interrupted{0};
    InterruptScope interrupt(interrupted);
    const bool draw = &context.err == &std::cerr && platform::IsStandardErrorTerminal();
    TerminalImageWindow window(context.err, draw, interrupted);
    ImageCommandPorts ports;
    ports.prompter = yes_ ? static_cast<Prompter*>(&yes) : &context.prompter;
    ports.window = &window;
    SleepingWait wait;
    uint64_t written = 0;
    const ImageOutcome outcome = WriteDiskImage(node.get(), out_, ports, wait, &written);
    return Report(context, outcome, written);
  }

 private:
  int Report(CommandContext& context, ImageOutcome outcome, uint64_t written) {
    const int signal = InterruptScope::CaughtSignal();
    switch (outcome) {
      case ImageOutcome::kComplete:
        context.out << out_ << ": " << written << " bytes\n";
        return kExitOk;
      case ImageOutcome::kPartialKept:
        context.out << out_ << ": " << written << " bytes (incomplete)\n";
        break;
      case ImageOutcome::kDeleted:
        FailCommand(context, "image not complete; \"" + out_ + "\" deleted");
        break;
      case ImageOutcome::kNotCreated:
      case ImageOutcome::kNotImaged:
        FailCommand(context, "no image written");
        break;
    }
    return signal != 0 ? InterruptScope::ExitCodeFor(signal) : kExitFailed;
  }

  std::string source_;
  std::string out_;
  bool yes_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeImageCommand() {
  return std::make_unique<ImageCommand>();
}

}  // namespace orvande::cli
