#pragma once
// Before a volume is analysed: warns when another listed device is mounted inside its mount (the
// files there belong to that device, not to this one), and when it is mounted read-write. Call
// from one thread at a time; the prompter may be asked.
#include <string>
#include <vector>

#include "platform/mount_table.h"

namespace orvande {

class AppSettings;
class OperationLog;
class Prompter;

inline constexpr char kMountPointCaption[] = "Mount Point";
inline constexpr char kMountPointText[] =
    "Orvande has detected that \"%s\" folder is mounted to drive %s, which differs from the one "
    "being analyzed. If you want to recover files from this folder, click on \"Stop analyzing\", "
    "select drive %s and restart \"Analyze\".";
inline constexpr char kContinueAnalyzingButton[] = "&Continue analyzing";
inline constexpr char kStopAnalyzingButton[] = "&Stop analyzing";
inline constexpr char kDontShowAgainCheckBox[] = "&Don't show this message again";
inline constexpr char kMountedReadWriteWarning[] =
    "%s is mounted read-write at \"%s\": its contents may change while it is analyzed.";

// The mount that holds `path` most closely, excluding a mount at `path` itself; null for none.
const platform::MountEntry* EnclosingMount(const std::string& path,
                                           const std::vector<platform::MountEntry>& mounts);

// Asks once per device in `listedDevices` mounted directly inside a mount of `devicePath`.
// True to go on with the analysis (also when the prompt is switched off or nothing is mounted
// there); false when the user chose to stop. A ticked check box switches the prompt off and
// stores the setting at once.
bool CheckMountPoints(const std::string& devicePath, const std::vector<std::string>& listedDevices,
                      const std::vector<platform::MountEntry>& mounts, AppSettings& settings,
                      Prompter& prompter);

// Adds kMountedReadWriteWarning to the log for each read-write mount of `devicePath`; true when
// there was one.
bool WarnIfMountedReadWrite(const std::string& devicePath,
                            const std::vector<platform::MountEntry>& mounts, OperationLog& log);

}  // namespace orvande
