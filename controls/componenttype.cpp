// Name tables of the control property enumerations.
#include "controls/componenttype.h"

#include "rtl/Exceptions.h"

const std::array<const char*, 4> TEnumInfo<TFrameWork>::Names{
    "fwNo", "fwConcatInfo", "fwResetTop", "fwfwResetTop2"};

const std::array<const char*, 10> TEnumInfo<TDataType>::Names{
    "dtTotal", "dtPrice", "dtTaxRate", "dtTaxPrice", "dtQty",
    "dtString", "dtDate", "dtInteger", "dtDouble", "dtIntegerPlus"};

const std::array<const char*, 17> TEnumInfo<TBaseSelectOption>::Names{
    "bopInsert", "bopDisplayQty", "bopRemember", "bopSelectClass", "bopAllSelect",
    "bopAllStrock", "bopMultiSelect", "bopGoodsType", "bopSubject", "bopFactGoods",
    "bopCommission", "bopSendCommission", "bopRecommission", "bopZeroGoods",
    "bopPermitCheck", "bopViewStop", "bopDisenableViewStop"};

const std::array<const char*, 7> TEnumInfo<TkvBusinessType>::Names{
    "gbuSupplier", "gbuClient", "gbuShoppe", "gbuJoinShop", "gbuAgent", "gbuJoinClient",
    "gbuSelfShop"};

const std::array<const char*, 4> TEnumInfo<TkvStockType>::Names{
    "gsoMain", "gsoSelfShop", "gsoShoppe", "gsoTransfer"};

const std::array<const char*, 157> TEnumInfo<TBasicType>::Names{
    "btNo", "btAtype", "btPtype", "btBtype", "btStype", "btCType", "btOType", "btEtype",
    "btKtype", "btDtype", "btVersion", "btVchCode", "btVchType", "btPeriod", "btPeriodBegin",
    "btPeriodEnd", "btDate", "btDateBegin", "btDateEnd", "btArea", "btCMode", "btLMode",
    "btOperator", "btKType2", "btDraft", "btRedOld", "btRedWord", "btParID", "btPriceMode",
    "btIsClient", "btTotal", "btLendTotal", "btDebitTotal", "btQty", "btPrice", "btFullName",
    "btUserCode", "btPercent", "btTypeID", "btStrings", "btRowCount",
    "btCustom01", "btCustom02", "btCustom03", "btCustom04", "btCustom05", "btCustom06",
    "btCustom07", "btCustom08", "btCustom09", "btCustom10", "btCustom11", "btCustom12",
    "btCustom13", "btCustom14", "btCustom15", "btCustom16", "btCustom17", "btCustom18",
    "btCustom19", "btCustom20", "btCustom21", "btCustom22", "btCustom23", "btCustom24",
    "btCustom25", "btCustom26", "btCustom27", "btCustom28", "btCustom29", "btCustom30",
    "btLastSalePrice", "btLastBuyPrice", "btLastSaleDiscount", "btLastBuyDiscount", "btLevel",
    "btBillDate", "btBillNumber", "btSummary", "btEType2", "btShortName", "btStandard",
    "btType", "btUnit1", "btUnit2", "btUnitRate1", "btPrePrice1", "btPrePrice2",
    "btPrePrice3", "btPrePrice4", "btPrePrice5", "btPrePrice6", "btRecPrice", "btComment",
    "btUsefulLifeDay", "btBarCode", "btBlockNo", "btProDate", "btCostMode",
    "btGatheringDate", "btOperatingType", "btOAPBType", "btOARBType", "btProjectType",
    "btSettleType", "btDBName", "btKVType", "btZType", "btFBType", "btMemo", "btDWtype",
    "btCBObject", "btATypePX", "btColor", "btSize", "btSizeGroup", "btBTypeAndAgent",
    "btJoin", "btAgent", "btSShop", "btBTypeAndShop", "btSelf", "btShop", "btNoOnWay",
    "btSeason", "btPinPai", "btAssThree", "btAssFour", "btEType1", "btColorGroup", "btStock",
    "btFKType", "btNOShop", "btStypeAndShop", "btKtypeAndJoin", "btSelfAndShop", "btPMtype",
    "btStockAndSelf", "btJoinCust", "btjoinselfAndShop", "btStypeJoinAndAgent", "btCardType",
    "btStockReceive", "btSPtype", "btPtypeGroup", "btShopReceive", "btCtypeGroup",
    "btTrueStock", "btPdKtype", "btSite", "btAssFive", "btAssSix", "btAssSeven",
    "btAssEight", "btSaleTrait", "btVchTypeOrder", "btOrderType"};

static_assert(btOrderType == 156, "TBasicType has 157 members");
static_assert(btjoinselfAndShop == 139 && btKVType == 106 && btATypePX == 112);
static_assert(TBasicTypes::SizeInBytes == 20 && TBaseSelectOptions::SizeInBytes == 4 &&
              TkvBusinessTypes::SizeInBytes == 1 && TkvStockTypes::SizeInBytes == 1);

void RaiseInvalidPropertyValue() { throw EReadError("Invalid property value"); }

namespace componenttype_detail {

bool SplitSetText(std::string_view text, std::vector<AnsiString>& names) {
  const AnsiString t = Trim(text);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  const std::string_view inner = std::string_view(t).substr(1, t.size() - 2);
  if (Trim(inner).empty()) return true;
  size_t start = 0;
  for (;;) {
    const size_t comma = inner.find(',', start);
    const std::string_view part =
        inner.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    names.push_back(Trim(part));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return true;
}

}  // namespace componenttype_detail
