// What the data module's routines need of the application server: its remote methods,
// whether the connection is up, and the component that client datasets fetch their
// record sets from.
//
// The product's link is TSocketConnectionLink over the data module's cnZelvoEnt; unit
// tests put a recording fake in its place (TfrmDataModule::SetLink). Argument kinds
// follow the server's methods: by-reference arguments may come back changed.
#pragma once
#include "db/DataPacket.h"
#include "rtl/AnsiString.h"
#include "rtl/Variant.h"

class TSocketConnection;

class IAppServerLink {
 public:
  virtual ~IAppServerLink() = default;

  virtual bool Connected() const = 0;
  // The remote server of the client datasets that open "pv_sp_Open" / "pv_qry_Open".
  virtual TCustomRemoteServer* ProviderServer() = 0;

  virtual void ConnectDb(const AnsiString& ComputerName, const AnsiString& LocalAddress) = 0;
  virtual void ChangeDb(AnsiString& DbName) = 0;
  // Result: the procedure's return value; OutParams receives the packed output parameters.
  virtual Variant ExecuteProc(AnsiString& ProcName, Variant& Params, Variant& OutParams) = 0;
  virtual void OpenProc(AnsiString& ProcName, Variant& Params) = 0;
  virtual Variant ExecuteSQL(WideString& SQL) = 0;
  virtual void OpenSQL(WideString& SQL) = 0;
  // 0 begin, 1 commit, 2 rollback.
  virtual void TransactionController(int Action) = 0;
};

// The link over a socket connection's AppServer.
class TSocketConnectionLink final : public IAppServerLink {
 public:
  explicit TSocketConnectionLink(TSocketConnection& connection) : FConnection(connection) {}

  bool Connected() const override;
  TCustomRemoteServer* ProviderServer() override;
  void ConnectDb(const AnsiString& ComputerName, const AnsiString& LocalAddress) override;
  void ChangeDb(AnsiString& DbName) override;
  Variant ExecuteProc(AnsiString& ProcName, Variant& Params, Variant& OutParams) override;
  void OpenProc(AnsiString& ProcName, Variant& Params) override;
  Variant ExecuteSQL(WideString& SQL) override;
  void OpenSQL(WideString& SQL) override;
  void TransactionController(int Action) override;

 private:
  TSocketConnection& FConnection;
};
