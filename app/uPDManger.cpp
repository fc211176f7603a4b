// The stock-take bill manager form.
#include "app/uPDManger.h"

#include "app/uPDBasicChooser.h"
#include "app/uPDImport.h"
#include "app/uPublic.h"
#include "app/uSelectBasic.h"

using namespace pdbill;

namespace {

// Data row r of the rules is grid row r + 2 (below the two title rows).
constexpr int kFirstDataRow = 2;

// The bill's columns: caption, kind, width (-1 hidden), decimal pattern.
const struct {
  const char* Caption;
  const char* Kind;
  int Width;
  const char* Pattern;
} kColumns[] = {
    {"商品ID", "0", -1, ""},         {"货号", "2", 60, ""},          {"品名", "2", 120, ""},
    {"颜色ID", "0", -1, ""},         {"颜色", "2", 60, ""},          {"尺码ID", "0", -1, ""},
    {"尺码", "2", 60, ""},           {"盘点数量", "0.00", 60, "0.0000"}, {"当前库存", "0.00", 60, "0.0000"},
    {"零售价", "0.00", 60, "0.0000"}, {"零售金额", "0.00", 60, "0.00"}, {"条码", "2", -1, ""},
};
constexpr int kReadOnlyGridCols[] = {0, 1, 4, 5, 6, 7, 9, 10, 11, 12};

// The keys a locked bill's grid still takes: the cursor's moves, and what goes past the
// grid (Esc leaves, Alt+letter reaches the buttons).
bool IsLockedGridKey(WORD Key, TShiftState Shift) {
  if (Key == VK_ESCAPE || Shift.Contains(ssAlt)) return true;
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_PRIOR: case VK_NEXT:
    case VK_HOME: case VK_END: case VK_TAB: case VK_SHIFT: case VK_CONTROL:
      return true;
    default:
      return false;
  }
}

// The product's chooser: the basic-data selection dialog.
class TDialogChooser final : public IPdChooser {
 public:
  std::vector<TPdChoice> Choose(TPdChoiceKind Kind, const AnsiString& SearchText) override {
    return FChooser.Choose(Kind, SearchText);
  }

 private:
  TSelectBasicDialog FDialog;
  TBasicDataChooser FChooser{FDialog};
};

}  // namespace

// The grid's data rows as the bill's sheet. Texts go into the cells as the rules made
// them (the rules format numbers themselves).
class TfrmpdManger::TGridSheet final : public IPdBillSheet {
 public:
  TGridSheet(TfrmpdManger& form) : F(form) {}
  int RowCount() const override { return F.grdPd->RowCount() - kFirstDataRow; }
  AnsiString Cell(int Col, int Row) const override {
    return F.grdPd->Cells(F.grdPd->TitleColToGridCol(Col, 1), Row + kFirstDataRow);
  }
  void SetCell(int Col, int Row, const AnsiString& Text) override {
    F.grdPd->SetCells(F.grdPd->TitleColToGridCol(Col, 1), Row + kFirstDataRow, Text);
  }
  void AddRow() override { F.grdPd->SetRowCount(F.grdPd->RowCount() + 1); }
  void ClearRows() override {
    F.grdPd->ClearRows();
    F.MakeReadOnlyColumns();
  }

 private:
  TfrmpdManger& F;
};

class TfrmpdManger::TFormMessages final : public IPdMessages {
 public:
  void Show(const AnsiString& Text, const AnsiString& Caption, TPdMessageKind Kind) override {
    Application->MessageBox(Text, Caption, Kind);
  }
  bool Ask(const AnsiString& Text, const AnsiString& Caption) override {
    return Application->MessageBox(Text, Caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
};

TfrmpdManger::TfrmpdManger(TComponent* AOwner)
    : TParentfrm(AOwner), FSheet(std::make_unique<TGridSheet>(*this)), FMessages(std::make_unique<TFormMessages>()) {
  SetName("frmpdManger");
  SetCaption("盘点单");
  SetKeyPreview(true);
  SetClientWidth(800);
  SetClientHeight(560);

  auto* top = new TPanel(this);
  top->SetName("pnlTop");
  top->SetParent(pnlMain);
  top->SetAlign(alTop);
  top->SetHeight(58);
  top->SetBevelOuter(bvNone);
  top->SetCaption("");

  edtStock = new TEdit(this);
  edtStock->SetName("edtStock");
  edtStock->SetParent(top);
  edtStock->SetBounds(80, 30, 150, 21);
  edtStock->SetReadOnly(true);
  // Reached by the mouse only: the choice opens on entering it, and must not open again
  // when the focus comes back from the choice.
  edtStock->SetTabStop(false);
  edtStock->OnDblClick = [this](TObject* s) { edtStockDblClick(s); };
  edtStock->OnEnter = [this](TObject* s) { edtStockDblClick(s); };
  dtpPDTime = new TDateTimePicker(this);
  dtpPDTime->SetName("dtpPDTime");
  dtpPDTime->SetParent(top);
  dtpPDTime->SetBounds(320, 30, 120, 21);
  dtpPDTime->SetFormat("yyyy-MM-dd");
  edtEmployee = new TEdit(this);
  edtEmployee->SetName("edtEmployee");
  edtEmployee->SetParent(top);
  edtEmployee->SetBounds(520, 30, 120, 21);

  btnSave = new TButton(this);
  btnSave->SetName("btnSave");
  btnSave->SetParent(pnlBtn);
  btnSave->SetCaption("保存(&S)");
  btnSave->SetBounds(560, 8, 80, 26);
  btnSave->OnClick = [this](TObject* s) { btnSaveClick(s); };
  btnCancle = new TButton(this);
  btnCancle->SetName("btnCancle");
  btnCancle->SetParent(pnlBtn);
  btnCancle->SetCaption("退出(&C)");
  btnCancle->SetBounds(650, 8, 80, 26);
  btnCancle->OnClick = [this](TObject* s) { btnCancleClick(s); };

  pnlMiddleDown = new TPanel(this);
  pnlMiddleDown->SetName("pnlMiddleDown");
  pnlMiddleDown->SetParent(pnlMain);
  pnlMiddleDown->SetAlign(alBottom);
  pnlMiddleDown->SetHeight(26);
  pnlMiddleDown->SetBevelOuter(bvNone);
  pnlMiddleDown->SetCaption("");

  grdPd = new TDressGrid(this);
  grdPd->SetName("grdPd");
  grdPd->SetParent(pnlMain);
  grdPd->SetAlign(alClient);
  grdPd->SetDefaultRowHeight(16);
  grdPd->SetFixedColor(static_cast<TColor>(16774889));
  grdPd->SetOptions(grdPd->Options() + TGridOptions{goEditing, goAlwaysShowEditor, goTabs, goColSizing});
  grdPd->AutoEditNextCell = true;
  grdPd->AfterLastCellEdit = lc_first;
  grdPd->OnBeforeEdit = [this](TObject* s, int c, int r) { grdPdBeforeEdit(s, c, r); };
  grdPd->OnAfterEdit = [this](TObject* s, int c, int r) { grdPdAfterEdit(s, c, r); };
  grdPd->OnKeyPress = [this](TObject* s, char& k) { grdPdKeyPress(s, k); };
  // A double-click looks goods up and may change the line: not on a locked bill.
  grdPd->OnDblClick = [this](TObject* s) {
    if (!FBillLocked) grdPdDblClick(s);
  };

  lblBillCode = new TLabel(this);
  lblBillCode->SetName("lblBillCode");
  lblBillCode->SetParent(top);
  lblBillCode->SetCaption("单据编号：");
  lblBillCode->SetBounds(12, 8, 300, 14);
  btnCheckIn = new TButton(this);
  btnCheckIn->SetName("btnCheckIn");
  btnCheckIn->SetParent(pnlBtn);
  btnCheckIn->SetCaption("导入导出盘点机数据(&M)");
  btnCheckIn->SetBounds(390, 8, 160, 26);
  btnCheckIn->OnClick = [this](TObject* s) { btnCheckInClick(s); };
  lbl1 = new TLabel(this);
  lbl1->SetName("lbl1");
  lbl1->SetParent(top);
  lbl1->SetCaption("盘点日期：");
  lbl1->SetBounds(250, 34, 70, 14);
  lbl2 = new TLabel(this);
  lbl2->SetName("lbl2");
  lbl2->SetParent(top);
  lbl2->SetCaption("盘点人：");
  lbl2->SetBounds(460, 34, 60, 14);
  lbl3 = new TLabel(this);
  lbl3->SetName("lbl3");
  lbl3->SetParent(top);
  lbl3->SetCaption("盘点仓库：");
  lbl3->SetBounds(12, 34, 70, 14);

  dsprice = new TClientDataSet(this);
  dsprice->SetName("dsprice");
  dsQty = new TClientDataSet(this);
  dsQty->SetName("dsQty");

  auto total = [this](const char* name, const char* caption, int left) {
    auto* l = new TLabelLabel(this);
    l->SetName(name);
    l->SetParent(pnlMiddleDown);
    l->SetCaptionName(caption);
    l->SetCaptionValue("0");
    l->SetBounds(left, 6, 180, 14);
    return l;
  };
  lblPdQtyCount = total("lblPdQtyCount", "盘点数量合计", 12);
  lblKCQty = total("lblKCQty", "当前库存合计", 212);
  lblTotal = total("lblTotal", "零售金额合计", 412);
  lbl4 = new TLabel(this);
  lbl4->SetName("lbl4");
  lbl4->SetParent(pnlBtn);
  lbl4->SetCaption(kEntryModeBarcode);
  lbl4->SetBounds(12, 8, 200, 14);
  lbl5 = new TLabel(this);
  lbl5->SetName("lbl5");
  lbl5->SetParent(pnlBtn);
  lbl5->SetCaption("建议盘点之前下载一次数据");
  lbl5->SetBounds(12, 24, 200, 14);

  OnActivate = [this](TObject* s) { FormActivate(s); };
  // Mended: the window's close box and Alt+F4 used to drop a bill with lines without the
  // question that 退出 and Esc ask; every way out but a save asks it now, once.
  OnCloseQuery = [this](TObject*, bool& CanClose) {
    if (!FLeaving && FRules) CanClose = FRules->MayClose();
  };
  OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { FormKeyDown(s, k, sh); };
  RegisterMessageHandler(WM_PD_SHOWEDITOR, [this](TMessage&) {
    if (grdPd->HandleAllocated() && grdPd->Visible()) {
      grdPd->SetFocus();
      grdPd->ShowCellEditor();
    }
  });
}

TfrmpdManger::~TfrmpdManger() = default;

void TfrmpdManger::EnsureRules() {
  if (FRules) return;
  if (!FChooser) {
    // Mended: no environment variable replaces the selection dialog any more (a script
    // file named by one answered the choices, and a missing file kept the screen from
    // opening); a test that needs another chooser sets it with SetChooser.
    FOwnChooser = std::make_unique<TDialogChooser>();
    FChooser = FOwnChooser.get();
  }
  FRules = std::make_unique<TPdMangerRules>(*FSheet, *FChooser, *FMessages,
                                            TPdServers{HomeServer, HomeDbName, UploadServer, UploadDbName});
}

void TfrmpdManger::InitBill() {
  EnsureRules();
  SetTitle("盘点单");
  FRules->OperatorId = WideToGbk(OperatorId);
  FRules->PosId = WideToGbk(PosId);
  FRules->UniqueId = UniqueId;
  FRules->InitBill(Date());
  edtEmployee->SetEnabled(true);
  edtEmployee->SetReadOnly(true);
  edtEmployee->SetText(FRules->EmployeeNameText);
  dtpPDTime->SetDateTime(Now());
  dtpPDTime->SetEnabled(false);
  edtStock->SetText("");
  BuildGrid();
  lblBillCode->SetCaption("单据编号：" + FRules->BillNumber);
}

void TfrmpdManger::BuildGrid() {
  grdPd->ClearRows();
  grdPd->ClearColumns();
  grdPd->SetRowHeights(0, 20);
  for (const auto& c : kColumns) {
    const bool number = c.Pattern[0] != '\0';
    grdPd->AddColumn(c.Caption, c.Kind, c.Width, c.Pattern, "", number, !number);
  }
  grdPd->SetColWidths(0, 40);
  if (GetSysValue("AllowColorSize") == "0") {
    for (int c : {4, 5, 6, 7}) grdPd->SetColWidths(c, -1);
  }
  MakeReadOnlyColumns();
  grdPd->SetCol(pcCode);
  grdPd->SetRow(kFirstDataRow);
  SumTotals();
}

void TfrmpdManger::MakeReadOnlyColumns() {
  for (int c : kReadOnlyGridCols) grdPd->SetEditCol(c, false);
}

void TfrmpdManger::SumTotals() {
  const TPdTotals t = FRules ? FRules->Totals() : TPdTotals{};
  lblPdQtyCount->SetCaptionValue(TotalText(t.Quantity));
  lblKCQty->SetCaptionValue(TotalText(t.Stock));
  lblTotal->SetCaptionValue(TotalText(t.Amount));
  for (int r = kFirstDataRow; r < grdPd->RowCount(); ++r) grdPd->SetCells(0, r, IntToStr(r - kFirstDataRow + 1));
}

TPdCursor TfrmpdManger::Current() const {
  int col = 0, size = 0;
  grdPd->GridColToTitleCol(grdPd->Col(), col, size);
  return {col, grdPd->Row() - kFirstDataRow};
}

void TfrmpdManger::MoveTo(const TPdCursor& At) {
  const int row = At.Row + kFirstDataRow;
  if (row >= grdPd->RowCount()) grdPd->SetRowCount(row + 1);
  grdPd->FocusDressCell(At.Col, 1, row);
  // The editor comes back on the cell as the rules left it, also when the cursor stayed.
  grdPd->ShowCellEditor();
  if (TNewInplaceEdit* ed = grdPd->Editor()) ed->TakeChange();
}

bool TfrmpdManger::CommitEditor() {
  TNewInplaceEdit* ed = grdPd->Editor();
  if (!ed || !ed->Visible()) return false;
  const bool changed = ed->TakeChange();
  // Hiding writes the editor's text into its cell; the rules then change cells that no
  // stale editor text can overwrite.
  grdPd->HideEditor();
  return changed;
}

void TfrmpdManger::FormActivate(TObject*) { ::PostMessageW(Handle(), WM_PD_SHOWEDITOR, 0, 0); }

void TfrmpdManger::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (FBillLocked && GridHasFocus() && !IsLockedGridKey(Key, Shift)) {
    Key = 0;
    return;
  }
  if (Key == VK_RETURN && Shift.Empty() && GridHasFocus()) {
    // Enter in the bill is this screen's: the entry runs here and the cursor goes where
    // the rules say, instead of the grid's own move to the next cell.
    Key = 0;
    GridEnter();
  } else if (Key == VK_F5) {
    lbl4->SetCaption(FRules->ToggleEntryMode());
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    btnCancle->Click();
  }
}

void TfrmpdManger::btnCancleClick(TObject*) {
  if (!FRules->MayClose()) return;
  FLeaving = true;
  Close();
}

void TfrmpdManger::btnSaveClick(TObject*) {
  const TPdCursor at = Current();
  if (CommitEditor() && at.Row >= 0) FRules->AfterEdit(at.Col, at.Row);
  const TSaveOutcome outcome = FRules->Save(Now());
  if (outcome == TSaveOutcome::Close) {
    FLeaving = true;
    Close();
    return;
  }
  // Mended: a save in doubt used to leave the bill editable, and a change made then was
  // lost when the next Save found the first version in the store (and uploaded anyway).
  LockBill(outcome == TSaveOutcome::Locked);
  SumTotals();
  if (!FBillLocked) MoveTo(at.Row >= 0 ? at : TPdCursor{pcName, 0});
}

void TfrmpdManger::LockBill(bool Locked) {
  if (Locked == FBillLocked) return;
  FBillLocked = Locked;
  const TGridOptions editing{goEditing, goAlwaysShowEditor};
  if (Locked) {
    grdPd->HideEditor();
    grdPd->SetOptions(grdPd->Options() - editing);
  } else {
    grdPd->SetOptions(grdPd->Options() + editing);
  }
  edtStock->SetEnabled(!Locked);
  btnCheckIn->SetEnabled(!Locked);
}

void TfrmpdManger::btnCheckInClick(TObject*) {
  if (FBillLocked) return;
  std::vector<pdterminal::TCountLine> counts;
  if (ShowImportDialog(counts, *FChooser, FRules->WarehouseId())) {
    CommitEditor();
    FRules->CheckIn(counts);
    SumTotals();
    MoveTo({pcName, grdPd->RowCount() - kFirstDataRow - 1});
  }
  grdPd->SetFocus();
}

void TfrmpdManger::edtStockDblClick(TObject*) {
  if (FChoosing || FBillLocked) return;
  FChoosing = true;
  struct Reset {
    bool& f;
    ~Reset() { f = false; }
  } reset{FChoosing};
  if (FRules->ChooseWarehouse()) {
    StockId = FRules->WarehouseId();
    edtStock->SetText(FRules->Entry().WarehouseName);
    SumTotals();
  }
}

void TfrmpdManger::grdPdKeyPress(TObject*, char& Key) {
  const TPdCursor at = Current();
  if (at.Row < 0) return;
  // The rules judge the text being typed, the editor's with its selection, which the
  // key replaces; without an editor the key goes to the end of the cell's text.
  TPdEditText edit{grdPd->Cells(grdPd->Col(), grdPd->Row()), 0, 0};
  edit.SelStart = static_cast<int>(edit.Text.size());
  if (TNewInplaceEdit* ed = grdPd->Editor(); ed && ed->Visible() && ed->HandleAllocated())
    edit = {ed->Text(), ed->SelStart(), ed->SelLength()};
  if (!FRules->KeyPress(at.Col, at.Row, Key, edit)) Key = 0;
}

bool TfrmpdManger::GridHasFocus() const {
  const HWND focus = ::GetFocus();
  return focus && grdPd->HandleAllocated() &&
         (focus == const_cast<TDressGrid*>(grdPd)->Handle() || ::IsChild(const_cast<TDressGrid*>(grdPd)->Handle(), focus));
}

void TfrmpdManger::GridEnter() {
  const TPdCursor at = Current();
  if (at.Row < 0) return;
  const bool changed = CommitEditor();
  if (changed && at.Col == pcQty) FRules->AfterEdit(at.Col, at.Row);
  const TPdCursor next = FRules->Enter(at.Col, at.Row);
  SumTotals();
  MoveTo(next);
}

void TfrmpdManger::grdPdBeforeEdit(TObject*, int ACol, int ARow) {
  int col = 0, size = 0;
  grdPd->GridColToTitleCol(ACol, col, size);
  if (!FRules || ARow < kFirstDataRow || col < 1) return;
  FRules->BeforeEdit(col, ARow - kFirstDataRow);
}

void TfrmpdManger::grdPdAfterEdit(TObject*, int ACol, int ARow) {
  int col = 0, size = 0;
  grdPd->GridColToTitleCol(ACol, col, size);
  if (ARow < kFirstDataRow || col < 1) return;
  FRules->AfterEdit(col, ARow - kFirstDataRow);
  SumTotals();
}

void TfrmpdManger::grdPdDblClick(TObject*) {
  const TPdCursor at = Current();
  if (at.Row < 0) return;
  // Mended: a count typed and then double-clicked went into its cell as typed, past the
  // quantity's rules (123456789 was saved so, and 1.2345); it is made sound as on Enter.
  if (CommitEditor() && at.Col == pcQty) FRules->AfterEdit(at.Col, at.Row);
  MoveTo(FRules->DoubleClick(at.Col, at.Row));
  SumTotals();
}
