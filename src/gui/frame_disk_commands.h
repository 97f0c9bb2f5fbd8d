#pragma once
// FrameDiskCommands: Open disk image (32793) and Save disk image (32794) of the main frame.
// Open lists the chosen file in the device drop-down (a whole-disk image as a disk with its
// partitions) and analyses its entry at once. Save copies the selected volume into an image file
// through the image writer, with the "Writing Image..." window up while the worker runs.
// User-interface thread only.
#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>

#include "app/write_disk_image.h"

class QWidget;

namespace orvande {
class DeviceNode;
class MainFrameController;
class Prompter;
class UiWait;
}  // namespace orvande

namespace orvande::gui {

class DeviceDropDown;

// What the commands use of the frame; everything outlives the FrameDiskCommands.
struct FrameDiskParts {
  DeviceDropDown& devices;
  MainFrameController& controller;
  Prompter& prompter;
  UiWait& wait;
  std::function<DeviceNode*()> selectedDevice;
  std::function<void(uint32_t commandId)> postCommand;  // runs the command once events are handled
  std::function<void()> updateActions;
};

class FrameDiskCommands final : public QObject {
  Q_OBJECT

 public:
  static constexpr char kOpenImageCaption[] = "Open Image file";
  static constexpr char kSaveImageCaption[] = "Save Image to";

  FrameDiskCommands(FrameDiskParts parts, QWidget* window);
  ~FrameDiskCommands() override;

  // Asks for the file, then OpenImage.
  void OpenDiskImage();
  // Lists the file and, when its entry is the selected one, posts Analyze; false when the file
  // was not listed (or a worker runs).
  bool OpenImage(const QString& path);

  // Asks for the target, then SaveImageTo.
  void SaveDiskImage();
  // Writes the selected volume into path.
  ImageOutcome SaveImageTo(const std::string& path);
  // Where images go (null: the real file system) and how many bytes one step carries (0: the
  // writer's own). Tests slow the copy down this way.
  void UseTarget(ImageTarget* target, size_t batchBytes);
  // The bytes the last image got.
  uint64_t LastBytesWritten() const { return lastBytesWritten_; }

 private:
  FrameDiskParts parts_;
  QWidget* window_;
  ImageTarget* target_ = nullptr;
  size_t batchBytes_ = 0;
  uint64_t lastBytesWritten_ = 0;
};

}  // namespace orvande::gui
