// The card insert of the VIP card screen, [QP_nInsertVipCardSign]: its thirty parameters
// in the order they are sent and what fills each of them. Texts go as GBK strings, the
// three dates as date values of whole days (no time of day), the zeros as small unsigned
// integers. The screen builds its call from this list and the stand-in server's tests send
// the same list, so both sides read the one definition.
#pragma once
#include <array>
#include <utility>
#include <vector>

#include "rtl/AnsiString.h"
#include "rtl/DateTime.h"
#include "rtl/Variant.h"

namespace vipenroll {

constexpr const char* kInsertProc = "[QP_nInsertVipCardSign]";

// The values of one card besides the constants.
struct TCardValues {
  AnsiString OperatorId;
  AnsiString CardNo;
  AnsiString Holder;
  TDateTime CreateDate = 0;  // the hand-out day
  TDateTime EndDate = 0;
  AnsiString EmployeeId;     // the issuing employee's id
  AnsiString CardTypeId;
  AnsiString Sex;
  TDateTime Birthday = 0;
  AnsiString Phone;
  AnsiString EMail;          // goes as "@Bpostcode"
  AnsiString IdNumber;
  AnsiString Comment;
};

// What a parameter carries.
enum class TCardSlot {
  OperatorId, Action, CardNo, Holder, CreateDate, EndDate, EmployeeId, CardTypeId, Sex,
  Birthday, Phone, EMail, IdNumber, Comment,
  EmptyText,  // the empty string
  Zero,       // 0 as a small unsigned integer
};

struct TCardParam {
  const char* Name;
  TCardSlot Slot;
};

inline constexpr std::array<TCardParam, 30> kCardParams{{
    {"@OperatorID", TCardSlot::OperatorId},   {"@Action", TCardSlot::Action},
    {"@VipCardId", TCardSlot::Zero},          {"@VipCardCode", TCardSlot::CardNo},
    {"@Bname", TCardSlot::Holder},            {"@pycode", TCardSlot::EmptyText},
    {"@CreateDate", TCardSlot::CreateDate},   {"@EndDate", TCardSlot::EndDate},
    {"@EtypeId", TCardSlot::EmployeeId},      {"@Cardset", TCardSlot::CardTypeId},
    {"@Bsex", TCardSlot::Sex},                {"@Bbirthday", TCardSlot::Birthday},
    {"@Btel", TCardSlot::Phone},              {"@Baddr", TCardSlot::EmptyText},
    {"@Bpostcode", TCardSlot::EMail},         {"@Btrade", TCardSlot::EmptyText},
    {"@BIDcard", TCardSlot::IdNumber},        {"@VipStatus", TCardSlot::Zero},
    {"@Comment", TCardSlot::Comment},         {"@BeginMoney", TCardSlot::Zero},
    {"@BeginCent", TCardSlot::Zero},          {"@IsCz", TCardSlot::EmptyText},
    {"@qccz", TCardSlot::Zero},               {"@RATypeID", TCardSlot::EmptyText},
    {"@BTypeID", TCardSlot::EmptyText},       {"@CarType", TCardSlot::Zero},
    {"@CarWashPrice", TCardSlot::Zero},       {"@IsWashTimes", TCardSlot::EmptyText},
    {"@CanWashTimes00", TCardSlot::Zero},     {"@CanWashTimes", TCardSlot::Zero},
}};

// The value a slot takes for a card. A date keeps its day only.
inline Variant CardParamValue(const TCardValues& v, TCardSlot slot) {
  switch (slot) {
    case TCardSlot::OperatorId: return Variant(v.OperatorId);
    case TCardSlot::Action: return Variant(AnsiString("Add"));
    case TCardSlot::CardNo: return Variant(v.CardNo);
    case TCardSlot::Holder: return Variant(v.Holder);
    case TCardSlot::CreateDate: return Variant::FromDate(DateOf(v.CreateDate));
    case TCardSlot::EndDate: return Variant::FromDate(DateOf(v.EndDate));
    case TCardSlot::EmployeeId: return Variant(v.EmployeeId);
    case TCardSlot::CardTypeId: return Variant(v.CardTypeId);
    case TCardSlot::Sex: return Variant(v.Sex);
    case TCardSlot::Birthday: return Variant::FromDate(DateOf(v.Birthday));
    case TCardSlot::Phone: return Variant(v.Phone);
    case TCardSlot::EMail: return Variant(v.EMail);
    case TCardSlot::IdNumber: return Variant(v.IdNumber);
    case TCardSlot::Comment: return Variant(v.Comment);
    case TCardSlot::EmptyText: return Variant(AnsiString());
    case TCardSlot::Zero: break;
  }
  return Variant(static_cast<unsigned char>(0));
}

// The thirty parameters of one card, by name, in their order.
inline std::vector<std::pair<AnsiString, Variant>> CardParams(const TCardValues& v) {
  std::vector<std::pair<AnsiString, Variant>> params;
  params.reserve(kCardParams.size());
  for (const TCardParam& p : kCardParams) params.emplace_back(p.Name, CardParamValue(v, p.Slot));
  return params;
}

}  // namespace vipenroll
