#pragma once
// The "Save disk image" command without its windows: the free-space warning, the file, the
// worker, the partial-image question and the tidying up, for any front end. The front end asks
// for the target path first and shows the progress window the command hands the job to.
// Called from the user-interface thread only.
#include <cstdint>
#include <string>

namespace orvande {

class DeviceNode;
class ImageTarget;
class ImageWriterJob;
class Prompter;
class StatusTextSink;
class UiWait;

// The "Writing Image..." window. Show returns when it has closed: the user stopped it, or the
// job's position reached kImagePositionDone. It only reads the job's position and range.
class ImageProgressWindow {
 public:
  virtual ~ImageProgressWindow() = default;
  virtual void Show(const ImageWriterJob& job) = 0;
};

struct ImageCommandPorts {
  Prompter* prompter = nullptr;  // null: the default one
  StatusTextSink* statusText = nullptr;
  ImageProgressWindow* window = nullptr;  // null: nothing shown, the worker is just waited for
  ImageTarget* target = nullptr;          // null: the real file system
  size_t batchBytes = 0;                  // 0: the job's own
};

enum class ImageOutcome {
  kNotImaged,     // not a volume, no file system, or the user aborted before the file existed
  kNotCreated,    // the file could not be created
  kComplete,      // every sector is in the file
  kPartialKept,   // stopped early; the user kept what was written
  kDeleted,       // stopped early or failed; the file is gone
};

// The node kinds an image can be made of: logical drive, image file, found partition.
bool CanWriteDiskImage(const DeviceNode* node);

// Runs the command for the node into the file at path. bytesWritten (optional) gets the count.
ImageOutcome WriteDiskImage(DeviceNode* node, const std::string& path,
                            const ImageCommandPorts& ports, UiWait& wait,
                            uint64_t* bytesWritten = nullptr);

}  // namespace orvande
