// The filter dialog's conditions; see fukvGridFilterConditions.h.
#include "VCLSource/source/PosGrid/fukvGridFilterConditions.h"

#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "rtl/Classes.h"
#include "rtl/NumberFormat.h"

namespace kw_filter_dialog {
const char* const Caption = "筛选";
const char* const ColumnLabel = "选择列名";
const char* const ConditionCaption = "筛选条件";
const char* const RangeItems[3] = {"从全部筛选", "从当前筛选", "取消所有筛选"};
const char* const OkCaption = "确定";
const char* const CancelCaption = "取  消";
const char* const LikeCaption = "相似";
const char* const MinLabel = "数值>=";
const char* const MaxLabel = "数据<=";
const char* const BeginLabel = "时间起";
const char* const EndLabel = "时间止";
}  // namespace kw_filter_dialog

namespace {

// A typed bound that is not a number refuses the OK: filtering by 0 while showing the
// typed text would apply another condition than the one the user sees.
double NumericBound(const AnsiString& text) {
  double value = 0;
  if (!TryStrToFloat(text, value)) throw EkwFilterValueError("筛选数值不是数字：" + text);
  return value;
}

void AddTextConditions(const TkwFilterInput& input, TkwFilterConditions& out) {
  if (input.Like) {
    const AnsiString pattern = "%" + input.Text + "%";
    out.emplace_back(foLike, Variant(pattern), pattern);
  } else {
    out.emplace_back(foEqual, Variant(input.Text), input.Text);
  }
}

void AddNumericConditions(const TkwFilterInput& input, TkwFilterConditions& out) {
  // Both bounds are checked before either is added.
  const bool hasMin = !input.Min.empty();
  const bool hasMax = !input.Max.empty();
  const double min = hasMin ? NumericBound(input.Min) : 0;
  const double max = hasMax ? NumericBound(input.Max) : 0;
  if (hasMin) out.emplace_back(foGreaterEqual, Variant(min), input.Min);
  if (hasMax) out.emplace_back(foLessEqual, Variant(max), input.Max);
}

// "From" and "to" name whole days: a record at the first day's midnight or on the last
// day is inside, so the range is begin <= date < the day after the end date.
void AddDateConditions(const TkwFilterInput& input, TkwFilterConditions& out) {
  const TDateTime begin = DateOf(input.Begin);
  const TDateTime end = DateOf(input.End);
  out.emplace_back(foGreaterEqual, Variant::FromDate(begin), DateTimeToStr(begin));
  out.emplace_back(foLess, Variant::FromDate(end + 1), DateTimeToStr(end));
}

// Mended: a value the column's field cannot take (a text on a Boolean column) was
// refused by the filter only after the dialog had closed and the old filter was cleared.
// It refuses the OK now, as a bound that is not a number does.
void CheckFieldTakes(IkwColumn* column, const TkwFilterConditions& conditions) {
  TkvDbField* field = column->DbField();
  if (!field) return;
  for (const TkwFilterCondition& c : conditions) {
    try {
      (void)FilterOperandOf(field, c.OperatorKind, c.Value);
    } catch (const EkvFilterValueError&) {
      throw EkwFilterValueError("筛选条件不符合该列的类型：" + c.DisplayText);
    }
  }
}

}  // namespace

TkwFilterConditionKind ConditionKindOf(IkwColumn* column) {
  IkwField* field = column ? column->GetField() : nullptr;
  if (!field) return fckText;
  if (field->IsDateTimeField()) return fckDate;
  if (field->IsNumericField()) return fckNumeric;
  return fckText;
}

TkwFilterRange FilterRangeOf(int itemIndex) {
  if (itemIndex == frFromAll) return frFromAll;
  if (itemIndex == frFromCurrent) return frFromCurrent;
  return frCancelAll;
}

TkwFilterConditions BuildFilterConditions(IkwColumn* column, TkwFilterRange range, const TkwFilterInput& input) {
  TkwFilterConditions out;
  // With no column selected there is nothing to filter on.
  if (range == frCancelAll || !column) return out;
  switch (ConditionKindOf(column)) {
    case fckText: AddTextConditions(input, out); break;
    case fckNumeric: AddNumericConditions(input, out); break;
    case fckDate: AddDateConditions(input, out); break;
  }
  CheckFieldTakes(column, out);
  return out;
}

void ApplyFilterConditions(IkwGridFilter& filter, IkwColumn* column, TkwFilterRange range,
                           const TkwFilterConditions& conditions) {
  {
    TUpdateScope update(&filter);
    if (range != frFromCurrent) filter.Clear();
    if (range != frCancelAll)
      for (const TkwFilterCondition& c : conditions) filter.AddItem(column, c.OperatorKind, c.Value, c.DisplayText);
  }
  filter.SetActive(range != frCancelAll && filter.ItemCount() > 0);
}
