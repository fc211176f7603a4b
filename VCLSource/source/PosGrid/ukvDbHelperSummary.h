// Footer summaries: one total (sum, minimum, maximum, count, average) of one field of
// the data controller over the rows of its row list, and its footer text.
//
// Decisions:
//  - a value is rounded before it is added when a DisplayFormat is set: numerically, to
//    the number of digit places after the decimal point of the format's first section,
//    half away from zero (never through a text round trip, which thousands separators
//    or literal text in the format would break);
//  - sum and average take numbers only: texts that read as numbers count, other texts
//    are left out, Booleans count as 1 and 0; Nulls are left out;
//  - minimum and maximum compare with CompareVariants and leave Nulls out; over rows
//    that are all Null they are Null (an empty footer), over no row Reset's 0;
//  - a date total with a DisplayFormat of its own is formatted with it (FormatDateTime);
//    the default date formats are prefixes ("MIN=", "MAX=", "AVG=").
#pragma once
#include <functional>
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

class TkvSummary {
 public:
  using TGetTextEvent = std::function<void(TkvSummary* Sender, const Variant& Value, AnsiString& Text)>;

  TkvSummary(TkvCustomDbDataControllerInfo* owner, TkvDbField* field, TkvSummaryKind kind);
  virtual ~TkvSummary() = default;

  virtual bool IsCurrencyValue(TVarType varType) const;
  virtual AnsiString GetDefaultDisplayFormat(int formatType, TkvSummaryKind kind) const;
  virtual void GetDisplayText(const Variant& value, AnsiString& text);

  void Reset();
  // One row; Ordinal is the 1-based position of the row.
  void Accumulate(const Variant& v);
  // Applies the Info's pending changes first.
  Variant GetValue();
  AnsiString GetText();
  const AnsiString& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& format);
  TkvDbField* Field() const { return FField; }
  void DetachField() { FField = nullptr; }
  TkvSummaryKind Kind() const { return FKind; }
  int Ordinal = 0;
  const Variant& Value() const { return FValue; }
  // The value as accumulated, without applying anything (for the Info).
  void SetValue(const Variant& v) { FValue = v; }
  int FormatType(const Variant& v) const;
  // Rounds v as the display format asks (see the file comment).
  Variant Rounded(const Variant& v) const;
  // Average state.
  Variant AverageSum;
  int AverageCount = 0;

  TGetTextEvent OnGetText;

 private:
  TkvCustomDbDataControllerInfo* FOwner;
  AnsiString FDisplayFormat;
  TkvDbField* FField;
  TkvSummaryKind FKind;
  Variant FValue;
};

// The currency number format built from the locale's currency settings.
AnsiString CurrencyNumberFormat();
// The number of digit places after the decimal point in a FormatFloat pattern's first
// section (0 when it has none).
int FormatDecimals(std::string_view format);
