#include "core/folder_path.h"

#include <vector>

#include "core/file_name_policy.h"
#include "core/safe_names.h"
#include "platform/error_numbers.h"
#include "platform/file_system.h"
#include "support/operation_log.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

struct Component {
  size_t start;
  size_t end;  // one past the last byte, before the '/' that follows
};

std::vector<Component> SplitComponents(const std::string& path) {
  std::vector<Component> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = path.find('/', start);
    size_t end = slash == std::string::npos ? path.size() : slash;
    if (end > start) parts.push_back({start, end});
    start = end + 1;
  }
  return parts;
}

void ReportFailure(const std::string& folder, uint32_t error, OperationLog* log,
                   Prompter& prompter) {
  if (log != nullptr) {
    log->AddIdLine(OperationLog::kError, strings::kIdCantCreateFolder, folder.c_str());
    log->AddPlatformError(error);
    return;
  }
  prompter.ShowMessage(platform::SystemErrorText(error), strings::kErrorCaption,
                       MessageIcon::kError, MessageButtons::kOk);
}

enum class FixOutcome { kDone, kSkip, kSkipAll };

// Fixes the '?' of every component below the kept prefix; rebuilds the path when one changed.
FixOutcome FixUnknownCharacters(std::string& path, size_t capacity, std::string* replacement,
                                size_t keptPrefix, Prompter& prompter) {
  std::vector<Component> parts = SplitComponents(path);
  std::string rebuilt;
  size_t copied = 0;
  bool changed = false;
  for (const Component& part : parts) {
    if (part.end <= keptPrefix) continue;
    std::string name = path.substr(part.start, part.end - part.start);
    if (!HasUnknownFirstCharacter(name)) continue;
    std::string unused;
    std::string& symbol = replacement != nullptr ? *replacement : unused;
    switch (FixBrokenName(prompter, name, symbol)) {
      case NameFix::kSkip:
        return FixOutcome::kSkip;
      case NameFix::kSkipAll:
        return FixOutcome::kSkipAll;
      case NameFix::kUse:
        break;
    }
    // A typed name must not lead out of the folder either.
    name = MakeSafeName(name).name;
    rebuilt.append(path, copied, part.start - copied).append(name);
    copied = part.end;
    changed = true;
  }
  if (changed) {
    rebuilt.append(path, copied, std::string::npos);
    path = std::move(rebuilt);
  }
  if (capacity > 0 && path.size() > capacity - 1) path.resize(capacity - 1);
  return FixOutcome::kDone;
}

}  // namespace

bool CreateFolderPath(std::string& path, size_t capacity, bool report, bool* skipped, bool* stopped,
                      std::string* replacement, OperationLog* log, Prompter& prompter,
                      size_t keptPrefix) {
  if (skipped != nullptr) *skipped = false;
  bool existed = platform::PathExists(path);
  if (!existed) {
    switch (FixUnknownCharacters(path, capacity, replacement, keptPrefix, prompter)) {
      case FixOutcome::kSkip:
        if (skipped != nullptr) *skipped = true;
        return true;
      case FixOutcome::kSkipAll:
        if (stopped != nullptr) *stopped = true;
        return true;
      case FixOutcome::kDone:
        break;
    }
  }

  std::string firstCreated;
  uint32_t error = 0;
  std::string failedFolder;
  for (const Component& part : SplitComponents(path)) {
    std::string folder = path.substr(0, part.end);
    if (platform::PathExists(folder)) {
      if (part.end > keptPrefix && platform::IsSymbolicLink(folder)) {
        error = platform::kErrCantResolveFilename;
        failedFolder = folder;
        break;
      }
      continue;
    }
    if (folder.size() >= kMaxPathBytes) {
      error = platform::kErrFilenameTooLong;
      failedFolder = folder;
      break;
    }
    error = platform::MakeDirectory(folder);
    if (error != 0) {
      // Another writer may have made it in the meantime; that is as good.
      if (platform::IsDirectory(folder) && !platform::IsSymbolicLink(folder)) {
        error = 0;
        continue;
      }
      failedFolder = folder;
      break;
    }
    if (firstCreated.empty()) firstCreated = folder;
  }
  if (error == 0) return true;

  if (report) ReportFailure(failedFolder, error, log, prompter);
  if (!firstCreated.empty()) platform::RemoveTree(firstCreated);
  return false;
}

}  // namespace orvande
