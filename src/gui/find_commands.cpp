#include "gui/find_commands.h"

#include <QItemSelectionModel>
#include <QWidget>

#include "app/app_settings.h"
#include "app/list_row_search.h"
#include "app/volume_analysis.h"
#include "gui/file_list_model.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_view.h"
#include "gui/find_dialog.h"
#include "gui/find_searching_dialog.h"
#include "gui/ui_thread_call.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande::gui {
namespace {

// The list's image of a deleted file.
constexpr uint32_t kDeletedFileImage = 2;

}  // namespace

FrameFind::FrameFind(FrameFindParts parts, QWidget* window)
    : QObject(window), parts_(std::move(parts)), window_(window) {
  asker_ = [this](const FindSettings& shown) { return AskFindValues(shown, window_); };
  connect(&parts_.list.Model(), &QAbstractItemModel::modelReset, this,
          &FrameFind::SelectPendingFile);
}

FrameFind::~FrameFind() {
  state_.cancel.store(true);
  while (!worker_.WaitUntilDone(parts_.wait)) {
  }
}

FindSettings FrameFind::StoredSettings() const {
  const AppSettings& settings = parts_.settings;
  return {settings.LastSearchString(), settings.SearchDeletedOnly(),
          settings.SearchMatchFullName(), settings.SearchMatchCase()};
}

void FrameFind::StoreSettings(const FindSettings& values) {
  AppSettings& settings = parts_.settings;
  settings.SetLastSearchString(values.lastSearchString);
  settings.SetSearchDeletedOnly(values.searchDeletedOnly);
  settings.SetSearchMatchFullName(values.searchMatchFullName);
  settings.SetSearchMatchCase(values.searchMatchCase);
}

void FrameFind::Find() {
  if (!BeginFind(state_)) return;
  parts_.updateActions();
  const std::optional<FindSettings> chosen =
      PrepareFind(state_, asker_(StoredSettings()), parts_.analysis.Shown().load());
  if (!chosen) {
    parts_.updateActions();
    return;
  }
  StoreSettings(*chosen);
  RunSearch();
}

void FrameFind::FindNext() {
  if (!PrepareFindNext(state_, parts_.analysis.Shown().load())) return;
  RunSearch();
}

void FrameFind::RunSearch() {
  VolumeAnalysis& analysis = parts_.analysis;
  FindSearchingDialog dialog(window_);
  const FileSearchContext context{analysis.Tree(), analysis.Store(), analysis.StoreLock(),
                                  &analysis.Shown(), this, &dialog};
  if (!worker_.Launch([this, context] { RunFileSearch(state_, context); })) {
    state_.busy.store(false);
    parts_.updateActions();
    return;
  }
  parts_.updateActions();
  const bool ended = dialog.Run();
  state_.cancel.store(true);
  while (!worker_.WaitUntilDone(parts_.wait)) {
  }
  ShowOutcome(FinishFind(state_, analysis.Shown().load(), !ended));
  parts_.updateActions();
  emit SearchFinished();
}

void FrameFind::ShowOutcome(const FindOutcome& outcome) {
  switch (outcome.action) {
    case FindAction::kNothing:
    case FindAction::kRowSelected:
      break;
    case FindAction::kNotFound:
      parts_.prompter.ShowMessage(outcome.message, strings::kProgramTitle,
                                  MessageIcon::kExclamation, MessageButtons::kOk);
      break;
    case FindAction::kSelectFolder:
      parts_.tree.SelectNode(outcome.folder);
      break;
    case FindAction::kSelectFileInFolder:
      pendingFolder_ = outcome.folder;
      pendingName_ = QString::fromStdString(state_.foundFileName);
      if (outcome.selectFolderNode)
        parts_.tree.SelectNode(outcome.folder);
      else
        SelectPendingFile();
      break;
  }
}

bool FrameFind::FindRowByName(const NameQuery& query) {
  bool selected = false;
  CallOnObjectThread(&parts_.list, [&] { selected = SelectListRow(query); });
  return selected;
}

bool FrameFind::SelectListRow(const NameQuery& query) {
  FileListModel& model = parts_.list.Model();
  QItemSelectionModel& selection = *parts_.list.selectionModel();
  std::optional<size_t> first;
  for (const QModelIndex& index : selection.selectedRows())
    if (!first || static_cast<size_t>(index.row()) < *first)
      first = static_cast<size_t>(index.row());
  std::string name;
  const std::optional<size_t> found = FindListRow(
      static_cast<size_t>(model.rowCount()), first,
      [&model, &name](size_t row) {
        const FileListRow* shown = model.RowAt(static_cast<int>(row));
        if (shown == nullptr) return ListRowName{{}, true, false};
        name = shown->name.toStdString();
        return ListRowName{name, shown->IsFolder(), shown->image == kDeletedFileImage};
      },
      query);
  if (!found) return false;
  const QModelIndex index = model.index(static_cast<int>(*found), 0);
  selection.setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  parts_.list.scrollTo(index);
  return true;
}

void FrameFind::SelectPendingFile() {
  FileListModel& model = parts_.list.Model();
  if (pendingFolder_ == kNoNode || model.ShownNode() != pendingFolder_) return;
  pendingFolder_ = kNoNode;
  for (int row = 0; row < model.rowCount(); ++row) {
    const FileListRow* shown = model.RowAt(row);
    if (shown == nullptr || shown->IsFolder() || shown->name != pendingName_) continue;
    const QModelIndex index = model.index(row, 0);
    parts_.list.selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    parts_.list.scrollTo(index);
    return;
  }
}

}  // namespace orvande::gui
