#include "gui/frame_disk_commands.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QThread>
#include <QWidget>

#include "app/frame_commands.h"
#include "app/image_writer_job.h"
#include "app/main_frame_controller.h"
#include "gui/create_image_error_dialog.h"
#include "gui/device_drop_down.h"
#include "gui/qt_prompter.h"
#include "gui/writing_image_dialog.h"
#include "support/prompter.h"

namespace orvande::gui {
namespace {

// E01 evidence files and the first part of a split raw image open like any image file.
constexpr char kOpenImageFilter[] =
    "Image file (*.img *.dsk *.dat *.bin *.E01 *.001);;All Files (*)";
constexpr char kSaveImageFilter[] = "Image File (*.dsk)";
constexpr char kImageSuffix[] = ".dsk";

// The frame's prompter, except that the free-space warning is the "Error creating image file..."
// window with "&Abort" and "&Continue" when the frame asks through its own windows.
class ImagePrompter final : public Prompter {
 public:
  ImagePrompter(Prompter& inner, QWidget* window) : inner_(inner), window_(window) {}

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    if (!IsFreeSpaceWarning(caption, buttons)) return inner_.ShowMessage(text, caption, icon, buttons);
    CreateImageErrorDialog dialog(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), window_);
    dialog.exec();
    return dialog.Continued() ? MessageAnswer::kYes : MessageAnswer::kNo;
  }
  void ShowOperationLog(std::string_view text) override { inner_.ShowOperationLog(text); }
  ReplaceAnswer ConfirmFileReplace(std::string_view path) override {
    return inner_.ConfirmFileReplace(path);
  }
  BrokenNameAnswer AskBrokenFileName(std::string_view name) override {
    return inner_.AskBrokenFileName(name);
  }
  MountPointAnswer AskMountPoint(std::string_view text) override {
    return inner_.AskMountPoint(text);
  }

 private:
  // The command asks it on the window's thread; the worker's own questions pass through.
  bool IsFreeSpaceWarning(std::string_view caption, MessageButtons buttons) const {
    return caption == CreateImageErrorDialog::kTitle && buttons == MessageButtons::kYesNo &&
           dynamic_cast<QtPrompter*>(&inner_) != nullptr && window_ != nullptr &&
           QThread::currentThread() == window_->thread();
  }

  Prompter& inner_;
  QWidget* window_;
};

// The worker's status line is the frame's kept text.
class KeptStatusText final : public StatusTextSink {
 public:
  explicit KeptStatusText(MainFrameController& controller) : controller_(controller) {}
  void ShowStatusText(const std::string& text) override {
    if (text.empty())
      controller_.ClearStatusText();
    else
      controller_.SetStatusText("%s", text.c_str());
  }

 private:
  MainFrameController& controller_;
};

class WritingImageWindow final : public ImageProgressWindow {
 public:
  explicit WritingImageWindow(QWidget* parent) : parent_(parent) {}
  void Show(const ImageWriterJob& job) override {
    WritingImageDialog dialog([&job] { return job.Position(); }, parent_);
    dialog.SetRange(job.Range());
    dialog.exec();
  }

 private:
  QWidget* parent_;
};

}  // namespace

FrameDiskCommands::FrameDiskCommands(FrameDiskParts parts, QWidget* window)
    : QObject(window), parts_(std::move(parts)), window_(window) {}

FrameDiskCommands::~FrameDiskCommands() = default;

void FrameDiskCommands::OpenDiskImage() {
  if (!parts_.controller.IsEnabled(command::kOpenDiskImage)) return;
  QFileDialog dialog(window_, QString::fromUtf8(kOpenImageCaption), QString(),
                     QString::fromUtf8(kOpenImageFilter));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  OpenImage(dialog.selectedFiles().front());
}

bool FrameDiskCommands::OpenImage(const QString& path) {
  if (!parts_.controller.IsEnabled(command::kOpenDiskImage)) return false;
  if (!QFileInfo(path).isFile()) return false;
  bool selected = false;
  const bool added = parts_.devices.AddImageFile(path.toStdString(), &selected);
  parts_.updateActions();
  if (!added) return false;
  // Only the new entry is analysed: a whole-disk image without partitions has none to select,
  // and the entry chosen before stays as it was.
  if (selected) parts_.postCommand(command::kAnalyze);
  return true;
}

void FrameDiskCommands::SaveDiskImage() {
  if (!parts_.controller.IsEnabled(command::kSaveDiskImage)) return;
  if (!CanWriteDiskImage(parts_.selectedDevice())) return;
  QFileDialog dialog(window_, QString::fromUtf8(kSaveImageCaption), QString(),
                     QString::fromUtf8(kSaveImageFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QString::fromUtf8(kImageSuffix).mid(1));
  // An existing file is replaced without asking.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  SaveImageTo(dialog.selectedFiles().front().toStdString());
}

ImageOutcome FrameDiskCommands::SaveImageTo(const std::string& path) {
  DeviceNode* node = parts_.selectedDevice();
  if (!parts_.controller.IsEnabled(command::kSaveDiskImage) || !CanWriteDiskImage(node))
    return ImageOutcome::kNotImaged;
  ImagePrompter prompter(parts_.prompter, window_);
  KeptStatusText status(parts_.controller);
  WritingImageWindow window(window_);
  ImageCommandPorts ports;
  ports.prompter = &prompter;
  ports.statusText = &status;
  ports.window = &window;
  ports.target = target_;
  ports.batchBytes = batchBytes_;

  parts_.controller.SetImageThreadRunning(true);
  parts_.updateActions();
  // The frame shows the wait cursor while the image is written; its windows keep their own.
  window_->setCursor(Qt::WaitCursor);
  const ImageOutcome outcome =
      WriteDiskImage(node, path, ports, parts_.wait, &lastBytesWritten_);
  window_->unsetCursor();
  parts_.controller.SetImageThreadRunning(false);
  parts_.updateActions();
  return outcome;
}

void FrameDiskCommands::UseTarget(ImageTarget* target, size_t batchBytes) {
  target_ = target;
  batchBytes_ = batchBytes;
}

}  // namespace orvande::gui
