// Key filter, exit rule, lookup kinds and layout of the button edit.
#include "controls/RuxBtnEditRules.h"

#include "controls/ControlUtils.h"

namespace ruxbtnedit {

bool IsNumericKind(TDataType t) {
  switch (t) {
    case dtTotal: case dtPrice: case dtTaxRate: case dtTaxPrice: case dtQty: case dtDouble:
      return true;
    default:
      return false;
  }
}

char FilterKey(TDataType type, int minValue, std::string_view text, char key) {
  const bool digit = key >= '0' && key <= '9';
  const bool backspace = key == '\b';
  auto contains = [&](char c) { return text.find(c) != std::string_view::npos; };
  if (type == dtString || type == dtDate) return key;
  if (type == dtIntegerPlus) return digit || backspace ? key : '\0';
  if (type == dtInteger) {
    if (key == '-' && minValue >= 0) return '\0';
    if (!digit && !backspace && key != '-') return '\0';
    if (key == '-' && contains('-')) return '\0';
    return key;
  }
  // numeric kinds
  if (key == '-' && minValue >= 0) return '\0';
  if (!digit && !backspace && key != '.' && key != '-') return '\0';
  if (key == '.' && contains('.')) return '\0';
  if (key == '-' && contains('-')) return '\0';
  return key;
}

namespace {
template <typename T>
T Clamp(T x, T minValue, T maxValue) {
  if (x < minValue) return minValue;
  if (x > maxValue) return maxValue;
  return x;
}
}  // namespace

TExitOutcome ExitRule(TDataType type, const AnsiString& text, int minValue, int maxValue,
                      TBasicType basicType, bool paramIsID) {
  TExitOutcome out;
  out.Text = text;
  if (IsNumericKind(type)) {
    const double x = Clamp<double>(ParseNumber(text, "0.00000000"), minValue, maxValue);
    out.Text = FormatNumber(x);
  } else if (type == dtInteger) {
    out.Text = IntToStr(Clamp(StrToIntOrZero(Copy(text, 1, 9)), minValue, maxValue));
  } else if (type == dtIntegerPlus) {
    out.Text = IntToStr(Clamp(LeadingDigitsToInt(Copy(text, 1, 9)), minValue, maxValue));
  } else if (type == dtString) {
    out.ClearTypeid = (IsLookupKind(basicType) || paramIsID) && text.empty();
  } else if (type == dtDate) {
    if (IsBlankText(text)) {
      out.Text.clear();
    } else if (IsBadDateText(text)) {
      out.Text.clear();
      out.DateError = true;
    } else {
      out.Text = NormalizeDateText(text);
    }
  }
  return out;
}

const TBasicTypes& LookupBasicTypes() {
  static const TBasicTypes set{
      btAtype, btPtype, btBtype, btStype, btCType, btOType, btEtype, btKtype, btDtype,
      btVchType, btArea, btOperator, btKType2, btEType2, btOperatingType, btOAPBType,
      btOARBType, btProjectType, btSettleType, btKVType, btZType, btFBType, btDWtype,
      btCBObject, btColor, btSize, btSizeGroup, btBTypeAndAgent, btJoin, btAgent, btSShop,
      btBTypeAndShop, btSelf, btShop, btNoOnWay, btSeason, btPinPai, btAssThree, btAssFour,
      btEType1, btColorGroup, btStock, btFKType, btNOShop, btStypeAndShop, btKtypeAndJoin,
      btSelfAndShop, btStockAndSelf, btJoinCust, btjoinselfAndShop, btStypeJoinAndAgent,
      btCardType, btStockReceive, btSPtype, btPtypeGroup, btShopReceive, btCtypeGroup,
      btSite, btAssFive, btAssSix, btAssSeven, btAssEight, btSaleTrait, btVchTypeOrder,
      btOrderType};
  return set;
}

TLayout ComputeLayout(int width, int height, int buttonWidth, bool btnVisible, bool flat) {
  TLayout l;
  if (btnVisible) {
    l.ButtonLeft = width - buttonWidth;
    l.EditWidth = width - buttonWidth + 1;  // the edit runs one pixel under the button
  } else {
    l.EditWidth = width;
  }
  l.ButtonHeight = height - 4;
  l.EditHeight = height;
  l.LineWidth = width;
  l.UnderlineWidth = l.EditWidth - 2;
  l.UnderlineLeft = flat ? 0 : width + 10;
  return l;
}

}  // namespace ruxbtnedit
