// Pos_J2_PosPdtoMainProPd (@IndexValue): turns the stock-take bill uploaded under
// CheckCode @IndexValue into a draft stock-take bill of the main system and returns
// the new bill's code (BillCode, > 0). The uploaded header is marked with that code
// (PdVchCode). Refusals, checked in this order, change nothing:
//   -2  no preparation (PdPrepare) of the bill's warehouse covers the bill's date
//   -3  the preparation that covers it is finished: the count is closed
//   -1  a goods of the bill is already in a draft bill of the same warehouse and date
// An @IndexValue that names no uploaded bill raises EStoreError.
#include <string>
#include "server/Procedures.h"
#include "server/StoreErrors.h"

namespace store {
namespace {

ProcResult Run(SqliteDb& db, ProcArgs& args) {
  const int64_t checkCode = args.Int("@IndexValue");
  std::string ktype, date, operatorId, posId, number;
  {
    Statement st(db,
                 "select KTypeID, PDDate, OperatorID, PosID, PDNumber "
                 "from CommonPosPtypeCheckNdx where CheckCode = ?1");
    st.Bind(1, checkCode);
    if (!st.Step()) {
      throw EStoreError("Pos_J2_PosPdtoMainProPd: there is no uploaded stock-take bill " +
                        std::to_string(checkCode) + ".");
    }
    ktype = st.ColumnText(0);
    date = st.ColumnText(1);
    operatorId = st.ColumnText(2);
    posId = st.ColumnText(3);
    number = st.ColumnText(4);
  }
  ProcResult r;
  {
    // An open preparation wins over a finished one covering the same day.
    Statement st(db,
                 "select Finished from PdPrepare where KtypeId = ?1 and BeginDate <= ?2 "
                 "and EndDate >= ?2 order by Finished limit 1");
    st.Bind(1, ktype);
    st.Bind(2, date);
    if (!st.Step()) {
      r.ReturnValue = -2;
      return r;
    }
    if (st.ColumnInt(0) != 0) {
      r.ReturnValue = -3;
      return r;
    }
  }
  {
    Statement st(db,
                 "select 1 from CommonPosPtypeCheckList l where l.CheckCode = ?1 and exists ("
                 "select 1 from PdBillDetail d join PdBillNdx n on n.BillCode = d.BillCode "
                 "where n.Draft = 1 and n.KtypeId = ?2 and n.PdDate = ?3 and d.PtypeId = l.PtypeID)");
    st.Bind(1, checkCode);
    st.Bind(2, ktype);
    st.Bind(3, date);
    if (st.Step()) {
      r.ReturnValue = -1;
      return r;
    }
  }
  Statement ndx(db,
                "insert into PdBillNdx (KtypeId, PdDate, OperatorId, PosId, PdNumber, "
                "UpLoadCheckCode, Draft) values (?1, ?2, ?3, ?4, ?5, ?6, 1)");
  ndx.Bind(1, ktype);
  ndx.Bind(2, date);
  ndx.Bind(3, operatorId);
  ndx.Bind(4, posId);
  ndx.Bind(5, number);
  ndx.Bind(6, checkCode);
  ndx.Step();
  const int64_t billCode = db.LastInsertRowId();
  Statement lines(db,
                  "insert into PdBillDetail (BillCode, PtypeId, ColorId, SizeId, Qty) "
                  "select ?1, PtypeID, ColorID, SizeID, Qty from CommonPosPtypeCheckList "
                  "where CheckCode = ?2 order by ListId");
  lines.Bind(1, billCode);
  lines.Bind(2, checkCode);
  lines.Step();
  Statement mark(db, "update CommonPosPtypeCheckNdx set PdVchCode = ?1 where CheckCode = ?2");
  mark.Bind(1, billCode);
  mark.Bind(2, checkCode);
  mark.Step();
  r.ReturnValue = static_cast<int>(billCode);
  return r;
}

}  // namespace

const ProcDef& PdtoMainProPdProc() {
  static const ProcDef def{"Pos_J2_PosPdtoMainProPd", false, "PdPrepare", true,
                           {{"@IndexValue", ftInteger}}, &Run};
  return def;
}

}  // namespace store
