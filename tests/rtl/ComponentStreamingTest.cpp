// Component streaming: the bytes the writer produces for every property kind (golden
// bytes written from docs/formats/component-stream.md), what the reader accepts, its
// errors, children and loading, and damaged images that must change nothing.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include "rtl/Collection.h"
#include "rtl/ComponentStreaming.h"

namespace {

// --- byte helpers -------------------------------------------------------------------------

// "02 0A ff" -> the bytes.
std::string Hex(std::string_view hex) {
  std::string out;
  int nibbles = 0, v = 0;
  for (char c : hex) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else continue;
    v = v * 16 + d;
    if (++nibbles == 2) {
      out += static_cast<char>(v);
      nibbles = v = 0;
    }
  }
  return out;
}

// A short string: length byte, bytes.
std::string Str(std::string_view s) { return std::string(1, static_cast<char>(s.size())) + std::string(s); }

// --- the sample classes ----------------------------------------------------------------------

class TSampleFont : public TPersistent {
 public:
  int Size() const { return FSize; }
  void SetSize(int v) { FSize = v; }
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& v) { FName = v; }
  void DefinePublished(TPublishedProperties& P) override {
    P.AddInteger("Size", this, &TSampleFont::Size, &TSampleFont::SetSize).Default(9);
    P.AddString("Name", this, &TSampleFont::Name, &TSampleFont::SetName);
  }

 private:
  int FSize = 9;
  AnsiString FName;
};

class TSampleItem : public TCollectionItem {
 public:
  explicit TSampleItem(TCollection* c) : TCollectionItem(c) {}
  int Code() const { return FCode; }
  void SetCode(int v) { FCode = v; }
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& v) { FText = v; }
  void DefinePublished(TPublishedProperties& P) override {
    P.AddInteger("Code", this, &TSampleItem::Code, &TSampleItem::SetCode);  // no default: always stored
    P.AddString("Text", this, &TSampleItem::Text, &TSampleItem::SetText);
  }

 private:
  int FCode = 0;
  AnsiString FText;
};

enum TSampleStyle { ssBold, ssItalic, ssUnder };

// Records what happened to it, for the loading tests.
std::string gLog;

class TSample : public TComponent {
 public:
  explicit TSample(TComponent* owner) : TComponent(owner), FItems(CollectionItemClassOf<TSampleItem>()) {}

  int Width() const { return FWidth; }
  void SetWidth(int v) {
    FWidth = v;
    if (HasState(csLoading)) gLog += "width-while-loading ";
  }
  int64_t Big() const { return FBig; }
  void SetBig(int64_t v) { FBig = v; }
  char Sep() const { return FSep; }
  void SetSep(char v) { FSep = v; }
  TAlignment Align() const { return FAlign; }
  void SetAlign(TAlignment v) { FAlign = v; }
  int Style() const { return FStyle; }
  void SetStyle(int v) { FStyle = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  double Scale() const { return FScale; }
  void SetScale(double v) { FScale = v; }
  Currency Price() const { return FPrice; }
  void SetPrice(Currency v) { FPrice = v; }
  TDateTime Stamp() const { return FStamp; }
  void SetStamp(TDateTime v) { FStamp = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& v) { FHint = v; }
  TSampleFont* Font() { return &FFont; }
  TSampleFont* NoFont() { return nullptr; }
  TCollection* Items() { return &FItems; }
  TSampleItem* Item(int i) { return FItems.ItemsAs<TSampleItem>(i); }

  std::vector<int> Widths;
  std::string Blob;
  // How many values the Widths reader reads (-1: all of them and the end), and whether
  // it then reads one more value (beyond its own).
  int WidthsToRead = -1;
  bool ReadPastWidths = false;

  void DefinePublished(TPublishedProperties& P) override {
    TComponent::DefinePublished(P);
    using C = TSample;
    P.AddInteger("Width", this, &C::Width, &C::SetWidth).Default(80);
    P.AddInt64("Big", this, &C::Big, &C::SetBig);
    P.AddChar("Sep", this, &C::Sep, &C::SetSep).Default(',');
    P.AddEnumeration("Align", {"taLeftJustify", "taRightJustify", "taCenter"}, this, &C::Align, &C::SetAlign).Default(0);
    P.AddSet("Style", {"ssBold", "ssItalic", "ssUnder"}, this, &C::Style, &C::SetStyle).Default(0);
    P.AddBoolean("Visible", this, &C::Visible, &C::SetVisible).Default(1);
    P.AddFloat("Ratio", fkDouble, this, &C::Ratio, &C::SetRatio);
    P.AddFloat("Scale", fkSingle, this, &C::Scale, &C::SetScale);
    P.AddCurrency("Price", this, &C::Price, &C::SetPrice);
    P.AddFloat("Stamp", fkDate, this, &C::Stamp, &C::SetStamp);
    P.AddString("Caption", this, &C::Caption, &C::SetCaption);
    P.AddWideString("Hint", this, &C::Hint, &C::SetHint);
    P.AddClass("Font", this, &C::Font);
    P.AddClass("Missing", this, &C::NoFont);
    P.AddCollection("Items", this, &C::Items);
  }

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override {
    for (int i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }

  void Loaded() override {
    TComponent::Loaded();
    gLog += "loaded(" + Name() + ") ";
  }

 protected:
  void DefineProperties(TFiler& Filer) override {
    TComponent::DefineProperties(Filer);
    Filer.DefineProperty(
        "Widths",
        [this](TReader& r) {
          Widths.clear();
          r.ReadListBegin();
          while (!r.EndOfList() && WidthsToRead != static_cast<int>(Widths.size())) Widths.push_back(r.ReadInteger());
          if (WidthsToRead < 0) r.ReadListEnd();
          if (ReadPastWidths) r.ReadInteger();
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (int v : Widths) w.WriteInteger(v);
          w.WriteListEnd();
        },
        !Widths.empty());
    Filer.DefineBinaryProperty(
        "Blob", [this](TStream& s) { Blob = s.ReadBytes(s.Size()); }, [this](TStream& s) { s.WriteBytes(Blob); },
        !Blob.empty());
  }

 private:
  int FWidth = 80;
  int64_t FBig = 0;
  char FSep = ',';
  TAlignment FAlign = taLeftJustify;
  int FStyle = 0;
  bool FVisible = true;
  double FRatio = 0;
  double FScale = 0;
  Currency FPrice;
  TDateTime FStamp = 0;
  AnsiString FCaption;
  WideString FHint;
  TSampleFont FFont;
  TCollection FItems;
};

class TSampleChild : public TSample {
 public:
  using TSample::TSample;
};

// The bytes of a sample named S1 with the given properties section (the empty Items
// collection is always stored, after the published properties before it).
std::string Image(const std::string& before, const std::string& after = "", const std::string& children = "") {
  return "TPF0" + Str("TSample") + Str("S1") + before + Str("Items") + Hex("0E 00") + after + Hex("00") + children +
         Hex("00");
}

std::string Write(TComponent& c) {
  TMemoryStream s;
  s.WriteComponent(&c);
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

void Read(const std::string& bytes, TComponent& into) {
  TStringStream s(bytes);
  s.ReadComponent(&into);
}

// The message of the EReadError that reading raises, "" when it reads.
std::string ReadError(const std::string& bytes, TComponent& into) {
  try {
    Read(bytes, into);
  } catch (const EReadError& e) {
    return e.Message();
  }
  return "";
}

class ComponentStreamingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gLog.clear();
    RegisterComponentClass<TSample>();
    RegisterComponentClass<TSampleChild>();
  }
  TSample S{nullptr};
  TSample& Named() {
    S.SetName("S1");
    return S;
  }
};

// --- writing ----------------------------------------------------------------------------------

TEST_F(ComponentStreamingTest, UntouchedComponentStoresOnlyItsCollection) {
  EXPECT_EQ(Write(Named()), "TPF0" + Str("TSample") + Str("S1") + Str("Items") + Hex("0E 00 00 00"));
}

TEST_F(ComponentStreamingTest, EachPropertyKindIsWrittenInItsForm) {
  struct Case {
    const char* what;
    std::function<void(TSample&)> set;
    std::string bytes;
  };
  const std::string long300(300, 'x');
  const Case cases[] = {
      {"int8", [](TSample& s) { s.SetWidth(5); }, Str("Width") + Hex("02 05")},
      {"int8 low end", [](TSample& s) { s.SetWidth(-128); }, Str("Width") + Hex("02 80")},
      {"int16 above int8", [](TSample& s) { s.SetWidth(128); }, Str("Width") + Hex("03 80 00")},
      {"int16 below int8", [](TSample& s) { s.SetWidth(-129); }, Str("Width") + Hex("03 7F FF")},
      {"int16 high end", [](TSample& s) { s.SetWidth(32767); }, Str("Width") + Hex("03 FF 7F")},
      {"int32", [](TSample& s) { s.SetWidth(32768); }, Str("Width") + Hex("04 00 80 00 00")},
      {"int64 small", [](TSample& s) { s.SetBig(7); }, Str("Big") + Hex("02 07")},
      {"int64 large", [](TSample& s) { s.SetBig(5000000000LL); }, Str("Big") + Hex("13 00 F2 05 2A 01 00 00 00")},
      {"char", [](TSample& s) { s.SetSep(';'); }, Str("Sep") + Hex("06 01 3B")},
      {"char GBK byte", [](TSample& s) { s.SetSep('\xB0'); }, Str("Sep") + Hex("06 01 B0")},
      {"enumeration", [](TSample& s) { s.SetAlign(taCenter); }, Str("Align") + Hex("07") + Str("taCenter")},
      {"set", [](TSample& s) { s.SetStyle(1 << ssBold | 1 << ssUnder); },
       Str("Style") + Hex("0B") + Str("ssBold") + Str("ssUnder") + Hex("00")},
      {"boolean", [](TSample& s) { s.SetVisible(false); }, Str("Visible") + Hex("08")},
      {"double as extended", [](TSample& s) { s.SetRatio(1.5); },
       Str("Ratio") + Hex("05 00 00 00 00 00 00 00 C0 FF 3F")},
      {"single", [](TSample& s) { s.SetScale(2.0); }, Str("Scale") + Hex("0F 00 00 00 40")},
      {"currency", [](TSample& s) { s.SetPrice(Currency::FromScaled(12500)); },
       Str("Price") + Hex("10 D4 30 00 00 00 00 00 00")},
      {"date", [](TSample& s) { s.SetStamp(2.5); }, Str("Stamp") + Hex("11 00 00 00 00 00 00 04 40")},
      {"short string", [](TSample& s) { s.SetCaption("ab"); }, Str("Caption") + Hex("06 02 61 62")},
      {"string of 255", [](TSample& s) { s.SetCaption(std::string(255, 'y')); },
       Str("Caption") + Hex("06 FF") + std::string(255, 'y')},
      {"long string", [&](TSample& s) { s.SetCaption(long300); }, Str("Caption") + Hex("0C 2C 01 00 00") + long300},
      {"wide string", [](TSample& s) { s.SetHint(u"\u4E2Da"); }, Str("Hint") + Hex("12 02 00 00 00 2D 4E 61 00")},
      {"sub-object", [](TSample& s) { s.Font()->SetSize(12); }, Str("Font.Size") + Hex("02 0C")},
      {"sub-object string", [](TSample& s) { s.Font()->SetName("Arial"); }, Str("Font.Name") + Hex("06") + Str("Arial")},
  };
  for (const Case& c : cases) {
    TSample s(nullptr);
    s.SetName("S1");
    c.set(s);
    EXPECT_EQ(Write(s), Image(c.bytes)) << c.what;
  }
}

TEST_F(ComponentStreamingTest, CollectionItemsAndDefinedPropertiesFollowThePublishedOnes) {
  auto* item = static_cast<TSampleItem*>(Named().Items()->Add());
  item->SetCode(3);
  item->SetText("x");
  S.Items()->Add();  // Code 0 is stored: the property has no default
  S.Widths = {10, 300};
  S.Blob = Hex("01 02 03");
  S.SetWidth(5);
  const std::string expected = "TPF0" + Str("TSample") + Str("S1") + Str("Width") + Hex("02 05") + Str("Items") +
                               Hex("0E") + Hex("01") + Str("Code") + Hex("02 03") + Str("Text") + Hex("06 01 78") +
                               Hex("00") + Hex("01") + Str("Code") + Hex("02 00") + Hex("00") + Hex("00") +
                               Str("Widths") + Hex("01 02 0A 03 2C 01 00") + Str("Blob") +
                               Hex("0A 03 00 00 00 01 02 03") + Hex("00 00");
  EXPECT_EQ(Write(S), expected);
}

TEST_F(ComponentStreamingTest, ChildrenFollowThePropertiesEachAsAComponent) {
  auto* child = new TSampleChild(&Named());
  child->SetName("C1");
  child->SetWidth(1);
  const std::string childBytes = Str("TSampleChild") + Str("C1") + Str("Width") + Hex("02 01") + Str("Items") +
                                 Hex("0E 00") + Hex("00 00");
  EXPECT_EQ(Write(S), Image("", "", childBytes));
}

TEST_F(ComponentStreamingTest, WriterRefusesNameLongerThan255Bytes) {
  // A one-byte length cannot hold it; the stream would be broken.
  TMemoryStream m;
  TWriter w(m);
  EXPECT_THROW(w.WriteStr(std::string(256, 'a')), EWriteError);
  EXPECT_NO_THROW(w.WriteStr(std::string(255, 'a')));
}

TEST_F(ComponentStreamingTest, WriterValueHelpers) {
  TMemoryStream m;
  TWriter w(m);
  w.WriteIdent("true");
  w.WriteIdent("False");
  w.WriteIdent("NIL");
  w.WriteIdent("null");
  w.WriteIdent("clRed");
  w.WriteDouble(1.0);
  w.WriteUTF8String("ab");
  w.WriteInteger(int64_t(-1));
  w.WriteFloat(-std::numeric_limits<double>::quiet_NaN());  // as the one NaN a read gives
  const std::string got(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
  EXPECT_EQ(got, Hex("09 08 0D 00 07") + Str("clRed") + Hex("15 00 00 00 00 00 00 F0 3F 14 02 00 00 00 61 62 02 FF") +
                     Hex("05 00 00 00 00 00 00 00 C0 FF 7F"));
}

// --- reading ----------------------------------------------------------------------------------

TEST_F(ComponentStreamingTest, EverythingWrittenReadsBack) {
  TSample a(nullptr);
  a.SetName("S1");
  a.SetWidth(-40000);
  a.SetBig(-5000000000LL);
  a.SetSep('\xD6');
  a.SetAlign(taRightJustify);
  a.SetStyle(1 << ssItalic);
  a.SetVisible(false);
  a.SetRatio(0.1);
  a.SetScale(0.25);
  a.SetPrice(Currency::FromScaled(-922337203685477580LL));
  a.SetStamp(45000.75);
  a.SetCaption(std::string(1000, '\xB0'));
  a.SetHint(u"\u4E2D\u6587\U0001F600");
  a.Font()->SetSize(20);
  a.Font()->SetName("\xCB\xCE\xCC\xE5");
  static_cast<TSampleItem*>(a.Items()->Add())->SetText("one");
  static_cast<TSampleItem*>(a.Items()->Add())->SetCode(-2);
  a.Widths = {1, -1, 100000};
  a.Blob = std::string("\0\1\2", 3);
  const std::string image = Write(a);

  TSample b(nullptr);
  Read(image, b);
  EXPECT_EQ(b.Name(), "S1");
  EXPECT_EQ(b.Width(), -40000);
  EXPECT_EQ(b.Big(), -5000000000LL);
  EXPECT_EQ(b.Sep(), '\xD6');
  EXPECT_EQ(b.Align(), taRightJustify);
  EXPECT_EQ(b.Style(), 1 << ssItalic);
  EXPECT_FALSE(b.Visible());
  EXPECT_EQ(b.Ratio(), 0.1);
  EXPECT_EQ(b.Scale(), 0.25);
  EXPECT_EQ(b.Price().Scaled(), -922337203685477580LL);
  EXPECT_EQ(b.Stamp(), 45000.75);
  EXPECT_EQ(b.Caption(), std::string(1000, '\xB0'));
  EXPECT_EQ(b.Hint(), u"\u4E2D\u6587\U0001F600");
  EXPECT_EQ(b.Font()->Size(), 20);
  EXPECT_EQ(b.Font()->Name(), "\xCB\xCE\xCC\xE5");
  ASSERT_EQ(b.Items()->Count(), 2);
  EXPECT_EQ(b.Item(0)->Text(), "one");
  EXPECT_EQ(b.Item(1)->Code(), -2);
  EXPECT_EQ(b.Widths, (std::vector<int>{1, -1, 100000}));
  EXPECT_EQ(b.Blob, std::string("\0\1\2", 3));
  EXPECT_EQ(Write(b), image);
}

TEST_F(ComponentStreamingTest, ReaderAcceptsTheOtherFormsOfAValue) {
  struct Case {
    const char* what;
    std::string record;
    std::function<bool(TSample&)> check;
  };
  const Case cases[] = {
      {"integer as a float", Str("Ratio") + Hex("03 E8 03"), [](TSample& s) { return s.Ratio() == 1000; }},
      {"int64 as a double", Str("Ratio") + Hex("13 00 00 00 00 01 00 00 00"),
       [](TSample& s) { return s.Ratio() == 4294967296.0; }},
      {"double kind", Str("Ratio") + Hex("15 00 00 00 00 00 00 F0 3F"), [](TSample& s) { return s.Ratio() == 1.0; }},
      {"currency as a double", Str("Ratio") + Hex("10 88 13 00 00 00 00 00 00"),
       [](TSample& s) { return s.Ratio() == 0.5; }},
      {"float into currency", Str("Price") + Hex("05 00 00 00 00 00 00 00 C0 FF 3F"),
       [](TSample& s) { return s.Price().Scaled() == 15000; }},
      {"small integer into int64", Str("Big") + Hex("04 FF FF FF 7F"), [](TSample& s) { return s.Big() == INT32_MAX; }},
      {"boolean as identifier", Str("Visible") + Hex("07") + Str("false"), [](TSample& s) { return !s.Visible(); }},
      {"enumeration in other case", Str("Align") + Hex("07") + Str("TACENTER"),
       [](TSample& s) { return s.Align() == taCenter; }},
      {"char as long string", Str("Sep") + Hex("0C 01 00 00 00 3A"), [](TSample& s) { return s.Sep() == ':'; }},
      {"wide string into string", Str("Caption") + Hex("12 01 00 00 00 2D 4E"),
       [](TSample& s) { return s.Caption() == "\xD6\xD0"; }},
      {"UTF-8 into string", Str("Caption") + Hex("14 03 00 00 00 E4 B8 AD"),
       [](TSample& s) { return s.Caption() == "\xD6\xD0"; }},
      {"string into wide string", Str("Hint") + Hex("06 02 D6 D0"), [](TSample& s) { return s.Hint() == u"\u4E2D"; }},
      {"UTF-8 into wide string", Str("Hint") + Hex("14 03 00 00 00 E4 B8 AD"),
       [](TSample& s) { return s.Hint() == u"\u4E2D"; }},
      {"property name in other case", Str("font.SIZE") + Hex("02 07"), [](TSample& s) { return s.Font()->Size() == 7; }},
      {"empty set", Str("Style") + Hex("0B 00"), [](TSample& s) { return s.Style() == 0; }},
      {"collection item with an index", Str("Items") + Hex("0E 02 05 01") + Str("Code") + Hex("02 09 00 00"),
       [](TSample& s) { return s.Items()->Count() == 1 && s.Item(0)->Code() == 9; }},
  };
  for (const Case& c : cases) {
    TSample s(nullptr);
    s.SetStyle(7);
    const std::string image = "TPF0" + Str("TSample") + Str("S1") + c.record + Hex("00 00");
    ASSERT_EQ(ReadError(image, s), "") << c.what;
    EXPECT_TRUE(c.check(s)) << c.what;
  }
}

TEST_F(ComponentStreamingTest, ReadingEmptyCollectionClearsItems) {
  // The platform keeps the old items when the stream holds none; reading must give back
  // what was written, and what was written was an empty collection.
  Named().Items()->Add();
  Named().Items()->Add();
  Read(Image(""), S);
  EXPECT_EQ(S.Items()->Count(), 0);
}

TEST_F(ComponentStreamingTest, PropertiesNotInTheStreamKeepTheirValues) {
  S.SetWidth(3);
  S.SetCaption("kept");
  Read("TPF0" + Str("TSample") + Str("S2") + Str("Width") + Hex("02 09 00 00"), S);
  EXPECT_EQ(S.Width(), 9);
  EXPECT_EQ(S.Caption(), "kept");
  EXPECT_EQ(S.Name(), "S2");
}

// --- property errors --------------------------------------------------------------------------

TEST_F(ComponentStreamingTest, PropertyErrorsCarryThePlatformTexts) {
  struct Case {
    const char* what;
    std::string record;
    std::string message;
  };
  // The property record starts at offset 4 + 8 + 3 = 15; its value right after the name.
  const Case cases[] = {
      {"unknown property", Str("Height") + Hex("02 01"), "Property Height does not exist"},
      {"unknown sub-object", Str("Pen.Size") + Hex("02 01"), "Property Pen does not exist"},
      {"path through a plain property", Str("Width.Size") + Hex("02 01"), "Property Width does not exist"},
      {"unknown property of a sub-object", Str("Font.Color") + Hex("02 01"), "Property Color does not exist"},
      {"path through a null sub-object", Str("Missing.Size") + Hex("02 01"), "Invalid property value at offset 28"},
      {"string into integer", Str("Width") + Hex("06 01 31"), "Invalid property value at offset 21"},
      {"int64 into integer", Str("Width") + Hex("13 01 00 00 00 00 00 00 00"), "Invalid property value at offset 21"},
      {"unknown enumeration name", Str("Align") + Hex("07") + Str("taTop"), "Invalid property value at offset 21"},
      {"unknown set element", Str("Style") + Hex("0B") + Str("ssBold") + Str("ssWavy") + Hex("00"),
       "Invalid property value at offset 21"},
      {"boolean from a number", Str("Visible") + Hex("02 01"), "Invalid property value at offset 23"},
      {"char of two bytes", Str("Sep") + Hex("06 02 61 62"), "Invalid property value at offset 19"},
      {"currency out of range", Str("Price") + Hex("15 00 00 00 00 00 00 F0 7F"), "Invalid property value at offset 21"},
      {"sub-object as one value", Str("Font") + Hex("0D"), "Invalid property value at offset 20"},
      {"collection from a list", Str("Items") + Hex("01 00"), "Invalid property value at offset 21"},
      {"binary property from a string", Str("Blob") + Hex("06 00"), "Invalid property value at offset 20"},
  };
  for (const Case& c : cases) {
    TSample s(nullptr);
    const std::string image = "TPF0" + Str("TSample") + Str("S1") + c.record + Hex("00 00");
    EXPECT_EQ(ReadError(image, s), c.message) << c.what;
  }
}

TEST_F(ComponentStreamingTest, HandledPropertyErrorSkipsTheValueAndGoesOn) {
  const std::string image = "TPF0" + Str("TSample") + Str("S1") + Str("Height") + Hex("01 02 01 06 01 61 00") +
                            Str("Align") + Hex("07") + Str("taTop") + Str("Width") + Hex("02 07 00 00");
  TStringStream in(image);
  TReader reader(in);
  std::string messages;
  reader.OnError = [&](TReader&, const AnsiString& message, bool& handled) {
    messages += message + "; ";
    handled = true;
  };
  reader.ReadRootComponent(&S);
  EXPECT_EQ(messages, "Property Height does not exist; Invalid property value at offset 35; ");
  EXPECT_EQ(S.Width(), 7);
}

TEST_F(ComponentStreamingTest, ErrorInsideDefinedPropertyIsNeverHandled) {
  TStringStream in("TPF0" + Str("TSample") + Str("S1") + Str("Widths") + Hex("01 06 00 00 00 00"));
  TReader reader(in);
  bool asked = false;
  reader.OnError = [&](TReader&, const AnsiString&, bool& handled) { asked = handled = true; };
  EXPECT_THROW(reader.ReadRootComponent(&S), EReadError);
  EXPECT_FALSE(asked);
}

TEST_F(ComponentStreamingTest, DefinedPropertyMustReadExactlyItsValue) {
  // Widths holds three values; a reader that stops after one leaves the rest unread.
  const std::string image = "TPF0" + Str("TSample") + Str("S1") + Str("Widths") + Hex("01 02 01 02 02 02 03 00") +
                            Str("Width") + Hex("02 07 00 00");
  S.WidthsToRead = 1;
  EXPECT_EQ(ReadError(image, S), "Invalid property value at offset 22");
  // One that reads on past its value meets the value's end, not the next property.
  TSample greedy(nullptr);
  greedy.ReadPastWidths = true;
  EXPECT_EQ(ReadError("TPF0" + Str("TSample") + Str("S1") + Str("Widths") + Hex("01 00") + Str("Width") +
                          Hex("02 07 00 00"),
                      greedy),
            "Invalid stream format at offset 24");
  EXPECT_EQ(greedy.Width(), 80);
}

// --- damaged images -----------------------------------------------------------------------------

TEST_F(ComponentStreamingTest, DamagedImageRaisesWithItsOffsetAndChangesNothing) {
  struct Case {
    const char* what;
    std::string image;
    int64_t offset;
  };
  const std::string head = "TPF0" + Str("TSample") + Str("S1");  // 15 bytes
  const std::string width = Str("Width") + Hex("02 07");         // at 15, 8 bytes
  const Case cases[] = {
      {"bad signature", "TPF1" + Str("TSample") + Str("S1") + Hex("00 00"), 0},
      {"empty stream", "", 0},
      {"unknown value kind", head + width + Str("Ratio") + Hex("16"), 29},
      {"negative long string", head + width + Str("Caption") + Hex("0C FF FF FF FF"), 32},
      {"long string beyond the end", head + width + Str("Caption") + Hex("0C 05 00 00 00 61 62 00 00"), 36},
      {"wide string count overflowing", head + width + Str("Hint") + Hex("12 00 00 00 40 00 00"), 33},
      {"binary beyond the end", head + width + Str("Blob") + Hex("0A 10 00 00 00 00 00"), 33},
      {"extended no machine makes", head + width + Str("Ratio") + Hex("05 00 00 00 00 00 00 00 00 FF 3F 00 00"), 30},
      {"property name not an identifier", head + width + Str("Wi dth") + Hex("02 01 00 00"), 23},
      {"empty part in a property name", head + width + Str("Font..Size") + Hex("02 01 00 00"), 23},
      {"class name not an identifier", "TPF0" + Str("1Sample") + Str("S1") + Hex("00 00"), 4},
      {"component name not an identifier", "TPF0" + Str("TSample") + Str("S 1") + Hex("00 00"), 12},
      {"set element not an identifier", head + width + Str("Style") + Hex("0B") + Str("1ss") + Hex("00 00 00"), 30},
      {"collection item without its list", head + width + Str("Items") + Hex("0E 02 00 02 00 00 00 00"), 32},
      {"missing end of children", head + width + Hex("00"), 24},
      {"child cut short", head + width + Hex("00") + Str("TSample"), 32},
      {"child position of a wrong kind", head + width + Hex("00 F2 06 00") + Str("TSample") + Hex("00 00 00 00 00"),
       25},
  };
  for (const Case& c : cases) {
    TSample s(nullptr);
    s.SetName("Before");
    const std::string message = ReadError(c.image, s);
    EXPECT_EQ(message, "Invalid stream format at offset " + std::to_string(c.offset)) << c.what;
    EXPECT_EQ(s.Width(), 80) << c.what;
    EXPECT_EQ(s.Name(), "Before") << c.what;
    EXPECT_FALSE(s.HasState(csLoading)) << c.what;
  }
}

TEST_F(ComponentStreamingTest, EveryTruncationOfAnImageChangesNothing) {
  TSample a(nullptr);
  a.SetName("S1");
  a.SetWidth(1234);
  a.SetCaption("caption");
  a.SetHint(u"hint");
  a.Font()->SetSize(3);
  static_cast<TSampleItem*>(a.Items()->Add())->SetText("t");
  a.Widths = {1, 2};
  a.Blob = "blob";
  auto* child = new TSampleChild(&a);
  child->SetName("C1");
  child->SetRatio(2.5);
  const std::string image = Write(a);
  TSample fresh(nullptr);
  const std::string freshImage = Write(fresh);
  for (size_t n = 0; n < image.size(); ++n) {
    TSample s(nullptr);
    EXPECT_NE(ReadError(image.substr(0, n), s), "") << n;
    EXPECT_EQ(Write(s), freshImage) << n;
    EXPECT_EQ(s.ComponentCount(), 0) << n;
  }
}

TEST_F(ComponentStreamingTest, DeepNestingIsRefused) {
  const std::string head = "TPF0" + Str("TSample") + Str("S1") + Str("Widths");
  auto lists = [&](int depth) {
    return head + std::string(static_cast<size_t>(depth), '\x01') + std::string(static_cast<size_t>(depth), '\0') +
           Hex("00 00");
  };
  // 63 lists inside the component (itself the first level) are accepted by the check...
  TSample ok(nullptr);
  ok.WidthsToRead = 0;
  EXPECT_EQ(ReadError(lists(63), ok).find("Invalid stream format"), std::string::npos);
  // ...one more is not, and neither are 100000 (no stack overflow).
  TSample s(nullptr);
  EXPECT_EQ(ReadError(lists(64), s), "Invalid stream format at offset 85");
  EXPECT_EQ(ReadError(lists(100000), s), "Invalid stream format at offset 85");
  std::string children = "TPF0";
  for (int i = 0; i < 100000; ++i) children += Str("TSample") + Hex("00 00");
  EXPECT_NE(ReadError(children, s).find("Invalid stream format"), std::string::npos);
}

// --- components, children, loading ------------------------------------------------------------

TEST_F(ComponentStreamingTest, ChildrenAreReadInPlaceOrMadeFromTheirClass) {
  auto* existing = new TSampleChild(&Named());
  existing->SetName("C1");
  const std::string image = Image("", "",
                                  Str("TSampleChild") + Str("C1") + Str("Width") + Hex("02 01 00 00") +
                                      Str("TSampleChild") + Str("C2") + Str("Width") + Hex("02 02 00 00"));
  Read(image, S);
  ASSERT_EQ(S.ComponentCount(), 2);
  EXPECT_EQ(S.Components(0), existing);
  EXPECT_EQ(existing->Width(), 1);
  auto* made = dynamic_cast<TSampleChild*>(S.Components(1));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Name(), "C2");
  EXPECT_EQ(made->Width(), 2);
  EXPECT_EQ(gLog, "width-while-loading width-while-loading loaded(S1) loaded(C1) loaded(C2) ");
  EXPECT_FALSE(made->HasState(csLoading));
  EXPECT_FALSE(made->HasState(csReading));
}

TEST_F(ComponentStreamingTest, UnregisteredClassIsNotFound) {
  const std::string image = Image("", "", Str("TNowhere") + Str("C9") + Hex("00 00"));
  try {
    Read(image, Named());
    FAIL() << "no error";
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNowhere not found");
  }
  EXPECT_FALSE(S.HasState(csLoading));
  EXPECT_TRUE(gLog.empty());
}

TEST_F(ComponentStreamingTest, ReadingWithoutAnInstanceMakesTheRegisteredClass) {
  S.SetName("S1");
  S.SetWidth(44);
  TMemoryStream m;
  m.WriteComponent(&S);
  m.SetPosition(0);
  std::unique_ptr<TComponent> made(m.ReadComponent(nullptr));
  auto* sample = dynamic_cast<TSample*>(made.get());
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->Width(), 44);
  EXPECT_EQ(sample->Owner(), nullptr);
  EXPECT_EQ(gLog, "width-while-loading loaded(S1) ");
}

TEST_F(ComponentStreamingTest, PrefixFlagsAndChildPositionAreAccepted) {
  const std::string image = "TPF0" + Hex("F3 02 04") + Str("TSample") + Str("S1") + Str("Width") + Hex("02 06 00 00");
  Read(image, S);
  EXPECT_EQ(S.Width(), 6);
}

TEST_F(ComponentStreamingTest, FailedReadLeavesNoComponentLoading) {
  // The second child's class is unknown: the first was read, but nothing is loaded.
  const std::string image = Image("", "",
                                  Str("TSampleChild") + Str("C1") + Hex("00 00") + Str("TNowhere") + Str("C2") +
                                      Hex("00 00"));
  EXPECT_THROW(Read(image, Named()), EClassNotFound);
  ASSERT_EQ(S.ComponentCount(), 1);
  EXPECT_FALSE(S.Components(0)->HasState(csLoading));
  EXPECT_FALSE(S.HasState(csReading));
  EXPECT_TRUE(gLog.empty());
}

TEST_F(ComponentStreamingTest, WritingMarksTheComponentWhileItIsWritten) {
  struct TProbe : TComponent {
    using TComponent::TComponent;
    bool Seen = false;
    void DefinePublished(TPublishedProperties& P) override {
      P.AddBoolean("Probe", [this] { return Seen = HasState(csWriting); }, [](bool) {});
    }
  } probe(nullptr);
  TMemoryStream m;
  m.WriteComponent(&probe);
  EXPECT_TRUE(probe.Seen);
  EXPECT_FALSE(probe.HasState(csWriting));
}

}  // namespace
