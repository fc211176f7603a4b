// The aligned grid's streamed property lists: the bytes of each kind of property, what is
// written when, round trips, old colour properties, and damaged input.
#include <gtest/gtest.h>

#include "controls/AlignGridStream.h"
#include "rtl/Streams.h"

namespace {

// A component that streams one set of property lists, with a fixed text per cell.
class TListsHolder : public TComponent {
 public:
  explicit TListsHolder(TComponent* owner = nullptr) : TComponent(owner) { SetName("G"); }
  TAlignGridProps Props;
  TAlignGridStreamContext Context{4, 4, {}, {kClWindow, 0, false}};

 protected:
  void DefineProperties(TFiler& filer) override {
    TComponent::DefineProperties(filer);
    DefineAlignGridProperties(filer, Props, Context);
  }
};

AnsiString Image(TListsHolder& h) {
  TMemoryStream m;
  m.WriteComponent(&h);
  return AnsiString(reinterpret_cast<const char*>(m.Memory()), m.Size());
}

void Load(TListsHolder& into, const AnsiString& image) {
  TStringStream s(image);
  s.ReadComponent(&into);
}

AnsiString Hex(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  AnsiString out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// The bytes stored for property name (after the name), up to the next n bytes.
AnsiString ValueOf(const AnsiString& image, const AnsiString& name, size_t n) {
  const AnsiString tag = AnsiString(1, static_cast<char>(name.size())) + name;
  const size_t at = image.find(tag);
  if (at == AnsiString::npos) return "absent";
  return Hex(image.substr(at + tag.size(), n));
}

bool Has(const AnsiString& image, const AnsiString& name) {
  return image.find(AnsiString(1, static_cast<char>(name.size())) + name) != AnsiString::npos;
}

}  // namespace

TEST(AlignGridStreamBytes, BinaryBlocksAreFixedRecordsWithoutHeader) {
  TListsHolder h;
  h.Props.AlignCell.Set(2, 3, al_Center);
  h.Props.EditCol.Set(3, false);
  h.Props.EditCol.Set(1, true);
  const AnsiString image = Image(h);
  EXPECT_EQ(ValueOf(image, "AlignCell", 10), "0A 05 00 00 00 02 00 03 00 02");
  EXPECT_EQ(ValueOf(image, "EditCol", 11), "0A 06 00 00 00 01 00 01 03 00 00");
}

TEST(AlignGridStreamBytes, ValueListsOfHintsFontsAndBrushes) {
  TListsHolder h;
  h.Props.HintCell.Set(1, 2, "abc");
  h.Props.FontCol.Set(3, {255, -12, "宋体", 0, 1, true});
  h.Props.BrushRow.Set(1, {0x112233, 6, true});
  const AnsiString image = Image(h);
  EXPECT_EQ(ValueOf(image, "HintCell", 11), "01 02 01 02 02 06 03 61 62 63 00");
  EXPECT_EQ(ValueOf(image, "FontCol", 19), "01 02 03 03 FF 00 02 F4 06 04 CB CE CC E5 02 00 02 01 00");
  EXPECT_EQ(ValueOf(image, "BrushRow", 11), "01 02 01 04 33 22 11 00 02 06 00");
}

TEST(AlignGridStreamBytes, PropertiesKeepTheirOrder) {
  TListsHolder h;
  h.Props.SelectedColorRow.Set(0, 1);
  h.Props.AlignCell.Set(0, 0, al_Right);
  h.Props.BrushCell.Set(0, 0, {1, 0, true});
  h.Props.EditRow.Set(0, true);
  const AnsiString image = Image(h);
  const size_t a = image.find("AlignCell"), e = image.find("EditRow"), b = image.find("BrushCell"),
               s = image.find("SelectedColorRow");
  EXPECT_LT(a, e);
  EXPECT_LT(e, b);
  EXPECT_LT(b, s);
}

TEST(AlignGridStreamConditions, OnlyListsWithDataAndModifiedObjectsAreWritten) {
  TListsHolder h;
  AnsiString image = Image(h);
  for (const char* n : {"AlignCell", "EditCol", "HintCell", "Cells", "FontCell", "BrushCol", "ColorCol"})
    EXPECT_FALSE(Has(image, n)) << n;
  h.Props.FontCol.Set(1, TCellFont{});  // created, never changed
  image = Image(h);
  EXPECT_EQ(ValueOf(image, "FontCol", 2), "01 00");
  h.Props.FontCol.Find(1)->Modified = true;
  EXPECT_EQ(ValueOf(Image(h), "FontCol", 3), "01 02 01");
}

TEST(AlignGridStreamConditions, CellsAreWrittenOnlyAfterTheyWereLoaded) {
  TListsHolder h;
  h.Context.CellText = [](int c, int r) { return c == 1 && r == 2 ? AnsiString("x") : AnsiString(); };
  EXPECT_FALSE(Has(Image(h), "Cells"));
  h.Props.LoadedCells.SetHasData(true);
  EXPECT_EQ(ValueOf(Image(h), "Cells", 10), "01 02 01 02 02 06 01 78 00 00");
}

TEST(AlignGridStreamRoundTrip, EveryKindOfListComesBackUnchanged) {
  TListsHolder h;
  auto& p = h.Props;
  p.AlignCell.Set(1, 2, al_Center);
  p.AlignCol.Set(1, al_Right);
  p.FixedAlignCol.Set(0, al_Center);
  p.AlignRow.Set(3, al_Left);
  p.FixedAlignRow.Set(0, al_Right);
  p.EditCell.Set(2, 2, false);
  p.EditCol.Set(3, false);
  p.EditRow.Set(1, true);
  p.HintCell.Set(3, 3, "提示");
  p.FontCell.Set(1, 1, {1, -20, "黑体", 2, 15, true});
  p.FontFixedRow.Set(0, {2, -9, "Arial", 1, 0, true});
  p.BrushCell.Set(2, 1, {7, 7, true});
  p.BrushFixedCol.Set(0, {8, 1, true});
  p.SelectedColorCell.Set(1, 1, 9);
  p.SelectedColorCol.Set(2, 10);
  TListsHolder into;
  Load(into, Image(h));
  const auto& q = into.Props;
  EXPECT_EQ(*q.AlignCell.Find(1, 2), al_Center);
  EXPECT_EQ(*q.AlignCol.Find(1), al_Right);
  EXPECT_EQ(*q.FixedAlignCol.Find(0), al_Center);
  EXPECT_EQ(*q.AlignRow.Find(3), al_Left);
  EXPECT_EQ(*q.FixedAlignRow.Find(0), al_Right);
  EXPECT_FALSE(*q.EditCell.Find(2, 2));
  EXPECT_FALSE(*q.EditCol.Find(3));
  EXPECT_TRUE(*q.EditRow.Find(1));
  EXPECT_EQ(q.CellHint(3, 3), "提示");
  EXPECT_EQ(*q.FontCell.Find(1, 1), p.FontCell.Find(1, 1) ? *p.FontCell.Find(1, 1) : TCellFont{});
  EXPECT_EQ(*q.FontFixedRow.Find(0), *p.FontFixedRow.Find(0));
  EXPECT_EQ(*q.BrushCell.Find(2, 1), *p.BrushCell.Find(2, 1));
  EXPECT_EQ(*q.BrushFixedCol.Find(0), *p.BrushFixedCol.Find(0));
  EXPECT_EQ(*q.SelectedColorCell.Find(1, 1), 9);
  EXPECT_EQ(*q.SelectedColorCol.Find(2), 10);
}

TEST(AlignGridStreamRoundTrip, OldColourPropertiesLoadAsBrushesAndSaveAsBrushes) {
  // A resource of an older grid: ColorCol 2 = $00FF00 (list of index, colour).
  TListsHolder older;
  AnsiString image = Image(older);
  static const char colorCol[] = "\x08" "ColorCol" "\x01\x02\x02\x04\x00\xFF\x00\x00\x00";
  image.insert(image.size() - 2, AnsiString(colorCol, sizeof colorCol - 1));
  TListsHolder h;
  Load(h, image);
  ASSERT_NE(h.Props.BrushCol.Find(2), nullptr);
  EXPECT_EQ(h.Props.BrushCol.Find(2)->Color, 0x00FF00);
  const AnsiString again = Image(h);
  EXPECT_FALSE(Has(again, "ColorCol"));
  EXPECT_EQ(ValueOf(again, "BrushCol", 11), "01 02 02 04 00 FF 00 00 02 00 00");
}

TEST(AlignGridStreamRoundTrip, RegressionCoordinatesBeyond16BitsAreNotWritten) {
  TListsHolder h;
  h.Context.ColCount = 70000;
  h.Context.RowCount = 70000;
  h.Props.AlignCell.Set(65536, 1, al_Center);
  h.Props.AlignCell.Set(1, 1, al_Right);
  h.Props.HintCell.Set(1, 65536, "far");
  h.Props.HintCell.Set(1, 1, "near");
  TListsHolder into;
  Load(into, Image(h));
  EXPECT_EQ(into.Props.CellAlignment(0, 1, false, al_Left), al_Left);  // not wrapped onto column 0
  EXPECT_EQ(into.Props.CellAlignment(1, 1, false, al_Left), al_Right);
  EXPECT_EQ(into.Props.CellHint(1, 0), "");
  EXPECT_EQ(into.Props.CellHint(1, 1), "near");
}

TEST(AlignGridStreamDamage, RegressionShortBlockRaisesTheReadErrorAndStoresNothing) {
  TMemoryStream s;
  s.WriteBytes(std::string_view("\x01\x00\x02\x00\x02\x05\x00", 7));  // one record and two bytes
  s.SetPosition(0);
  TSparseCells<T_Align> cells;
  EXPECT_THROW(ReadAlignCellBlock(s, cells), EReadError);
  EXPECT_TRUE(cells.Empty());
  EXPECT_FALSE(cells.HasData());
}

TEST(AlignGridStreamDamage, RegressionBadEnumeratedBytesRaiseTheReadError) {
  const struct {
    const char* bytes;
    size_t n;
  } cases[] = {{"\x01\x00\x03", 3}, {"\x01\x00\x01\x02\x00\xFF", 6}};
  for (const auto& c : cases) {
    TMemoryStream s;
    s.WriteBytes(std::string_view(c.bytes, c.n));
    s.SetPosition(0);
    TSparseLine<T_Align> line;
    EXPECT_THROW(ReadAlignLineBlock(s, line), EReadError) << c.n;
    EXPECT_TRUE(line.Empty());
  }
  TMemoryStream s;
  s.WriteBytes(std::string_view("\x01\x00\x02", 3));  // a Boolean byte 2
  s.SetPosition(0);
  TSparseLine<bool> edit;
  EXPECT_THROW(ReadEditLineBlock(s, edit), EReadError);
}

TEST(AlignGridStreamDamage, RegressionBadFontPitchOrBrushStyleFailsTheLoad) {
  TListsHolder h;
  h.Props.FontCol.Set(1, {1, -12, "x", 0, 0, true});
  h.Props.BrushCol.Set(1, {1, 0, true});
  AnsiString image = Image(h);
  const size_t pitch = image.find("FontCol") + 7 + 1 + 2 + 2 + 2 + 3;  // list, index, colour, height, name
  ASSERT_EQ(Hex(image.substr(pitch, 2)), "02 00");
  AnsiString bad = image;
  bad[pitch + 1] = 3;
  TListsHolder into;
  EXPECT_THROW(Load(into, bad), EReadError);
  bad = image;
  const size_t style = image.find("BrushCol") + 8 + 1 + 2 + 2;
  ASSERT_EQ(Hex(image.substr(style, 2)), "02 00");
  bad[style + 1] = 8;
  EXPECT_THROW(Load(into, bad), EReadError);
}

TEST(AlignGridStreamDamage, NegativeListCoordinatesAreSkipped) {
  TListsHolder h;
  AnsiString image = Image(h);
  static const char hints[] = "\x08" "HintCell" "\x01\x02\xFF\x02\x01\x06\x01" "a" "\x02\x01\x02\x01\x06\x01" "b" "\x00";
  image.insert(image.size() - 2, AnsiString(hints, sizeof hints - 1));
  TListsHolder into;
  Load(into, image);
  EXPECT_EQ(into.Props.CellHint(1, 1), "b");
  EXPECT_EQ(into.Props.HintCell.Columns().size(), 1u);
}
