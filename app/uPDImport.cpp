// The stock-taking terminal dialog.
#include "app/uPDImport.h"

#include "app/uPublic.h"
#include "rtl/FileUtils.h"
#include "ui/Forms.h"

class TDiaImport::TFiles final : public pdimport::IPdFileChooser {
 public:
  explicit TFiles(TDiaImport& d) : D(d) {}
  bool Choose(AnsiString& FileName, bool) override {
    D.dlgOpen1->SetFileName(FileName);
    if (!D.dlgOpen1->Execute()) return false;
    FileName = D.dlgOpen1->FileName();
    return true;
  }

 private:
  TDiaImport& D;
};

class TDiaImport::TMessages final : public pdbill::IPdMessages {
 public:
  void Show(const AnsiString& Text, const AnsiString& Caption, pdbill::TPdMessageKind Kind) override {
    Application->MessageBox(Text, Caption, Kind);
  }
  bool Ask(const AnsiString& Text, const AnsiString& Caption) override {
    return Application->MessageBox(Text, Caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
};

TDiaImport::TDiaImport(TComponent* AOwner, pdbill::IPdChooser& Chooser)
    : TdiaParent(AOwner), FFiles(std::make_unique<TFiles>(*this)), FMessages(std::make_unique<TMessages>()) {
  FRules = std::make_unique<pdimport::TPdTerminalDialog>(Chooser, *FFiles, *FMessages);
  FRules->OnLogChanged = [this] { ShowLog(); };
  SetName("DiaImport");
  SetCaption("盘点机信息导入导出");
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetClientWidth(460);
  SetClientHeight(300);

  pgc1 = new TPageControl(this);
  pgc1->SetName("pgc1");
  pgc1->SetParent(pnlMain);
  pgc1->SetBounds(110, 6, 340, 190);
  tsCheckOut = new TTabSheet(this);
  tsCheckOut->SetName("tsCheckOut");
  tsCheckOut->SetPageControl(pgc1);
  tsCheckOut->SetCaption("数据导出   ");
  tsCheckOut->OnContextPopup = [this](TObject* s, TPoint p, bool& h) { tsCheckOutContextPopup(s, p, h); };
  tsCheckIn = new TTabSheet(this);
  tsCheckIn->SetName("tsCheckIn");
  tsCheckIn->SetPageControl(pgc1);
  tsCheckIn->SetCaption("数据导入   ");

  grp1 = new TGroupBox(this);
  grp1->SetName("grp1");
  grp1->SetParent(tsCheckOut);
  grp1->SetCaption("条件");
  grp1->SetBounds(8, 8, 310, 120);
  auto pick = [this](const char* label, const char* edit, int top, TLabel*& l, TQevPickEdit*& e) {
    l = new TLabel(this);
    l->SetName(label);
    l->SetParent(grp1);
    l->SetBounds(12, top + 4, 50, 14);
    e = new TQevPickEdit(this);
    e->SetName(edit);
    e->SetParent(grp1);
    e->SetBounds(60, top, 226, 21);
    e->SetReadOnly(true);
  };
  pick("lbl1", "edtPtype", 28, lbl1, edtPtype);
  lbl1->SetCaption("商品：");
  edtPtype->SetText(pdimport::kAllGoods);
  pick("lbl2", "edtStock", 68, lbl2, edtStock);
  lbl2->SetCaption("仓库：");
  edtPtype->SetOnButtonClick([this](TObject* s) { edtPtypeButtonClick(s); });
  edtStock->SetOnButtonClick([this](TObject* s) { edtStockButtonClick(s); });
  edtStock->OnDblClick = [this](TObject* s) { edtStockButtonClick(s); };
  edtPtype->OnKeyDown = [this](TObject*, WORD& k, TShiftState) {
    if (k == VK_RETURN) edtPtypeButtonClick(edtPtype);
  };
  edtPtype->OnKeyPress = [](TObject*, char& k) { k = 0; };
  // Enter runs whatever handler the pick button has, the edit as sender.
  edtStock->OnKeyDown = [this](TObject*, WORD& k, TShiftState) {
    if (k != VK_RETURN) return;
    if (const TNotifyEvent handler = edtStock->OnButtonClick()) handler(edtStock);
  };

  redtImport = new TRichEdit(this);
  redtImport->SetName("redtImport");
  redtImport->SetParent(tsCheckIn);
  redtImport->SetBounds(8, 8, 310, 140);
  redtImport->SetReadOnly(true);

  auto side = [this](const char* name, const char* caption, int top, int page) {
    auto* p = new TPanel(this);
    p->SetName(name);
    p->SetParent(pnlMain);
    p->SetCaption(caption);
    p->SetBounds(8, top, 94, 40);
    p->OnClick = [this, page](TObject*) { ShowPage(page); };
    return p;
  };
  pnlOut = side("pnlOut", "数据导出(&O)", 30, 0);
  pnlIn = side("pnlIn", "数据导入(&I)", 80, 1);

  btnEnter = new TButton(this);
  btnEnter->SetName("btnEnter");
  btnEnter->SetParent(pnlBtn);
  btnEnter->SetCaption("确定(&D)");
  btnEnter->SetBounds(280, 8, 80, 26);
  btnEnter->OnClick = [this](TObject* s) { btnEnterClick(s); };
  btnExit = new TButton(this);
  btnExit->SetName("btnExit");
  btnExit->SetParent(pnlBtn);
  btnExit->SetCaption("退出(&E)");
  btnExit->SetBounds(370, 8, 80, 26);
  btnExit->OnClick = [this](TObject*) { Close(); };

  dlgOpen1 = new TOpenDialog(this);
  dlgOpen1->SetName("dlgOpen1");
  dlgOpen1->SetFilter("文本文档(*.txt)|*.txt");

  OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { FormKeyDown(s, k, sh); };
}

TDiaImport::~TDiaImport() = default;

void TDiaImport::InitDialog(const AnsiString& BillWarehouseId) {
  SetTitle("盘点机信息导入导出");
  FOutcome = false;
  FRules->Setup();
  DllFolder = ExtractFilePath(GetDllFileName());
  FRules->Folder = DllFolder;
  FRules->BranchId = WideToGbk(BranchId);
  FRules->BillWarehouseId = BillWarehouseId;
  ShowPage(0);
}

void TDiaImport::ShowPage(int Index) { pgc1->SetActivePageIndex(Index); }

void TDiaImport::btnEnterClick(TObject*) {
  if (pgc1->ActivePageIndex() == 0) {
    FRules->Export(Date());
    return;
  }
  if (FRules->Import()) {
    FOutcome = true;
    Close();
  }
}

// The log as the import has written it so far, on screen before the import goes on.
void TDiaImport::ShowLog() {
  redtImport->Lines()->Clear();
  for (const AnsiString& line : FRules->Log()) redtImport->Lines()->Add(line);
  redtImport->Update();
}

void TDiaImport::tsCheckOutContextPopup(TObject*, TPoint, bool&) {
  if (edtPtype->CanFocus()) edtPtype->SetFocus();
}

void TDiaImport::edtPtypeButtonClick(TObject*) {
  FRules->ChooseExportGoods();
  edtPtype->SetText(FRules->GoodsText());
}

void TDiaImport::edtStockButtonClick(TObject*) {
  if (FRules->ChooseExportWarehouse()) edtStock->SetText(FRules->ExportWarehouseName());
}

void TDiaImport::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    Key = 0;
    Close();
  } else if (Shift.Contains(ssAlt) && (Key == 'O' || Key == 'I')) {
    ShowPage(Key == 'O' ? 0 : 1);
    Key = 0;
  }
}

bool ShowImportDialog(std::vector<pdterminal::TCountLine>& Counts, pdbill::IPdChooser& Chooser,
                      const AnsiString& BillWarehouseId) {
  TDiaImport dialog(Application, Chooser);
  dialog.InitDialog(BillWarehouseId);
  dialog.ShowModal();
  if (dialog.Outcome()) Counts = dialog.Counts();
  return dialog.Outcome();
}
