// The data controller's filter: criteria of the value engine bound to the controller's
// field items, an Active switch, the values offered by a column's drop-down, and the
// hand-over of the criteria to the dataset as its Filter text.
//
// Decisions:
//  - a condition's value is cast to its field's value type when the condition is made
//    (added, read from a stream, copied): CompareVariants never converts a text, so a
//    "5" typed for a number column must become 5 to match; a value that cannot be cast
//    is refused with EkvFilterValueError, never compared as text. LIKE patterns stay
//    texts, and the relative date windows take no value. A number an integer field
//    cannot hold exactly (a fraction, beyond the type's range) is not rounded: it stays
//    a real number (or the wider integer it is), and the field's values compare with it
//    in that type, so the condition's text and its result agree;
//  - criteria stream their fields under the field item's index in the controller, so
//    copies and streams within the controller keep them;
//  - an item's field text is the field name, its caption the column's caption; a filter
//    text with an empty field name is never given to the dataset;
//  - no dataset counts as an inactive one; row 0 is focused only when there are rows;
//  - records are tested by typed comparisons of the stored values where every condition
//    allows it (the same results as the Variant path, which the rest takes).
#pragma once
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvFilter.h"

POS_EXCEPTION(EkvFilterValueError, Exception);

// The value a condition of kind on field takes (as CreateItem casts it), so that a
// caller can refuse it before changing any criteria; raises EkvFilterValueError when the
// field cannot take it. Without a field the value is taken as it is.
Variant FilterOperandOf(TkvDbField* field, TkvFilterOperatorKind kind, const Variant& value);

class TkvDataFilterCriteria;
class TkvDataFilterValueList;

class TkvDataFilterCriteriaItem : public TkvFilterCriteriaItem {
 public:
  using TkvFilterCriteriaItem::TkvFilterCriteriaItem;
  void GetDataValue(int recordIndex, Variant& v) override;
  void GetFieldCaption(AnsiString& s) override;
  void GetFieldName(AnsiString& s) override;
  TObject* GetLink() const override;
  // The field's stored values (and its column copy), unless the column computes them.
  bool GetTypedSource(TkvFilterTypedSource& source) override;
  TkvDbField* Field() const { return static_cast<TkvDbField*>(Link()); }
  TkvCustomDbDataController* Controller() const;
};

class TkvDataFilterCriteria : public TkvFilterCriteria {
 public:
  using TGetValueListEvent = std::function<void(TkvFilterCriteria* Sender, int ItemIndex, TkvDataFilterValueList& List)>;
  explicit TkvDataFilterCriteria(TkvCustomDbDataController* controller);
  ~TkvDataFilterCriteria() override;

  void Assign(TPersistent* source) override;
  int32_t GetIdByLink(TObject* link) override;
  TObject* GetLinkById(int32_t id) override;
  std::unique_ptr<TkvFilterCriteriaItem> CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                    TkvFilterOperatorKind kind, const Variant& value,
                                                    const AnsiString& displayValue) override;
  std::unique_ptr<TkvFilterValueList> CreateValueList() override;
  // A link that is no field item is looked up among the controller's fields by Link.
  TkvFilterCriteriaItem* AddCondition(TkvFilterCriteriaItemList* parent, TObject* link, TkvFilterOperatorKind kind,
                                      const Variant& value, const AnsiString& displayValue);
  TkvFilterCriteriaItem* FindByLink(TObject* link) const;
  virtual bool IsActive() { return FActive && !IsEmpty(); }
  bool Active() const { return FActive; }
  void SetActive(bool v);
  bool EvaluateRecord(int recordIndex);
  // Keeps the rows (record indexes) whose records pass, and keep whatever it is; false
  // (rows untouched) when the criteria need the record-by-record path. Same results as
  // EvaluateRecord on each row: used for a root AND of typed tests, one condition at a
  // time over the rows left.
  bool FilterRows(std::vector<int>& rows, int keep);
  void RemoveField(TkvDbField* field);
  TkvCustomDbDataController* Controller() const { return FController; }
  bool Destroying() const { return FDestroying; }

  // Published after the base criteria's settings: Active (default False). OnGetValueList
  // is an event: code, not streamed.
  void DefinePublished(TPublishedProperties& properties) override;
  // The condition tree as the binary property "Criteria" (the binary form of
  // WriteData/ReadData, docs/formats/criteria-stream.md), stored when HasCriteriaData.
  void DefineProperties(TFiler& filer) override;

  TGetValueListEvent OnGetValueList;

 protected:
  void DoChanged() override;
  TkvDbField* FieldOfLink(TObject* link) const;

 private:
  bool FActive = false;
  TkvCustomDbDataController* FController;
  bool FDestroying = false;
};

class TkvDBDataFilterCriteria : public TkvDataFilterCriteria {
 public:
  using TBeforeChangeEvent = std::function<void(TObject* Sender, TDataSet* DataSet, const AnsiString& FilterText)>;
  using TFormatFilterTextValueEvent = std::function<void(TObject* Sender, const Variant& Value, AnsiString& Text)>;
  explicit TkvDBDataFilterCriteria(TkvCustomDbDataController* controller);

  void Assign(TPersistent* source) override;
  bool IsActive() override;
  void DoGetValueText(TkvFilterCriteriaItem* item, const Variant& v, AnsiString& s) override;
  void SetDefaults();

  bool AutoDataSetFilter() const { return FAutoDataSetFilter; }
  void SetAutoDataSetFilter(bool v) { FAutoDataSetFilter = v; }
  bool IgnoreOrigin() const { return FIgnoreOrigin; }
  void SetIgnoreOrigin(bool v) { FIgnoreOrigin = v; }

  // Published after Active: AutoDataSetFilter (default False), IgnoreOrigin (default
  // True), then from the base criteria DateTimeFormat, SupportedLike (default True),
  // TranslateBetween and TranslateIn (default False). OnBeforeChange and
  // OnFormatFilterTextValue are events: not streamed.
  void DefinePublished(TPublishedProperties& properties) override;

  TBeforeChangeEvent OnBeforeChange;
  TFormatFilterTextValueEvent OnFormatFilterTextValue;

 protected:
  void DoChanged() override;

 private:
  bool FAutoDataSetFilter = false;
  bool FIgnoreOrigin = true;
};

class TkvDataFilterValueList : public TkvFilterValueList {
 public:
  explicit TkvDataFilterValueList(TkvFilterCriteria* criteria) : TkvFilterValueList(criteria) {}
  // Fills the list for the controller's field at itemIndex.
  virtual void Build(int itemIndex);
  TkvDbField* Field() const { return FField; }

 private:
  TkvDbField* FField = nullptr;
};
