// Data-module steps of the open and close calls.
#include "app/OpenCall.h"

#include <limits>

#include "app/uDataModule.h"
#include "app/uPublic.h"

namespace posapp {
namespace {
int32_t gLastToken = 0;
}

TfrmDataModule& EnsureDataModule(TComponent* Owner) {
  if (!DataModule) DataModule = new TfrmDataModule(Owner);
  return *DataModule;
}

bool ConnectDataModule(TfrmDataModule& Module, const AnsiString& Server, const AnsiString& DbName) {
  try {
    // Mended: opening an open connection would keep the old server; closing it first
    // makes every open call reach the server it names.
    Module.CloseConnection();
    if (IsIPAddress(Server)) Module.cnZelvoEnt->SetAddress(Server);
    else Module.cnZelvoEnt->SetHost(Server);
    Module.cnZelvoEnt->Open();
    Module.Link().ConnectDb(GetComputerNameStr(), GetLocalIP());
    AnsiString db = DbName;
    Module.Link().ChangeDb(db);
    return true;
  } catch (...) {
    return false;
  }
}

int32_t NextScreenToken() {
  gLastToken = gLastToken == std::numeric_limits<int32_t>::max() ? 1 : gLastToken + 1;
  return gLastToken;
}

void ReleaseDataModule(int32_t Token) {
  if (Token <= 0 || !DataModule) return;
  TfrmDataModule* module = DataModule;
  module->CloseConnection();
  delete module;  // takes it out of its owner; its destructor clears DataModule
  DataModule = nullptr;
}

}  // namespace posapp
