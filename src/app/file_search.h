#pragma once
// Find and Find next: the search for a folder or file by name over the files tree (not the file
// system), and the command steps around it that a front end runs. The front end owns the dialogs
// and the settings; this owns what is searched and what the front end must do afterwards.
//
// Threads: the search worker runs RunFileSearch on its own thread while the user-interface thread
// keeps the Find dialog up; the user-interface thread may set `cancel` meanwhile and reads the
// results once the worker has ended. The command functions belong to the user-interface thread.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "core/folder_tree.h"

namespace orvande {

class ItemStore;
class NotifySink;
class ReadWriteLock;

// What is searched for and how names compare (see NameMatches).
struct NameQuery {
  std::string text;
  bool wholeName = false;
  bool matchCase = false;
  bool deletedOnly = false;  // deleted folders and deleted files only
};

// The four values the Find dialog is loaded with and, once it is answered, stores.
struct FindSettings {
  std::string lastSearchString;
  bool searchDeletedOnly = false;
  bool searchMatchFullName = false;
  bool searchMatchCase = false;
};

struct FindState {
  NameQuery query;
  bool skipStartName = false;    // the start node's own name is not tested
  TreeNode startNode = kNoNode;  // where the search starts and, after a hit, where it stopped
  bool found = false;
  bool foundInList = false;  // the hit is a file of startNode's folder, not the folder itself
  // The hit is a row the file list found and selected itself (startNode was the shown folder).
  bool foundInShownList = false;
  uint32_t foundFileId = 0;   // with foundInList
  std::string foundFileName;  // with foundInList
  std::atomic<bool> cancel{false};
  std::atomic<bool> busy{false};
};

// The file list's part of a search in the folder it shows: select the next row after the
// selected one (or the first) whose name matches; true when one was selected. Called on the
// search worker's thread.
class FileListRowFinder {
 public:
  virtual ~FileListRowFinder() = default;
  virtual bool FindRowByName(const NameQuery& query) = 0;
};

struct FileSearchContext {
  const FolderTree& tree;
  const ItemStore& store;
  ReadWriteLock& storeLock;     // file lists are read under its read side
  const ShownNode* shown;       // the folder the file list shows; may be null
  FileListRowFinder* fileList;  // asked about the shown folder; may be null
  NotifySink* searchDialog;  // told kMsgWorkerMessage when a search ends uncancelled; may be null
};

// The search worker: pre-order over the files tree from state.startNode (the first node when that
// is not valid) with wrap-around, until it is back there, the cancel flag is set or a name
// matches. A hit leaves state.startNode at the node where it stopped.
void RunFileSearch(FindState& state, const FileSearchContext& context);

// Prepares a search that starts at `start`; every earlier result is cleared.
void StartSearchAt(FindState& state, NameQuery query, TreeNode start, bool skipStartName);

// Find, first step: false while a search is busy (then nothing happens); otherwise the state is
// busy and the front end shows the Find dialog.
bool BeginFind(FindState& state);
// Find, after the dialog: `answer` is null when it was cancelled. With an answer holding a text,
// the search is prepared at the shown folder, its own name tested first, with whole name and case
// off and deleted-only as chosen, and the four values to store are returned: the front end stores
// them and starts the worker. Otherwise the state is no longer busy and nothing is returned.
std::optional<FindSettings> PrepareFind(FindState& state, const std::optional<FindSettings>& answer,
                                        TreeNode shown);
// Find next: false (nothing happens) while a search is busy or no text was searched yet.
// Otherwise the state is busy and the search prepared, with the last query: where the last search
// stopped, its name not tested again, when that is still the shown folder; else at the shown
// folder. The front end then starts the worker.
bool PrepareFindNext(FindState& state, TreeNode shown);

enum class FindAction {
  kNothing,             // cancelled from the dialog
  kSelectFileInFolder,  // have the file list select the file by name once it shows `folder`
  kSelectFolder,        // select `folder` in the files tree
  kRowSelected,         // the file list has already selected the row
  kNotFound,            // show `message`
};

struct FindOutcome {
  FindAction action = FindAction::kNothing;
  TreeNode folder = kNoNode;
  // With kSelectFileInFolder: the folder is not the shown one, so its node is selected too.
  bool selectFolderNode = false;
  std::string message;
};

// After the worker has ended and the dialog has closed: what the front end does now. The state
// is no longer busy.
FindOutcome FinishFind(FindState& state, TreeNode shown, bool cancelledFromDialog);

}  // namespace orvande
