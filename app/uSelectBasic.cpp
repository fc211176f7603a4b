// The basic-data selection dialog's form.
#include "app/uSelectBasic.h"

#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "app/uPublic.h"

namespace {

// The grid's fixed colour and the options of the dialog's grid (read-only, whole rows).
constexpr TColor kFixedColor = static_cast<TColor>(16774889);
constexpr TkwDBGridOptions kGridOptions =
    GridOption(dgTitles) | GridOption(dgIndicator) | GridOption(dgColumnResize) | GridOption(dgColLines) |
    GridOption(dgRowLines) | GridOption(dgTabs) | GridOption(dgRowSelect) | GridOption(dgTwoColor) |
    GridOption(dgConfirmDelete) | GridOption(dgCancelOnExit);

}  // namespace

TfrmSelectBasic::TfrmSelectBasic(TComponent* AOwner) : TForm(AOwner) {
  SetName("frmSelectBasic");
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetBounds(0, 0, 462, 448);

  auto panel = [this](const char* name, TAlign align, int height) {
    auto* p = new TPanel(this);
    p->SetName(name);
    p->SetParent(this);
    p->SetCaption("");
    p->SetHeight(height);
    p->SetAlign(align);
    return p;
  };
  pnlTitle = panel("pnlTitle", alTop, 36);
  pnlBtn = panel("pnlBtn", alBottom, 40);
  pnlMain = panel("pnlMain", alClient, 300);

  lbl1 = new TLabel(this);
  lbl1->SetName("lbl1");
  lbl1->SetParent(pnlTitle);
  lbl1->SetBounds(6, 11, 160, 14);
  edtSearch = new TEdit(this);
  edtSearch->SetName("edtSearch");
  edtSearch->SetParent(pnlTitle);
  edtSearch->SetBounds(168, 7, 190, 21);
  btnSearch = new TButton(this);
  btnSearch->SetName("btnSearch");
  btnSearch->SetParent(pnlTitle);
  btnSearch->SetCaption("搜索");
  btnSearch->SetBounds(366, 6, 75, 24);
  btnSearch->OnClick = [this](TObject* s) { btnSearchClick(s); };

  PosCds = new TClientDataSet(this);
  PosCds->SetName("PosCds");
  dC1 = new TDataSource(this);
  dC1->SetName("dC1");
  dC1->SetDataSet(PosCds);

  grdSelectData = new TJbDbGrid(this);
  grdSelectData->SetName("grdSelectData");
  grdSelectData->SetParent(pnlMain);
  grdSelectData->SetAlign(alClient);
  grdSelectData->SetReadOnly(true);
  grdSelectData->SetOptions(kGridOptions);
  grdSelectData->SetFixedColor(kFixedColor);
  grdSelectData->TitleFont()->SetName("宋体");
  grdSelectData->TitleFont()->SetHeight(-12);
  grdSelectData->OnDblClick = [this](TObject* s) { grdSelectDataDblClick(s); };
  grdSelectData->OnDrawColumnCell = [this](TObject* s, TkwDrawColumnCellArgs& a) {
    grdSelectDataDrawColumnCell(s, a);
  };

  btnOK = new TButton(this);
  btnOK->SetName("btnOK");
  btnOK->SetParent(pnlBtn);
  btnOK->SetCaption("确定(&S)");
  btnOK->SetBounds(270, 8, 80, 25);
  btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
  btnExit = new TButton(this);
  btnExit->SetName("btnExit");
  btnExit->SetParent(pnlBtn);
  btnExit->SetCaption("退出(&E)");
  btnExit->SetBounds(360, 8, 80, 25);
  btnExit->OnClick = [this](TObject* s) { btnExitClick(s); };

  OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { FormKeyDown(s, k, sh); };
}

TfrmSelectBasic::~TfrmSelectBasic() = default;

void TfrmSelectBasic::InitSelect(const TSelectBasicArgs& Args, std::vector<TBaseRecord>& ResultList) {
  FRules = std::make_unique<TSelectBasicRules>(Args);
  FResultList = &ResultList;
  lbl1->SetCaption(FRules->SearchLabel());
  SetCaption(FRules->Caption());
  edtSearch->SetText(Args.SearchText);
  FRules->Query(*PosCds, edtSearch->Text());
  BuildColumns();
  grdSelectData->SetDataSource(dC1);
  FOutcome = false;
  lbl1->SetVisible(FRules->SearchLabelShown());
  if (FRules->SearchLocked()) {
    edtSearch->SetEnabled(false);
    btnSearch->SetEnabled(false);
  }
  SetActiveControl(grdSelectData);
}

void TfrmSelectBasic::BuildColumns() {
  grdSelectData->SetDefaultRowHeight(18);
  const bool allowColorSize = FRules->ColorSizeGoods() ? GetSysValue("AllowColorSize") != "0" : true;
  grdSelectData->Columns()->Clear();
  for (const TBasicColumn& c : FRules->Columns(allowColorSize)) {
    TkwColumn* column = grdSelectData->Columns()->Add();
    column->SetFieldName(c.FieldName);
    column->Title()->SetCaption(c.Caption);
    column->SetVisible(c.Visible);
  }
}

AnsiString TfrmSelectBasic::RowText(int Row, const char* FieldName) {
  TkvCustomDbDataController* c = grdSelectData->DataController();
  TkwColumn* column = grdSelectData->ColumnByFieldName(FieldName);
  if (!c || !column || !column->DbField() || Row < 0 || Row >= c->RowCount()) return AnsiString();
  AnsiString text;
  c->GetDisplayText(c->GetRowRecordIndex(Row), column->DbField()->Index(), text);
  return text;
}

AnsiString TfrmSelectBasic::FocusedText(const char* FieldName) {
  return RowText(grdSelectData->FocusedRowIndex(), FieldName);
}

void TfrmSelectBasic::ToggleFocusedMark() {
  if (grdSelectData->FocusedRowIndex() < 0) return;
  if (FRules->ToggleMark(*PosCds)) grdSelectData->Invalidate();
}

void TfrmSelectBasic::btnSearchClick(TObject*) {
  // A new query: the marks of the old rows go with them.
  FRules->Query(*PosCds, edtSearch->Text());
  grdSelectData->SetDataSource(nullptr);
  grdSelectData->SetDataSource(dC1);
  grdSelectData->Invalidate();
}

void TfrmSelectBasic::btnOKClick(TObject*) {
  if (btnOK->CanFocus()) btnOK->SetFocus();
  if (!FRules->Confirm(*PosCds, FocusedText("typeid"), *FResultList)) return;
  FOutcome = true;
  Close();
}

void TfrmSelectBasic::btnExitClick(TObject*) {
  FRules->Marks().Clear();
  FOutcome = false;
  Close();
}

void TfrmSelectBasic::grdSelectDataDblClick(TObject*) {
  // A double-click on a title (the columns do not sort) or below the data chooses nothing.
  if (grdSelectData->DblClickRowIndex() < 0) return;
  if (FRules->MultiSelect()) ToggleFocusedMark();
  else btnOKClick(btnOK);
}

void TfrmSelectBasic::grdSelectDataDrawColumnCell(TObject*, TkwDrawColumnCellArgs& Args) {
  if (!FRules->MultiSelect() || FRules->Marks().Count() == 0 || Args.RowIndex < 0) return;
  if (!FRules->Marks().IsMarked(RowText(Args.RowIndex, "typeid"),
                                FRules->ColorSizeGoods() ? RowText(Args.RowIndex, "colorid") : AnsiString(),
                                FRules->ColorSizeGoods() ? RowText(Args.RowIndex, "sizeid") : AnsiString()))
    return;
  Args.Canvas->Brush()->SetColor(static_cast<TColor>(kMarkedRowColor));
}

void TfrmSelectBasic::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  TWinControl* active = ActiveControl();
  if (Key == VK_ESCAPE) {
    Key = 0;
    btnExitClick(btnExit);
  } else if (active == grdSelectData && Key == VK_SPACE) {
    Key = 0;
    ToggleFocusedMark();
  } else if (active == grdSelectData && Key == VK_RETURN) {
    Key = 0;
    btnOKClick(btnOK);
  } else if (active == edtSearch && Key == VK_RETURN) {
    Key = 0;
    if (btnSearch->Enabled()) btnSearchClick(btnSearch);
  } else if (active == edtSearch && Key == VK_F5) {
    Key = 0;
    if (FRules->SwitchSearchMode()) lbl1->SetCaption(FRules->SearchLabel());
  }
}

bool SelectBasic(const TSelectBasicArgs& Args, std::vector<TBaseRecord>& ResultList) {
  TfrmSelectBasic form(Application);
  form.InitSelect(Args, ResultList);
  form.ShowModal();
  return form.Outcome();
}
