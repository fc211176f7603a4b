// The component writer: components, their stored properties and the value kinds.
#include <cmath>
#include <limits>
#include "rtl/Collection.h"
#include "rtl/ComponentStreaming.h"

namespace {

// Sets a component state flag for the lifetime of the scope.
class StateScope {
 public:
  StateScope(TComponent* c, TComponentStateFlag f) : C(c), F(f), Was(c->HasState(f)) { C->SetComponentState(F, true); }
  ~StateScope() { C->SetComponentState(F, Was); }
  StateScope(const StateScope&) = delete;
  StateScope& operator=(const StateScope&) = delete;

 private:
  TComponent* C;
  TComponentStateFlag F;
  bool Was;
};

// Sub-objects and collections inside one another deeper than this are a cycle.
constexpr int kMaxWriteDepth = kMaxComponentStreamNesting;

}  // namespace

void TStream::WriteComponent(TComponent* Instance) {
  TWriter writer(*this);
  writer.WriteRootComponent(Instance);
}

void TWriter::WriteSignature() { FStream.WriteBytes("TPF0"); }

void TWriter::WriteRootComponent(TComponent* Root) {
  POS_ASSERT(Root != nullptr, "WriteComponent needs a component");
  FRoot = Root;
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  POS_ASSERT(FDepth < kMaxWriteDepth, "components nested too deeply to be written");
  StateScope writing(Component, csWriting);
  ++FDepth;
  WriteStr(Component->ClassName());
  WriteStr(Component->Name());
  WriteProperties(Component);
  WriteListEnd();
  Component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
  WriteListEnd();
  --FDepth;
}

void TWriter::WriteProperties(TPersistent* Instance) {
  TPublishedProperties props(*Instance);
  for (int i = 0; i < props.Count(); ++i) WriteProperty(Instance, props.Props(i));
  Instance->DefineProperties(*this);
}

void TWriter::WritePropName(std::string_view Name) { WriteStr(FPropPath + AnsiString(Name)); }

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Prop) {
  if (!Prop.ShouldStore()) return;
  switch (Prop.Kind) {
    case pkInteger:
      WritePropName(Prop.Name);
      WriteInteger(static_cast<int32_t>(Prop.GetOrd()));
      return;
    case pkInt64:
      WritePropName(Prop.Name);
      WriteInteger(Prop.GetOrd());
      return;
    case pkChar:
      WritePropName(Prop.Name);
      WriteChar(static_cast<char>(static_cast<unsigned char>(Prop.GetOrd())));
      return;
    case pkEnumeration: {
      const int64_t v = Prop.GetOrd();
      POS_ASSERT(v >= 0 && v < static_cast<int64_t>(Prop.Names.size()), "enumeration value without a name");
      WritePropName(Prop.Name);
      WriteIdent(Prop.Names[static_cast<size_t>(v)]);
      return;
    }
    case pkSet:
      WritePropName(Prop.Name);
      WriteSet(Prop, Prop.GetOrd());
      return;
    case pkBoolean:
      WritePropName(Prop.Name);
      WriteBoolean(Prop.GetOrd() != 0);
      return;
    case pkFloat:
      WritePropName(Prop.Name);
      switch (Prop.FloatKind) {
        case fkSingle: WriteSingle(static_cast<float>(Prop.GetFloat())); return;
        case fkCurrency: WriteCurrency(Prop.GetCurr()); return;
        case fkDate: WriteDate(Prop.GetFloat()); return;
        case fkDouble:
        case fkExtended: WriteFloat(Prop.GetFloat()); return;
      }
      return;
    case pkString:
      WritePropName(Prop.Name);
      WriteString(Prop.GetStr());
      return;
    case pkWideString:
      WritePropName(Prop.Name);
      WriteWideString(Prop.GetWStr());
      return;
    case pkClass: {
      TPersistent* sub = Prop.GetObject();
      POS_ASSERT(FDepth < kMaxWriteDepth, "sub-objects nested too deeply to be written");
      const AnsiString oldPath = FPropPath;
      FPropPath += Prop.Name + ".";
      ++FDepth;
      WriteProperties(sub);
      --FDepth;
      FPropPath = oldPath;
      return;
    }
    case pkCollection:
      WritePropName(Prop.Name);
      WriteCollection(Prop.GetCollection());
      return;
  }
  (void)Instance;
}

void TWriter::WriteSet(const TPropInfo& Prop, int64_t Value) {
  WriteValue(vaSet);
  for (size_t i = 0; i < Prop.Names.size(); ++i)
    if (Value & (int64_t(1) << i)) WriteStr(Prop.Names[i]);
  WriteStr("");
}

void TWriter::WriteCollection(TCollection* Value) {
  POS_ASSERT(FDepth < kMaxWriteDepth, "collections nested too deeply to be written");
  WriteValue(vaCollection);
  if (Value) {
    const AnsiString oldPath = FPropPath;
    FPropPath.clear();  // an item's properties are named from the item
    ++FDepth;
    for (int i = 0; i < Value->Count(); ++i) {
      WriteListBegin();
      WriteProperties(Value->Items(i));
      WriteListEnd();
    }
    --FDepth;
    FPropPath = oldPath;
  }
  WriteListEnd();
}

void TWriter::DefineProperty(const AnsiString& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(*this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc&, const TStreamProc& WriteData,
                                   bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream block;
  WriteData(block);
  if (block.Size() > INT32_MAX) throw EWriteError("Stream write error");
  WritePropName(Name);
  WriteValue(vaBinary);
  FStream.WriteInt32(static_cast<int32_t>(block.Size()));
  FStream.WriteBuffer(block.Memory(), block.Size());
}

void TWriter::WriteValue(TValueType Value) { FStream.WriteUInt8(Value); }

void TWriter::WriteInteger(int32_t Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    FStream.WriteInt8(static_cast<int8_t>(Value));
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    FStream.WriteInt16(static_cast<int16_t>(Value));
  } else {
    WriteValue(vaInt32);
    FStream.WriteInt32(Value);
  }
}

void TWriter::WriteInteger(int64_t Value) {
  if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteInteger(static_cast<int32_t>(Value));
  } else {
    WriteValue(vaInt64);
    FStream.WriteInt64(Value);
  }
}

void TWriter::WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }

void TWriter::WriteChar(char Value) { WriteString(std::string_view(&Value, 1)); }

void TWriter::WriteFloat(double Value) {
  // Every NaN reads back as the one positive quiet NaN: write that one, so that an image
  // read and written again stays the same.
  if (std::isnan(Value)) Value = std::numeric_limits<double>::quiet_NaN();
  WriteValue(vaExtended);
  FStream.WriteExtended(Value);
}

void TWriter::WriteDouble(double Value) {
  WriteValue(vaDouble);
  FStream.WriteDouble(Value);
}

void TWriter::WriteSingle(float Value) {
  WriteValue(vaSingle);
  FStream.WriteSingle(Value);
}

void TWriter::WriteCurrency(Currency Value) {
  WriteValue(vaCurrency);
  FStream.WriteInt64(Value.Scaled());
}

void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  FStream.WriteDouble(Value);
}

void TWriter::WriteString(std::string_view Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    FStream.WriteUInt8(static_cast<uint8_t>(Value.size()));
  } else {
    if (Value.size() > INT32_MAX) throw EWriteError("Stream write error");
    WriteValue(vaLString);
    FStream.WriteInt32(static_cast<int32_t>(Value.size()));
  }
  FStream.WriteBytes(Value);
}

void TWriter::WriteWideString(std::u16string_view Value) {
  if (Value.size() > INT32_MAX / 2) throw EWriteError("Stream write error");
  WriteValue(vaWString);
  FStream.WriteInt32(static_cast<int32_t>(Value.size()));
  for (char16_t u : Value) FStream.WriteUInt16(u);
}

void TWriter::WriteUTF8String(std::string_view Value) {
  if (Value.size() > INT32_MAX) throw EWriteError("Stream write error");
  WriteValue(vaUTF8String);
  FStream.WriteInt32(static_cast<int32_t>(Value.size()));
  FStream.WriteBytes(Value);
}

void TWriter::WriteIdent(std::string_view Ident) {
  if (SameText(Ident, "False")) {
    WriteValue(vaFalse);
  } else if (SameText(Ident, "True")) {
    WriteValue(vaTrue);
  } else if (SameText(Ident, "nil")) {
    WriteValue(vaNil);
  } else if (SameText(Ident, "Null")) {
    WriteValue(vaNull);
  } else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteStr(std::string_view Value) {
  // The platform cuts the length to one byte and so writes a broken stream; a name that
  // long is refused instead.
  if (Value.size() > 255) throw EWriteError("Stream write error: name longer than 255 bytes");
  FStream.WriteUInt8(static_cast<uint8_t>(Value.size()));
  FStream.WriteBytes(Value);
}
