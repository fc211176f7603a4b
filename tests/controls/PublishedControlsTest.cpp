// The controls in form resources: what each publishes, in its declared order, and a
// labelled button edit written to and read from the component stream byte for byte.
// The expected images are built by hand from the stream's grammar
// (docs/formats/component-stream.md), not by the writer.
#include "tests/controls/ControlTestUtil.h"

#include <algorithm>

#include "controls/AlignGrid.h"
#include "controls/QevComponets.h"
#include "controls/ShadowPanel.h"
#include "controls/basiccom.h"
#include "rtl/ComponentStreaming.h"
#include "rtl/PublishedProperties.h"

namespace {

// A component image, one piece at a time.
struct Image {
  std::string s;
  Image& Raw(std::string_view v) { s += v; return *this; }
  Image& Byte(int v) { s += static_cast<char>(v); return *this; }
  Image& Short(std::string_view v) { return Byte(static_cast<int>(v.size())).Raw(v); }
  Image& Prop(std::string_view name) { return Short(name); }
  Image& Int8(int v) { return Byte(0x02).Byte(v); }
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

std::vector<std::string> PublishedNames(TPersistent& p) {
  TPublishedProperties props(p);
  std::vector<std::string> names;
  for (int i = 0; i < props.Count(); ++i) names.push_back(props.Props(i).Name);
  return names;
}

struct Host {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  template <class C>
  C* Make(const char* name) {
    auto* c = new C(form.get());
    c->SetName(name);
    c->SetParent(form.get());
    return c;
  }
};

// The card number field of a form: a kind of basic data, a set, a font of its own and
// values everywhere the framework has no fixed default.
TLabelBtnEdit* CardNumberField(Host& h) {
  auto* e = h.Make<TLabelBtnEdit>("lblCardNo");
  e->SetBasicType(btKVType);
  e->SetSelectOptions({bopInsert, bopMultiSelect, bopViewStop});
  e->SetText("A01");
  e->SetTypeid("00012");
  e->SetColor(0x00E0FFFF);
  e->SetMaxLength(18);
  e->SetCaption("卡号：");
  e->Font()->SetName("宋体");
  e->Font()->SetHeight(-14);
  e->Font()->SetColor(clRed);
  e->Font()->SetStyle({fsBold});
  e->SetParentColor(false);
  e->SetParentFont(false);
  e->SetParentShowHint(true);
  e->SetShowHint(false);
  e->SetTabOrder(0);
  e->SetTabStop(true);
  return e;
}

// The same, as the form resource holds it.
std::string CardNumberImage() {
  Image i;
  i.Raw("TPF0").Short("TLabelBtnEdit").Short("lblCardNo");
  // The button edit's, in its order (BtnEnabled and Visible at their defaults are left
  // out, so are the empty texts).
  i.Prop("FocusColor").Int32(0x00FFFFFF);
  i.Prop("BtnVisible").True();
  i.Prop("Text").String("A01");
  i.Prop("BorderStyle").Ident("bsSingle");
  i.Prop("Color").Int32(0x00E0FFFF);
  i.Prop("Enabled").True();
  i.Prop("Flat").False();
  i.Prop("DepAttr").Int8(0);
  i.Prop("MaxLength").Int8(18);
  i.Prop("PasswordChar").String(std::string(1, '\0'));
  i.Prop("MaxValue").Int32(1000000);
  i.Prop("MinValue").Int32(static_cast<uint32_t>(-1000000));
  i.Prop("ReadOnly").False();
  i.Prop("RunSelectBasic").True();
  i.Prop("DataType").Ident("dtString");
  i.Prop("BasicType").Ident("btKVType");
  i.Prop("Typeid").String("00012");
  i.Prop("FrameWork").Ident("fwNo");
  i.Prop("IsConditionType").False();
  i.Prop("SelectNextC").True();
  i.Prop("SelectOptions").Set({"bopInsert", "bopMultiSelect", "bopViewStop"});
  i.Prop("BusinessTypes").Set({"gbuSupplier", "gbuClient", "gbuShoppe", "gbuJoinShop", "gbuAgent", "gbuSelfShop"});
  i.Prop("StockTypes").Set({"gsoMain", "gsoSelfShop", "gsoShoppe", "gsoTransfer"});
  i.Prop("ParamIsID").False();
  i.Prop("Required").False();
  i.Prop("SiteVisible").True();
  // The labelled button edit's own.
  i.Prop("ShowCustomCaption").False();
  i.Prop("CustomCaptionNo").Int8(0);
  i.Prop("Sonnum").Int8(0);
  i.Prop("Rec").Int8(0);
  i.Prop("ImmeEvaluate").False();
  // What the published class adds.
  i.Prop("CanReload").True();
  i.Prop("Anchors").Set({"akLeft", "akTop"});
  i.Prop("Caption").String("卡号：");
  i.Prop("Font.Charset").Int16(134);  // GB2312
  i.Prop("Font.Color").Int16(0x00FF);  // clRed
  i.Prop("Font.Height").Int8(-14);
  i.Prop("Font.Name").String("宋体");
  i.Prop("Font.Style").Set({"fsBold"});
  i.Prop("LabelPosition").Ident("lpLeft");
  i.Prop("LabelSpacing").Int8(3);
  i.Prop("LabelVisible").True();
  i.Prop("ParentColor").False();
  i.Prop("ParentFont").False();
  i.Prop("ParentShowHint").True();
  i.Prop("ShowHint").False();
  i.Prop("TabOrder").Int8(0);
  i.Prop("TabStop").True();
  return i.End().End().s;
}

}  // namespace

// The published lists in the order the classes declare them, base class first; names a
// descendant publishes again keep their first place.
TEST(PublishedControls, ListsInDeclarationOrder) {
  Host h;
  using V = std::vector<std::string>;
  const V btnEdit{"FocusColor", "BtnEnabled", "BtnVisible", "Text", "BorderStyle", "BtnCaption", "Color",
                  "Enabled", "Flat", "LastText", "DepAttr", "MaxLength", "PasswordChar", "MaxValue",
                  "MinValue", "ReadOnly", "Visible", "RunSelectBasic", "DataType", "BasicType", "Typeid",
                  "FrameWork", "IsConditionType", "SelectNextC", "SelectOptions", "BusinessTypes",
                  "StockTypes", "Assistant1", "Assistant2", "ParamIsID", "Required", "SiteVisible"};
  EXPECT_EQ(PublishedNames(*h.Make<TRuxBtnEdit>("b")), btnEdit);
  V labelled = btnEdit;
  for (const char* n : {"ShowCustomCaption", "CustomCaptionNo", "Sonnum", "ZoneID", "Zname", "FilterTree",
                        "FilterList", "Rec", "ImmeEvaluate", "CanReload", "Anchors", "Caption", "Font",
                        "LabelPosition", "LabelSpacing", "LabelVisible", "ParentColor", "ParentFont",
                        "ParentShowHint", "ShowHint", "TabOrder", "TabStop"})
    labelled.push_back(n);
  EXPECT_EQ(PublishedNames(*h.Make<TLabelBtnEdit>("l")), labelled);
  EXPECT_EQ(PublishedNames(*h.Make<TLabelComboBox>("c")),
            (V{"IsConditionType", "ShowCustomCaption", "CustomCaptionNo", "Sonnum", "FrameWork", "FindField",
               "ShowField", "KeyField", "keyValue", "BasicType", "Anchors", "Caption", "CharCase", "Color",
               "Style", "Enabled", "Font", "Items", "LabelPosition", "LabelSpacing", "LabelVisible", "MaxLength",
               "ParentColor", "ParentFont", "ParentShowHint", "ShowHint", "TabOrder", "TabStop", "Text",
               "Visible"}));
  EXPECT_EQ(PublishedNames(*h.Make<TLabelLabel>("t")),
            (V{"Typeid", "Sonnum", "ZoneID", "Zname", "BasicType", "IsConditionType", "SelectOptions",
               "CaptionName", "CaptionValue", "CaptionDevide", "LabelVisible", "CustomCaptionNo",
               "ShowCustomCaption", "ParamIsID", "FrameWork"}));
  EXPECT_EQ(PublishedNames(*h.Make<TLabelDate>("d")),
            (V{"LabelPosition", "LabelSpacing", "Caption", "LabelVisible", "BasicType", "IsConditionType",
               "ShowCustomCaption", "CustomCaptionNo", "Visible", "FrameWork"}));
  EXPECT_EQ(PublishedNames(*h.Make<TLabelEmptyDate>("e")),
            (V{"ShowCustomCaption", "CustomCaptionNo", "DateStr", "TabStop", "TabOrder", "LabelPosition",
               "LabelSpacing", "Caption", "LabelVisible", "BasicType", "IsConditionType", "Visible",
               "FrameWork"}));
  TRuxEdit inner(nullptr);
  EXPECT_EQ(PublishedNames(inner), (V{"PasswordChar", "DataType", "MaxValue", "MinValue"}));
}

// The combo box's items and the aligned grid's fixed colour are in the form resource: the
// items as the list "Items.Strings" right after the font (none when there are none), the
// colour after Editable and only off its default, the button face.
TEST(PublishedControls, ComboBoxItemsAndGridFixedColourGoThroughTheStream) {
  Host h;
  auto* combo = h.Make<TLabelComboBox>("cbbCardType");
  EXPECT_EQ(Written(combo).find("Items"), std::string::npos);
  for (const char* s : {"金卡", "银卡", "普通卡"}) combo->Items()->Add(s);
  const std::string image = Written(combo);
  const std::string items =
      Image().Prop("Items.Strings").Byte(0x01).String("金卡").String("银卡").String("普通卡").End().s;
  const size_t at = image.find(items);
  ASSERT_NE(at, std::string::npos);
  EXPECT_LT(image.find("Font.Style"), at);
  EXPECT_EQ(image.find(Image().Prop("LabelPosition").s), at + items.size());
  Host other;
  auto* back = other.Make<TLabelComboBox>("x");
  ReadInto(image, back);
  ASSERT_EQ(back->Items()->Count(), 3);
  EXPECT_EQ(back->Items()->Strings(0) + back->Items()->Strings(1) + back->Items()->Strings(2), "金卡银卡普通卡");
  EXPECT_EQ(Written(back), image);

  TAlignGrid grid(nullptr);
  grid.SetName("grdPd");
  const std::vector<std::string> names = PublishedNames(grid);
  const auto editable = std::find(names.begin(), names.end(), "Editable");
  ASSERT_TRUE(editable != names.end() && editable + 2 < names.end());
  EXPECT_EQ(editable[1], "FixedColor");
  EXPECT_EQ(editable[2], "ShowCellHints");
  EXPECT_EQ(Written(&grid).find("FixedColor"), std::string::npos);
  grid.SetFixedColor(static_cast<TColor>(0x00E0E0E0));
  const std::string gridImage = Written(&grid);
  EXPECT_NE(gridImage.find(Image().Prop("FixedColor").Int32(0x00E0E0E0).s), std::string::npos);
  TAlignGrid gridBack(nullptr);
  ReadInto(gridImage, &gridBack);
  EXPECT_EQ(gridBack.FixedColor(), static_cast<TColor>(0x00E0E0E0));
  EXPECT_EQ(gridBack.CellColor(0, 0), static_cast<TColor>(0x00E0E0E0));  // fixed cells take it
}

TEST(PublishedControls, LabelledButtonEditWritesItsImage) {
  Host h;
  TLabelBtnEdit* e = CardNumberField(h);
  EXPECT_EQ(Written(e), CardNumberImage());
}

// Only BtnEnabled and Visible have stream defaults: they appear once they differ.
TEST(PublishedControls, ButtonEnabledAndVisibleAreWrittenOnlyOffTheirDefaults) {
  Host h;
  TLabelBtnEdit* e = CardNumberField(h);
  e->SetBtnEnabled(false);
  e->Hide();
  const std::string image = Written(e);
  EXPECT_NE(image.find(Image().Prop("BtnEnabled").False().s), std::string::npos);
  EXPECT_NE(image.find(Image().Prop("ReadOnly").False().Prop("Visible").False().s), std::string::npos);
}

TEST(PublishedControls, LabelledButtonEditReadsItsImageBack) {
  Host h;
  auto* e = h.Make<TLabelBtnEdit>("x");
  ReadInto(CardNumberImage(), e);
  EXPECT_EQ(e->Name(), "lblCardNo");
  EXPECT_EQ(e->BasicType(), btKVType);
  EXPECT_EQ(e->SelectOptions(), (TBaseSelectOptions{bopInsert, bopMultiSelect, bopViewStop}));
  EXPECT_EQ(e->Text(), "A01");
  EXPECT_EQ(e->Typeid(), "00012");
  EXPECT_EQ(e->Caption(), "卡号：");
  EXPECT_EQ(e->MaxLength(), 18);
  EXPECT_EQ(e->Font()->Name(), "宋体");
  EXPECT_EQ(e->Font()->Height(), -14);
  EXPECT_EQ(e->Font()->Color(), clRed);
  EXPECT_TRUE(e->Font()->Style().Contains(fsBold));
  EXPECT_EQ(Written(e), CardNumberImage());
}

// Forms name the odd members exactly; an unknown member is refused and changes nothing.
TEST(PublishedControls, OddMemberNamesLoadIntoTheirOrdinals) {
  Host h;
  auto* e = h.Make<TLabelBtnEdit>("x");
  auto image = [](std::string_view basic, std::string_view frame) {
    return Image()
        .Raw("TPF0")
        .Short("TLabelBtnEdit")
        .Short("edtKind")
        .Prop("BasicType")
        .Ident(basic)
        .Prop("FrameWork")
        .Ident(frame)
        .End()
        .End()
        .s;
  };
  ReadInto(image("btjoinselfAndShop", "fwfwResetTop2"), e);
  EXPECT_EQ(static_cast<int>(e->BasicType()), 139);
  EXPECT_EQ(static_cast<int>(e->FrameWork()), 3);
  ReadInto(image("btATypePX", "fwNo"), e);
  EXPECT_EQ(static_cast<int>(e->BasicType()), 112);
  try {
    ReadInto(image("btCustom31", "fwNo"), e);
    FAIL() << "an unknown member was read";
  } catch (const EReadError& x) {
    EXPECT_NE(std::string(x.Message()).find("Invalid property value"), std::string::npos) << x.Message();
  }
  EXPECT_EQ(static_cast<int>(e->BasicType()), 112);
}

// The pick edit, its button container and the maroon panel publish like the others.
TEST(PublishedControls, PickEditContainerAndMaroonPanelListTheirProperties) {
  Host h;
  using V = std::vector<std::string>;
  auto* pick = h.Make<TQevPickEdit>("edtStock");
  EXPECT_EQ(PublishedNames(*pick),
            (V{"Anchors", "AutoSelect", "ButtonEnabled", "EditorEnabled", "Enabled", "Font", "MaxLength",
               "ParentFont", "ParentShowHint", "ReadOnly", "ShowHint", "TabOrder", "TabStop", "Text", "Visible",
               "BottomLineColor", "BorderStyle", "Color", "ParentColor", "ButtonVisible"}));
  EXPECT_EQ(PublishedNames(*pick->ButtonContainer()),
            (V{"Align", "Anchors", "Btn", "DownNumGlyphs", "Enabled", "ParentShowHint", "ShowHint", "TabOrder",
               "TabStop", "Visible"}));
  EXPECT_EQ(PublishedNames(*h.Make<TPXMaroonPanel>("pnlBottom")),
            (V{"Align", "Alignment", "Anchors", "Color", "Enabled", "FullRepaint", "Font", "ParentFont",
               "ParentShowHint", "ShowHint", "TabOrder", "TabStop", "Visible", "Version", "NoPaint"}));
}

// Values off their defaults go through the stream and back; the edit's button container
// and bottom line are not written as children.
TEST(PublishedControls, PickEditAndMaroonPanelGoThroughTheStream) {
  Host h;
  auto* pick = h.Make<TQevPickEdit>("edtPtype");
  pick->SetText("全部");
  pick->EditorEnabled = false;
  pick->SetButtonVisible(false);
  pick->SetBottomLineColor(clRed);
  pick->SetBorderStyle(bsNone);
  pick->SetReadOnly(true);
  const std::string image = Written(pick);
  EXPECT_EQ(image.find("TCPickButton"), std::string::npos);
  EXPECT_NE(image.find(Image().Prop("EditorEnabled").False().s), std::string::npos);
  EXPECT_NE(image.find(Image().Prop("BorderStyle").Ident("bsNone").s), std::string::npos);
  EXPECT_NE(image.find(Image().Prop("ButtonVisible").False().s), std::string::npos);
  EXPECT_EQ(image.find("AutoSelect"), std::string::npos);  // at its default
  Host other;
  auto* back = other.Make<TQevPickEdit>("x");
  ReadInto(image, back);
  EXPECT_EQ(back->Text(), "全部");
  EXPECT_FALSE(back->EditorEnabled);
  EXPECT_FALSE(back->ButtonVisible());
  EXPECT_EQ(back->BottomLineColor(), clRed);
  EXPECT_EQ(back->BorderStyle(), bsNone);
  EXPECT_TRUE(back->ReadOnly());
  EXPECT_EQ(Written(back), image);

  auto* panel = h.Make<TPXMaroonPanel>("pnlBottom");
  panel->SetVersion(gvQB);
  panel->SetNoPaint(true);
  auto* panelBack = other.Make<TPXMaroonPanel>("y");
  ReadInto(Written(panel), panelBack);
  EXPECT_EQ(panelBack->Version(), gvQB);
  EXPECT_EQ(panelBack->Color(), clBtnFace);
  EXPECT_TRUE(panelBack->NoPaint());
  EXPECT_EQ(panelBack->Align(), alBottom);
}

// The shadow panel publishes its five settings; each is written only off its default
// and read back through its setter (a read shadow colour outlines the face as well).
TEST(PublishedControls, ShadowPanelWritesItsSettingsOffTheirDefaults) {
  Host h;
  auto* panel = h.Make<TShadowPanel>("pnlTitle");
  EXPECT_EQ(PublishedNames(*panel), (std::vector<std::string>{"FaceColor", "ShadowColor", "Shape", "ShadowOffset",
                                                              "ShapeVisible"}));
  EXPECT_EQ(Written(panel), Image().Raw("TPF0").Short("TShadowPanel").Short("pnlTitle").End().End().s);

  panel->SetFaceColor(clWhite);
  panel->SetShadowColor(clRed);
  panel->SetShape(stRoundRect);
  panel->SetShadowOffset(5);
  panel->SetShapeVisible(false);
  Image i;
  i.Raw("TPF0").Short("TShadowPanel").Short("pnlTitle");
  i.Prop("FaceColor").Int32(0x00FFFFFF);
  i.Prop("ShadowColor").Int16(0x00FF);
  i.Prop("Shape").Ident("stRoundRect");
  i.Prop("ShadowOffset").Int8(5);
  i.Prop("ShapeVisible").False();
  const std::string image = i.End().End().s;
  EXPECT_EQ(Written(panel), image);

  Host other;
  auto* back = other.Make<TShadowPanel>("pnlTitle");
  back->SetBounds(0, 0, 100, 28);
  ReadInto(image, back);
  EXPECT_EQ(back->FaceColor(), clWhite);
  EXPECT_EQ(back->ShadowColor(), clRed);
  EXPECT_EQ(back->Face()->Pen()->Color(), clRed);
  EXPECT_EQ(back->ShadowShape()->Shape(), stRoundRect);
  EXPECT_EQ(back->ShadowOffset(), 5);
  EXPECT_EQ(back->Face()->Width(), 95);
  EXPECT_FALSE(back->ShadowShape()->Visible());
  EXPECT_EQ(Written(back), image);
}
