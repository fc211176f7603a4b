// GetSysValue;1 (@szName, @szReturn OUTPUT): the system value named @szName from
// sysdata, matched by SysName without regard to case. A name the store does not know
// leaves @szReturn empty. Returns 0.
#include "server/Procedures.h"

namespace store {
namespace {

ProcResult Run(SqliteDb& db, ProcArgs& args) {
  const auto value = QueryText(db, "select SysValue from sysdata where SysName = ?1",
                               args.Text("@szName"));
  args.SetOutputText("@szReturn", value.value_or(""));
  return {};
}

}  // namespace

const ProcDef& GetSysValueProc() {
  static const ProcDef def{"GetSysValue", false, "sysdata", false,
                           {{"@szName", ftString}, {"@szReturn", ftString, true, false}},
                           &Run};
  return def;
}

}  // namespace store
