// Filters of the grid library: operators, the criteria tree, its binary form and the
// drop-down value list of a column filter.
//
// A criteria object holds a tree of conditions (field, operator, value) joined by
// AND, OR, NOT AND and NOT OR lists. It tests a record against the tree, renders it as
// filter text (the dataset-style expression) and as display text (Chinese captions),
// and writes and reads the tree in a binary form (grammar: docs/formats/criteria-stream.md).
// The data-aware subclass supplies a record's value of a field, the field's name and
// caption, and the mapping between field links and stream ids.
//
// Invariants and decisions:
//  - an empty list contributes nothing: no text, and it is skipped when its parent is
//    evaluated (an empty root is true and renders as "");
//  - removing conditions never drops a negation: only AND and OR lists with one child
//    left are replaced by that child;
//  - a malformed operand (BETWEEN without two values, an empty IN list) matches nothing
//    and still renders valid text;
//  - reading the binary form builds a new tree and swaps it in only when the whole
//    image was read; a condition whose link id maps to no field is left out.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"
#include "rtl/DateTime.h"
#include "rtl/Streams.h"
#include "rtl/Variant.h"

enum TkvFilterOperatorKind : uint8_t {
  foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual, foLike, foNotLike,
  foBetween, foNotBetween, foInList, foNotInList, foYesterday, foToday, foTomorrow,
  foLastWeek, foLastMonth, foLastYear, foThisWeek, foThisMonth, foThisYear, foNextWeek,
  foNextMonth, foNextYear
};
constexpr int kvFilterOperatorKindCount = 24;

enum TkvFilterBoolOperator : uint8_t { fboAnd = 0, fboOr = 1, fboNotAnd = 2, fboNotOr = 3 };

enum : uint8_t {
  fcoCaseInsensitive = 1,
  fcoShowOperatorDescription = 2,
  fcoSoftNull = 4,
  fcoSoftCompare = 8,
  fcoIgnoreNull = 16,
};
using TkvFilterCriteriaOptions = uint8_t;

class TkvColumnCopy;
class TkvFilterCriteria;
class TkvFilterCriteriaItem;
class TkvFilterCriteriaItemList;
class TkvFilterValueList;

// Today's date for the relative date windows (midnight); tests may replace it.
extern std::function<TDateTime()> kvFilterToday;
// Optional hook that may rewrite an operator's caption (unset: captions as they are).
extern std::function<void(AnsiString& caption)> kvGetFilterCaption;

// --- operators ------------------------------------------------------------------------

class TkvFilterOperator {
 public:
  explicit TkvFilterOperator(TkvFilterCriteriaItem* item) : FItem(item) {}
  virtual ~TkvFilterOperator() = default;
  TkvFilterOperator(const TkvFilterOperator&) = delete;
  TkvFilterOperator& operator=(const TkvFilterOperator&) = delete;

  virtual void GetTranslatedText(const Variant& v, AnsiString& s) { GetValueText(v, s); }
  // The operand as filter text: quoted texts, quoted dates, NULL, list forms.
  virtual void GetValueText(const Variant& v, AnsiString& s);
  virtual void AdjustDisplayValue(AnsiString& s) {}
  virtual void Prepare() {}
  virtual bool GetListValueText(const Variant& v, AnsiString& s) { return false; }
  // value: the record's value, operand: the condition's value; both prepared.
  virtual bool Evaluate(const Variant& value, const Variant& operand) = 0;
  virtual void GetCaption(AnsiString& s) { GetWord(s); }
  virtual void GetWord(AnsiString& s) = 0;
  virtual bool HasListOperand() { return false; }
  virtual bool NeedsTranslation() { return false; }
  virtual bool IsNullOperator() { return false; }

  TkvFilterCriteriaItem* Item() const { return FItem; }
  TkvFilterCriteria* Criteria() const;

 protected:
  // Text of an array operand element by element.
  AnsiString ListText(const Variant& v, const char* separator);

 private:
  TkvFilterCriteriaItem* FItem;
};

// A relative date window [StartDate, EndDate), computed by Prepare from kvFilterToday.
class TkvFilterDateOperator : public TkvFilterOperator {
 public:
  TkvFilterDateOperator(TkvFilterCriteriaItem* item, TkvFilterOperatorKind kind) : TkvFilterOperator(item), FKind(kind) {}
  void Prepare() override;
  bool Evaluate(const Variant& value, const Variant& operand) override;
  void GetWord(AnsiString& s) override;
  bool NeedsTranslation() override { return true; }
  void GetTranslatedText(const Variant& v, AnsiString& s) override;
  void AdjustDisplayValue(AnsiString& s) override { s.clear(); }
  TDateTime StartDate() const { return FStartDate; }
  TDateTime EndDate() const { return FEndDate; }

 private:
  TkvFilterOperatorKind FKind;
  TDateTime FStartDate = 0;
  TDateTime FEndDate = 0;
};

// The operator object of a kind; isNullValue picks the Null/NotNull operators for
// Equal, Like, NotEqual and NotLike.
std::unique_ptr<TkvFilterOperator> CreateFilterOperator(TkvFilterOperatorKind kind, bool isNullValue,
                                                        TkvFilterCriteriaItem* item);

// --- the tree ---------------------------------------------------------------------------

class TkvCustomFilterCriteriaItem {
 public:
  explicit TkvCustomFilterCriteriaItem(TkvFilterCriteriaItemList* parent) : FParent(parent) {}
  virtual ~TkvCustomFilterCriteriaItem() = default;
  TkvCustomFilterCriteriaItem(const TkvCustomFilterCriteriaItem&) = delete;
  TkvCustomFilterCriteriaItem& operator=(const TkvCustomFilterCriteriaItem&) = delete;

  // Marks the criteria modified.
  void Changed();
  virtual TkvFilterCriteria* GetCriteria() const;
  virtual bool IsItemList() const = 0;
  virtual void Loaded() {}
  virtual void SaveToStream(TStream& stream) = 0;
  TkvFilterCriteriaItemList* Parent() const { return FParent; }

 private:
  friend class TkvFilterCriteriaItemList;
  TkvFilterCriteriaItemList* FParent;
};

class TkvFilterCriteriaItemList : public TkvCustomFilterCriteriaItem {
 public:
  TkvFilterCriteriaItemList(TkvFilterCriteriaItemList* parent, TkvFilterBoolOperator op)
      : TkvCustomFilterCriteriaItem(parent), FBoolOperator(op) {}
  TkvFilterCriteria* GetCriteria() const override;
  bool IsItemList() const override { return true; }
  void SaveToStream(TStream& stream) override;

  TkvFilterBoolOperator BoolOperator() const { return FBoolOperator; }
  void SetBoolOperator(TkvFilterBoolOperator op);
  int Count() const { return static_cast<int>(FItems.size()); }
  TkvCustomFilterCriteriaItem* Items(int index) const;  // null outside 0..Count-1
  TkvFilterCriteriaItemList* AddItemList(TkvFilterBoolOperator op);
  // Appends a child (taking it); returns it.
  TkvCustomFilterCriteriaItem* Add(std::unique_ptr<TkvCustomFilterCriteriaItem> child);
  // The child leaves the list (Changed when it was there); the caller gets it.
  std::unique_ptr<TkvCustomFilterCriteriaItem> Remove(TkvCustomFilterCriteriaItem* child);
  // Frees child (it leaves the list).
  void Delete(TkvCustomFilterCriteriaItem* child) { Remove(child); }
  // Frees the children, last first, inside one update.
  void Clear();
  bool IsEmpty() const;

 private:
  friend class TkvFilterCriteria;
  TkvFilterBoolOperator FBoolOperator;
  TkvFilterCriteria* FCriteria = nullptr;  // root only
  std::vector<std::unique_ptr<TkvCustomFilterCriteriaItem>> FItems;
};

// Where a condition's field keeps the records' values, for the typed test of a record:
// the value type, the storage and its definition, and optionally a typed copy of the
// values by record (the data controller's column copy).
struct TkvFilterTypedSource {
  TkvValueTypeClass Type = nullptr;
  TkvDataStorage* Storage = nullptr;
  const TkvValueDef* Def = nullptr;
  const TkvColumnCopy* Copy = nullptr;
};

class TkvFilterCriteriaItem : public TkvCustomFilterCriteriaItem {
 public:
  TkvFilterCriteriaItem(TkvFilterCriteriaItemList* parent, TObject* link, TkvFilterOperatorKind kind,
                        const Variant& value, const AnsiString& displayValue);
  bool IsItemList() const override { return false; }
  void SaveToStream(TStream& stream) override;

  // The record's value of the condition's field (the data-aware subclass reads it).
  virtual void GetDataValue(int recordIndex, Variant& v) { v = Variant::Null(); }
  // The typed source of the same values, when the field has one: then records are
  // tested on the stored values in place (exactly as GetDataValue's Variants would
  // be). False (the default): every record goes through GetDataValue.
  virtual bool GetTypedSource(TkvFilterTypedSource& source) { return false; }
  // DisplayValue through the operator's AdjustDisplayValue.
  virtual void GetDisplayValue(AnsiString& s);
  // The display value with captions, else the operator's text of Value.
  virtual void GetValueText(bool useCaption, AnsiString& s);
  virtual void GetFieldCaption(AnsiString& s) { s.clear(); }
  // For an Equal over several fields, the names separated by ";".
  virtual void GetFieldName(AnsiString& s) { s.clear(); }
  virtual TObject* GetLink() const { return FLink; }
  // Replaces the operator by one chosen from OperatorKind and Value.
  void CreateOperator();
  bool IsNull(const Variant& v) const;

  const AnsiString& DisplayValue() const { return FDisplayValue; }
  TObject* Link() const { return FLink; }
  TkvFilterOperator* Operator() const { return FOperator.get(); }
  TkvFilterOperatorKind OperatorKind() const { return FOperatorKind; }
  const Variant& Value() const { return FValue; }

 private:
  AnsiString FDisplayValue;
  TObject* FLink;
  std::unique_ptr<TkvFilterOperator> FOperator;
  TkvFilterOperatorKind FOperatorKind;
  Variant FValue;
};

// --- the criteria -------------------------------------------------------------------------

class TkvFilterCriteria : public TPersistent {
 public:
  TkvFilterCriteria();
  ~TkvFilterCriteria() override;

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void CancelUpdate() { --FLockCount; }
  int LockCount() const { return FLockCount; }

  void Clear();
  // Parent null means the root. The item class comes from CreateItem.
  TkvFilterCriteriaItem* AddCondition(TkvFilterCriteriaItemList* parent, TObject* link, TkvFilterOperatorKind kind,
                                      const Variant& value, const AnsiString& displayValue);
  void RemoveItemsByLink(TObject* link);
  TkvFilterCriteriaItem* FindItemByLink(TObject* link) const;
  bool IsEmpty() const { return FRoot->Count() == 0; }
  // Tests one record: conditions whose items give a typed source compare the stored
  // values in place, the others take the Variant path; both give CompareVariants'
  // answers. The typed tests are made at the first test after a change.
  bool Evaluate(int recordIndex);
  // The typed tests are made again before the next test (for a source that changed
  // without a change of the criteria, such as a field bound anew).
  void InvalidateCompiled() { FCompiledValid = false; }
  AnsiString FilterText() { AnsiString s; GetFilterText(s); return s; }
  AnsiString DisplayText() { AnsiString s; GetDisplayText(s); return s; }
  virtual void GetFilterText(AnsiString& s) { GetText(false, s); }
  virtual void GetDisplayText(AnsiString& s) { GetText(true, s); }
  bool IsEqual(TkvFilterCriteria& other);
  void Assign(TPersistent* source) override;
  virtual void AssignItems(TkvFilterCriteria& source);
  void SetDefaults();
  // The component form: a TFilterWrapper over this criteria written with the component
  // writer, so the stream holds the published settings that differ from their defaults
  // (docs/formats/component-stream.md). LoadFromStream reads such a stream back inside one
  // update (OnChanged fires at most once); settings the stream does not hold keep their
  // current values, as component reading does.
  void SaveToStream(TStream& stream);
  void LoadFromStream(TStream& stream);
  // Published: MaxValueListCount (default 0), Options (default []), PercentWildcard
  // (default '%'), UnderscoreWildcard (default '_'). OnChanged is an event: not streamed.
  void DefinePublished(TPublishedProperties& properties) override;
  bool HasCriteriaData() const { return FRoot->BoolOperator() != fboAnd || FRoot->Count() > 0; }

  // Binary form.
  void WriteData(TStream& stream);
  void ReadData(TStream& stream);

  // The null test: Null, and with fcoSoftNull also an empty text.
  bool IsNull(const Variant& v) const;
  // Currency to double; texts upper-cased under fcoCaseInsensitive; arrays element-wise.
  virtual void PrepareOperand(const Variant& v, Variant& result) const;
  virtual void PrepareOperators();

  virtual void GetValueText(const Variant& v, AnsiString& s);
  virtual void GetDateText(const Variant& v, AnsiString& s);
  virtual void DoGetValueText(TkvFilterCriteriaItem* item, const Variant& v, AnsiString& s) {}
  virtual void GetText(bool useCaption, AnsiString& s);
  virtual void GetItemText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s);
  virtual void GetItemFieldText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s);
  virtual void GetItemOperatorText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s);
  virtual void GetItemValueText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s);
  // The stream id of a link and back (the data-aware subclass maps fields). A link of
  // id that GetLinkById cannot map (null) leaves its condition out when reading.
  virtual int32_t GetIdByLink(TObject* link) { return 0; }
  virtual TObject* GetLinkById(int32_t id) { return nullptr; }
  virtual std::unique_ptr<TkvFilterCriteriaItem> CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                            TkvFilterOperatorKind kind, const Variant& value,
                                                            const AnsiString& displayValue);
  virtual std::unique_ptr<TkvFilterValueList> CreateValueList();
  void SetModified();

  TkvFilterCriteriaItemList& Root() { return *FRoot; }
  // A condition (or list) compiled to a typed test (see ukvFilterTyped.h).
  struct Compiled;
  bool Modified() const { return FModified; }
  const AnsiString& DateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const AnsiString& v);
  int MaxValueListCount() const { return FMaxValueListCount; }
  void SetMaxValueListCount(int v) { FMaxValueListCount = v; }
  TkvFilterCriteriaOptions Options() const { return FOptions; }
  void SetOptions(TkvFilterCriteriaOptions v);
  char PercentWildcard() const { return FPercentWildcard; }
  void SetPercentWildcard(char v);
  char UnderscoreWildcard() const { return FUnderscoreWildcard; }
  void SetUnderscoreWildcard(char v);
  bool SupportedLike() const { return FSupportedLike; }
  void SetSupportedLike(bool v) { FSupportedLike = v; }
  bool TranslateBetween() const { return FTranslateBetween; }
  void SetTranslateBetween(bool v) { FTranslateBetween = v; }
  bool TranslateIn() const { return FTranslateIn; }
  void SetTranslateIn(bool v) { FTranslateIn = v; }

  TNotifyEvent OnChanged;

 protected:
  virtual void Changed();
  virtual void DoChanged() {
    if (OnChanged) OnChanged(this);
  }
  // One condition against one record (prepared operands, the operator's test).
  virtual bool EvaluateItem(TkvFilterCriteriaItem& item, int recordIndex);

  // The typed tests: made from the tree when invalid; true when every condition has one.
  bool CompiledUsable();
  const std::vector<std::unique_ptr<Compiled>>& CompiledNodes() const { return FCompiled; }
  // One condition by its typed test (the Variant path where it has none or the value
  // is not kept in place).
  bool EvaluateLeaf(Compiled& n, int recordIndex);

 private:
  bool CompileAll();
  bool EvaluateNode(Compiled& n, int recordIndex, bool& any);
  friend class TkvCustomFilterCriteriaItem;
  void ListText(TkvFilterCriteriaItemList& list, bool useCaption, AnsiString& s);
  void ReadList(TStream& stream, TkvFilterCriteriaItemList& list, int32_t count, int depth);

  bool FModified = false;
  AnsiString FDateTimeFormat;
  int FLockCount = 0;
  int FMaxValueListCount = 0;
  TkvFilterCriteriaOptions FOptions = 0;
  char FPercentWildcard = '%';
  std::unique_ptr<TkvFilterCriteriaItemList> FRoot;
  bool FSupportedLike = true;
  bool FTranslateBetween = false;
  bool FTranslateIn = false;
  char FUnderscoreWildcard = '_';
  std::vector<std::unique_ptr<Compiled>> FCompiled;
  bool FCompiledValid = false;
  bool FCompiledUsable = false;
  AnsiString FUpper;
};

// The component that carries a criteria through component streaming: its one published
// property Filter refers to the criteria (not owned), whose published settings are
// written and read as "Filter.Xxx".
class TFilterWrapper : public TComponent {
 public:
  explicit TFilterWrapper(TComponent* owner) : TComponent(owner) {}
  TkvFilterCriteria* Filter() const { return FFilter; }
  void SetFilter(TkvFilterCriteria* v) { FFilter = v; }
  void DefinePublished(TPublishedProperties& properties) override;

 private:
  TkvFilterCriteria* FFilter = nullptr;
};

// --- the value list of a column's drop-down filter ------------------------------------------

struct TkvFilterValueItem {
  uint8_t Kind;
  Variant Value;
  AnsiString DisplayText;
};

class TkvFilterValueList {
 public:
  explicit TkvFilterValueList(TkvFilterCriteria* criteria) : FCriteria(criteria) {}
  virtual ~TkvFilterValueList() = default;

  virtual int Compare(int index, const Variant& value, const AnsiString& displayText);
  virtual void Add(uint8_t kind, const Variant& value, const AnsiString& displayText, bool addAtEnd);
  virtual void Clear() { FItems.clear(); }
  // True and the index of an equal entry; else false and the insertion point.
  virtual bool Find(const Variant& value, const AnsiString& displayText, int& index);
  // The entry that stands for a condition, -1 when none.
  virtual int ItemIndexOf(TkvFilterCriteriaItem* item);

  int Count() const { return static_cast<int>(FItems.size()); }
  const TkvFilterValueItem& Items(int index) const { return FItems[static_cast<size_t>(index)]; }
  bool SortByDisplayText() const { return FSortByDisplayText; }
  void SetSortByDisplayText(bool v) { FSortByDisplayText = v; }
  TkvFilterCriteria* Criteria() const { return FCriteria; }

 private:
  int FirstOfKind(uint8_t kind) const;
  TkvFilterCriteria* FCriteria;
  std::vector<TkvFilterValueItem> FItems;
  bool FSortByDisplayText = false;
};
