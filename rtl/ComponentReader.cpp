// The component reader: the structural check of a whole image, then the components,
// their properties and the value kinds.
//
// Invariant: everything from the signature to the root's last end marker has passed
// CheckComponent before the first property is applied, so the applying pass meets only
// known kinds, lengths that fit and bounded nesting. Its own checks (Need, the kind
// checks) stay in place for the DefineProperty callbacks, which read at will.
#include <algorithm>
#include "rtl/Collection.h"
#include "rtl/ComponentStreaming.h"

namespace {

AnsiString OffsetText(int64_t at) { return " at offset " + std::to_string(at); }

// Each '.'-separated part is an identifier.
bool IsValidIdentPath(std::string_view s) {
  size_t from = 0;
  for (;;) {
    const size_t dot = s.find('.', from);
    if (!IsValidIdent(s.substr(from, dot == std::string_view::npos ? std::string_view::npos : dot - from))) return false;
    if (dot == std::string_view::npos) return true;
    from = dot + 1;
  }
}

bool IsIntegerKind(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32; }

// Restores a value when the scope ends, however it ends.
template <class T>
class Restore {
 public:
  Restore(T& ref, T value) : Ref(ref), Old(ref) { Ref = value; }
  ~Restore() { Ref = Old; }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  T& Ref;
  T Old;
};

}  // namespace

TComponent* TStream::ReadComponent(TComponent* Instance) {
  TReader reader(*this);
  return reader.ReadRootComponent(Instance);
}

TReader::TReader(TStream& stream) : TFiler(stream) { FLimit = stream.Size(); }

// --- errors and primitives ------------------------------------------------------------------

void TReader::Damage(int64_t at) const { throw EReadError("Invalid stream format" + OffsetText(at)); }

void TReader::InvalidValue(int64_t at) const { throw EReadError("Invalid property value" + OffsetText(at)); }

void TReader::Need(int64_t count) {
  const int64_t pos = FStream.Position();
  if (count < 0 || count > FLimit - pos) Damage(pos);
}

void TReader::Skip(int64_t count) {
  Need(count);
  FStream.Seek(count, soCurrent);
}

uint8_t TReader::PeekByte() {
  Need(1);
  const uint8_t b = FStream.ReadUInt8();
  FStream.Seek(-1, soCurrent);
  return b;
}

bool TReader::EndOfList() { return PeekByte() == vaNull; }

TValueType TReader::NextValue() {
  const uint8_t b = PeekByte();
  if (b > vaLast) Damage(FStream.Position());
  return static_cast<TValueType>(b);
}

TValueType TReader::ReadValue() {
  const TValueType t = NextValue();
  FStream.Seek(1, soCurrent);
  return t;
}

int32_t TReader::ReadLength() {
  const int64_t at = FStream.Position();
  Need(4);
  const int32_t n = FStream.ReadInt32();
  if (n < 0) Damage(at);
  return n;
}

AnsiString TReader::ReadStr() {
  Need(1);
  const uint8_t n = FStream.ReadUInt8();
  Need(n);
  return FStream.ReadBytes(n);
}

double TReader::ReadExtendedValue() {
  const int64_t at = FStream.Position();
  Need(10);
  uint8_t bytes[10];
  FStream.ReadBuffer(bytes, 10);
  double v = 0;
  if (!ExtendedToDouble(bytes, v)) Damage(at);
  return v;
}

void TReader::Expect(TValueType Value) {
  const int64_t at = FStream.Position();
  if (ReadValue() != Value) InvalidValue(at);
}

// --- the structural check ---------------------------------------------------------------------

void TReader::CheckPropName() {
  const int64_t at = FStream.Position();
  if (!IsValidIdentPath(ReadStr())) Damage(at);
}

void TReader::CheckValue(int depth) {
  const int64_t at = FStream.Position();
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      if (depth >= kMaxComponentStreamNesting) Damage(at);
      while (!EndOfList()) CheckValue(depth + 1);
      ReadValue();
      return;
    case vaInt8: Skip(1); return;
    case vaInt16: Skip(2); return;
    case vaInt32:
    case vaSingle: Skip(4); return;
    case vaInt64:
    case vaCurrency:
    case vaDate:
    case vaDouble: Skip(8); return;
    case vaExtended: ReadExtendedValue(); return;
    case vaString: ReadStr(); return;
    case vaIdent: {
      const int64_t nameAt = FStream.Position();
      if (!IsValidIdentPath(ReadStr())) Damage(nameAt);
      return;
    }
    case vaLString:
    case vaBinary:
    case vaUTF8String: Skip(ReadLength()); return;
    case vaWString: Skip(int64_t(2) * ReadLength()); return;
    case vaSet:
      for (;;) {
        const int64_t nameAt = FStream.Position();
        const AnsiString name = ReadStr();
        if (name.empty()) return;
        if (!IsValidIdent(name)) Damage(nameAt);
      }
    case vaCollection:
      if (depth >= kMaxComponentStreamNesting) Damage(at);
      while (!EndOfList()) {
        if (IsIntegerKind(NextValue())) CheckValue(depth + 1);
        const int64_t itemAt = FStream.Position();
        if (ReadValue() != vaList) Damage(itemAt);
        while (!EndOfList()) {
          CheckPropName();
          CheckValue(depth + 1);
        }
        ReadValue();
      }
      ReadValue();
      return;
  }
}

void TReader::CheckComponent(int depth) {
  const int64_t at = FStream.Position();
  if (depth >= kMaxComponentStreamNesting) Damage(at);
  if ((PeekByte() & 0xF0) == 0xF0) {
    const uint8_t flags = FStream.ReadUInt8() & 0x0F;
    if (flags & ffChildPos) {
      const int64_t posAt = FStream.Position();
      if (!IsIntegerKind(NextValue())) Damage(posAt);
      CheckValue(depth);
    }
  }
  const int64_t classAt = FStream.Position();
  if (!IsValidIdent(ReadStr())) Damage(classAt);
  const int64_t nameAt = FStream.Position();
  const AnsiString name = ReadStr();
  if (!name.empty() && !IsValidIdent(name)) Damage(nameAt);
  while (!EndOfList()) {
    CheckPropName();
    CheckValue(depth + 1);
  }
  ReadValue();
  while (!EndOfList()) CheckComponent(depth + 1);
  ReadValue();
}

// --- components ---------------------------------------------------------------------------------

void TReader::ReadSignature() {
  const int64_t at = FStream.Position();
  Need(4);
  if (FStream.ReadBytes(4) != "TPF0") Damage(at);
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  FLimit = FStream.Size();
  ReadSignature();
  const int64_t start = FStream.Position();
  CheckComponent(0);
  FStream.SetPosition(start);

  uint8_t flags = 0;
  int32_t childPos = 0;
  ReadPrefix(flags, childPos);
  const AnsiString className = ReadStr();
  std::unique_ptr<TComponent> made;
  if (!Root) {
    made.reset(FindComponentClass(className)(nullptr));
    Root = made.get();
  }
  FRoot = FOwner = FParent = Root;
  FLoaded.clear();
  try {
    Root->SetComponentState(csLoading, true);
    Root->SetComponentState(csReading, true);
    FLoaded.push_back(Root);
    const AnsiString name = ReadStr();
    if (!Root->HasState(csDesigning)) Root->SetName(name);
    ReadData(Root);
  } catch (...) {
    for (TComponent* c : FLoaded) {
      c->SetComponentState(csReading, false);
      c->SetComponentState(csLoading, false);
    }
    throw;  // `made` frees a root made here, and with it the children it owns
  }
  for (TComponent* c : FLoaded) c->SetComponentState(csReading, false);
  for (TComponent* c : FLoaded) c->Loaded();
  made.release();
  return Root;
}

void TReader::ReadPrefix(uint8_t& flags, int32_t& childPos) {
  flags = 0;
  if ((PeekByte() & 0xF0) == 0xF0) {
    flags = FStream.ReadUInt8() & 0x0F;
    if (flags & ffChildPos) childPos = ReadInteger();
  }
}

void TReader::ReadData(TComponent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadValue();
  Restore<TComponent*> parent(FParent, Instance);
  while (!EndOfList()) ReadComponent();
  ReadValue();
}

// A child of the component being read. One that the root already owns under that name
// (made by its constructor) takes the stored values; any other is made from its
// registered class, owned by the root.
void TReader::ReadComponent() {
  uint8_t flags = 0;
  int32_t childPos = 0;
  ReadPrefix(flags, childPos);
  const AnsiString className = ReadStr();
  const AnsiString name = ReadStr();
  TComponent* c = name.empty() ? nullptr : FOwner->FindComponent(name);
  if (!c) {
    std::unique_ptr<TComponent> made(FindComponentClass(className)(FOwner));
    made->SetName(name);
    c = made.release();
  }
  c->SetComponentState(csLoading, true);
  c->SetComponentState(csReading, true);
  if (std::find(FLoaded.begin(), FLoaded.end(), c) == FLoaded.end()) FLoaded.push_back(c);
  c->SetParentComponent(FParent);
  ReadData(c);
}

// --- properties -------------------------------------------------------------------------------

void TReader::ReadProperty(TPersistent* Instance) {
  const AnsiString fullName = ReadStr();
  const int64_t valueStart = FStream.Position();
  const bool savedCanHandle = FCanHandle;
  try {
    // Walk "Sub.Sub.Name" down the persistent sub-objects.
    TPersistent* obj = Instance;
    size_t from = 0;
    for (size_t dot; (dot = fullName.find('.', from)) != AnsiString::npos; from = dot + 1) {
      const AnsiString part = fullName.substr(from, dot - from);
      TPublishedProperties props(*obj);
      const TPropInfo* p = props.Find(part);
      if (!p || p->Kind != pkClass) throw EReadError("Property " + part + " does not exist");
      obj = p->GetObject();
      if (!obj) InvalidValue(valueStart);
    }
    const AnsiString name = fullName.substr(from);
    TPublishedProperties props(*obj);
    if (const TPropInfo* p = props.Find(name)) {
      ReadPropValue(obj, *p);
      return;
    }
    // Not published: perhaps one of the instance's defined properties. An error inside
    // their callbacks cannot be recovered from (the value's extent is theirs).
    FPropName = name;
    FCanHandle = false;
    obj->DefineProperties(*this);
    FCanHandle = savedCanHandle;
    if (!FPropName.empty()) {
      FPropName.clear();
      throw EReadError("Property " + name + " does not exist");
    }
  } catch (const Exception& e) {
    const bool canHandle = FCanHandle;
    FCanHandle = savedCanHandle;
    FPropName.clear();
    HandleError(e, canHandle, valueStart);
  }
}

// Called inside the handler of e: returns when OnError handled it (the value is then
// skipped), rethrows otherwise.
void TReader::HandleError(const Exception& e, bool canHandle, int64_t valueStart) {
  if (canHandle && OnError) {
    bool handled = false;
    OnError(*this, e.Message(), handled);
    if (handled) {
      FStream.SetPosition(valueStart);
      SkipValue();
      return;
    }
  }
  throw;
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Prop) {
  const int64_t at = FStream.Position();
  switch (Prop.Kind) {
    case pkInteger: Prop.SetOrd(ReadInteger()); return;
    case pkInt64: Prop.SetOrd(ReadInt64()); return;
    case pkChar: Prop.SetOrd(static_cast<unsigned char>(ReadChar())); return;
    case pkEnumeration:
    case pkBoolean: {
      const int i = Prop.IndexOfName(ReadIdent());
      if (i < 0) InvalidValue(at);
      Prop.SetOrd(i);
      return;
    }
    case pkSet: {
      Expect(vaSet);
      int64_t mask = 0;
      bool unknown = false;
      for (AnsiString name; !(name = ReadStr()).empty();) {
        const int i = Prop.IndexOfName(name);
        if (i < 0) unknown = true;
        else mask |= int64_t(1) << i;
      }
      if (unknown) InvalidValue(at);
      Prop.SetOrd(mask);
      return;
    }
    case pkFloat:
      switch (Prop.FloatKind) {
        case fkCurrency: Prop.SetCurr(ReadCurrency()); return;
        case fkSingle: Prop.SetFloat(ReadSingle()); return;
        case fkDate: Prop.SetFloat(ReadDate()); return;
        case fkDouble:
        case fkExtended: Prop.SetFloat(ReadFloat()); return;
      }
      return;
    case pkString: Prop.SetStr(ReadString()); return;
    case pkWideString: Prop.SetWStr(ReadWideString()); return;
    case pkClass:
      // A sub-object takes its values by name ("Sub.Name"), never as one value.
      InvalidValue(at);
    case pkCollection: {
      Expect(vaCollection);
      TCollection* c = Prop.GetCollection();
      if (!c) InvalidValue(at);
      ReadCollection(*c);
      return;
    }
  }
  (void)Instance;
}

void TReader::ReadCollection(TCollection& Collection) {
  TUpdateScope update(&Collection);
  Collection.Clear();
  while (!EndOfList()) {
    if (IsIntegerKind(NextValue())) ReadInteger();  // an item index: not used
    TCollectionItem* item = Collection.Add();
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
  if (FPropName.empty() || !ReadData || !SameText(Name, FPropName)) return;
  FPropName.clear();
  // The callback reads exactly this one value, and nothing beyond it.
  const int64_t start = FStream.Position();
  CheckValue(0);
  const int64_t end = FStream.Position();
  FStream.SetPosition(start);
  {
    Restore<int64_t> limit(FLimit, end);
    ReadData(*this);
  }
  if (FStream.Position() != end) InvalidValue(start);
}

void TReader::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
  if (FPropName.empty() || !ReadData || !SameText(Name, FPropName)) return;
  FPropName.clear();
  Expect(vaBinary);
  const int32_t n = ReadLength();
  Need(n);
  TMemoryStream block;
  block.WriteBytes(FStream.ReadBytes(n));
  block.SetPosition(0);
  ReadData(block);
}

// --- values -------------------------------------------------------------------------------------

void TReader::ReadListBegin() { Expect(vaList); }

void TReader::ReadListEnd() { Expect(vaNull); }

void TReader::SkipValue() { CheckValue(0); }

int32_t TReader::ReadInteger() {
  const int64_t at = FStream.Position();
  switch (ReadValue()) {
    case vaInt8: Need(1); return FStream.ReadInt8();
    case vaInt16: Need(2); return FStream.ReadInt16();
    case vaInt32: Need(4); return FStream.ReadInt32();
    default: InvalidValue(at);
  }
}

int64_t TReader::ReadInt64() {
  if (NextValue() != vaInt64) return ReadInteger();
  ReadValue();
  Need(8);
  return FStream.ReadInt64();
}

bool TReader::ReadBoolean() {
  const int64_t at = FStream.Position();
  switch (ReadValue()) {
    case vaFalse: return false;
    case vaTrue: return true;
    default: InvalidValue(at);
  }
}

char TReader::ReadChar() {
  const int64_t at = FStream.Position();
  const TValueType t = ReadValue();
  int64_t n = -1;
  if (t == vaString) {
    Need(1);
    n = FStream.ReadUInt8();
  } else if (t == vaLString) {
    n = ReadLength();
  }
  if (n != 1) InvalidValue(at);
  Need(1);
  return static_cast<char>(FStream.ReadUInt8());
}

double TReader::ReadRealValue(TValueType kind, int64_t at) {
  switch (kind) {
    case vaExtended: return ReadExtendedValue();
    case vaDouble:
    case vaDate: Need(8); return FStream.ReadDouble();
    case vaSingle: Need(4); return FStream.ReadSingle();
    case vaCurrency: Need(8); return Currency::FromScaled(FStream.ReadInt64()).ToDouble();
    case vaInt8: Need(1); return FStream.ReadInt8();
    case vaInt16: Need(2); return FStream.ReadInt16();
    case vaInt32: Need(4); return FStream.ReadInt32();
    case vaInt64: Need(8); return static_cast<double>(FStream.ReadInt64());
    default: InvalidValue(at);
  }
}

double TReader::ReadFloat() {
  const int64_t at = FStream.Position();
  return ReadRealValue(ReadValue(), at);
}

float TReader::ReadSingle() { return static_cast<float>(ReadFloat()); }

TDateTime TReader::ReadDate() { return ReadFloat(); }

Currency TReader::ReadCurrency() {
  const int64_t at = FStream.Position();
  const TValueType t = ReadValue();
  if (t == vaCurrency) {
    Need(8);
    return Currency::FromScaled(FStream.ReadInt64());
  }
  const double v = ReadRealValue(t, at);
  try {
    return Currency(v);
  } catch (const EMathError&) {
    InvalidValue(at);  // beyond the currency range, or not a number
  }
}

AnsiString TReader::ReadString() {
  const int64_t at = FStream.Position();
  switch (ReadValue()) {
    case vaString: return ReadStr();
    case vaLString: {
      const int32_t n = ReadLength();
      Need(n);
      return FStream.ReadBytes(n);
    }
    case vaWString: return WideToGbk(ReadWideUnits());
    case vaUTF8String: {
      const int32_t n = ReadLength();
      Need(n);
      return Utf8ToGbk(FStream.ReadBytes(n));
    }
    default: InvalidValue(at);
  }
}

WideString TReader::ReadWideUnits() {
  const int32_t n = ReadLength();
  Need(int64_t(2) * n);
  WideString w(static_cast<size_t>(n), u'\0');
  for (char16_t& u : w) u = FStream.ReadUInt16();
  return w;
}

WideString TReader::ReadWideString() {
  const int64_t at = FStream.Position();
  switch (NextValue()) {
    case vaWString: ReadValue(); return ReadWideUnits();
    case vaUTF8String: {
      ReadValue();
      const int32_t n = ReadLength();
      Need(n);
      return Utf8ToWide(FStream.ReadBytes(n));
    }
    case vaString:
    case vaLString: return GbkToWide(ReadString());
    default: InvalidValue(at);
  }
}

AnsiString TReader::ReadIdent() {
  const int64_t at = FStream.Position();
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue(at);
  }
}
