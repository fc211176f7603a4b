// What the data-aware grid answers its columns under Wine: their default font and
// input-method settings, a field's FocusControl, the selection when a parent column
// expands or collapses, the indicator when the dataset starts or ends editing, and a
// default column's new width written to its field.
#include "KwDbGridTestSupport.h"
#include "ui/Edit.h"
#include "ui/GdiScopes.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

TkwColumn* AddColumn(TkwCustomDBGrid* g, const char* field, const char* caption, TkwColumn* parent = nullptr) {
  TkwColumn* c = g->Columns()->Add();
  if (field) c->SetFieldName(field);
  c->Title()->SetCaption(caption);
  c->SetWidth(80);
  if (parent) c->SetParent(parent);
  return c;
}

std::string FontOf(const TkwGridFont& f) {
  return std::string(f.Name()) + " " + std::to_string(f.Height()) + (f.Style() & 1 ? " bold" : "");
}

}  // namespace

// Regression: a column's default font was the plain 宋体 -12 whatever the grid's Font,
// and the grid held no input-method settings for its columns.
TEST(KwDbGridColumnsHost, FaultColumnsTakeTheGridsFontAndInputMethod) {
  DbGridForm f(5);
  TkwColumn* id = AddColumn(f.grid, "ID", "编号");
  TkwColumn* name = AddColumn(f.grid, "NAME", "名称");
  name->Font()->SetName("楷体");  // a font of its own
  f.grid->Font()->SetName("黑体");
  f.grid->Font()->SetHeight(-16);
  f.grid->Font()->SetStyle(TFontStyles{fsBold});
  TkwColumn* qty = AddColumn(f.grid, "QTY", "数量");  // made after the change
  EXPECT_EQ(FontOf(*id->Font()), "黑体 -16 bold");
  EXPECT_EQ(FontOf(*qty->Font()), "黑体 -16 bold");
  EXPECT_EQ(FontOf(*name->Font()), "楷体 -12");
  EXPECT_FALSE(id->IsAssigned(cvFont));
  EXPECT_EQ(FontOf(*id->Title()->Font()), FontOf(*f.grid->TitleFont()));  // titles follow the title font

  // The cells are painted in their column's font.
  std::map<std::string, std::string> painted;
  f.grid->OnDrawColumnCell = [&](TObject*, TkwDrawColumnCellArgs& a) {
    if (a.RowIndex == 0) painted[std::string(a.Column->FieldName())] = FontOf(*a.Column->Font()) + " / " +
                                                                      std::string(a.Canvas->Font()->Name()) + " " +
                                                                      std::to_string(a.Canvas->Font()->Height());
  };
  f.Bind();
  f.Show();
  f.grid->Invalidate();
  ::UpdateWindow(f.grid->Handle());
  EXPECT_EQ(painted["ID"], "黑体 -16 bold / 黑体 -16");
  EXPECT_EQ(painted["NAME"], "楷体 -12 / 楷体 -12");
  f.grid->Font()->SetHeight(-14);
  EXPECT_EQ(FontOf(*id->Font()), "黑体 -14 bold");

  EXPECT_EQ(id->ImeMode(), imDontCare);
  name->SetImeMode(imClose);
  f.grid->SetImeMode(imChinese);
  f.grid->SetImeName("中文 - 拼音");
  EXPECT_EQ(id->ImeMode(), imChinese);
  EXPECT_EQ(id->ImeName(), "中文 - 拼音");
  EXPECT_EQ(name->ImeMode(), imClose);
  EXPECT_FALSE(id->IsAssigned(cvImeMode));
}

// Regression: a field's FocusControl reached the grid's data link and did nothing.
TEST(KwDbGridColumnsHost, FaultFocusControlSelectsTheFieldsColumnAndShowsTheEditor) {
  DbGridForm f(5);
  AddColumn(f.grid, "ID", "编号");
  AddColumn(f.grid, "NAME", "名称");
  AddColumn(f.grid, "PRICE", "单价");
  AddColumn(f.grid, "QTY", "数量")->SetVisible(false);
  auto* edit = new TEdit(f.form.get());
  edit->SetParent(f.form.get());
  edit->SetBounds(8, 19 * 11 + 16, 100, 22);
  EventLog log;
  f.grid->OnColExit = [&](TObject*) { log.Add("exit"); };
  f.grid->OnColEnter = [&](TObject*) { log.Add("enter"); };
  f.Bind();
  f.Show();
  Focus(edit);
  Pump();
  ASSERT_TRUE(edit->Focused());
  ASSERT_EQ(f.grid->SelectedIndex(), 0);

  f.data->FieldByName("PRICE")->FocusControl();
  Pump();
  EXPECT_EQ(f.grid->SelectedField(), f.data->FieldByName("PRICE"));
  EXPECT_EQ(log.Str(), "exit enter");
  EXPECT_TRUE(f.grid->EditorMode());
  ASSERT_NE(f.grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(f.grid->Focused() || f.grid->InplaceEditor()->Focused());
  EXPECT_FALSE(edit->Focused());

  // A field whose column is not shown moves nothing.
  Focus(edit);
  Pump();
  log.Clear();
  f.data->FieldByName("QTY")->FocusControl();
  Pump();
  EXPECT_EQ(f.grid->SelectedField(), f.data->FieldByName("PRICE"));
  EXPECT_EQ(log.Str(), "");
  EXPECT_TRUE(edit->Focused());
}

// Regression: a change of one column never showed the editor, so turning on
// gcoAlwaysShowEditor for the current column left it hidden until the next move; it
// shows at once, and what is typed into it reaches the field.
TEST(KwDbGridColumnsHost, FaultOneColumnsChangeNeverShowedTheEditor) {
  DbGridForm f(5);
  AddColumn(f.grid, "ID", "编号");
  AddColumn(f.grid, "NAME", "名称");
  f.Bind();
  f.Show();
  PostKey(VK_RIGHT);
  ASSERT_EQ(f.grid->SelectedIndex(), 1);
  ASSERT_FALSE(f.grid->EditorMode());
  TkwColumn* name = f.grid->SelectedColumn();
  name->SetColumnOptions(name->ColumnOptions() | ColumnOption(gcoAlwaysShowEditor));
  Pump();
  EXPECT_TRUE(f.grid->EditorMode());
  ASSERT_NE(f.grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(::IsWindowVisible(f.grid->InplaceEditor()->Handle()));
  PostKey(VK_END);
  TypeText(L"梨");
  PostKey(VK_DOWN);
  EXPECT_EQ(f.data->Locate("ID", Variant(1), 0), true);
  EXPECT_EQ(f.data->FieldByName("NAME")->AsString(), "商品1梨");
}

// Regression: expanding or collapsing a parent column left the selection to the layout,
// which puts a current column that is no longer shown on the first shown column of the
// grid. The selection moves beside the column that was hidden. (金额 stays expanded over
// 单价 and 数量, so the title rows stay two.)
TEST(KwDbGridColumnsHost, FaultExpandingOrCollapsingMovesTheSelectionOffTheHiddenColumn) {
  DbGridForm f(5);
  TkwColumn* money = AddColumn(f.grid, nullptr, "金额");
  AddColumn(f.grid, "PRICE", "单价", money);
  TkwColumn* qty = AddColumn(f.grid, "QTY", "数量", money);
  TkwColumn* goods = AddColumn(f.grid, nullptr, "商品");
  TkwColumn* id = AddColumn(f.grid, "ID", "编号", goods);
  TkwColumn* name = AddColumn(f.grid, "NAME", "名称", goods);
  money->SetExpanded(true);
  f.Bind();
  f.Show();
  ASSERT_TRUE(goods->Shown());
  ASSERT_FALSE(id->Shown());
  ASSERT_EQ(f.grid->TitleOffset(), 2);
  f.grid->SetCol(f.grid->DataToRawColumn(goods->Index()));
  ASSERT_EQ(f.grid->SelectedColumn(), goods);

  goods->SetExpanded(true);  // the parent gives way to its children: the first one
  Pump();
  EXPECT_EQ(f.grid->SelectedColumn(), id);
  f.grid->SetCol(f.grid->DataToRawColumn(name->Index()));
  goods->SetExpanded(false);  // the children give way to their parent
  Pump();
  EXPECT_EQ(f.grid->SelectedColumn(), goods);
  // A column that stays shown keeps the selection.
  f.grid->SetCol(f.grid->DataToRawColumn(qty->Index()));
  goods->SetExpanded(true);
  Pump();
  EXPECT_EQ(f.grid->SelectedColumn(), qty);
  EXPECT_EQ(f.grid->TitleOffset(), 2);
}

// Regression: the dataset entering edit mode did not repaint the indicator of the current
// row, whose glyph shows the mode. A second source of the same dataset hears the state
// change after the grid's own link and before any other notice, and sees the indicator
// cell waiting to be repainted.
TEST(KwDbGridColumnsHost, FaultEditingStateRepaintsTheCurrentRowsIndicator) {
  DbGridForm f(5);
  f.Bind();
  f.Show();
  PostKey(VK_DOWN);
  Pump();
  ASSERT_EQ(f.Focused(), 1);
  const HWND h = f.grid->Handle();
  const TRect indicator = f.grid->CellRect(0, f.grid->Row());
  const TRect other = f.grid->CellRect(0, f.grid->Row() + 2);
  TDataSource spy(nullptr);
  std::string seen;
  spy.OnStateChange = [&](TObject*) {
    const RECT r{indicator.Left, indicator.Top, indicator.Right, indicator.Bottom};
    const RECT o{other.Left, other.Top, other.Right, other.Bottom};
    ui_win::GdiObject<HRGN> rgn(::CreateRectRgn(0, 0, 0, 0));
    const bool pending = ::GetUpdateRgn(h, rgn.get(), FALSE) > NULLREGION;
    seen += std::string(f.data->State() == dsEdit ? "edit:" : "browse:") +
            (pending && ::RectInRegion(rgn.get(), &r) ? " indicator" : "") +
            (pending && ::RectInRegion(rgn.get(), &o) ? " other" : "") + ";";
  };
  spy.SetDataSet(f.data.get());
  seen.clear();
  ::ValidateRect(h, nullptr);
  f.data->Edit();
  ::ValidateRect(h, nullptr);
  f.data->Cancel();
  EXPECT_EQ(seen, "edit: indicator;browse: indicator;");
  spy.SetDataSet(nullptr);
  Pump();
}

// Regression: a default column's new width was never written to its field's
// DisplayWidth. Only the column whose width changed writes it (each write is a layout
// change of the dataset), and the column keeps its width.
TEST(KwDbGridColumnsHost, FaultADefaultColumnsNewWidthBecomesItsFieldsDisplayWidth) {
  DbGridForm f(5);
  f.Bind();
  f.Show();
  ASSERT_EQ(f.grid->Columns()->State(), TkwDBGridColumns::csDefault);
  TField* name = f.data->FieldByName("NAME");
  const int idWidth = f.data->FieldByName("ID")->DisplayWidth();
  const int qtyWidth = f.data->FieldByName("QTY")->DisplayWidth();
  ASSERT_EQ(name->DisplayWidth(), 20);
  const int raw = f.grid->DataToRawColumn(1);
  const int before = f.grid->ColWidths(raw);
  const TRect title = f.grid->CellRect(raw, 0);
  const POINT edge{title.Right, title.Top + 5};
  auto mouse = [&](UINT msg, POINT p, WPARAM keys) {
    ::PostMessageW(f.grid->Handle(), msg, keys, MAKELPARAM(p.x, p.y));
    Pump();
  };
  // The width in average characters of the column's font (here the grid's).
  TEXTMETRICW tm{};
  {
    ui_win::WindowDC dc(f.grid->Handle());
    ui_win::Selected selected(dc.dc(), f.grid->Font()->Handle());
    ASSERT_TRUE(::GetTextMetricsW(dc.dc(), &tm));
  }
  const int ave = tm.tmAveCharWidth, overhang = tm.tmOverhang;
  ASSERT_GT(ave, 1);
  // A width that leaves all but one pixel of a last character: rounded, not cut off.
  int delta = 90;
  while ((before + delta - overhang - 3) % ave != ave - 1) ++delta;
  mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  ASSERT_EQ(f.grid->GridState(), gsColSizing);
  mouse(WM_MOUSEMOVE, {edge.x + delta, edge.y}, MK_LBUTTON);
  mouse(WM_LBUTTONUP, {edge.x + delta, edge.y}, 0);
  const int width = before + delta;
  EXPECT_EQ(f.grid->ColWidths(raw), width);
  EXPECT_EQ(f.grid->Columns()->Items(1)->Width(), width);
  EXPECT_EQ(name->DisplayWidth(), (width - overhang - 3) / ave + 1);
  EXPECT_NE(name->DisplayWidth(), 20);
  EXPECT_EQ(f.data->FieldByName("ID")->DisplayWidth(), idWidth);
  EXPECT_EQ(f.data->FieldByName("QTY")->DisplayWidth(), qtyWidth);
  EXPECT_EQ(f.Focused(), 0);
}
