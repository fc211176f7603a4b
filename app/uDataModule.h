// The data module: the one object through which every screen reaches the store
// database, and the library-wide routines over the application server's remote methods.
//
// TfrmDataModule holds the socket connection cnZelvoEnt (every remote call goes through
// it), two scratch client datasets and a second connection that no routine uses. Its
// OnCreate (DataModuleCreate) fixes the library's format settings, so that dates and
// numbers reach the server as text in one form (2024-03-05, "." as decimal separator).
//
// The routines below work on the shared module `DataModule` (created by the first open
// call, freed by a close call) and raise whatever the server or the transport raises;
// none of them catches.
//
// Transactions are one level and library-wide (`InTransaction`). The flag never
// outlives the transaction it stands for: it is cleared when a commit or rollback call
// fails, when the connection is closed through CloseConnection, when the module is
// freed, and when BeginTrans finds the connection down (a dropped connection took its
// transaction with it on the server). So a save never meets "事务已启动!" because of a
// transaction that died earlier.
#pragma once
#include <memory>
#include <vector>

#include "app/AppServerLink.h"
#include "db/ClientDataSet.h"
#include "db/Params.h"
#include "net/SocketConnection.h"
#include "rtl/Classes.h"

class TfrmDataModule : public TComponent {
 public:
  explicit TfrmDataModule(TComponent* AOwner);
  ~TfrmDataModule() override;

  // Components in their declaration order; owned by the module.
  TSocketConnection* cnZelvoEnt;
  TClientDataSet* TempClient;
  TClientDataSet* ClientDataSet2;
  TSocketConnection* scZelvoPosR;

  // Fired once at the end of construction; set to DataModuleCreate.
  TNotifyEvent OnCreate;
  void DataModuleCreate(TObject* Sender);

  // The remote side of every routine: cnZelvoEnt's AppServer unless a test put another in.
  IAppServerLink& Link() { return *FLink; }
  void SetLink(std::unique_ptr<IAppServerLink> link);

  // Closes cnZelvoEnt; an open transaction ends with it (the server rolls it back), so
  // InTransaction is cleared.
  void CloseConnection();

 private:
  std::unique_ptr<IAppServerLink> FLink;
};

// The shared module: null until an open call creates it; cleared when it is freed.
extern TfrmDataModule* DataModule;
// A server transaction begun by BeginTrans is open.
extern bool InTransaction;

// The client and server side of one remote call read the same names; the message when
// they do not come in pairs.
POS_EXCEPTION(EParamCountError, Exception);

// Runs a stored procedure (name sent as given). Names/Values: one input parameter per
// name, in order; a first name of "@@" (blanks trimmed) means none. Result: the
// procedure's return value. OutParams, when given, receives the output parameters by
// name. EParamCountError when Names and Values differ in length (nothing is sent).
int ExecProc(const AnsiString& ProcName, const std::vector<AnsiString>& Names,
             const std::vector<Variant>& Values, TParams* OutParams = nullptr);
// Opens a stored procedure's record set into DataSet; the name sent is
// ProcPrefix + "_" + ProcName. Result: the procedure's return value (the first of
// DataSet's parameters), 0 when it returned no parameters. OutParams, when given,
// receives copies of the output and input/output parameters after the first.
int OpenProcData(const AnsiString& ProcName, const std::vector<AnsiString>& Names,
                 const std::vector<Variant>& Values, TClientDataSet* DataSet,
                 TParams* OutParams = nullptr);
// Runs SQL that returns no rows. Result: the server's count of changed rows.
int ExecSQL(const WideString& SQL);
// Opens the record set of SQL into DataSet. True when it has at least one row.
bool OpenSQLData(const WideString& SQL, TClientDataSet* DataSet);

// One-level transaction on the server. BeginTrans raises "事务已启动!" inside an open
// one and does nothing while the connection is down; CommitTrans and RollbackTrans do
// nothing without an open transaction and clear the flag whatever the server answers.
void BeginTrans();
void CommitTrans();
void RollbackTrans();

namespace posapp {
// The parameter list that ExecProc and OpenProcData send, packed (see above).
Variant PackCallParams(const std::vector<AnsiString>& Names, const std::vector<Variant>& Values);
}  // namespace posapp
