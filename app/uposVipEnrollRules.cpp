// Checks, lists, parameters and result of the VIP card enrollment screen.
#include "app/uposVipEnrollRules.h"

#include "app/SqlLiteral.h"
#include "app/uPublic.h"

namespace vipenroll {

AnsiString FirstFailedCheck(const TEntries& e) {
  AnsiString ch;
  if (Trim(e.CardNo).empty()) return "请输入正确的会员卡号";
  if (!CheckIllegalChar(e.CardNo, ch)) return "会员卡号中含有非法字符" + ch;
  if (e.CardTypeCount == 0) return "没有卡类型可选，请检查";
  if (e.CardTypeText.empty()) return "没有选择卡类型，请检查";
  if (!IsAlphaNum(e.Password)) return "密码中不能包含A..Z,a..z,0..9以外的字符";
  if (!e.Password.empty() && (e.Password.size() < 6 || e.Password.size() > 10))
    return "卡密码必须为6到10位，请重新录入";
  if (e.Password != e.PasswordAgain) return "两次录入的密码不一致，请检查";
  const struct {
    const AnsiString* text;
    const char* message;
  } fields[] = {{&e.Holder, "持卡人中含有非法字符"},
                {&e.IdNumber, "证件号中含有非法字符"},
                {&e.Phone, "联系电话中含有非法字符"},
                {&e.EMail, "EMail中含有非法字符"},
                {&e.Comment, "备注中含有非法字符"}};
  for (const auto& f : fields)
    if (!CheckIllegalChar(*f.text, ch)) return f.message + ch;
  return AnsiString();
}

void TIdNameList::LoadFrom(TDataSet& ds, std::string_view idField, std::string_view nameField) {
  FItems.clear();
  if (!ds.Active() || ds.RecordCount() == 0) return;
  TField* id = ds.FieldByName(idField);
  TField* name = ds.FieldByName(nameField);
  for (ds.First(); !ds.Eof(); ds.Next()) FItems.push_back({id->AsString(), name->AsString()});
}

std::vector<AnsiString> TIdNameList::Names() const {
  std::vector<AnsiString> names;
  names.reserve(FItems.size());
  for (const TIdName& i : FItems) names.push_back(i.Name);
  return names;
}

int TIdNameList::IndexOfName(const AnsiString& name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Name == name) return static_cast<int>(i);
  return -1;
}

int TIdNameList::IndexOfId(const AnsiString& id) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Id == id) return static_cast<int>(i);
  return -1;
}

AnsiString TIdNameList::IdAt(int index) const {
  if (index < 0 || index >= Count()) return AnsiString();
  return FItems[static_cast<size_t>(index)].Id;
}

AnsiString ChosenIdStillListed(const TIdNameList& Shown, int Chosen, const TIdNameList& Reloaded) {
  const AnsiString id = Shown.IdAt(Chosen);
  if (id.empty() || Reloaded.IndexOfId(id) < 0) return AnsiString();
  return id;
}

void InsertParams(const TCardValues& v, std::vector<AnsiString>& names,
                  std::vector<Variant>& values) {
  names.clear();
  values.clear();
  for (auto& [name, value] : CardParams(v)) {
    names.push_back(std::move(name));
    values.push_back(std::move(value));
  }
}

WideString PasswordUpdateSql(const AnsiString& password, const AnsiString& cardNo) {
  // The statement has always had no blank before "where"; the server reads it so.
  return GbkToWide("update nVipCardSign set pWord=" + SqlQuoted(password) +
                   "where VipCardCode=" + SqlQuoted(cardNo));
}

TSaveOutcome OutcomeOf(int result) {
  if (result > 0) return {true, "发卡成功", "提示"};
  if (result == -9) return {false, "卡号重复，请重新输入", "错误"};
  return {false, "写入错误，请重新输入", "错误"};
}

}  // namespace vipenroll
