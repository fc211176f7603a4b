// The stored procedures of the store databases, written in C++ against SQLite.
//
// A procedure has a name, the table that marks the databases it belongs to (a store
// database has `ptype`, the main database `PdPrepare`, ...), its parameters and its
// body. A call names the procedure without regard to ASCII case (brackets and the group
// number ";1" removed first) and passes parameters by name, also without regard to
// case; the definition says which parameters are output. Arguments are converted to
// the definition's types before the body runs, so a type error changes nothing.
//
// The procedure whose definition is Prefixed is called as <prefix>_<Name>, the prefix
// being the value of sysdata row SysId 19 of the database.
#pragma once
#include <optional>
#include <string>
#include <vector>
#include "db/DataPacket.h"
#include "rtl/DateTime.h"
#include "server/ParamPacking.h"
#include "server/SqliteDb.h"

namespace store {

struct ProcParamDef {
  const char* Name;            // "@szName"
  TFieldType Type;             // ftString, ftInteger, ftFloat or ftDateTime
  bool Output = false;         // sent back in the output list; never required
  bool Required = true;        // an input that must be given (else: empty / 0 / Null)
};

// The arguments of one call, resolved against the definition.
class ProcArgs {
 public:
  // EParamError for a parameter the procedure does not have, a parameter given twice, a
  // required one missing, or a value that does not convert to the parameter's type.
  ProcArgs(const std::string& procName, const std::vector<ProcParamDef>& defs,
           const std::vector<PackedParam>& given);

  // Values by parameter name (as in the definition). A parameter not given reads as
  // "" / 0 / nullopt; Given tells which.
  bool Given(const char* name) const;
  const std::string& Text(const char* name) const;   // UTF-8
  int64_t Int(const char* name) const;
  double Float(const char* name) const;
  std::optional<TDateTime> Date(const char* name) const;

  // Output parameter values: UTF-8 text for ftString parameters, the value otherwise.
  void SetOutputText(const char* name, const std::string& utf8);
  void SetOutput(const char* name, const Variant& value);
  // The output parameters in definition order (kind output, GBK strings); those the
  // body did not set go back Null.
  std::vector<PackedParam> Outputs() const;

 private:
  struct Slot {
    bool Given = false;
    std::string Text;
    int64_t Int = 0;
    double Float = 0;
    std::optional<TDateTime> Date;
    Variant Out = Variant::Null();
  };
  size_t IndexOf(const char* name) const;

  std::string FProc;
  const std::vector<ProcParamDef>& FDefs;
  std::vector<Slot> FSlots;
};

struct ProcResult {
  int ReturnValue = 0;
  std::optional<TDataPacket> RecordSet;
};

struct ProcDef {
  const char* Name;
  bool Prefixed;                // called as <sysdata 19 prefix>_<Name>
  const char* RequiredTable;    // the procedure exists where this table exists
  bool Writes;                  // runs as one write unit (all or nothing)
  std::vector<ProcParamDef> Params;
  ProcResult (*Run)(SqliteDb& db, ProcArgs& args);
};

// The definition the name (already normalized) calls in db; EUnknownProcedure when
// there is none.
const ProcDef& FindProcedure(const SqliteDb& db, const std::string& name);

// The procedures (one file each).
const ProcDef& GetSysValueProc();
const ProcDef& PosGetBasicDataProc();
const ProcDef& InsertVipCardSignProc();
const ProcDef& PdtoMainProPdProc();

// Helpers of the bodies.
bool TableExists(const SqliteDb& db, const char* table);
// The first column of the first row of a one-parameter query, or nullopt when there is
// no row (NULL reads as "").
std::optional<std::string> QueryText(const SqliteDb& db, const char* sql, const std::string& arg);

}  // namespace store
