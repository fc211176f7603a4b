// Pos_J2DllForPos.dll: the four exports the point-of-sale host calls, and the library's
// entry point.
//
// Exports use the standard calling convention with undecorated names (see the .def
// file). String arguments come in the host's layout (app/HostString.h): each open call
// holds one reference to each of them for the length of the call.
//
// An open call: sets Application's handle to the host window, creates the screen's
// form, makes or reuses the data module, connects it (a failure here returns -1 with
// no message), loads the stored-procedure prefix, copies the call's values into the
// context values and the form, runs the form's set-up and shows it modally. The final
// part always resets the handle and frees the form (the one place it is freed).
// Result: a positive token, or -1.
//
// Nothing leaves an export as an exception: an error after the connection was made
// (prefix, set-up, the modal loop) is shown through Application's exception handler
// and the call returns -1.
#include <cstdint>
#include <functional>
#include <memory>

#include "app/HostString.h"
#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uDataModuleCom.h"
#include "app/uPDManger.h"
#include "app/uPublic.h"
#include "app/uposVipEnroll.h"
#include "ui/Forms.h"

namespace {

using posapp::THostStringArg;

template <class TScreenForm>
int32_t RunOpenCall(int32_t AppHandle, const AnsiString& Server, const AnsiString& DbName,
                    const char* PrefixKind, const std::function<void(TScreenForm&)>& SetUp) {
  Application->SetHandle(reinterpret_cast<HWND>(static_cast<intptr_t>(AppHandle)));
  int32_t result = -1;
  std::unique_ptr<TScreenForm> form;
  try {
    form.reset(CreateForm<TScreenForm>(Application));
    TfrmDataModule& module = posapp::EnsureDataModule(Application);
    if (posapp::ConnectDataModule(module, Server, DbName)) {
      result = posapp::NextScreenToken();
      try {
        LoadProcPrefix(PrefixKind);
        SetUp(*form);
        form->ShowModal();
      } catch (...) {
        Application->HandleException(form.get());
        result = -1;
      }
    }
  } catch (...) {
    // Creating the form or the module failed: nothing was shown.
    result = -1;
  }
  Application->SetHandle(nullptr);
  form.reset();
  return result;
}

}  // namespace

extern "C" {

__declspec(dllexport) int32_t __stdcall OpenPDManger(int32_t AppHandle, const char* Reserved,
                                                     const char* AOperatorId, const char* ABranchId,
                                                     const char* AUniqueId, const char* APosId,
                                                     const char* Server, const char* DbName,
                                                     const char* UploadServer, const char* UploadDbName) {
  try {
    THostStringArg reserved(Reserved), operatorId(AOperatorId), branchId(ABranchId), uniqueId(AUniqueId),
        posId(APosId), server(Server), dbName(DbName), uploadServer(UploadServer), uploadDbName(UploadDbName);
    return RunOpenCall<TfrmpdManger>(
        AppHandle, server.Text(), dbName.Text(), "PD", [&](TfrmpdManger& form) {
          OperatorId = GbkToWide(operatorId.Text());
          form.UniqueId = uniqueId.Text();
          form.HomeServer = server.Text();
          form.HomeDbName = dbName.Text();
          form.UploadServer = uploadServer.Text();
          form.UploadDbName = uploadDbName.Text();
          form.StockId.clear();
          BranchId = GbkToWide(branchId.Text());
          PosId = GbkToWide(posId.Text());
          form.InitBill();
        });
  } catch (...) {
    return -1;  // a damaged string argument: nothing was started
  }
}

__declspec(dllexport) int32_t __stdcall OpenVipEnroll(int32_t AppHandle, const char* Reserved,
                                                      const char* AOperatorId, const char* Extra,
                                                      const char* Server, const char* DbName) {
  try {
    THostStringArg reserved(Reserved), operatorId(AOperatorId), extra(Extra), server(Server), dbName(DbName);
    return RunOpenCall<TposVipEnroll>(AppHandle, server.Text(), dbName.Text(), "VIP",
                                      [&](TposVipEnroll& form) {
                                        OperatorId = GbkToWide(operatorId.Text());
                                        form.InitForm();
                                      });
  } catch (...) {
    return -1;
  }
}

__declspec(dllexport) void __stdcall ClosePDManger(int32_t Token) {
  try {
    posapp::ReleaseDataModule(Token);
  } catch (...) {
  }
}

__declspec(dllexport) void __stdcall CloseVipEnroll(int32_t Token) {
  try {
    posapp::ReleaseDataModule(Token);
  } catch (...) {
  }
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // The library's own main block does nothing; the data-module unit sets up COM.
  if (reason == DLL_PROCESS_ATTACH) DataModuleUnitInitialization();
  else if (reason == DLL_PROCESS_DETACH) DataModuleUnitFinalization(reserved != nullptr);
  return TRUE;
}

}  // extern "C"
