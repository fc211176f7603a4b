// The basic-data selection dialog's rules: kinds, query, filter, columns, marks and
// confirming.
#include "app/uSelectBasicRules.h"

#include "app/uDataModule.h"
#include "app/uPublic.h"
#include "db/ClientDataSet.h"

namespace {

constexpr TBasicKind kKinds[] = {
    {"Ptype", 1, "商品", "商品名称"},     {"Btype", 2, "往来单位", "客户名称"}, {"Ktype", 3, "仓库", "仓库名称"},
    {"Atype", 4, "会计科目", "科目名称"}, {"Etype", 5, "职员", "职员名称"},     {"Pos", 6, "POS机信息", "POS机信息"},
};
constexpr int kGoods = 1;
constexpr int kEmployees = 5;
constexpr int kTerminals = 6;

AnsiString FieldText(TDataSet& ds, const char* name) {
  TField* f = ds.FindField(name);
  return f ? f->AsString() : AnsiString();
}

int32_t FieldInt(TDataSet& ds, const char* name) {
  TField* f = ds.FindField(name);
  return f && !f->IsNull() ? f->AsInteger() : 0;
}

}  // namespace

const TBasicKind* FindBasicKind(std::string_view Kind) {
  for (const TBasicKind& k : kKinds)
    if (Kind == k.Kind) return &k;
  return nullptr;
}

// --- marks ------------------------------------------------------------------------------------------

bool TBasicMarks::IsMarked(const AnsiString& TypeId, const AnsiString& ColorId, const AnsiString& SizeId) const {
  for (const TBaseRecord& r : FRecords)
    if (r.TypeId == TypeId && r.colorid == ColorId && r.sizeid == SizeId) return true;
  return false;
}

bool TBasicMarks::Toggle(const TBaseRecord& Record) {
  for (auto it = FRecords.begin(); it != FRecords.end(); ++it) {
    if (it->TypeId == Record.TypeId && it->colorid == Record.colorid && it->sizeid == Record.sizeid) {
      FRecords.erase(it);
      return false;
    }
  }
  FRecords.push_back(Record);
  return true;
}

// --- the dialog's rules -------------------------------------------------------------------------------

TSelectBasicRules::TSelectBasicRules(const TSelectBasicArgs& Args)
    : FArgs(Args),
      FKind(FindBasicKind(Args.Kind)),
      FSearchMode(Args.BarcodeMode ? 2 : 1),
      FSearchLabel(Args.BarcodeMode ? kSearchBarcodeLabel : kSearchCodeNameLabel) {}

bool TSelectBasicRules::SwitchSearchMode() {
  if (!ColorSizeGoods()) return false;
  FSearchMode = FSearchMode == 1 ? 2 : 1;
  FSearchLabel = FSearchMode == 1 ? kSearchCodeNameLabelF5 : kSearchBarcodeLabel;
  return true;
}

std::vector<AnsiString> TSelectBasicRules::ParamNames() const {
  return {"@Barcode", "@BaseType", "@WithColAndSiz", "@selectString", "@PosUserId", "@Posid", "@DefaultBarCode"};
}

std::vector<Variant> TSelectBasicRules::ParamValues(const AnsiString& SearchText) const {
  const AnsiString text = Trim(SearchText);
  const bool byBarcode = FSearchMode == 2;
  const Variant user = KindNumber() == kEmployees ? Variant(FArgs.Filter) : Variant(OperatorId);
  return {Variant(byBarcode ? text : AnsiString(kNotGiven)),
          Variant(KindNumber()),
          Variant((FArgs.Options & sbColorSize) ? 1 : 0),
          Variant(byBarcode ? AnsiString(kNotGiven) : text),
          user,
          Variant(PosId),
          Variant(AnsiString())};
}

AnsiString TSelectBasicRules::DataSetFilter() const {
  if (KindNumber() != kGoods || (FArgs.Options & sbWithStopped)) return FArgs.Filter;
  return FArgs.Filter.empty() ? AnsiString("Stop = 0") : FArgs.Filter + " and Stop = 0";
}

void TSelectBasicRules::Query(TClientDataSet& DataSet, const AnsiString& SearchText) {
  // The marks belong to the rows of the last query.
  FMarks.Clear();
  OpenProcData("PosGetBasicData", ParamNames(), ParamValues(SearchText), &DataSet);
  if (FiltersDataSet()) {
    DataSet.SetFilter(DataSetFilter());
    DataSet.SetFiltered(true);
  }
}

std::vector<TBasicColumn> TSelectBasicRules::Columns(bool AllowColorSize) const {
  std::vector<TBasicColumn> c = {{"Typeid", "Typeid", false},
                                 {"UserCode", "编号", true},
                                 {"FullName", FKind ? FKind->NameCaption : "", true}};
  if (KindNumber() != kTerminals) c.push_back({"Sonnum", "Sonnum", false});
  if (ColorSizeGoods()) {
    c.push_back({"Colorid", "Colorid", false});
    c.push_back({"sizeid", "sizeid", false});
    c.push_back({"ColorName", "颜色", AllowColorSize});
    c.push_back({"sizeName", "尺码", AllowColorSize});
  }
  return c;
}

TBaseRecord TSelectBasicRules::RecordOf(TDataSet& DataSet) const {
  TBaseRecord r;
  r.TypeId = FieldText(DataSet, "typeid");
  r.UserCode = FieldText(DataSet, "UserCode");
  r.FullName = FieldText(DataSet, "FullName");
  r.Sonnum = FieldInt(DataSet, "Sonnum");
  if (KindNumber() == kGoods && (FArgs.Options & sbWithStopped)) r.stop = FieldInt(DataSet, "stop");
  if (ColorSizeGoods()) {
    r.colorid = FieldText(DataSet, "colorid");
    r.ColorName = FieldText(DataSet, "ColorName");
    r.sizeid = FieldText(DataSet, "sizeid");
    r.SizeName = FieldText(DataSet, "SizeName");
  }
  if (KindNumber() == kTerminals) r.Etypeid = FieldText(DataSet, "Etypeid");
  return r;
}

bool TSelectBasicRules::ToggleMark(TDataSet& DataSet) {
  if (!MultiSelect() || !DataSet.Active() || DataSet.IsEmpty()) return false;
  FMarks.Toggle(RecordOf(DataSet));
  return true;
}

bool TSelectBasicRules::Confirm(TDataSet& DataSet, const AnsiString& FocusedTypeId,
                                std::vector<TBaseRecord>& ResultList) {
  if (!DataSet.Active() || DataSet.IsEmpty() || FocusedTypeId.empty()) return false;
  if (MultiSelect()) ResultList.insert(ResultList.end(), FMarks.Records().begin(), FMarks.Records().end());
  if (!MultiSelect() || ResultList.empty()) ResultList.push_back(RecordOf(DataSet));
  return true;
}
