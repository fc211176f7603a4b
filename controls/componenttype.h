// The property enumerations of the form controls: what kind of basic data a control
// edits or looks up (TBasicType), what kind of text it holds (TDataType), which options
// a selection dialog offers, and their sets.
//
// Every enumeration counts from 0 in the order written here; forms name the members
// exactly as written (including the odd spellings fwfwResetTop2 and btjoinselfAndShop),
// and sets are written as member lists "[a,b]". A set occupies as many bytes as the
// platform gives a set of that many members: TBaseSelectOptions 4, TkvBusinessTypes 1,
// TkvStockTypes 1, TBasicTypes 20 (bit n = member n, least significant bit first).
//
// The controls only store these values; the screens read them back.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

enum TFrameWork { fwNo, fwConcatInfo, fwResetTop, fwfwResetTop2 };

// The kind of text an edit holds: the numeric kinds dtTotal..dtQty and dtDouble share
// one rule (see RuxBtnEditRules.h).
enum TDataType {
  dtTotal, dtPrice, dtTaxRate, dtTaxPrice, dtQty, dtString, dtDate, dtInteger, dtDouble,
  dtIntegerPlus
};

enum TBaseSelectOption {
  bopInsert, bopDisplayQty, bopRemember, bopSelectClass, bopAllSelect, bopAllStrock,
  bopMultiSelect, bopGoodsType, bopSubject, bopFactGoods, bopCommission, bopSendCommission,
  bopRecommission, bopZeroGoods, bopPermitCheck, bopViewStop, bopDisenableViewStop
};

enum TkvBusinessType {
  gbuSupplier, gbuClient, gbuShoppe, gbuJoinShop, gbuAgent, gbuJoinClient, gbuSelfShop
};

enum TkvStockType { gsoMain, gsoSelfShop, gsoShoppe, gsoTransfer };

enum TBasicType {
  btNo, btAtype, btPtype, btBtype, btStype, btCType, btOType, btEtype, btKtype, btDtype,
  btVersion, btVchCode, btVchType, btPeriod, btPeriodBegin, btPeriodEnd, btDate, btDateBegin,
  btDateEnd, btArea, btCMode, btLMode, btOperator, btKType2, btDraft, btRedOld, btRedWord,
  btParID, btPriceMode, btIsClient, btTotal, btLendTotal, btDebitTotal, btQty, btPrice,
  btFullName, btUserCode, btPercent, btTypeID, btStrings, btRowCount,
  btCustom01, btCustom02, btCustom03, btCustom04, btCustom05, btCustom06, btCustom07,
  btCustom08, btCustom09, btCustom10, btCustom11, btCustom12, btCustom13, btCustom14,
  btCustom15, btCustom16, btCustom17, btCustom18, btCustom19, btCustom20, btCustom21,
  btCustom22, btCustom23, btCustom24, btCustom25, btCustom26, btCustom27, btCustom28,
  btCustom29, btCustom30,
  btLastSalePrice, btLastBuyPrice, btLastSaleDiscount, btLastBuyDiscount, btLevel,
  btBillDate, btBillNumber, btSummary, btEType2, btShortName, btStandard, btType, btUnit1,
  btUnit2, btUnitRate1, btPrePrice1, btPrePrice2, btPrePrice3, btPrePrice4, btPrePrice5,
  btPrePrice6, btRecPrice, btComment, btUsefulLifeDay, btBarCode, btBlockNo, btProDate,
  btCostMode, btGatheringDate, btOperatingType, btOAPBType, btOARBType, btProjectType,
  btSettleType, btDBName, btKVType, btZType, btFBType, btMemo, btDWtype, btCBObject,
  btATypePX, btColor, btSize, btSizeGroup, btBTypeAndAgent, btJoin, btAgent, btSShop,
  btBTypeAndShop, btSelf, btShop, btNoOnWay, btSeason, btPinPai, btAssThree, btAssFour,
  btEType1, btColorGroup, btStock, btFKType, btNOShop, btStypeAndShop, btKtypeAndJoin,
  btSelfAndShop, btPMtype, btStockAndSelf, btJoinCust, btjoinselfAndShop,
  btStypeJoinAndAgent, btCardType, btStockReceive, btSPtype, btPtypeGroup, btShopReceive,
  btCtypeGroup, btTrueStock, btPdKtype, btSite, btAssFive, btAssSix, btAssSeven, btAssEight,
  btSaleTrait, btVchTypeOrder, btOrderType
};

// Number of members of each enumeration and the names forms use, by ordinal.
template <typename E>
struct TEnumInfo;

#define POS_ENUM_INFO(E, N)                                  \
  template <>                                                \
  struct TEnumInfo<E> {                                      \
    static constexpr int Count = N;                          \
    static const std::array<const char*, N> Names;           \
  }
POS_ENUM_INFO(TFrameWork, 4);
POS_ENUM_INFO(TDataType, 10);
POS_ENUM_INFO(TBaseSelectOption, 17);
POS_ENUM_INFO(TkvBusinessType, 7);
POS_ENUM_INFO(TkvStockType, 4);
POS_ENUM_INFO(TBasicType, 157);
#undef POS_ENUM_INFO

// The member's name as forms write it; "" for a value outside the enumeration.
template <typename E>
const char* EnumName(E value) {
  const int i = static_cast<int>(value);
  return i >= 0 && i < TEnumInfo<E>::Count ? TEnumInfo<E>::Names[static_cast<size_t>(i)] : "";
}

// The member a form names, compared without regard to ASCII case as the platform's type
// information does; false for an unknown name.
template <typename E>
bool TryEnumFromName(std::string_view name, E& out) {
  for (int i = 0; i < TEnumInfo<E>::Count; ++i) {
    if (SameText(name, TEnumInfo<E>::Names[static_cast<size_t>(i)])) {
      out = static_cast<E>(i);
      return true;
    }
  }
  return false;
}

// As TryEnumFromName; EReadError "Invalid property value" for an unknown name.
[[noreturn]] void RaiseInvalidPropertyValue();
template <typename E>
E EnumFromName(std::string_view name) {
  E e{};
  if (!TryEnumFromName(name, e)) RaiseInvalidPropertyValue();
  return e;
}

// A set of members of E ("set of E"), bit n standing for member n.
template <typename E>
class TEnumSet {
 public:
  static constexpr int Count = TEnumInfo<E>::Count;
  // Bytes the platform gives the set: 1 up to 8 members, 2 up to 16, 4 up to 32, else
  // whole bytes up to the last member.
  static constexpr int SizeInBytes = Count <= 8 ? 1 : Count <= 16 ? 2 : Count <= 32 ? 4 : (Count + 7) / 8;

  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> members) {
    for (E e : members) Include(e);
  }
  constexpr bool Contains(E e) const {
    const unsigned i = static_cast<unsigned>(e);
    return i < static_cast<unsigned>(Count) && (FWords[i / 32] >> (i % 32) & 1u) != 0;
  }
  constexpr void Include(E e) {
    const unsigned i = static_cast<unsigned>(e);
    if (i < static_cast<unsigned>(Count)) FWords[i / 32] |= 1u << (i % 32);
  }
  constexpr void Exclude(E e) {
    const unsigned i = static_cast<unsigned>(e);
    if (i < static_cast<unsigned>(Count)) FWords[i / 32] &= ~(1u << (i % 32));
  }
  constexpr bool Empty() const {
    for (uint32_t w : FWords)
      if (w) return false;
    return true;
  }
  constexpr bool operator==(const TEnumSet&) const = default;

  // The set as the platform stores it: SizeInBytes bytes, least significant first.
  std::vector<uint8_t> ToBytes() const {
    std::vector<uint8_t> b(SizeInBytes);
    for (int i = 0; i < SizeInBytes; ++i)
      b[static_cast<size_t>(i)] = static_cast<uint8_t>(FWords[static_cast<size_t>(i / 4)] >> (8 * (i % 4)));
    return b;
  }
  // The first 32 bits (the whole set for every set but TBasicTypes).
  constexpr uint32_t Bits() const { return FWords[0]; }
  static constexpr TEnumSet FromBits(uint32_t bits) {
    TEnumSet s;
    s.FWords[0] = Count >= 32 ? bits : bits & ((1u << Count) - 1u);
    return s;
  }

  // "[a,b]" in member order, as forms write sets.
  AnsiString ToString() const {
    AnsiString s = "[";
    for (int i = 0; i < Count; ++i) {
      if (!Contains(static_cast<E>(i))) continue;
      if (s.size() > 1) s += ',';
      s += TEnumInfo<E>::Names[static_cast<size_t>(i)];
    }
    return s + "]";
  }
  // Reads "[a, b]" (blanks around names allowed, "[]" empty). EReadError "Invalid
  // property value" for a text without brackets or with an unknown member.
  static TEnumSet FromString(std::string_view text);

 private:
  std::array<uint32_t, (Count + 31) / 32> FWords{};
};

using TBaseSelectOptions = TEnumSet<TBaseSelectOption>;
using TkvBusinessTypes = TEnumSet<TkvBusinessType>;
using TkvStockTypes = TEnumSet<TkvStockType>;
using TBasicTypes = TEnumSet<TBasicType>;

namespace componenttype_detail {
// Splits "[a, b]" into trimmed names; false when the brackets are missing.
bool SplitSetText(std::string_view text, std::vector<AnsiString>& names);
}  // namespace componenttype_detail

template <typename E>
TEnumSet<E> TEnumSet<E>::FromString(std::string_view text) {
  std::vector<AnsiString> names;
  if (!componenttype_detail::SplitSetText(text, names)) RaiseInvalidPropertyValue();
  TEnumSet s;
  for (const AnsiString& n : names) s.Include(EnumFromName<E>(n));
  return s;
}

namespace componenttype {
// The button edit's record of chosen basic data. The screens' selection dialog returns
// a class of the same name (its own unit); this record lives in this namespace so that
// both can be used together. Nothing in the controls fills or reads it: the button
// edit only holds an array of them and lets it go with itself.
struct TBaseRecord {
  AnsiString TypeID, ParID, UserCode, FullName, Name, ShortName, Standard, Type, Area,
      Unit1, Unit2, BarCode, Comment, Tel, Address;
  int Sonnum = 0;
  int Level = 0;
  double Price = 0;
  double Qty = 0;
};
using TBaseArray = std::vector<TBaseRecord>;
}  // namespace componenttype
