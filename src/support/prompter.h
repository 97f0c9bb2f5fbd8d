#pragma once
// The port through which the engine asks the user something or shows a message box. The GUI
// implements it with dialogs, the CLI with a terminal or its options, tests with scripted doubles.
// Implementations must be callable from worker threads (the call blocks until answered).
#include <string>
#include <string_view>

namespace orvande {

enum class MessageIcon { kError, kExclamation, kQuestion, kInformation };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo, kCancel };

// The buttons of the "Confirm file replace" dialog of a recovery.
enum class ReplaceAnswer { kReplace, kReplaceAll, kSkip, kSkipAll, kAutoRenameAll };

// What the "Broken File Name" dialog of a recovery answered. With kRename, newName is the name to
// use; with changeAll ticked, symbol replaces the unknown character in this and every later name.
struct BrokenNameAnswer {
  enum Action { kRename, kSkip, kSkipAll };
  Action action = kSkip;
  std::string newName;
  bool changeAll = false;
  std::string symbol;  // one UTF-8 character; empty when none was given
};

// What the "Mount Point" window answered: stop the analysis or go on, and whether its check box
// asks never to show it again.
struct MountPointAnswer {
  bool stop = false;
  bool dontShowAgain = false;
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // A modal message box.
  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view caption,
                                    MessageIcon icon, MessageButtons buttons) = 0;
  // The "Operation Log" dialog with the joined log text.
  virtual void ShowOperationLog(std::string_view text) = 0;

  // "Confirm file replace": the destination file at path exists. Without a way to ask, skip.
  virtual ReplaceAnswer ConfirmFileReplace(std::string_view /*path*/) {
    return ReplaceAnswer::kSkip;
  }
  // "Broken File Name": the name holds a character that could not be read ('?'). Without a way
  // to ask, skip the file.
  virtual BrokenNameAnswer AskBrokenFileName(std::string_view /*name*/) { return {}; }
  // "Mount Point": another device is mounted inside the volume about to be analysed. Without a
  // way to ask, go on and leave the setting as it is.
  virtual MountPointAnswer AskMountPoint(std::string_view /*text*/) { return {}; }
  // The user was refused access to the block device at devicePath: offers to authorise read
  // access to it. True when access was granted, so that the open is worth trying again.
  // Without a way to ask, false.
  virtual bool OfferDeviceAccess(std::string_view /*devicePath*/) { return false; }
};

// The prompter itself, or for null one that can ask nobody: its messages go to standard error
// and every question is answered "no" or skip. That one keeps no state and is safe from any
// thread; each job passes its own prompter, there is no process-wide one to set.
Prompter& PrompterOrDefault(Prompter* prompter);

}  // namespace orvande
