// Component streaming: the platform's binary component form, its writer and its reader.
// Grammar: docs/formats/component-stream.md.
//
// A stream holds the signature "TPF0" and one component: its class name, its name, its
// stored properties, an end marker, its child components (each the same way), an end
// marker. A component's stored properties are its published properties that differ
// from their defaults (rtl/PublishedProperties.h; those of a persistent sub-object as
// "Sub.Name"), then what its DefineProperties writes through DefineProperty (values
// written by a TWriter callback) or DefineBinaryProperty (a byte block written by a
// stream callback), each only when its has-data flag is set.
//
// Events (the std::function OnXxx members) are code, not data: they are never written
// or read.
//
// Reading trusts nothing. Before anything is changed the reader walks the whole
// component image and checks its structure: known value kinds, every length and count
// against the bytes left, identifiers where names belong, nesting of lists, collections
// and children at most kMaxComponentStreamNesting deep. Damage raises EReadError
// "Invalid stream format at offset N" (N: the stream position where the bad item
// starts) and leaves every component untouched. Only then are the values applied; a
// value that a property cannot take raises EReadError "Invalid property value at offset
// N", a name that is no property of the instance EReadError "Property X does not exist"
// (the platform's behaviour: reading stops, unless the reader's OnError handles it, in
// which case that value is skipped). Properties applied before such an error stay set.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"
#include "rtl/Currency.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"
#include "rtl/PublishedProperties.h"
#include "rtl/Streams.h"
#include "rtl/ValueTypes.h"

class TCollection;
class TReader;
class TWriter;

// A component class named in a stream that is not registered: "Class X not found".
POS_EXCEPTION(EClassNotFound, EStreamError);

// Deepest nesting of components, lists and collections (together) a reader accepts.
constexpr int kMaxComponentStreamNesting = 64;

// Flags of a component's optional prefix byte (0xF0 | flags).
enum : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

// What DefineProperties talks to: the writer or the reader of the component.
class TFiler : public TObject {
 public:
  explicit TFiler(TStream& stream) : FStream(stream) {}
  TStream& Stream() const { return FStream; }
  // The component at the top of what is written or read (null before it starts).
  TComponent* Root() const { return FRoot; }

  // A property stored as values: the writer calls WriteData when HasData (the callback
  // writes exactly one value, usually a list); the reader calls ReadData when the stream
  // holds the property, and ReadData must read exactly that value.
  virtual void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                              bool HasData) = 0;
  // A property stored as a byte block: the writer hands WriteData an empty memory stream
  // to fill; the reader hands ReadData a memory stream over the block, at position 0.
  virtual void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                    bool HasData) = 0;

 protected:
  TStream& FStream;
  TComponent* FRoot = nullptr;
};

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& stream) : TFiler(stream) {}

  // "TPF0", then Root as a component (its children through GetChildren).
  void WriteRootComponent(TComponent* Root);
  void WriteSignature();
  // One component: class name, name, properties, end marker, children, end marker.
  void WriteComponent(TComponent* Component);
  // The stored properties of Instance (published, then DefineProperties).
  void WriteProperties(TPersistent* Instance);

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  // Values, for DefineProperty callbacks and the writer itself.
  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(int32_t Value);  // vaInt8, vaInt16 or vaInt32, the smallest that holds it
  void WriteInteger(int64_t Value);  // as above when it fits 32 bits, else vaInt64
  void WriteBoolean(bool Value);
  void WriteChar(char Value);        // a string of one byte
  void WriteFloat(double Value);     // vaExtended
  void WriteDouble(double Value);    // vaDouble
  void WriteSingle(float Value);
  void WriteCurrency(Currency Value);
  void WriteDate(TDateTime Value);
  void WriteString(std::string_view Value);  // vaString up to 255 bytes, else vaLString
  void WriteWideString(std::u16string_view Value);
  void WriteUTF8String(std::string_view Value);
  // "False", "True", "nil" and "Null" (any case) as their own kinds, else vaIdent.
  void WriteIdent(std::string_view Ident);
  // A bare short string (1-byte length): names. EWriteError beyond 255 bytes.
  void WriteStr(std::string_view Value);
  // vaCollection, each item's stored properties in a list, end marker.
  void WriteCollection(TCollection* Value);

 private:
  void WriteProperty(TPersistent* Instance, const TPropInfo& Prop);
  void WritePropName(std::string_view Name);
  void WriteSet(const TPropInfo& Prop, int64_t Value);

  AnsiString FPropPath;  // "Sub." while the properties of a sub-object are written
  int FDepth = 0;        // sub-objects and collections being written
};

class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream);

  // Reads "TPF0" and one component into Root (or, with Root null, into a new component
  // of the registered class, which the caller then owns). Every component read is in
  // csLoading and csReading until the whole image is in; then each one's Loaded runs, in
  // the order they were read. On failure nothing is loaded, a component this call made
  // as root is freed, and the exception passes on.
  TComponent* ReadRootComponent(TComponent* Root);
  void ReadSignature();

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  // Values, for DefineProperty callbacks. A value of another kind than asked for raises
  // EReadError "Invalid property value at offset N".
  TValueType NextValue();  // the next kind, not consumed
  TValueType ReadValue();
  bool EndOfList();        // the next byte is the end marker (vaNull)
  void ReadListBegin();
  void ReadListEnd();
  int32_t ReadInteger();  // vaInt8, vaInt16, vaInt32
  int64_t ReadInt64();    // the above and vaInt64
  bool ReadBoolean();     // vaFalse, vaTrue
  char ReadChar();        // a string of exactly one byte
  double ReadFloat();     // any real kind, or an integer
  float ReadSingle();
  Currency ReadCurrency();
  TDateTime ReadDate();
  AnsiString ReadString();    // any string kind; wide and UTF-8 text become GBK
  WideString ReadWideString();  // any string kind
  AnsiString ReadIdent();     // vaIdent, or "False", "True", "nil", "Null" for those kinds
  AnsiString ReadStr();       // a bare short string
  void SkipValue();
  // Reads a collection's items (after its vaCollection) into Collection, in one update.
  // Deliberately unlike the platform, the collection is cleared even when the stream
  // holds no items: reading gives back exactly what was written.
  void ReadCollection(TCollection& Collection);

  TComponent* Owner() const { return FOwner; }
  TComponent* Parent() const { return FParent; }

  // Asked before a property error (unknown property, invalid value) stops the reading;
  // setting Handled skips that property's value and goes on. Errors inside a
  // DefineProperty callback are never handled.
  std::function<void(TReader& Reader, const AnsiString& Message, bool& Handled)> OnError;

 private:
  void CheckComponent(int depth);
  void CheckValue(int depth);
  void CheckPropName();
  void ReadPrefix(uint8_t& flags, int32_t& childPos);
  void ReadData(TComponent* Instance);
  void ReadComponent();
  void ReadProperty(TPersistent* Instance);
  void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop);
  void HandleError(const Exception& e, bool canHandle, int64_t valueStart);
  [[noreturn]] void Damage(int64_t at) const;
  [[noreturn]] void InvalidValue(int64_t at) const;
  void Need(int64_t count);
  void Skip(int64_t count);
  uint8_t PeekByte();
  int32_t ReadLength();  // a 4-byte length or count, not negative
  double ReadExtendedValue();
  WideString ReadWideUnits();  // the count and units after vaWString
  double ReadRealValue(TValueType kind, int64_t at);
  void Expect(TValueType Value);

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  AnsiString FPropName;   // the property being read, cleared when a defined one took it
  int64_t FLimit = 0;     // reads stop here: the stream's end, or the end of a defined property
  bool FCanHandle = true;
  std::vector<TComponent*> FLoaded;
};

// Classes that a stream may name for components to create (children that do not exist
// yet, or a root read without an instance). The factory makes one with the given owner.
using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;
void RegisterComponentClass(const AnsiString& ClassName, TComponentFactory Factory);
void UnRegisterComponentClass(const AnsiString& ClassName);
// The factory of a registered class (ASCII case-insensitive); EClassNotFound otherwise.
TComponentFactory FindComponentClass(const AnsiString& ClassName);
// The class name as ClassName() reports it.
AnsiString ComponentClassName(const std::type_info& type);
template <class T>
void RegisterComponentClass() {
  RegisterComponentClass(ComponentClassName(typeid(T)), [](TComponent* owner) -> TComponent* { return new T(owner); });
}
