// Fuzz target: the component reader. Any input is read into a component with a property
// of every kind, a sub-object, a collection, defined properties and children, or refused
// with a stream error. A component that was read writes an image that reads back into a
// fresh component and writes the very same image again.
// fuzz-deps: rtl
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "rtl/Collection.h"
#include "rtl/ComponentStreaming.h"

namespace {

class TFuzzFont : public TPersistent {
 public:
  int Size = 9;
  AnsiString Name;
  void DefinePublished(TPublishedProperties& P) override {
    P.AddInteger("Size", [this] { return Size; }, [this](int32_t v) { Size = v; }).Default(9);
    P.AddString("Name", [this] { return Name; }, [this](const AnsiString& v) { Name = v; });
  }
};

class TFuzzItem : public TCollectionItem {
 public:
  explicit TFuzzItem(TCollection* c) : TCollectionItem(c) {}
  int Code = 0;
  WideString Text;
  void DefinePublished(TPublishedProperties& P) override {
    P.AddInteger("Code", [this] { return Code; }, [this](int32_t v) { Code = v; });
    P.AddWideString("Text", [this] { return Text; }, [this](const WideString& v) { Text = v; });
  }
};

class TFuzzSample : public TComponent {
 public:
  explicit TFuzzSample(TComponent* owner) : TComponent(owner), Items(CollectionItemClassOf<TFuzzItem>()) {}
  int Width = 80;
  int64_t Big = 0;
  char Sep = ',';
  int64_t Align = 0;
  int64_t Style = 0;
  bool Visible = true;
  double Ratio = 0, Scale = 0, Stamp = 0;
  Currency Price;
  AnsiString Caption;
  WideString Hint;
  TFuzzFont Font;
  TCollection Items;
  std::vector<int32_t> Widths;
  std::string Blob;

  void DefinePublished(TPublishedProperties& P) override {
    TComponent::DefinePublished(P);
    P.AddInteger("Width", [this] { return Width; }, [this](int32_t v) { Width = v; }).Default(80);
    P.AddInt64("Big", [this] { return Big; }, [this](int64_t v) { Big = v; });
    P.AddChar("Sep", [this] { return Sep; }, [this](char v) { Sep = v; }).Default(',');
    P.AddEnumeration("Align", {"taLeftJustify", "taRightJustify", "taCenter"}, [this] { return Align; },
                     [this](int64_t v) { Align = v; })
        .Default(0);
    P.AddSet("Style", {"ssBold", "ssItalic", "ssUnder"}, [this] { return Style; }, [this](int64_t v) { Style = v; })
        .Default(0);
    P.AddBoolean("Visible", [this] { return Visible; }, [this](bool v) { Visible = v; }).Default(1);
    P.AddFloat("Ratio", fkDouble, [this] { return Ratio; }, [this](double v) { Ratio = v; });
    P.AddFloat("Scale", fkSingle, [this] { return Scale; }, [this](double v) { Scale = static_cast<float>(v); });
    P.AddCurrency("Price", [this] { return Price; }, [this](Currency v) { Price = v; });
    P.AddFloat("Stamp", fkDate, [this] { return Stamp; }, [this](double v) { Stamp = v; });
    P.AddString("Caption", [this] { return Caption; }, [this](const AnsiString& v) { Caption = v; });
    P.AddWideString("Hint", [this] { return Hint; }, [this](const WideString& v) { Hint = v; });
    P.AddClass("Font", [this] { return &Font; });
    P.AddCollection("Items", [this] { return &Items; });
  }

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }

 protected:
  void DefineProperties(TFiler& Filer) override {
    Filer.DefineProperty(
        "Widths",
        [this](TReader& r) {
          Widths.clear();
          r.ReadListBegin();
          while (!r.EndOfList()) Widths.push_back(r.ReadInteger());
          r.ReadListEnd();
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (int32_t v : Widths) w.WriteInteger(v);
          w.WriteListEnd();
        },
        !Widths.empty());
    Filer.DefineBinaryProperty(
        "Blob", [this](TStream& s) { Blob = s.ReadBytes(s.Size()); }, [this](TStream& s) { s.WriteBytes(Blob); },
        !Blob.empty());
  }
};

class TFuzzPart : public TFuzzSample {
 public:
  using TFuzzSample::TFuzzSample;
};

std::string Image(TComponent& c) {
  TMemoryStream m;
  m.WriteComponent(&c);
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    RegisterComponentClass<TFuzzSample>();
    RegisterComponentClass<TFuzzPart>();
    return true;
  }();
  (void)registered;

  TFuzzSample c(nullptr);
  TStringStream in(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    in.ReadComponent(&c);
  } catch (const EStreamError&) {
    if (c.HasState(csLoading) || c.HasState(csReading)) __builtin_trap();
    return 0;
  }
  if (c.HasState(csLoading) || c.HasState(csReading)) __builtin_trap();
  const std::string first = Image(c);
  TFuzzSample again(nullptr);
  TStringStream back(first);
  back.ReadComponent(&again);  // must not throw: it is our own image
  if (Image(again) != first) __builtin_trap();
  return 0;
}
