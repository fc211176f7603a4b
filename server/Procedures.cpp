// Procedure registry and argument resolution; see Procedures.h.
#include "server/Procedures.h"

#include <cmath>
#include "rtl/NumberFormat.h"
#include "server/StoreErrors.h"
#include "server/StoreText.h"

namespace store {
namespace {

const std::vector<const ProcDef*>& AllProcedures() {
  static const std::vector<const ProcDef*> all = {
      &GetSysValueProc(), &PosGetBasicDataProc(), &InsertVipCardSignProc(), &PdtoMainProPdProc()};
  return all;
}

[[noreturn]] void TypeError(const std::string& proc, const char* param, const char* type,
                            const Variant& v) {
  throw EParamError("Procedure " + proc + ", parameter " + param + ": '" + VarToStr(v) +
                    "' is not " + type + ".");
}

int64_t ToInt(const std::string& proc, const char* param, const Variant& v) {
  if (VarIsOrdinal(v)) return v.AsInt64();
  if (VarIsFloat(v)) {
    const double d = v.AsDouble();
    if (d == std::floor(d) && std::fabs(d) < 9.0e15) return static_cast<int64_t>(d);
    TypeError(proc, param, "an integer", v);
  }
  if (VarIsStr(v)) {
    int64_t n;
    if (TryStrToInt64(Trim(v.AsString()), n)) return n;
  }
  TypeError(proc, param, "an integer", v);
}

double ToFloat(const std::string& proc, const char* param, const Variant& v) {
  if (VarIsNumeric(v)) return v.AsDouble();
  if (VarIsStr(v)) {
    double d;
    if (TryStrToFloat(Trim(v.AsString()), d)) return d;
  }
  TypeError(proc, param, "a number", v);
}

TDateTime ToDate(const std::string& proc, const char* param, const Variant& v) {
  if (v.VType() == varDate || VarIsNumeric(v)) return v.AsDouble();
  if (VarIsStr(v)) {
    TDateTime d;
    if (ParseDateTimeText(Trim(v.AsString()), d)) return d;
  }
  TypeError(proc, param, "a date", v);
}

}  // namespace

ProcArgs::ProcArgs(const std::string& procName, const std::vector<ProcParamDef>& defs,
                   const std::vector<PackedParam>& given)
    : FProc(procName), FDefs(defs), FSlots(defs.size()) {
  for (const PackedParam& p : given) {
    size_t i = 0;
    while (i < defs.size() && !SameText(defs[i].Name, Trim(p.Name))) ++i;
    if (i == defs.size()) {
      throw EParamError(p.Name + " is not a parameter for procedure " + procName + ".");
    }
    Slot& s = FSlots[i];
    if (s.Given) {
      throw EParamError("Procedure " + procName + " has parameter " + defs[i].Name +
                        " more than once.");
    }
    const ProcParamDef& d = defs[i];
    if (d.Output) continue;  // an output parameter's incoming value is a placeholder
    if (p.Value.IsNull() || p.Value.IsEmpty()) {
      s.Given = true;  // given as NULL: reads as empty / 0 / no date
      continue;
    }
    s.Given = true;
    switch (d.Type) {
      case ftInteger: s.Int = ToInt(procName, d.Name, p.Value); break;
      case ftFloat: s.Float = ToFloat(procName, d.Name, p.Value); break;
      case ftDateTime: s.Date = ToDate(procName, d.Name, p.Value); break;
      default: s.Text = VariantToUtf8(p.Value); break;
    }
  }
  for (size_t i = 0; i < defs.size(); ++i) {
    if (defs[i].Required && !defs[i].Output && !FSlots[i].Given) {
      throw EParamError("Procedure or function '" + procName + "' expects parameter '" +
                        defs[i].Name + "', which was not supplied.");
    }
  }
}

size_t ProcArgs::IndexOf(const char* name) const {
  for (size_t i = 0; i < FDefs.size(); ++i) {
    if (SameText(FDefs[i].Name, name)) return i;
  }
  // A body asking for a parameter it did not declare is a programming error.
  AssertFailed("unknown parameter " + std::string(name) + " of " + FProc, __FILE__, __LINE__);
}

bool ProcArgs::Given(const char* name) const { return FSlots[IndexOf(name)].Given; }
const std::string& ProcArgs::Text(const char* name) const { return FSlots[IndexOf(name)].Text; }
int64_t ProcArgs::Int(const char* name) const { return FSlots[IndexOf(name)].Int; }
double ProcArgs::Float(const char* name) const { return FSlots[IndexOf(name)].Float; }
std::optional<TDateTime> ProcArgs::Date(const char* name) const {
  return FSlots[IndexOf(name)].Date;
}

void ProcArgs::SetOutputText(const char* name, const std::string& utf8) {
  FSlots[IndexOf(name)].Out = Variant(Utf8ToClient(utf8));
}

void ProcArgs::SetOutput(const char* name, const Variant& value) {
  FSlots[IndexOf(name)].Out = value;
}

std::vector<PackedParam> ProcArgs::Outputs() const {
  std::vector<PackedParam> out;
  for (size_t i = 0; i < FDefs.size(); ++i) {
    if (!FDefs[i].Output) continue;
    PackedParam p;
    p.Name = FDefs[i].Name;
    p.Value = FSlots[i].Out;
    p.DataType = FDefs[i].Type;
    p.ParamType = pkOutput;
    out.push_back(std::move(p));
  }
  return out;
}

bool TableExists(const SqliteDb& db, const char* table) {
  Statement st(db, "select 1 from sqlite_master where type in ('table', 'view') and name = ?1 collate nocase");
  st.Bind(1, std::string_view(table));
  return st.Step();
}

std::optional<std::string> QueryText(const SqliteDb& db, const char* sql, const std::string& arg) {
  Statement st(db, sql);
  st.Bind(1, std::string_view(arg));
  if (!st.Step()) return std::nullopt;
  return st.ColumnText(0);
}

const ProcDef& FindProcedure(const SqliteDb& db, const std::string& name) {
  for (const ProcDef* p : AllProcedures()) {
    const std::string own = p->Name;
    bool match = false;
    if (!p->Prefixed) {
      match = SameText(name, own);
    } else if (name.size() > own.size() + 1 &&
               SameText(name.substr(name.size() - own.size()), own) &&
               name[name.size() - own.size() - 1] == '_' && TableExists(db, "sysdata")) {
      const std::string prefix = name.substr(0, name.size() - own.size() - 1);
      const auto stored = QueryText(db, "select SysValue from sysdata where SysId = ?1", "19");
      match = stored && SameText(Trim(*stored), prefix);
    }
    if (match && TableExists(db, p->RequiredTable)) return *p;
  }
  throw EUnknownProcedure("Could not find stored procedure '" + name + "'.");
}

}  // namespace store
