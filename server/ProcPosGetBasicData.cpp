// <prefix>_PosGetBasicData: the candidates of the basic-data picker.
//
// @BaseType: 1 goods, 2 business partners, 3 warehouses, 4 accounts, 5 employees,
// 6 point-of-sale terminals. Only leaves are offered (entries a bill can use; Sonnum is
// therefore 0 in every row). Stopped entries are included with stop = 1: the picker
// filters them itself.
// @selectString: part of the code, full name or short name (case-insensitive; "%" and
// "_" match themselves); "▲" means not given (every entry).
// @Barcode (goods only): the exact barcode of a goods, colour and size; "▲" or an empty
// text means not given. With @DefaultBarCode not empty only barcodes of that type count.
// @WithColAndSiz 1 (goods only): one row per goods, colour and size, with colorid,
// ColorName, sizeid and SizeName.
// @PosUserId and @Posid are accepted and not used: every operator and terminal sees the
// same entries; a filter text passed in @PosUserId for employees is not applied.
//
// Columns: typeid, UserCode, FullName, Sonnum, stop, then colorid, ColorName, sizeid,
// SizeName (goods with colour and size) or Etypeid (terminals). Ordered by code, then
// colour, then size. Returns 0.
#include <string>
#include "server/PacketReader.h"
#include "server/Procedures.h"
#include "server/StoreErrors.h"

namespace store {
namespace {

// "▲" (U+25B2) in UTF-8: the screens' mark for a search text that is not given.
const std::string kNotGiven = "\xE2\x96\xB2";

bool IsGiven(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  const size_t e = s.find_last_not_of(' ');
  return b == std::string::npos || s.substr(b, e - b + 1) != kNotGiven;
}

std::string LikePattern(const std::string& s) {
  std::string r = "%";
  for (char c : s) {
    if (c == '%' || c == '_' || c == '\\') r += '\\';
    r += c;
  }
  return r + "%";
}

std::string Trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

const char* TableOfKind(int64_t kind) {
  switch (kind) {
    case 2: return "btype";
    case 3: return "ktype";
    case 4: return "atype";
    case 5: return "etype";
    default: return nullptr;
  }
}

ProcResult Run(SqliteDb& db, ProcArgs& args) {
  const int64_t kind = args.Int("@BaseType");
  if (kind < 1 || kind > 6) {
    throw EParamError("Procedure PosGetBasicData, parameter @BaseType: " + std::to_string(kind) +
                      " is not a kind of basic data (1 to 6).");
  }
  const bool withColorSize = kind == 1 && args.Int("@WithColAndSiz") != 0;
  const std::string search = args.Text("@selectString");
  const std::string barcode = args.Text("@Barcode");
  const bool bySearch = IsGiven(search);
  const bool byBarcode = kind == 1 && IsGiven(barcode) && !Trimmed(barcode).empty();
  const std::string like = " like ?1 escape '\\'";

  std::string sql;
  if (kind == 1) {
    sql = "select p.typeid as typeid, p.UserCode as UserCode, p.FullName as FullName, "
          "p.Sonnum as Sonnum, p.Stop as stop";
    if (withColorSize) {
      sql += ", pcs.ColorId as colorid, c.ColorName as ColorName, pcs.SizeId as sizeid, "
             "s.SizeName as SizeName from ptype p "
             "left join PtypeColorSize pcs on pcs.PtypeId = p.typeid "
             "left join Color c on c.ColorId = pcs.ColorId "
             "left join Size s on s.SizeId = pcs.SizeId";
    } else {
      sql += " from ptype p";
    }
    sql += " where p.Sonnum = 0";
    if (bySearch) {
      sql += " and (p.UserCode" + like + " or p.FullName" + like + " or p.Name" + like + ")";
    }
    if (byBarcode) {
      sql += " and exists (select 1 from Barcode b where b.PtypeId = p.typeid and "
             "b.FullBarCode = ?2 and (?3 = '' or b.BarTypeId = ?3)";
      if (withColorSize) {
        sql += " and b.ColorId = ifnull(pcs.ColorId, 0) and b.SizeId = ifnull(pcs.SizeId, 0)";
      }
      sql += ")";
    }
    sql += " order by p.UserCode, p.typeid";
    if (withColorSize) sql += ", pcs.ColorId, pcs.SizeId";
  } else if (kind == 6) {
    sql = "select PosId as typeid, UserCode, FullName, 0 as Sonnum, Stop as stop, Etypeid "
          "from PosInfo where 1 = 1";
    if (bySearch) sql += " and (UserCode" + like + " or FullName" + like + ")";
    sql += " order by UserCode, PosId";
  } else {
    sql = std::string("select typeid, UserCode, FullName, Sonnum, Stop as stop from ") +
          TableOfKind(kind) + " where Sonnum = 0";
    if (bySearch) sql += " and (UserCode" + like + " or FullName" + like + " or Name" + like + ")";
    sql += " order by UserCode, typeid";
  }

  Statement st(db, sql);
  if (bySearch) st.Bind(1, LikePattern(Trimmed(search)));
  if (byBarcode) {
    st.Bind(2, Trimmed(barcode));
    st.Bind(3, Trimmed(args.Text("@DefaultBarCode")));
  }
  ProcResult r;
  r.RecordSet = ReadPacket(st);
  return r;
}

}  // namespace

const ProcDef& PosGetBasicDataProc() {
  static const ProcDef def{"PosGetBasicData", true, "ptype", false,
                           {{"@Barcode", ftString, false, false},
                            {"@BaseType", ftInteger},
                            {"@WithColAndSiz", ftInteger, false, false},
                            {"@selectString", ftString, false, false},
                            {"@PosUserId", ftString, false, false},
                            {"@Posid", ftString, false, false},
                            {"@DefaultBarCode", ftString, false, false}},
                           &Run};
  return def;
}

}  // namespace store
