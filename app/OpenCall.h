// The steps of the exports that need no window: making or reusing the shared data
// module, connecting it to the server of an open call, the screen's token, and the
// close call's release of the module.
#pragma once
#include <cstdint>

#include "rtl/AnsiString.h"
#include "rtl/Classes.h"

class TfrmDataModule;

namespace posapp {

// The shared DataModule, created with Owner when there is none yet. An existing one is
// reused as it is.
TfrmDataModule& EnsureDataModule(TComponent* Owner);

// Connects the module to Server and switches it to DbName: closes the connection first
// (so a new Server takes effect even when an earlier call left it open), sets Address
// (for an IPv4 text) or Host (anything else), opens, then ConnectDb with this
// computer's name and address and ChangeDb. False, with nothing shown, when any step
// fails; the module stays as the failure left it.
bool ConnectDataModule(TfrmDataModule& Module, const AnsiString& Server, const AnsiString& DbName);

// The token of a shown screen: a positive counter (1, 2, ...; after the largest 32-bit
// value it starts at 1 again), never an address.
int32_t NextScreenToken();

// The close call: for Token > 0 with a module in existence, closes its connection and
// frees it (DataModule becomes null). Anything else does nothing.
void ReleaseDataModule(int32_t Token);

}  // namespace posapp
