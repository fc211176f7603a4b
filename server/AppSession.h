// What the network side of the server asks of one client's session with the store: the
// application server's remote methods, without the transport. The listener makes one
// session per connection through an AppSessionFactory and destroys it when the client
// leaves (the store session then rolls back an open transaction).
//
// Every method may raise; the message of an Exception goes back to the client as the
// error reply, unchanged (GBK).
#pragma once
#include <functional>
#include <memory>
#include <utility>

#include "db/DataPacket.h"
#include "rtl/AnsiString.h"
#include "rtl/Variant.h"

namespace posserver {

class AppSession {
 public:
  virtual ~AppSession() = default;
  virtual void ConnectDb(const AnsiString& computer, const AnsiString& ip) = 0;
  virtual void ChangeDb(const AnsiString& db) = 0;
  virtual int ExecuteSQL(const WideString& sql) = 0;
  virtual TDataPacket OpenSQL(const WideString& sql) = 0;
  virtual int ExecuteProc(const AnsiString& name, const Variant& packedIn, Variant& packedOut) = 0;
  virtual TDataPacket OpenProc(const AnsiString& name, const Variant& packedIn) = 0;
  virtual void TransactionController(int action) = 0;
  // True from a successful begin until commit or rollback.
  virtual bool InTransaction() const = 0;
};

// Makes the session of a new connection; may raise (the client then hears why).
using AppSessionFactory = std::function<std::unique_ptr<AppSession>()>;

// Any class with the store session's methods as an AppSession (the real StoreSession in
// posserver, fakes in tests).
template <class Session>
class SessionAdapter final : public AppSession {
 public:
  template <class... Args>
  explicit SessionAdapter(Args&&... args) : FSession(std::forward<Args>(args)...) {}
  void ConnectDb(const AnsiString& computer, const AnsiString& ip) override { FSession.ConnectDb(computer, ip); }
  void ChangeDb(const AnsiString& db) override { FSession.ChangeDb(db); }
  int ExecuteSQL(const WideString& sql) override { return FSession.ExecuteSQL(sql); }
  TDataPacket OpenSQL(const WideString& sql) override { return FSession.OpenSQL(sql); }
  int ExecuteProc(const AnsiString& name, const Variant& packedIn, Variant& packedOut) override {
    return FSession.ExecuteProc(name, packedIn, packedOut);
  }
  TDataPacket OpenProc(const AnsiString& name, const Variant& packedIn) override {
    return FSession.OpenProc(name, packedIn);
  }
  void TransactionController(int action) override { FSession.TransactionController(action); }
  bool InTransaction() const override { return FSession.InTransaction(); }
  Session& Inner() { return FSession; }

 private:
  Session FSession;
};

}  // namespace posserver
