// [QP_nInsertVipCardSign]: issues a VIP card (action "Add", the only one).
//
// Returns the new card's VipCardId (> 0); -9 when a card with that number exists
// (numbers compare without regard to case and surrounding blanks); -1 when the number
// is empty or the card type (@Cardset) is unknown or stopped. The card's password
// (pWord) starts empty: the screen sets it afterwards. Dates are kept as
// "yyyy-mm-dd hh:nn:ss".
#include <string>
#include "server/Procedures.h"
#include "server/StoreErrors.h"
#include "server/StoreText.h"

namespace store {
namespace {

// Text parameters in the order of the insert below.
const char* const kTextColumns[][2] = {
    {"@Bname", "Bname"},       {"@pycode", "pycode"},       {"@EtypeId", "EtypeId"},
    {"@Bsex", "Bsex"},         {"@Btel", "Btel"},           {"@Baddr", "Baddr"},
    {"@Bpostcode", "Bpostcode"}, {"@Btrade", "Btrade"},     {"@BIDcard", "BIDcard"},
    {"@Comment", "Comment"},   {"@IsCz", "IsCz"},           {"@RATypeID", "RATypeID"},
    {"@BTypeID", "BTypeID"},   {"@IsWashTimes", "IsWashTimes"}, {"@OperatorID", "OperatorID"}};
const char* const kIntColumns[][2] = {{"@VipStatus", "VipStatus"},
                                      {"@CarType", "CarType"},
                                      {"@CanWashTimes00", "CanWashTimes00"},
                                      {"@CanWashTimes", "CanWashTimes"}};
const char* const kFloatColumns[][2] = {{"@BeginMoney", "BeginMoney"},
                                        {"@BeginCent", "BeginCent"},
                                        {"@qccz", "qccz"},
                                        {"@CarWashPrice", "CarWashPrice"}};
const char* const kDateColumns[][2] = {
    {"@CreateDate", "CreateDate"}, {"@EndDate", "EndDate"}, {"@Bbirthday", "Bbirthday"}};

std::string Trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

ProcResult Run(SqliteDb& db, ProcArgs& args) {
  if (!SameText(Trimmed(args.Text("@Action")), "Add")) {
    throw EParamError("Procedure QP_nInsertVipCardSign, parameter @Action: '" +
                      Utf8ToClient(args.Text("@Action")) + "' is not supported (only Add).");
  }
  ProcResult r;
  const std::string code = Trimmed(args.Text("@VipCardCode"));
  if (code.empty()) {
    r.ReturnValue = -1;
    return r;
  }
  if (QueryText(db, "select 1 from nVipCardSign where VipCardCode = ?1", code)) {
    r.ReturnValue = -9;
    return r;
  }
  if (!QueryText(db, "select 1 from nVipCardSet where VipCardTypeID = ?1 and Stop = 0",
                 Trimmed(args.Text("@Cardset")))) {
    r.ReturnValue = -1;
    return r;
  }

  std::string columns = "VipCardCode, Cardset";
  std::string values = "?1, ?2";
  int n = 2;
  auto add = [&](const char* column) {
    columns += std::string(", ") + column;
    values += ", ?" + std::to_string(++n);
  };
  for (const auto& c : kTextColumns) add(c[1]);
  for (const auto& c : kIntColumns) add(c[1]);
  for (const auto& c : kFloatColumns) add(c[1]);
  for (const auto& c : kDateColumns) add(c[1]);
  Statement st(db, "insert into nVipCardSign (" + columns + ") values (" + values + ")");
  int i = 0;
  st.Bind(++i, code);
  st.Bind(++i, Trimmed(args.Text("@Cardset")));
  for (const auto& c : kTextColumns) st.Bind(++i, args.Text(c[0]));
  for (const auto& c : kIntColumns) st.Bind(++i, args.Int(c[0]));
  for (const auto& c : kFloatColumns) st.Bind(++i, args.Float(c[0]));
  for (const auto& c : kDateColumns) {
    const auto d = args.Date(c[0]);
    if (d) {
      st.Bind(++i, DateTimeText(*d));
    } else {
      st.BindNull(++i);
    }
  }
  st.Step();
  r.ReturnValue = static_cast<int>(db.LastInsertRowId());
  return r;
}

}  // namespace

const ProcDef& InsertVipCardSignProc() {
  constexpr bool kOptional = false;
  static const ProcDef def{
      "QP_nInsertVipCardSign", false, "nVipCardSign", true,
      {{"@OperatorID", ftString, false, kOptional},
       {"@Action", ftString},
       {"@VipCardId", ftInteger, false, kOptional},
       {"@VipCardCode", ftString},
       {"@Bname", ftString, false, kOptional},
       {"@pycode", ftString, false, kOptional},
       {"@CreateDate", ftDateTime, false, kOptional},
       {"@EndDate", ftDateTime, false, kOptional},
       {"@EtypeId", ftString, false, kOptional},
       {"@Cardset", ftString},
       {"@Bsex", ftString, false, kOptional},
       {"@Bbirthday", ftDateTime, false, kOptional},
       {"@Btel", ftString, false, kOptional},
       {"@Baddr", ftString, false, kOptional},
       {"@Bpostcode", ftString, false, kOptional},
       {"@Btrade", ftString, false, kOptional},
       {"@BIDcard", ftString, false, kOptional},
       {"@VipStatus", ftInteger, false, kOptional},
       {"@Comment", ftString, false, kOptional},
       {"@BeginMoney", ftFloat, false, kOptional},
       {"@BeginCent", ftFloat, false, kOptional},
       {"@IsCz", ftString, false, kOptional},
       {"@qccz", ftFloat, false, kOptional},
       {"@RATypeID", ftString, false, kOptional},
       {"@BTypeID", ftString, false, kOptional},
       {"@CarType", ftInteger, false, kOptional},
       {"@CarWashPrice", ftFloat, false, kOptional},
       {"@IsWashTimes", ftString, false, kOptional},
       {"@CanWashTimes00", ftInteger, false, kOptional},
       {"@CanWashTimes", ftInteger, false, kOptional}},
      &Run};
  return def;
}

}  // namespace store
