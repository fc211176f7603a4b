// The socket connection's remote methods behind IAppServerLink.
#include "app/AppServerLink.h"

#include "net/SocketConnection.h"

bool TSocketConnectionLink::Connected() const { return FConnection.Connected(); }
TCustomRemoteServer* TSocketConnectionLink::ProviderServer() { return &FConnection; }

void TSocketConnectionLink::ConnectDb(const AnsiString& ComputerName, const AnsiString& LocalAddress) {
  FConnection.AppServer().ConnectDb(ComputerName, LocalAddress);
}
void TSocketConnectionLink::ChangeDb(AnsiString& DbName) { FConnection.AppServer().ChangeDb(DbName); }
Variant TSocketConnectionLink::ExecuteProc(AnsiString& ProcName, Variant& Params, Variant& OutParams) {
  return FConnection.AppServer().ExecuteProc(ProcName, Params, OutParams);
}
void TSocketConnectionLink::OpenProc(AnsiString& ProcName, Variant& Params) {
  FConnection.AppServer().OpenProc(ProcName, Params);
}
Variant TSocketConnectionLink::ExecuteSQL(WideString& SQL) { return FConnection.AppServer().ExecuteSQL(SQL); }
void TSocketConnectionLink::OpenSQL(WideString& SQL) { FConnection.AppServer().OpenSQL(SQL); }
void TSocketConnectionLink::TransactionController(int Action) {
  FConnection.AppServer().TransactionController(Action);
}
