// The application's grid class: its column class, the red line after the fixed columns,
// the lookup of a column by field name, and its published properties in the component
// stream (the expected images are built by hand from docs/formats/component-stream.md).
#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/uPosDbGrid.h"
#include "rtl/ComponentStreaming.h"
#include "rtl/PublishedProperties.h"
#include "rtl/Streams.h"
#include "tests/support/Screenshot.h"

using namespace kwtest;
using namespace uitest;

namespace {
struct TestJbGrid : TJbDbGrid {
  using TJbDbGrid::GetFixedLineColor;
  using TJbDbGrid::TJbDbGrid;
};
}  // namespace

TEST(JbDbGrid, ColumnsAreJbColumnsWithTagZero) {
  TestJbGrid g(nullptr);
  TkwColumn* c = g.Columns()->Add();
  auto* jb = dynamic_cast<TJbColumn*>(c);
  ASSERT_NE(jb, nullptr);
  EXPECT_EQ(jb->Tag(), 0);
  EXPECT_EQ(g.GetFixedLineColor(), 255);
  jb->SetTag(7);
  TJbColumn* copy = static_cast<TJbColumn*>(g.Columns()->Add());
  copy->Assign(jb);
  EXPECT_EQ(copy->Tag(), 7);
}

// Regression: a name no column has answered the first column, so a caller wrote into or
// read from a column it had not asked for; an empty grid raised the index error.
TEST(JbDbGrid, FaultColumnByFieldNameAnswersNoColumnForAnUnknownName) {
  TJbDbGrid g(nullptr);
  EXPECT_EQ(g.ColumnByFieldName("USERCODE"), nullptr);
  g.Columns()->Add()->SetFieldName("UserName");
  TkwColumn* code = g.Columns()->Add();
  code->SetFieldName("UserCode");
  EXPECT_EQ(g.ColumnByFieldName("USERCODE"), code);
  EXPECT_EQ(g.ColumnByFieldName("usercode"), code);
  EXPECT_EQ(g.ColumnByFieldName("NOSUCH"), nullptr);
}

// ============================================================================ streaming

namespace {

// A component image, one piece at a time.
struct Image {
  std::string s;
  Image& Raw(std::string_view v) { s += v; return *this; }
  Image& Byte(int v) { s += static_cast<char>(v); return *this; }
  Image& Short(std::string_view v) { return Byte(static_cast<int>(v.size())).Raw(v); }
  Image& Prop(std::string_view name) { return Short(name); }
  Image& Int8(int v) { return Byte(0x02).Byte(v & 0xFF); }
  Image& Int16(int v) { return Byte(0x03).Byte(v & 0xFF).Byte(v >> 8 & 0xFF); }
  Image& Int32(uint32_t v) {
    Byte(0x04);
    for (int i = 0; i < 4; ++i) Byte(static_cast<int>(v >> (8 * i) & 0xFF));
    return *this;
  }
  Image& False() { return Byte(0x08); }
  Image& True() { return Byte(0x09); }
  Image& Ident(std::string_view v) { return Byte(0x07).Short(v); }
  Image& String(std::string_view v) { return Byte(0x06).Short(v); }
  Image& Set(std::initializer_list<std::string_view> names) {
    Byte(0x0B);
    for (std::string_view n : names) Short(n);
    return Byte(0);
  }
  Image& End() { return Byte(0); }
};

std::string Written(TComponent* c) {
  TMemoryStream s;
  s.WriteComponent(c);
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

void ReadInto(const std::string& bytes, TComponent* c) {
  TStringStream s(bytes);
  s.ReadComponent(c);
}

struct GridHost {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TJbDbGrid* grid;
  GridHost() {
    grid = new TJbDbGrid(form.get());
    grid->SetName("grdSelectData");
    grid->SetParent(form.get());
  }
};

// The selection dialog's grid as a form sets it up: filling its parent, read-only, its
// own options and colours, the title font, two columns of its own (one with a tag).
void SetUpLikeTheSelectionDialog(TJbDbGrid* g) {
  g->SetAlign(alClient);
  g->SetReadOnly(true);
  g->SetOptions(GridOption(dgTitles) | GridOption(dgIndicator) | GridOption(dgColLines) | GridOption(dgRowLines) |
                GridOption(dgRowSelect) | GridOption(dgTwoColor) | GridOption(dgMultiSelect));
  g->SetFixedColor(0x00E0E0E0);
  g->SetParentFont(false);
  g->Font()->SetName("新宋体");
  g->Font()->SetHeight(-12);
  g->TitleFont()->SetName("宋体");
  g->TitleFont()->SetHeight(-13);
  TkwColumn* code = g->Columns()->Add();
  code->SetFieldName("CODE");
  code->Title()->SetCaption("编码");
  TkwColumn* name = g->Columns()->Add();
  name->SetFieldName("NAME");
  static_cast<TJbColumn*>(name)->SetTag(7);
}

std::string SelectionDialogGridImage() {
  Image i;
  i.Raw("TPF0").Short("TJbDbGrid").Short("grdSelectData");
  // TabStop, Anchors, BorderStyle, Color, DefaultDrawing, DefaultRowHeight, Enabled,
  // ParentShowHint, ParentColor and Visible are at their defaults.
  i.Prop("Align").Ident("alClient");
  i.Prop("FixedColor").Int32(0x00E0E0E0);
  i.Prop("Font.Charset").Int16(134);  // GB2312
  i.Prop("Font.Color").Int8(0);
  i.Prop("Font.Height").Int8(-12);
  i.Prop("Font.Name").String("新宋体");
  i.Prop("Font.Style").Set({});
  i.Prop("Footer").False();
  i.Prop("Options").Set({"dgTitles", "dgIndicator", "dgColLines", "dgRowLines", "dgRowSelect", "dgTwoColor",
                         "dgMultiSelect"});
  i.Prop("ParentFont").False();
  i.Prop("ReadOnly").True();
  i.Prop("ShowHint").False();
  i.Prop("TabOrder").Int8(0);
  i.Prop("TitleFont.Charset").Int16(134);
  i.Prop("TitleFont.Color").Int8(0);
  i.Prop("TitleFont.Height").Int8(-13);
  i.Prop("TitleFont.Name").String("宋体");
  // The columns are the form's own: the defined property.
  i.Prop("Columns").Byte(0x0E);
  i.Byte(0x01).Prop("FieldName").String("CODE").Prop("Title.Caption").String("编码").End();
  i.Byte(0x01).Prop("FieldName").String("NAME").Prop("Tag").Int8(7).End();
  i.End();
  return i.End().End().s;
}

}  // namespace

TEST(JbDbGrid, PublishesWhatTheFormsSetInThePlatformsOrder) {
  GridHost h;
  TPublishedProperties props(*h.grid);
  std::vector<std::string> names;
  for (int i = 0; i < props.Count(); ++i) names.push_back(props.Props(i).Name);
  EXPECT_EQ(names, (std::vector<std::string>{"TabStop", "Align", "Anchors", "BorderStyle", "Color", "DefaultDrawing",
                                             "DefaultRowHeight", "Enabled", "FixedColor", "Font", "Footer",
                                             "Options", "ParentFont", "ParentShowHint", "ParentColor", "ReadOnly",
                                             "ShowHint", "TabOrder", "TitleFont", "Visible"}));
}

TEST(JbDbGrid, SelectionDialogGridWritesItsImage) {
  GridHost h;
  SetUpLikeTheSelectionDialog(h.grid);
  EXPECT_EQ(Written(h.grid), SelectionDialogGridImage());
}

TEST(JbDbGrid, ImageReadsBackIntoAFreshGrid) {
  GridHost h;
  ReadInto(SelectionDialogGridImage(), h.grid);
  TJbDbGrid* g = h.grid;
  EXPECT_EQ(g->Align(), alClient);
  EXPECT_TRUE(g->ReadOnly());
  EXPECT_FALSE(HasGridOption(g->Options(), dgEditing));
  EXPECT_TRUE(HasGridOption(g->Options(), dgMultiSelect));
  EXPECT_EQ(g->FixedColor(), static_cast<TColor>(0x00E0E0E0));
  EXPECT_EQ(g->Font()->Name(), "新宋体");
  EXPECT_FALSE(g->ParentFont());
  EXPECT_EQ(g->TitleFont()->Name(), "宋体");
  EXPECT_EQ(g->TitleFont()->Height(), -13);
  ASSERT_EQ(g->Columns()->Count(), 2);
  EXPECT_EQ(g->Columns()->State(), TkwDBGridColumns::csCustomized);
  EXPECT_EQ(g->Columns()->Items(0)->Title()->Caption(), "编码");
  EXPECT_EQ(static_cast<TJbColumn*>(g->Columns()->Items(1))->Tag(), 7);
  EXPECT_EQ(Written(g), SelectionDialogGridImage());
}

// Default columns follow the dataset: nothing of them is written, and reading an image
// without them leaves a grid's own columns alone.
TEST(JbDbGrid, DefaultColumnsAreNotWritten) {
  DbGridForm f(3);
  GridHost h;
  h.grid->SetDataSource(f.source.get());
  ASSERT_EQ(h.grid->Columns()->Count(), 4);
  ASSERT_EQ(h.grid->Columns()->State(), TkwDBGridColumns::csDefault);
  const std::string image = Written(h.grid);
  EXPECT_EQ(image.find("Columns"), std::string::npos);
  EXPECT_EQ(image.find("FieldName"), std::string::npos);
}

TEST(JbDbGrid, ColumnsOfAnotherKindAreRefusedAndLeaveTheColumns) {
  GridHost h;
  SetUpLikeTheSelectionDialog(h.grid);
  // A string, and a list holding an empty collection.
  for (const std::string& value : {std::string("\x06\x02ab", 4), std::string("\x01\x0E\x00\x00", 4)}) {
    Image i;
    i.Raw("TPF0").Short("TJbDbGrid").Short("grdSelectData").Prop("Columns").Raw(value).End().End();
    EXPECT_THROW(ReadInto(i.s, h.grid), EReadError);
    EXPECT_EQ(h.grid->Columns()->Count(), 2);
  }
}
