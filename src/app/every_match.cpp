#include "app/every_match.h"

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <utility>

#include "app/file_search.h"
#include "app/list_row_search.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"

namespace orvande {
namespace {

// A file list that shows the files of one folder in the folder's order, with one selected row.
class FolderFilesList final : public FileListRowFinder {
 public:
  FolderFilesList(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock)
      : tree_(tree), store_(store), storeLock_(storeLock) {}

  void Show(TreeNode folderNode) {
    folderNode_ = folderNode;
    selected_.reset();
  }

  bool FindRowByName(const NameQuery& query) override {
    FolderRef folder = store_.FindRef(tree_.Data(folderNode_));
    if (!folder) return false;
    ReadLockGuard hold(storeLock_);
    const std::vector<FileRecord>& files = folder->Files();
    const std::optional<size_t> row = FindListRow(
        files.size(), selected_,
        [&files](size_t at) {
          return ListRowName{files[at].Name(), false, files[at].deleted != 0};
        },
        query);
    if (!row) return false;
    selected_ = row;
    selectedId_ = files[*row].id;
    selectedName_ = std::string(files[*row].Name());
    return true;
  }

  std::optional<size_t> SelectedRow() const { return selected_; }
  uint32_t SelectedId() const { return selectedId_; }
  const std::string& SelectedName() const { return selectedName_; }

 private:
  const FolderTree& tree_;
  const ItemStore& store_;
  ReadWriteLock& storeLock_;
  TreeNode folderNode_ = kNoNode;
  std::optional<size_t> selected_;
  uint32_t selectedId_ = 0;
  std::string selectedName_;
};

std::unordered_map<TreeNode, size_t> PreOrderPositions(const FolderTree& tree) {
  std::unordered_map<TreeNode, size_t> positions;
  std::vector<TreeNode> pending;
  const std::vector<TreeNode> top = tree.Children(kNoNode);
  pending.assign(top.rbegin(), top.rend());
  while (!pending.empty()) {
    const TreeNode node = pending.back();
    pending.pop_back();
    positions.emplace(node, positions.size());
    const std::vector<TreeNode> children = tree.Children(node);
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return positions;
}

// Where a hit lies in tree order: its folder's pre-order position, then -1 for the folder itself
// or the file's row.
using HitOrder = std::pair<size_t, std::ptrdiff_t>;

}  // namespace

std::vector<MatchedItem> FindEveryMatch(const FolderTree& tree, const ItemStore& store,
                                        ReadWriteLock& storeLock, const NameQuery& query) {
  std::vector<MatchedItem> matches;
  const std::unordered_map<TreeNode, size_t> positions = PreOrderPositions(tree);
  ShownNode shown{tree.FirstChild(kNoNode)};
  FolderFilesList list(tree, store, storeLock);
  list.Show(shown.load());
  const FileSearchContext context{tree, store, storeLock, &shown, &list, nullptr};

  FindState state;
  BeginFind(state);
  StartSearchAt(state, query, shown.load(), /*skipStartName=*/false);
  std::optional<HitOrder> last;
  for (;;) {
    RunFileSearch(state, context);
    const FindOutcome outcome = FinishFind(state, shown.load(), /*cancelledFromDialog=*/false);
    if (outcome.action != FindAction::kSelectFolder &&
        outcome.action != FindAction::kSelectFileInFolder &&
        outcome.action != FindAction::kRowSelected)
      break;
    if (outcome.action != FindAction::kRowSelected) {
      shown.store(outcome.folder);
      list.Show(outcome.folder);
    }
    // A file found in a folder the list did not show: the list selects it once it shows it.
    if (outcome.action == FindAction::kSelectFileInFolder && !list.FindRowByName(query)) break;

    MatchedItem item{outcome.folder, false, 0, {}};
    HitOrder order{positions.count(outcome.folder) ? positions.at(outcome.folder) : 0, -1};
    if (outcome.action != FindAction::kSelectFolder) {
      item.file = true;
      item.fileId = list.SelectedId();
      item.fileName = list.SelectedName();
      order.second = static_cast<std::ptrdiff_t>(*list.SelectedRow());
    }
    // Back at or before an earlier hit: the search has come round.
    if (last && order <= *last) break;
    last = order;
    matches.push_back(std::move(item));
    if (!PrepareFindNext(state, shown.load())) break;
  }
  return matches;
}

}  // namespace orvande
