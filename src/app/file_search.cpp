#include "app/file_search.h"

#include <utility>

#include "app/name_match.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/ports.h"
#include "core/read_write_lock.h"
#include "support/format.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr uint32_t kImageOrdinaryDeleted = 2;

bool IsDeletedFolderImage(uint32_t image) {
  return image == kImageOrdinaryDeleted || image == kImageDeletedFolder;
}

bool Matches(std::string_view name, const NameQuery& query) {
  return NameMatches(name, query.text, query.wholeName, query.matchCase);
}

// First child, else next sibling, else the next sibling of the nearest ancestor that has one,
// else the first node of the tree.
TreeNode NextInPreOrder(const FolderTree& tree, TreeNode node) {
  if (TreeNode child = tree.FirstChild(node); child != kNoNode) return child;
  for (TreeNode at = node; at != kNoNode; at = tree.Parent(at)) {
    if (TreeNode sibling = tree.NextSibling(at); sibling != kNoNode) return sibling;
  }
  return tree.FirstChild(kNoNode);
}

bool FolderNameMatches(const FindState& state, const FolderTree& tree, TreeNode node) {
  const std::optional<TreeNodeInfo> info = tree.Info(node);
  if (!info) return false;
  if (state.query.deletedOnly && !IsDeletedFolderImage(info->image)) return false;
  return Matches(info->text, state.query);
}

// The files of the node's folder in their order; folders are not file records, so every record
// is a file.
bool FindInFolderFiles(FindState& state, const FileSearchContext& context, TreeNode node) {
  FolderRef folder = context.store.FindRef(context.tree.Data(node));
  if (!folder) return false;
  ReadLockGuard hold(context.storeLock);
  for (const FileRecord& record : folder->Files()) {
    if (state.query.deletedOnly && record.deleted == 0) continue;
    if (!Matches(record.Name(), state.query)) continue;
    state.foundInList = true;
    state.foundFileId = record.id;
    state.foundFileName = std::string(record.Name());
    return true;
  }
  return false;
}

bool SearchNode(FindState& state, const FileSearchContext& context, TreeNode node, bool skipName) {
  if (!skipName && FolderNameMatches(state, context.tree, node)) return true;
  if (context.shown != nullptr && context.shown->load() == node) {
    if (context.fileList == nullptr || !context.fileList->FindRowByName(state.query)) return false;
    state.foundInShownList = true;
    return true;
  }
  return FindInFolderFiles(state, context, node);
}

void ClearResult(FindState& state) {
  state.found = false;
  state.foundInList = false;
  state.foundInShownList = false;
  state.foundFileId = 0;
  state.foundFileName.clear();
}

}  // namespace

void RunFileSearch(FindState& state, const FileSearchContext& context) {
  ClearResult(state);
  const FolderTree& tree = context.tree;
  const TreeNode start = tree.IsValid(state.startNode) ? state.startNode : tree.FirstChild(kNoNode);
  bool skipName = state.skipStartName;
  // The start node going away (the tree emptied meanwhile) ends the walk too.
  for (TreeNode node = start; node != kNoNode && tree.IsValid(start);) {
    if (state.cancel.load()) break;
    if (SearchNode(state, context, node, skipName)) {
      state.found = true;
      state.startNode = node;
      break;
    }
    skipName = false;
    node = NextInPreOrder(tree, node);
    if (node == start) break;
  }
  if (!state.cancel.load() && context.searchDialog != nullptr)
    context.searchDialog->Send(kMsgWorkerMessage, 0, 0);
}

void StartSearchAt(FindState& state, NameQuery query, TreeNode start, bool skipStartName) {
  state.query = std::move(query);
  state.startNode = start;
  state.skipStartName = skipStartName;
  state.cancel.store(false);
  ClearResult(state);
}

bool BeginFind(FindState& state) {
  bool idle = false;
  return state.busy.compare_exchange_strong(idle, true);
}

std::optional<FindSettings> PrepareFind(FindState& state, const std::optional<FindSettings>& answer,
                                        TreeNode shown) {
  if (!answer || answer->lastSearchString.empty()) {
    state.busy.store(false);
    return std::nullopt;
  }
  // The dialog keeps the whole-name and case choices but does not show them: Find leaves both off.
  NameQuery query{answer->lastSearchString, false, false, answer->searchDeletedOnly};
  StartSearchAt(state, std::move(query), shown, /*skipStartName=*/false);
  return answer;
}

bool PrepareFindNext(FindState& state, TreeNode shown) {
  if (state.query.text.empty()) return false;
  if (!BeginFind(state)) return false;
  const bool resume = shown != kNoNode && shown == state.startNode;
  StartSearchAt(state, state.query, shown, /*skipStartName=*/resume);
  return true;
}

FindOutcome FinishFind(FindState& state, TreeNode shown, bool cancelledFromDialog) {
  FindOutcome outcome;
  if (cancelledFromDialog) {
    outcome.action = FindAction::kNothing;
  } else if (!state.found) {
    outcome.action = FindAction::kNotFound;
    outcome.message = Format(strings::kCannotFindFileFormat, state.query.text.c_str());
  } else if (state.foundInShownList) {
    outcome.action = FindAction::kRowSelected;
    outcome.folder = state.startNode;
  } else if (state.foundInList) {
    outcome.action = FindAction::kSelectFileInFolder;
    outcome.folder = state.startNode;
    outcome.selectFolderNode = state.startNode != shown;
  } else {
    outcome.action = FindAction::kSelectFolder;
    outcome.folder = state.startNode;
  }
  state.busy.store(false);
  return outcome;
}

}  // namespace orvande
