// The stock-taking terminal dialog under Wine: its goods and warehouse boxes are pick
// edits, and the pick button, Enter and (for the warehouse) a double-click ask the
// chooser, whose answer lands in the box.
#include "tests/controls/ControlTestUtil.h"

#include <cstdlib>
#include <fstream>

#include "app/uPDImport.h"
#include "tests/app/PdTestDoubles.h"
#include "rtl/FileUtils.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/Screenshot.h"

using namespace uitest;

namespace {

class TerminalDialog : public testing::Test {
 protected:
  void SetUp() override {
    dialog.reset(CreateForm<TDiaImport>(nullptr, chooser));
    dialog->Show();
    Pump();
    ctltest::Activate(dialog.get());
  }
  // A press and release of the left button on a box's pick button.
  static void ClickPick(TQevPickEdit* e) {
    HWND h = e->ButtonContainer()->Handle();
    const LPARAM p = MAKELPARAM(5, 5);
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, p);
    Pump();
    ::PostMessageW(h, WM_LBUTTONUP, 0, p);
    Pump();
  }
  std::string Asked() const {
    std::string s;
    for (const auto& a : chooser.Asked)
      s += (a.Kind == pdbill::TPdChoiceKind::ExportWarehouse ? "warehouse"
            : a.Kind == pdbill::TPdChoiceKind::ExportGoods   ? "goods"
                                                             : "other") +
           std::string(a.SearchText.empty() ? ";" : "(" + a.SearchText + ");");
    return s;
  }

  static std::vector<pdbill::TPdChoice> Warehouse(const char* id, const char* code, const char* name) {
    pdbill::TPdChoice c;
    c.TypeId = id;
    c.UserCode = code;
    c.FullName = name;
    return {c};
  }

  pdbill::TScriptedChooser chooser;
  std::unique_ptr<TDiaImport> dialog;
};

}  // namespace

TEST_F(TerminalDialog, BothBoxesArePickEditsTheGoodsOneStartingWithAll) {
  EXPECT_EQ(dialog->edtPtype->Name(), "edtPtype");
  EXPECT_EQ(dialog->edtStock->Name(), "edtStock");
  EXPECT_EQ(dialog->edtPtype->Text(), "全部");
  EXPECT_EQ(dialog->edtStock->Text(), "");
  for (TQevPickEdit* e : {dialog->edtPtype, dialog->edtStock}) {
    EXPECT_TRUE(e->ButtonVisible()) << e->Name();
    EXPECT_EQ(e->ButtonContainer()->Parent(), e) << e->Name();
  }
}

TEST_F(TerminalDialog, WarehouseIsPickedByButtonDoubleClickAndEnter) {
  chooser.Add(Warehouse("00003", "01", "总仓"));
  ClickPick(dialog->edtStock);
  EXPECT_EQ(dialog->edtStock->Text(), "总仓");

  chooser.Add(Warehouse("00004", "02", "分仓"));
  ::PostMessageW(dialog->edtStock->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(dialog->edtStock->Text(), "分仓");

  ctltest::FocusOn(dialog->edtStock);
  PostKey(VK_RETURN);  // cancelled: the box keeps its warehouse
  EXPECT_EQ(dialog->edtStock->Text(), "分仓");
  EXPECT_EQ(Asked(), "warehouse;warehouse;warehouse;");
}

TEST_F(TerminalDialog, GoodsAreNeverTypedButPickedByButtonAndEnter) {
  ctltest::FocusOn(dialog->edtPtype);
  TypeText(L"x");
  EXPECT_EQ(dialog->edtPtype->Text(), "全部");
  PostKey(VK_RETURN);
  ClickPick(dialog->edtPtype);
  EXPECT_EQ(Asked(), "goods;goods;");
  EXPECT_EQ(dialog->edtPtype->Text(), "全部");  // nothing picked: every goods again
}

TEST_F(TerminalDialog, Screenshot) {
  chooser.Add(Warehouse("00003", "01", "总仓"));
  ClickPick(dialog->edtStock);
  const char* env = std::getenv("POS_PD_IMPORT_SCREENSHOT");
  const std::string path = env && *env ? env : std::string(POS_BINARY_DIR) + "/pd-import.png";
  SaveScreenshot(dialog.get(), path);
  EXPECT_EQ(dialog->edtStock->Text(), "总仓") << path;
}

namespace {
// The control that owns the window with the keyboard focus, by name.
std::string FocusedName() {
  TWinControl* c = TWinControl::FindOwningControl(::GetFocus());
  return c ? std::string(c->Name()) : "none";
}
}  // namespace

// Regression: the boxes are multi-line edits (for their edit rectangles), which claimed
// every key: Tab and Shift+Tab stayed in them, and Esc made the box post WM_CLOSE to the
// group box it sits in. Tab and Shift+Tab now go from box to box and on through the
// dialog; Esc closes the dialog and leaves its controls as they were.
TEST_F(TerminalDialog, RegressionTabShiftTabAndEscLeaveTheBoxes) {
  const HWND groupWindow = dialog->grp1->Handle();
  ctltest::FocusOn(dialog->edtPtype);
  std::string seen = FocusedName();
  PostKey(VK_TAB);
  seen += " " + FocusedName();
  PostKey(VK_TAB);
  seen += " " + FocusedName();
  {
    HeldKey shift(VK_SHIFT);
    for (int i = 0; i < 3; ++i) {
      PostKey(VK_TAB);
      seen += " " + FocusedName();
    }
  }
  EXPECT_EQ(seen, "edtPtype edtStock btnEnter edtStock edtPtype pgc1");
  EXPECT_EQ(dialog->edtPtype->Text(), "全部");
  EXPECT_EQ(dialog->edtStock->Text(), "");
  ctltest::FocusOn(dialog->edtStock);
  PostKey(VK_ESCAPE);
  EXPECT_FALSE(dialog->Visible());  // the dialog's own Esc
  EXPECT_TRUE(::IsWindow(groupWindow));
  EXPECT_EQ(::GetParent(dialog->edtStock->Handle()), groupWindow);
  EXPECT_TRUE(chooser.Asked.empty());
}

TEST_F(TerminalDialog, RightClickOnTheExportPageFocusesTheGoodsBox) {
  ctltest::FocusOn(dialog->btnExit);
  ASSERT_FALSE(dialog->edtPtype->Focused());
  POINT p{40, 150};
  ::ClientToScreen(dialog->tsCheckOut->Handle(), &p);
  ::PostMessageW(dialog->tsCheckOut->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog->tsCheckOut->Handle()),
                 MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_TRUE(dialog->edtPtype->Focused());
}

namespace {
// Keeps what the import log shows at the moment each message box comes up.
class LogWatchingDialogs final : public TScriptedDialogs {
 public:
  explicit LogWatchingDialogs(TRichEdit* log) : Log(log) {}
  int MessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, unsigned flags) override {
    Seen.push_back(Log->Lines()->Text());
    return TScriptedDialogs::MessageBox(owner, text, caption, flags);
  }
  TRichEdit* Log;
  std::vector<AnsiString> Seen;
};
}  // namespace

// The log is written while the import runs (the user sees it before the import's message)
// and starts afresh with the next import.
TEST_F(TerminalDialog, ImportLogIsWrittenAsTheImportRunsAndClearedByTheNext) {
  const AnsiString file = AnsiString(POS_BINARY_DIR) + "/pd-import-no-header.txt";
  std::ofstream(FilePath(file), std::ios::binary) << "01总仓\r\n6901~A~x~1\r\n";
  LogWatchingDialogs script(dialog->redtImport);
  TDialogServiceScope scope(&script);
  dialog->ShowPage(1);
  dialog->redtImport->Lines()->Add("上次的记录");
  for (int run = 0; run < 2; ++run) {
    script.QueueFile(file);
    script.QueueAnswer(IDOK);
    ::PostMessageW(dialog->btnEnter->Handle(), BM_CLICK, 0, 0);
    Pump();
  }
  ASSERT_EQ(script.Seen.size(), 2u);
  EXPECT_EQ(script.Seen[0], "正在分析盘点机导入文件......\r\n");
  EXPECT_EQ(script.Seen[1], "正在分析盘点机导入文件......\r\n");
  EXPECT_EQ(dialog->redtImport->Lines()->Text(), "正在分析盘点机导入文件......\r\n");
  EXPECT_FALSE(dialog->Outcome());
}
