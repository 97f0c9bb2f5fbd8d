#include "app/write_disk_image.h"

#include <memory>
#include <string>

#include "app/image_target.h"
#include "app/image_writer_job.h"
#include "app/worker_thread.h"
#include "core/analyzer_factory.h"
#include "core/volume_analyzer.h"
#include "disk/device_node.h"
#include "platform/file_system.h"
#include "support/formatters.h"
#include "support/operation_log.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kCreateErrorCaption[] = "Error creating image file...";

// The folder part of the path, its last separator included; the current folder when it has none.
std::string TargetFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Writing there would destroy what must stay: a file this program is reading (the image itself,
// or the disk image a partition lies on), or a device or anything else that is no regular file.
bool TargetMustNotBeWritten(const std::string& path) {
  if (!platform::PathExists(path)) return false;
  return !platform::IsRegularFile(path) || platform::FileIsOpenHere(path);
}

// False when the user chose to abort.
bool FreeSpaceAccepted(ImageTarget& target, const std::string& path, uint64_t imageSize,
                       Prompter& prompter) {
  const uint64_t free = target.FreeSpace(TargetFolder(path));
  if (free >= imageSize) return true;
  const std::string text = "Insufficient disk space (Image size - " +
                           FormatSize(static_cast<double>(imageSize)) +
                           ", free space on the disk - " + FormatSize(static_cast<double>(free)) +
                           ").";
  // The window's "&Continue" is the yes answer, "&Abort" the no.
  return prompter.ShowMessage(text, kCreateErrorCaption, MessageIcon::kExclamation,
                              MessageButtons::kYesNo) == MessageAnswer::kYes;
}

// Runs the worker with the window shown; false when it could not be started.
bool RunWorker(ImageWriterJob& job, const ImageCommandPorts& ports, Prompter& prompter,
               UiWait& wait) {
  WorkerThread worker;
  if (!worker.Launch([&job] { WriteImageSectors(job); })) {
    prompter.ShowMessage("Internal error 0x1287.", kCreateErrorCaption, MessageIcon::kError,
                         MessageButtons::kOk);
    return false;
  }
  if (ports.window != nullptr) {
    ports.window->Show(job);
    // However the window closed, the worker is told to stop and waited for.
    job.Cancel().store(1);
  }
  // The job and the analyzer live on this stack: even a quitting program waits for the worker.
  while (!worker.WaitUntilDone(wait)) {
  }
  return true;
}

ImageOutcome TidyUp(ImageTarget& target, const std::string& path, bool started,
                    uint64_t written, uint64_t imageSize, Prompter& prompter) {
  target.Close();
  if (started && written >= imageSize) return ImageOutcome::kComplete;
  if (started && written != 0 &&
      prompter.ShowMessage("Image creation canceled by user. Delete the partially created image "
                           "file?",
                           strings::kProgramTitle, MessageIcon::kQuestion,
                           MessageButtons::kYesNo) != MessageAnswer::kYes) {
    return ImageOutcome::kPartialKept;
  }
  target.Remove(path);
  return ImageOutcome::kDeleted;
}

}  // namespace

bool CanWriteDiskImage(const DeviceNode* node) {
  if (node == nullptr) return false;
  const int kind = node->GetKind();
  return kind == kNodeLogicalDrive || kind == kNodeImageFile || kind == kNodePartition;
}

ImageOutcome WriteDiskImage(DeviceNode* node, const std::string& path,
                            const ImageCommandPorts& ports, UiWait& wait, uint64_t* bytesWritten) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  if (!CanWriteDiskImage(node)) return ImageOutcome::kNotImaged;
  Prompter& prompter = PrompterOrDefault(ports.prompter);
  // The log lives as long as the analyzer: it keeps writing the bad sectors it meets there.
  OperationLog log;
  std::unique_ptr<VolumeAnalyzer> analyzer =
      CreateAnalyzer(node, /*quiet=*/false, &log, &prompter);
  log.Show(prompter);
  if (!analyzer) return ImageOutcome::kNotImaged;

  ImageTarget realTarget;
  ImageTarget& target = ports.target != nullptr ? *ports.target : realTarget;
  ImageWriterJob job(analyzer.get(), &target, &prompter, ports.statusText);
  if (ports.batchBytes != 0) job.SetBatchBytes(ports.batchBytes);
  const uint64_t imageSize = job.ImageSize();
  if (!FreeSpaceAccepted(target, path, imageSize, prompter)) return ImageOutcome::kNotImaged;
  // The analyzer holds the source open, so its own file is among those being read.
  if (TargetMustNotBeWritten(path) || target.Create(path) != 0) {
    prompter.ShowMessage("Can't create file.", kCreateErrorCaption, MessageIcon::kError,
                         MessageButtons::kOk);
    return ImageOutcome::kNotCreated;
  }
  const bool started = RunWorker(job, ports, prompter, wait);
  const uint64_t written = job.BytesWritten();
  if (bytesWritten != nullptr) *bytesWritten = written;
  return TidyUp(target, path, started, written, imageSize, prompter);
}

}  // namespace orvande
