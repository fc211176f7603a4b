// Adapters between the grid's column model, dialogs and editors and the data layer:
//  - TkwGridFilter shows the data controller's filter criteria as IkwGridFilter;
//  - TkwInterfaceCollectionItem is a collection item that implements interfaces; the
//    collection owns it, so handing it out as an interface never frees it;
//  - TkwField shows a dataset field as IkwField.
// Interfaces are abstract classes. The counted ones (IkwGridFilter, IkwField) are held by
// shared_ptr; a column is handed out as a plain IkwColumn pointer that owns nothing.
#pragma once
#include <memory>
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvFilter.h"
#include "rtl/Collection.h"
#include "rtl/Variant.h"

class TField;
class TkvDataFilterCriteria;

// A dataset field as the grid's dialogs and editors see it.
class IkwField {
 public:
  virtual ~IkwField() = default;
  virtual Variant GetAsVariant() = 0;
  virtual bool CanModify() = 0;
  virtual AnsiString FieldName() = 0;
  virtual bool IsDateTimeField() = 0;
  virtual bool IsNumericField() = 0;
  virtual bool IsStringField() = 0;
  virtual void SetAsVariant(const Variant& value) = 0;
};

// Over one field, not owned. A column keeps its TkwField pointed at its current field;
// every operation on a TkwField without a field raises EkwInvalidGridOperation.
class TkwField : public IkwField {
 public:
  explicit TkwField(TField* field = nullptr) : FField(field) {}
  TField* Field() const { return FField; }
  void SetField(TField* field) { FField = field; }

  Variant GetAsVariant() override;
  bool CanModify() override;
  AnsiString FieldName() override;
  bool IsDateTimeField() override;
  bool IsNumericField() override;
  bool IsStringField() override;
  void SetAsVariant(const Variant& value) override;

 private:
  TField& Checked() const;
  TField* FField;
};

// The data controller's filter as the filter dialog sees it.
class IkwGridFilter {
 public:
  virtual ~IkwGridFilter() = default;
  virtual bool GetActive() = 0;
  virtual void SetActive(bool value) = 0;
  // A condition at the root on the column's field item of the data controller.
  virtual void AddItem(IkwColumn* column, TkvFilterOperatorKind kind, const Variant& value,
                       const AnsiString& displayValue) = 0;
  virtual void BeginUpdate() = 0;
  virtual void Clear() = 0;
  virtual void EndUpdate() = 0;
  virtual int ItemCount() = 0;
};

class TkwGridFilter : public IkwGridFilter {
 public:
  explicit TkwGridFilter(TkvDataFilterCriteria& criteria) : FCriteria(criteria) {}
  bool GetActive() override;
  void SetActive(bool value) override;
  // A column without a field item adds nothing (no condition can name it).
  void AddItem(IkwColumn* column, TkvFilterOperatorKind kind, const Variant& value,
               const AnsiString& displayValue) override;
  void BeginUpdate() override;
  void Clear() override;  // inside its own update
  void EndUpdate() override;
  int ItemCount() override;

 private:
  TkvDataFilterCriteria& FCriteria;
};

// The base of the grid's columns: a collection item that implements interfaces. It is
// never freed through an interface; its collection owns it.
class TkwInterfaceCollectionItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
};
