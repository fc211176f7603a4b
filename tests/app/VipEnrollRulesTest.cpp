// VIP card enrollment rules: the checks in their order with their messages, the lists
// of card types and employees, the 30 parameters, the password statement, the results.
#include <gtest/gtest.h>

#include "app/uposVipEnrollRules.h"
#include "db/ClientDataSet.h"
#include "tests/support/TextPacket.h"

using namespace vipenroll;

namespace {

// Entries that pass every check.
TEntries Good() {
  TEntries e;
  e.CardNo = "VIP20001";
  e.CardTypeCount = 3;
  e.CardTypeText = "金卡";
  e.Password = "abc123";
  e.PasswordAgain = "abc123";
  e.Holder = "王芳";
  e.IdNumber = "110101199001011234";
  e.Phone = "13900001111";
  e.EMail = "wf@example.com";
  e.Comment = "老客户";
  return e;
}

}  // namespace

TEST(VipEnrollChecks, GoodEntriesPass) {
  EXPECT_EQ(FirstFailedCheck(Good()), "");
  TEntries e = Good();
  e.Password.clear();
  e.PasswordAgain.clear();  // no password at all is accepted
  EXPECT_EQ(FirstFailedCheck(e), "");
}

TEST(VipEnrollChecks, EachFailureHasItsMessage) {
  struct Row {
    const char* what;
    void (*spoil)(TEntries&);
    const char* message;
  };
  const Row rows[] = {
      {"blank card number", [](TEntries& e) { e.CardNo = "   "; }, "请输入正确的会员卡号"},
      {"empty card number", [](TEntries& e) { e.CardNo = ""; }, "请输入正确的会员卡号"},
      {"quote in card number", [](TEntries& e) { e.CardNo = "VIP'1"; },
       "会员卡号中含有非法字符'"},
      {"hash in card number", [](TEntries& e) { e.CardNo = "V#1"; }, "会员卡号中含有非法字符#"},
      {"no card types", [](TEntries& e) { e.CardTypeCount = 0; }, "没有卡类型可选，请检查"},
      {"no type chosen", [](TEntries& e) { e.CardTypeText = ""; }, "没有选择卡类型，请检查"},
      {"hyphen in password", [](TEntries& e) { e.Password = e.PasswordAgain = "abc-123"; },
       "密码中不能包含A..Z,a..z,0..9以外的字符"},
      {"blank in password", [](TEntries& e) { e.Password = e.PasswordAgain = "abc 123"; },
       "密码中不能包含A..Z,a..z,0..9以外的字符"},
      {"Chinese password", [](TEntries& e) { e.Password = e.PasswordAgain = "密码密码"; },
       "密码中不能包含A..Z,a..z,0..9以外的字符"},
      {"five characters", [](TEntries& e) { e.Password = e.PasswordAgain = "abc12"; },
       "卡密码必须为6到10位，请重新录入"},
      {"eleven characters", [](TEntries& e) { e.Password = e.PasswordAgain = "abcdefghijk"; },
       "卡密码必须为6到10位，请重新录入"},
      {"passwords differ", [](TEntries& e) { e.PasswordAgain = "abc124"; },
       "两次录入的密码不一致，请检查"},
      {"repeat missing", [](TEntries& e) { e.PasswordAgain = ""; }, "两次录入的密码不一致，请检查"},
      {"holder", [](TEntries& e) { e.Holder = "王<芳>"; }, "持卡人中含有非法字符<"},
      {"ID number", [](TEntries& e) { e.IdNumber = "1101$"; }, "证件号中含有非法字符$"},
      {"phone", [](TEntries& e) { e.Phone = "139+1"; }, "联系电话中含有非法字符+"},
      {"e-mail", [](TEntries& e) { e.EMail = "a|b"; }, "EMail中含有非法字符|"},
      {"comment", [](TEntries& e) { e.Comment = "5×折"; }, "备注中含有非法字符×"},
  };
  for (const Row& r : rows) {
    TEntries e = Good();
    r.spoil(e);
    EXPECT_EQ(FirstFailedCheck(e), r.message) << r.what;
  }
}

TEST(VipEnrollChecks, TheFirstFailureInTheFixedOrderWins) {
  TEntries e;  // everything wrong at once
  e.CardNo = " ";
  e.Password = "ab-";
  e.PasswordAgain = "x";
  e.Holder = "#";
  EXPECT_EQ(FirstFailedCheck(e), "请输入正确的会员卡号");
  e.CardNo = "1'";
  EXPECT_EQ(FirstFailedCheck(e), "会员卡号中含有非法字符'");
  e.CardNo = "1";
  EXPECT_EQ(FirstFailedCheck(e), "没有卡类型可选，请检查");
  e.CardTypeCount = 1;
  EXPECT_EQ(FirstFailedCheck(e), "没有选择卡类型，请检查");
  e.CardTypeText = "银卡";
  EXPECT_EQ(FirstFailedCheck(e), "密码中不能包含A..Z,a..z,0..9以外的字符");
  e.Password = "ab";
  EXPECT_EQ(FirstFailedCheck(e), "卡密码必须为6到10位，请重新录入");
  e.Password = "abcdef";
  EXPECT_EQ(FirstFailedCheck(e), "两次录入的密码不一致，请检查");
  e.PasswordAgain = "abcdef";
  e.Comment = "[";
  EXPECT_EQ(FirstFailedCheck(e), "持卡人中含有非法字符#");
  e.Holder = "";
  e.EMail = "~";
  EXPECT_EQ(FirstFailedCheck(e), "EMail中含有非法字符~");
}

TEST(VipEnrollLists, CardTypesAndEmployeesKeepTheirIds) {
  TClientDataSet ds(nullptr);
  ds.SetData(postest::TextPacket({"TypeName", "VipCardTypeID"}, {{"金卡", "001"}, {"银卡", "002"}}, 20));
  TIdNameList types;
  types.LoadFrom(ds, "vipcardtypeid", "typename");
  EXPECT_EQ(types.Count(), 2);
  EXPECT_EQ(types.Names(), (std::vector<AnsiString>{"金卡", "银卡"}));
  EXPECT_EQ(types.IdAt(types.IndexOfName("银卡")), "002");
  EXPECT_EQ(types.IndexOfName("普通卡"), -1);
  EXPECT_EQ(types.IdAt(2), "");
  EXPECT_EQ(types.IdAt(-1), "");
  ds.EmptyDataSet();
  types.LoadFrom(ds, "vipcardtypeid", "typename");
  EXPECT_EQ(types.Count(), 0);
}

// The card type saved is the chosen item's id, when the reloaded list still holds it.
// It was looked up by name: of 金卡 001 and 金卡 004 the first was always written, and a
// withdrawn 004 passed as long as some 金卡 was left.
TEST(VipEnrollLists, RegressionChosenCardTypeGoesByIdNotByName) {
  TIdNameList shown;
  shown.Add("001", "金卡");
  shown.Add("002", "银卡");
  shown.Add("004", "金卡");
  const struct {
    int chosen;
    std::vector<TIdName> reloaded;
    const char* id;
  } cases[] = {
      {2, {{"001", "金卡"}, {"002", "银卡"}, {"004", "金卡"}}, "004"},
      {0, {{"001", "金卡"}, {"002", "银卡"}, {"004", "金卡"}}, "001"},
      {2, {{"004", "金卡"}, {"001", "金卡"}}, "004"},  // another order
      {2, {{"001", "金卡"}, {"002", "银卡"}}, ""},     // 004 withdrawn, a 金卡 left
      {0, {{"004", "金卡"}}, ""},
      {1, {{"002", "普通卡"}}, "002"},                // renamed, still offered
      {-1, {{"001", "金卡"}}, ""},                    // nothing chosen
      {3, {{"001", "金卡"}}, ""},
      {0, {}, ""},
  };
  for (const auto& c : cases) {
    TIdNameList reloaded;
    for (const TIdName& i : c.reloaded) reloaded.Add(i.Id, i.Name);
    EXPECT_EQ(ChosenIdStillListed(shown, c.chosen, reloaded), c.id) << c.chosen << " of " << c.reloaded.size();
  }
}

TEST(VipEnrollInsert, ThirtyParametersInTheirOrderAndKinds) {
  TCardValues v;
  v.OperatorId = "00001";
  v.CardNo = "VIP20001";
  v.Holder = "王芳";
  v.CreateDate = 45000.5;  // noon: the day goes, not the time
  v.EndDate = 72686;  // 2099-01-01
  v.EmployeeId = "00002";
  v.CardTypeId = "001";
  v.Sex = "女";
  v.Birthday = 32874.25;
  v.Phone = "139";
  v.EMail = "wf@example.com";
  v.IdNumber = "110";
  v.Comment = "c";
  std::vector<AnsiString> names;
  std::vector<Variant> values;
  InsertParams(v, names, values);
  ASSERT_EQ(names.size(), 30u);
  ASSERT_EQ(values.size(), 30u);
  std::string rendered;
  for (size_t i = 0; i < names.size(); ++i) {
    const Variant& x = values[i];
    rendered += names[i] + "=";
    switch (x.VType()) {
      case varByte: rendered += "byte:" + x.AsString(); break;
      case varDate: rendered += "date:" + FormatDateTime("yyyy-mm-dd hh:nn", x.AsDateTime()); break;
      case varString: rendered += "'" + x.AsString() + "'"; break;
      default: rendered += "?" + std::to_string(x.VType()); break;
    }
    rendered += "\n";
  }
  EXPECT_EQ(rendered,
            "@OperatorID='00001'\n@Action='Add'\n@VipCardId=byte:0\n@VipCardCode='VIP20001'\n"
            "@Bname='王芳'\n@pycode=''\n@CreateDate=date:2023-03-15 00:00\n@EndDate=date:2099-01-01 00:00\n"
            "@EtypeId='00002'\n@Cardset='001'\n@Bsex='女'\n@Bbirthday=date:1990-01-01 00:00\n"
            "@Btel='139'\n@Baddr=''\n@Bpostcode='wf@example.com'\n@Btrade=''\n@BIDcard='110'\n"
            "@VipStatus=byte:0\n@Comment='c'\n@BeginMoney=byte:0\n@BeginCent=byte:0\n@IsCz=''\n"
            "@qccz=byte:0\n@RATypeID=''\n@BTypeID=''\n@CarType=byte:0\n@CarWashPrice=byte:0\n"
            "@IsWashTimes=''\n@CanWashTimes00=byte:0\n@CanWashTimes=byte:0\n");
}

TEST(VipEnrollInsert, PasswordStatementHasNoBlankBeforeWhere) {
  EXPECT_EQ(WideToGbk(PasswordUpdateSql("abc123", "8000001")),
            "update nVipCardSign set pWord='abc123'where VipCardCode='8000001'");
  EXPECT_EQ(WideToGbk(PasswordUpdateSql("", "8000001")),
            "update nVipCardSign set pWord=''where VipCardCode='8000001'");
  EXPECT_EQ(WideToGbk(PasswordUpdateSql("x", "a'b")),
            "update nVipCardSign set pWord='x'where VipCardCode='a''b'");
}

TEST(VipEnrollInsert, ResultsAndTheirMessages) {
  struct Row {
    int result;
    bool issued;
    const char* text;
    const char* caption;
  };
  const Row rows[] = {{1, true, "发卡成功", "提示"},
                      {4711, true, "发卡成功", "提示"},
                      {-9, false, "卡号重复，请重新输入", "错误"},
                      {0, false, "写入错误，请重新输入", "错误"},
                      {-1, false, "写入错误，请重新输入", "错误"}};
  for (const Row& r : rows) {
    const TSaveOutcome o = OutcomeOf(r.result);
    EXPECT_EQ(o.Issued, r.issued) << r.result;
    EXPECT_EQ(o.Text, r.text) << r.result;
    EXPECT_EQ(o.Caption, r.caption) << r.result;
  }
}
