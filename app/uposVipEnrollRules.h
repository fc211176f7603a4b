// The rules of the VIP card enrollment screen that need no window: the checks of the
// entries in their fixed order with their messages, the lists of card types and
// issuing employees, the parameters of the card insert, the password update statement
// and what the insert's result means. The form (uposVipEnroll.h) applies them.
#pragma once
#include <vector>

#include "app/VipCardInsert.h"
#include "db/DataSet.h"
#include "rtl/AnsiString.h"
#include "rtl/DateTime.h"
#include "rtl/Variant.h"

namespace vipenroll {

// Statements and the procedure of the screen.
constexpr const char* kCardTypesSql = "select TypeName,VipCardTypeID from nVipCardSet";
constexpr const char* kEmployeesSql = "select * from    FN_GetPowerRangeEList ('00001','')";

// What the user entered, as the checks see it.
struct TEntries {
  AnsiString CardNo;
  int CardTypeCount = 0;      // items of the card type list
  AnsiString CardTypeText;    // the card type chosen ("" for none)
  AnsiString Password;
  AnsiString PasswordAgain;
  AnsiString Holder;
  AnsiString IdNumber;
  AnsiString Phone;
  AnsiString EMail;
  AnsiString Comment;
};

// The message of the first check that fails, "" when all pass. In this order:
//   card number blank                      "请输入正确的会员卡号"
//   card number with an illegal character  "会员卡号中含有非法字符" + the character
//   no card types                          "没有卡类型可选，请检查"
//   no card type chosen                    "没有选择卡类型，请检查"
//   password not letters and digits only   "密码中不能包含A..Z,a..z,0..9以外的字符"
//   password not empty and not 6..10 long  "卡密码必须为6到10位，请重新录入"
//   passwords differ                       "两次录入的密码不一致，请检查"
//   illegal character in holder, ID number, phone, e-mail, comment (in this order):
//   "持卡人中含有非法字符", "证件号中含有非法字符", "联系电话中含有非法字符",
//   "EMail中含有非法字符", "备注中含有非法字符", each followed by the character.
AnsiString FirstFailedCheck(const TEntries& e);

// Message when the chosen card type is no longer among the card types of the store.
constexpr const char* kCardTypeWithdrawn = "卡类型已停用，或者本单位不能使用该卡类型";

// Ids and names of the card types or of the issuing employees, in the order the store
// gave them. Both lists are kept apart, so that the id of either choice is always found.
struct TIdName {
  AnsiString Id;
  AnsiString Name;
};
class TIdNameList {
 public:
  void Clear() { FItems.clear(); }
  // Replaces the list by the records of an open dataset (fields by name, any case);
  // a closed or empty dataset leaves the list empty.
  void LoadFrom(TDataSet& ds, std::string_view idField, std::string_view nameField);
  void Add(const AnsiString& id, const AnsiString& name) { FItems.push_back({id, name}); }
  int Count() const { return static_cast<int>(FItems.size()); }
  std::vector<AnsiString> Names() const;
  // Index of the first entry with this name (this id), -1 when none.
  int IndexOfName(const AnsiString& name) const;
  int IndexOfId(const AnsiString& id) const;
  // The id at index; "" outside the list. A chosen item's id is found by its index:
  // two entries may share a name (two employees of the same name).
  AnsiString IdAt(int index) const;

 private:
  std::vector<TIdName> FItems;
};

// The id of the item chosen at index Chosen of the list Shown (the one the combo box
// shows), when the list Reloaded from the store still holds that id; "" when nothing is
// chosen or the store no longer offers it. By id, never by name: two card types may
// share a name (金卡 001 and 金卡 004), and the reloaded list may be in another order.
AnsiString ChosenIdStillListed(const TIdNameList& Shown, int Chosen, const TIdNameList& Reloaded);

// The 30 parameters of [QP_nInsertVipCardSign] (VipCardInsert.h) as names and values.
void InsertParams(const TCardValues& v, std::vector<AnsiString>& names,
                  std::vector<Variant>& values);

// "update nVipCardSign set pWord='<password>'where VipCardCode='<card number>'", both
// values as quoted literals (a "'" doubled; the checks keep quotes out anyway).
WideString PasswordUpdateSql(const AnsiString& password, const AnsiString& cardNo);

// What the insert's result means.
struct TSaveOutcome {
  bool Issued = false;   // the card exists: set its password, report, close
  AnsiString Text;
  AnsiString Caption;
};
TSaveOutcome OutcomeOf(int result);

}  // namespace vipenroll
