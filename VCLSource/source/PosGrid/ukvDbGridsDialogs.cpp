// TkwCustomDBGrid: how the grid offers its filter and column dialogs. A right click or the
// context-menu key opens the grid's menu of its dialogs (locate, filter, columns); the lists
// of the filter and column dialogs follow the columns (the deferred update) and are filled
// again right before they are shown; what the user accepts is applied: the filter
// conditions to the grid filter, the column marks to the columns' Visible.
#include <utility>
#include <vector>

#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsColumnLists.h"
#include "VCLSource/source/PosGrid/ukvDbGridsController.h"
#include "rtl/Classes.h"
#include "ui/WinApi.h"

namespace {

// The menu's texts: the captions of the dialogs they open.
constexpr const char* kLocateItem = "定位\tF3";
constexpr const char* kFilterItem = "筛选";
constexpr const char* kColumnsItem = "列调整";

class TMenuHandle {
 public:
  TMenuHandle() : FMenu(::CreatePopupMenu()) {}
  ~TMenuHandle() {
    if (FMenu) ::DestroyMenu(FMenu);
  }
  TMenuHandle(const TMenuHandle&) = delete;
  TMenuHandle& operator=(const TMenuHandle&) = delete;
  HMENU Get() const { return FMenu; }
  void Add(int id, const char* text) {
    ::AppendMenuW(FMenu, MF_STRING, static_cast<UINT_PTR>(id), ui_win::Wide(text).c_str());
  }

 private:
  HMENU FMenu;
};

}  // namespace

void TkwCustomDBGrid::WMContextMenu(TMessage& m) {
  POINT screen{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  const bool byKey = m.LParam == -1;
  if (byKey) {
    // From the keyboard: under the current cell.
    const TRect r = CellRect(Col(), Row());
    const TPoint p = ClientToScreen(TPoint{r.Left, r.Bottom});
    screen = {p.X, p.Y};
  }
  if (OnContextPopup) {
    POINT client = screen;
    ::ScreenToClient(Handle(), &client);
    bool handled = false;
    OnContextPopup(this, {client.x, client.y}, handled);
    if (handled) {
      m.Result = 1;
      return;
    }
  }
  m.Result = 1;
  RunDialogCommand(TrackDialogMenu(screen));
}

int TkwCustomDBGrid::TrackDialogMenu(POINT screen) {
  TMenuHandle menu;
  if (!menu.Get()) return 0;
  menu.Add(dcLocate, kLocateItem);
  if (!HasGridOption(FOptions, dgDisFilter)) menu.Add(dcFilter, kFilterItem);
  menu.Add(dcCustomColumns, kColumnsItem);
  return static_cast<int>(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                                           screen.x, screen.y, 0, Handle(), nullptr));
}

void TkwCustomDBGrid::RunDialogCommand(int command) {
  switch (command) {
    case dcLocate: LocateFromDialog(); break;
    case dcFilter:
      if (!HasGridOption(FOptions, dgDisFilter)) ShowFilterDialog();
      break;
    case dcCustomColumns: ShowCustomColumnsDialog(); break;
    default: break;
  }
}

bool TkwCustomDBGrid::ColumnMayBeListed(TkwColumn* Column, TkwShowColumnType Kind) {
  if (!MayListColumn(Column)) return false;
  bool show = true;
  // Each list tells the event which dialog it is for, so that a handler can keep a
  // column out of one dialog only.
  if (CheckNeedShowColumnInListEvent) CheckNeedShowColumnInListEvent(this, Column, Kind, show);
  return show;
}

void TkwCustomDBGrid::UnlockDialogLists() {
  if (FDialogListLock <= 0) return;
  if (--FDialogListLock > 0 || FDialogListsPostponed == 0) return;
  FDialogListsPostponed = 0;
  RefreshColumnLists();
}

std::vector<TkwColumn*> TkwCustomDBGrid::FillLocateList() {
  TfmGridLocate& locate = *FLocateDialog;
  locate.ClearColumns();
  std::vector<TkwColumn*> listed;
  for (const TkwFilterListEntry& e :
       FilterColumnList(*FColumns, [this](TkwColumn* c) { return c->DbField() && ColumnMayBeListed(c, sctLocate); })) {
    locate.AddColumn(e.Caption, e.Column->DbField()->Index());
    listed.push_back(e.Column);
  }
  return listed;
}

void TkwCustomDBGrid::RefreshColumnLists() {
  if (!FColumns || Destroying()) return;
  if (FDialogListLock > 0) {
    ++FDialogListsPostponed;
    return;
  }
  const auto mayList = [this](TkwShowColumnType type) {
    return [this, type](TkwColumn* column) { return ColumnMayBeListed(column, type); };
  };

  TfmGridLocate& locate = *FLocateDialog;
  FillLocateList();
  locate.edtLocate->SetText("");
  if (locate.cbbLocate->Items()->Count() > 0) locate.cbbLocate->SetItemIndex(0);

  TfmGridFilter& filter = *FFilterDialog;
  filter.ClearColumns();
  for (const TkwFilterListEntry& e : FilterColumnList(*FColumns, mayList(sctFilter)))
    filter.AddColumn(e.Caption, e.Column);
  if (filter.cbbFilter->Items()->Count() > 0) filter.cbbFilter->SetItemIndex(0);
  filter.cbbFilterChange(nullptr);

  TfmGridCustomColumns& custom = *FCustomColumnsDialog;
  TStringGrid* list = custom.stgrdColumns;
  const std::vector<TkwColumnRow> rows = CustomColumnRows(*FColumns, mayList(sctCustom));
  const int rowCount = static_cast<int>(rows.size()) + 1;
  if (rowCount > 1) {
    list->SetRowCount(rowCount);
    list->SetFixedRows(1);
  } else {
    list->SetFixedRows(0);
    list->SetRowCount(1);
  }
  custom.VisibleCount = 0;
  for (int r = 1; r < rowCount; ++r) {
    const TkwColumnRow& row = rows[static_cast<size_t>(r - 1)];
    list->SetCells(0, r, AnsiString(std::to_string(r).c_str()));
    list->SetCells(1, r, row.Caption);
    list->SetCells(2, r, row.Visible ? "*" : "");
    if (row.Visible) ++custom.VisibleCount;
    custom.SetRowData(r, row.Column, row.Color);
  }
  if (rowCount > 1) list->SetRow(1);
}

void TkwCustomDBGrid::ShowFilterDialog() {
  TkwDbGridController* c = GridController();
  if (!c) return;
  RefreshColumnLists();
  TfmGridFilter& dlg = *FFilterDialog;
  dlg.SetModalResult(mrNone);
  const TModalResult result = dlg.ShowModal();
  dlg.Apply(result, c->GridFilter());
  UpdateActive();
}

void TkwCustomDBGrid::ShowCustomColumnsDialog() {
  RefreshColumnLists();
  TfmGridCustomColumns& dlg = *FCustomColumnsDialog;
  dlg.SetModalResult(mrNone);
  if (dlg.ShowModal() != mrOk) return;
  std::vector<std::pair<TkwColumn*, bool>> marks;
  TStringGrid* list = dlg.stgrdColumns;
  for (int r = 1; r < list->RowCount(); ++r)
    if (auto* column = dynamic_cast<TkwColumn*>(dlg.RowColumn(r))) marks.emplace_back(column, list->Cells(2, r) == "*");
  TUpdateScope update(this);  // one layout for all the columns switched
  ApplyColumnMarks(*FColumns, marks);
}
