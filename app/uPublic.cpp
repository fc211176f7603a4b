// Context values, the text tests and the system values read from the store.
#include "app/uPublic.h"

#include <array>

#include "app/uDataModule.h"
#include "db/ClientDataSet.h"

WideString OperatorId;
WideString PosId;
WideString BranchId;
AnsiString ProcPrefix;
AnsiString DllFolder;

bool IsIPAddress(std::string_view Text) {
  if (Text.empty()) return false;
  int dots = 0;
  for (char c : Text) {
    if (c == '.') ++dots;
    else if (c < '0' || c > '9') return false;
  }
  return dots == 3;
}

bool IsAlphaNum(std::string_view Text) {
  for (char c : Text) {
    const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!ok) return false;
  }
  return true;
}

namespace {

// The characters that may not be stored, in the order they are looked for (GBK).
constexpr std::array<std::string_view, 20> kIllegalChars = {
    "'", "\"", "\\", "~", "#", "$", "%", "^", "&", "*", "<", ">", "?", "|", "+", "`",
    "\xA1\xC1",  // ×
    "[", "]",
    "\xA1\xEC",  // §
};

// True when the character `ch` occurs in `text` as a whole character: a byte 81..FE
// and the byte after it are one character. Mended: a lead byte that ends the text is
// taken alone, never with a byte past the end.
bool ContainsChar(std::string_view text, std::string_view ch) {
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    const size_t len = (b >= 0x81 && b <= 0xFE && i + 1 < text.size()) ? 2 : 1;
    if (text.substr(i, len) == ch) return true;
    i += len;
  }
  return false;
}

}  // namespace

bool CheckIllegalChar(std::string_view Text, AnsiString& Ch) {
  if (Trim(Text).empty()) return true;
  for (std::string_view entry : kIllegalChars) {
    if (ContainsChar(Text, entry)) {
      Ch = AnsiString(entry);
      return false;
    }
  }
  return true;
}

AnsiString GetSysValue(const AnsiString& Name) {
  TParams outputs;
  ExecProc("GetSysValue;1", {"@szName", "@szReturn"}, {Variant(Name), Variant(AnsiString())}, &outputs);
  if (outputs.Count() == 0) return AnsiString();
  return outputs.ParamByName("@szReturn")->AsString();
}

void LoadProcPrefix(const AnsiString& Kind) {
  TClientDataSet query(nullptr);
  if (Kind == "PD") OpenSQLData(u"Select SysValue from sysdata where SysId = 19", &query);
  else if (Kind == "VIP") OpenSQLData(u"Select SysValue from PosCommonSysData where SysId = 2", &query);
  ProcPrefix = query.FieldByName("SysValue")->AsString();
}
