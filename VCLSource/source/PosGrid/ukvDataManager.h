// Value definitions and record storage: the in-memory table under the data
// controller.
//
// A list of value definitions (one per data-controller field) lays out a record; the
// storage keeps records by index. Indexes 0..RecordCount-1 are the data records;
// negative indexes are internal scratch records (-1 is the first) that the controller
// borrows, laid out by the internal twins of the data definitions.
//
// Records are blocks of their range's pool (see ukvDataManagerRecords.h), not a heap
// block each: a deleted record's block serves the next new record of its size, and the
// blocks go back to the heap at Clear and with the storage.
//
// Layout of one stored definition in a record: a null flag byte, the value's bytes
// (its type's DataSize) and, when the record also keeps a text for it, the 32-bit
// stamp of the cached display text and a valid flag; the value's cell (for the types
// held in a cell) and the two text cells (the source's text, the cached display text)
// sit in the record's cells. A Boolean has few texts: its definition keeps each text
// once (TkvSharedTexts) and its records keep the two texts' numbers, four bytes each,
// before the stamp instead of two cells. The record's state byte and its id are kept beside the
// values, so removing definitions never loses them.
//
// Invariants:
//  - every allocated record of a range has exactly its list's RecordSize bytes and
//    CellCount cells; a new record reads Null everywhere;
//  - the null flag is 1 only after a value was converted and stored;
//  - an index outside the records raises EkvInvalidDataControllerOperation
//    "记录索引超出范围".
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDataManagerRecords.h"
#include "VCLSource/source/PosGrid/ukvDataManagerTexts.h"
#include "VCLSource/source/PosGrid/ukvDataManagerTypes.h"
#include "rtl/Classes.h"
#include "rtl/Exceptions.h"
#include "rtl/Variant.h"

POS_EXCEPTION(EkvInvalidDataControllerOperation, Exception);

// EkvInvalidDataControllerOperation "记录索引超出范围".
[[noreturn]] void RaiseRecordIndexError();

class TkvDataStorage;
class TkvValueDefs;

constexpr uint8_t kvRecordInUse = 1;

class TkvValueDef : public TObject {
 public:
  using TGetTextEvent = std::function<void(TkvValueDef* Sender, int RecordIndex, AnsiString& Text)>;

  TkvValueDef(TkvValueDefs* owner, TkvValueTypeClass valueType);

  virtual TObject* GetLink() const { return FLink; }
  // Not virtual: the record-by-record filter and the comparisons ask it for every
  // record. An internal definition is always stored (FAlwaysStored).
  bool IsStored() const;
  virtual void SetLink(TObject* link) { FLink = link; }
  // Copies Stored from Source's IsStored and TextStored from its HasStoredText.
  virtual void Assign(const TkvValueDef& source);
  bool HasStoredText() const { return IsStored() && FTextStored; }

  // --- on one record (null counts as a record with every value Null) -----------------
  int CompareRecordValues(const TkvRecord* r1, const TkvRecord* r2) const;
  // Where the record keeps this definition's value; false (place untouched) when the
  // value is Null. The data controller's typed comparisons read values in place.
  bool GetRecordPlace(const TkvRecord* r, TkvConstPlace& place) const {
    if (!r || !IsStored() || r->Bytes()[static_cast<size_t>(FOffset)] == 0) return false;
    place = Place(r);
    return true;
  }
  void GetRecordValue(const TkvRecord* r, Variant& v) const;
  // Null frees the value; anything else is converted first and stored only when the
  // conversion succeeded (then the null flag is set). On failure the record is unchanged.
  void SetRecordValue(TkvRecord* r, const Variant& v) const;
  void GetRecordDisplayText(TkvRecord* r, int recordIndex, AnsiString& text);
  void SetRecordText(TkvRecord* r, const AnsiString& text) const;
  void FreeRecordValue(TkvRecord* r) const;
  bool IsStringDef() const { return FValueType->IsString(); }
  // Makes every cached display text stale at once.
  void InvalidateTexts() { ++FTextStamp; }

  int RecordSize() const { return FRecordSize; }
  int DataSize() const { return FDataSize; }
  int Offset() const { return FOffset; }
  int CellOffset() const { return FCellOffset; }
  int CellCount() const { return FCellCount; }
  uint32_t TextStamp() const { return FTextStamp; }
  // True when the records keep the numbers of texts the definition keeps once.
  bool SharesTexts() const { return FSharesTexts; }
  const TkvSharedTexts& SharedTexts() const { return FSharedTexts; }
  bool Stored() const { return FStored; }
  void SetStored(bool v) { FStored = v; }
  bool TextStored() const { return FTextStored; }
  void SetTextStored(bool v) { FTextStored = v; }
  TkvValueDefs* Owner() const { return FOwner; }
  TkvValueTypeClass ValueType() const { return FValueType; }

  TGetTextEvent OnGetText;

 private:
  friend class TkvValueDefs;
  friend class TkvDataStorage;
  TkvValuePlace Place(TkvRecord* r) const;
  // Inline: the record-by-record filter reads it for every record and condition.
  TkvConstPlace Place(const TkvRecord* r) const {
    return TkvConstPlace(r->Bytes() + FOffset + 1, FUsesCell ? &r->Cells()[static_cast<size_t>(FCellOffset)] : nullptr);
  }
  // Computes the sizes at the given positions; returns bytes and cells taken.
  void Layout(int offset, int cellOffset);
  // The text of a shared-text number kept at p, and storing the number of a text there
  // (the texts swept when due).
  void GetSharedText(const uint8_t* p, AnsiString& text) const;
  void SetSharedText(uint8_t* p, std::string_view text) const;
  // Drops the shared texts no record of the definition's range holds any more.
  void SweepSharedTexts() const;

  int FRecordSize = 0;
  int FDataSize = 0;
  uint32_t FTextStamp = 0;
  bool FStored = true;
  TObject* FLink = nullptr;
  int FOffset = 0;
  int FCellOffset = 0;
  int FCellCount = 0;
  bool FTextStored = false;
  TkvValueDefs* FOwner;
  TkvValueTypeClass FValueType;
  bool FUsesCell;  // FValueType->UsesCell(), asked once
 protected:
  bool FAlwaysStored = false;
 private:
  bool FSharesTexts = false;
  mutable TkvSharedTexts FSharedTexts;
};

// The twin of a data definition inside the internal definitions: always stored; its
// link is the data definition, GetLink answers that definition's link.
class TkvInternalValueDef : public TkvValueDef {
 public:
  TkvInternalValueDef(TkvValueDefs* owner, TkvValueTypeClass valueType) : TkvValueDef(owner, valueType) {
    FAlwaysStored = true;
  }
  TObject* GetLink() const override;
  TkvValueDef* DataDef() const { return static_cast<TkvValueDef*>(TkvValueDef::GetLink()); }
};

class TkvValueDefs {
 public:
  TkvValueDefs(TkvDataStorage* storage, bool internal);
  virtual ~TkvValueDefs();
  TkvValueDefs(const TkvValueDefs&) = delete;
  TkvValueDefs& operator=(const TkvValueDefs&) = delete;

  // Adds a definition; every allocated record of the list's range grows by its bytes
  // and cells (Null values). Adding to the data list first adds the internal twin.
  TkvValueDef* Add(TkvValueTypeClass valueType, bool stored, bool textStored, TObject* link);
  // Removes and frees def (with its internal twin); the records of the range lose its
  // bytes and cells and keep everything else.
  void Remove(TkvValueDef* def);
  int Count() const { return static_cast<int>(FItems.size()); }
  // Taken from the storage's DefOrder when it has one.
  TkvValueDef* Items(int index) const;
  // Searches from the last definition to the first; null when none.
  TkvValueDef* FindByLink(const TObject* link) const;
  int StoredCount() const;
  TkvDataStorage* Storage() const { return FStorage; }
  int RecordSize() const { return FRecordSize; }
  int CellCount() const { return FCellCount; }
  bool IsInternal() const { return FInternal; }
  // Lays the definitions out again.
  virtual void Prepare();

 private:
  friend class TkvDataStorage;
  TkvDataStorage* FStorage;
  bool FInternal;
  std::vector<std::unique_ptr<TkvValueDef>> FItems;
  int FRecordSize = 0;
  int FCellCount = 0;
};

// The source from which a whole record is filled.
class TkvValueDefReader {
 public:
  virtual ~TkvValueDefReader() = default;
  virtual void GetDisplayText(TkvValueDef* def, AnsiString& text) { text.clear(); }
  virtual void GetValue(TkvValueDef* def, Variant& v) { v = Variant::Null(); }
  virtual bool SkipValueDef(TkvValueDef* def) { return false; }
};

class TkvDataStorage {
 public:
  TkvDataStorage();
  virtual ~TkvDataStorage();
  TkvDataStorage(const TkvDataStorage&) = delete;
  TkvDataStorage& operator=(const TkvDataStorage&) = delete;

  TkvValueDefs& ValueDefs() { return *FValueDefs; }
  TkvValueDefs& InternalDefs() { return *FInternalDefs; }
  // The internal definitions for a negative index, else the data definitions.
  virtual TkvValueDefs& GetValueDefs(int recordIndex);

  int AppendRecord();
  void InsertRecord(int index);               // index 0..RecordCount
  // index >= 0 removes the record (NextRecordId back to 1 when none are left); < 0
  // frees the internal record and leaves its entry free.
  void DeleteRecord(int index);
  // The first free internal index from -1 downward (or a new one), marked in use.
  int AppendInternalRecord();
  int SetRecordCount(int count);              // below 0 counts as 0; returns the count
  int RecordCount() const { return static_cast<int>(FRecords.Size()); }
  int InternalRecordCount() const { return static_cast<int>(FInternalRecords.Size()); }
  // Frees every record (and, unless keepInternal, every internal record, then fires
  // OnClearInternalRecords unless the storage is being destroyed).
  void Clear(bool keepInternal);

  int CompareRecords(int index1, int index2, TkvValueDef* def);
  void GetValue(int index, TkvValueDef* def, Variant& v);
  void SetValue(int index, TkvValueDef* def, const Variant& v);
  void GetDisplayText(int index, TkvValueDef* def, AnsiString& text);
  void SetDisplayText(int index, TkvValueDef* def, const AnsiString& text);

  // Typed values. Each Set stores exactly what SetValue stores for a Variant of the
  // value, and each Get answers what GetValue's Variant read as that type answers
  // (false, v untouched, for Null). Where def keeps values of that very type the value
  // goes to or comes from its place directly, without a Variant.
  void SetInteger(int index, TkvValueDef* def, int32_t v);
  void SetFloat(int index, TkvValueDef* def, double v);
  void SetDateTime(int index, TkvValueDef* def, TDateTime v);
  void SetCurrency(int index, TkvValueDef* def, Currency v);
  void SetBoolean(int index, TkvValueDef* def, bool v);
  void SetString(int index, TkvValueDef* def, AnsiString v);
  bool GetInteger(int index, TkvValueDef* def, int32_t& v);
  bool GetFloat(int index, TkvValueDef* def, double& v);
  bool GetDateTime(int index, TkvValueDef* def, TDateTime& v);
  bool GetCurrency(int index, TkvValueDef* def, Currency& v);
  bool GetBoolean(int index, TkvValueDef* def, bool& v);
  bool GetString(int index, TkvValueDef* def, AnsiString& v);

  void ReadRecord(int index, TkvValueDefReader& reader);
  uint32_t GetRecordId(int index);
  void SetRecordId(int index, uint32_t id);
  void BeginLoad() {}
  void EndLoad() {}

  // The record at index, null when not allocated.
  TkvRecord* RecordAt(int index);
  // Bytes the records' blocks take (the chunks of both ranges' pools).
  size_t RecordBlockBytes() const { return FRecords.Pool().ChunkBytes() + FInternalRecords.Pool().ChunkBytes(); }
  // The data record at index (0..RecordCount-1), null when not allocated; the index
  // error outside. Inline: sorting reads it for every comparison.
  const TkvRecord* DataRecordAt(int index) const {
    if (static_cast<size_t>(index) >= FRecords.Size()) RaiseRecordIndexError();
    return FRecords.At(static_cast<size_t>(index));
  }
  static void SetState(TkvRecord* r, uint8_t mask, bool on);
  static bool TestState(const TkvRecord* r, uint8_t mask) { return r && (r->State & mask) == mask; }

  bool StoredOnly() const { return FStoredOnly; }
  // Changing it re-lays the definitions; allowed only while no record is allocated.
  void SetStoredOnly(bool v);
  bool RecordIds() const { return FRecordIds; }
  // Turning ids on gives every data record an id.
  void SetRecordIds(bool v);
  uint32_t NextRecordId() const { return FNextRecordId; }
  bool Destroying() const { return FDestroying; }
  // Changes with every change of a data record or of the layout: copies of stored
  // values taken at one stamp are valid while it lasts.
  uint64_t Stamp() const { return FStamp; }
  void BumpStamp() { ++FStamp; }
  // A replacement order of the data definitions for Items (empty: none).
  std::vector<TkvValueDef*> DefOrder;
  TNotifyEvent OnClearInternalRecords;

 protected:
  virtual void Changed() {}

 private:
  friend class TkvValueDefs;
  friend class TkvValueDef;
  TkvRecordTable& RangeOf(const TkvValueDefs& defs) { return defs.IsInternal() ? FInternalRecords : FRecords; }
  // The table and the entry of index there; raises the index error.
  TkvRecordTable& TableOf(int index, size_t& entry);
  TkvRecord* Allocate(int index);
  // The definition to use for index: the internal twin for a negative index (null
  // when it has none).
  TkvValueDef* DefFor(int index, TkvValueDef* def);
  // The stored definition for index when it keeps values of type t, else null.
  TkvValueDef* TypedDef(int index, TkvValueDef* def, TkvValueTypeClass t);
  // The place of the record's value of d, for a typed store (the record allocated).
  TkvValuePlace TypedPlace(int index, TkvValueDef* d);
  // The place of the record's value of def when it is of type t and not Null.
  enum class TypedRead : uint8_t { kNull, kPlace, kOtherType };
  TypedRead TypedValue(int index, TkvValueDef* def, TkvValueTypeClass t, TkvConstPlace& place);
  // One typed read: the stored value through load when the definition keeps type t,
  // else the Variant path through convert; false for Null.
  template <class T, class Load, class Convert>
  bool GetTyped(int index, TkvValueDef* def, TkvValueTypeClass t, T& v, Load load, Convert convert);
  void AssignId(TkvRecord* r);
  void AssignIds(int index);

  bool FDestroying = false;
  uint64_t FStamp = 0;
  TkvRecordTable FInternalRecords;
  std::unique_ptr<TkvValueDefs> FInternalDefs;
  bool FStoredOnly = false;
  TkvRecordTable FRecords;
  uint32_t FNextRecordId = 1;
  bool FRecordIds = false;
  std::unique_ptr<TkvValueDefs> FValueDefs;
};

inline bool TkvValueDef::IsStored() const { return FAlwaysStored || FStored || !FOwner->Storage()->StoredOnly(); }
