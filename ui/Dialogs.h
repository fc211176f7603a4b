// The dialog seam: message boxes and file dialogs go through one replaceable service.
//
// The product uses TSystemDialogs (the real MessageBoxW and GetOpen/SaveFileNameW). A
// program that runs without a person installs a service of its own for a scope
// (TDialogServiceScope), so that nothing modal blocks it; the tests' scripted service
// is in tests/support/ScriptedDialogs.h. Texts are GBK.
#pragma once
#include <vector>

#include "rtl/Classes.h"
#include "ui/WinApi.h"

struct TFileDialogRequest {
  bool Save = false;
  AnsiString Title;
  AnsiString Filter;       // "文本文档(*.txt)|*.txt|所有文件(*.*)|*.*"
  int FilterIndex = 1;     // 1-based, as the platform counts
  AnsiString FileName;     // in: proposed; out: chosen
  AnsiString InitialDir;
  AnsiString DefaultExt;
  DWORD Flags = 0;         // OFN_* flags
};

class TDialogService {
 public:
  virtual ~TDialogService() = default;
  // Returns the button pressed (IDOK, IDYES, ...). Flags are the MB_* flags.
  virtual int MessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, unsigned flags) = 0;
  // True with request.FileName set when the user chose a file; false when cancelled.
  virtual bool FileDialog(HWND owner, TFileDialogRequest& request) = 0;
};

class TSystemDialogs : public TDialogService {
 public:
  int MessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, unsigned flags) override;
  bool FileDialog(HWND owner, TFileDialogRequest& request) override;
};

// The service in force (the system one unless a scope installed another).
TDialogService* DialogService();

// Installs a service for its lifetime and puts the previous one back.
class TDialogServiceScope {
 public:
  explicit TDialogServiceScope(TDialogService* service);
  ~TDialogServiceScope();
  TDialogServiceScope(const TDialogServiceScope&) = delete;
  TDialogServiceScope& operator=(const TDialogServiceScope&) = delete;

 private:
  TDialogService* FPrevious;
};

// The default button of a message box of these flags (IDOK for MB_OK, IDYES for MB_YESNO...).
int DefaultMessageBoxButton(unsigned flags);

// --- file dialog components ---------------------------------------------------------------
class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // Runs the dialog through the service; true when a file was chosen (FileName set).
  virtual bool Execute();

  AnsiString Filter() const { return FRequest.Filter; }
  void SetFilter(const AnsiString& v) { FRequest.Filter = v; }
  int FilterIndex() const { return FRequest.FilterIndex; }
  void SetFilterIndex(int v) { FRequest.FilterIndex = v; }
  AnsiString FileName() const { return FRequest.FileName; }
  void SetFileName(const AnsiString& v) { FRequest.FileName = v; }
  AnsiString InitialDir() const { return FRequest.InitialDir; }
  void SetInitialDir(const AnsiString& v) { FRequest.InitialDir = v; }
  AnsiString Title() const { return FRequest.Title; }
  void SetTitle(const AnsiString& v) { FRequest.Title = v; }
  AnsiString DefaultExt() const { return FRequest.DefaultExt; }
  void SetDefaultExt(const AnsiString& v) { FRequest.DefaultExt = v; }

 protected:
  TFileDialogRequest FRequest;
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) { FRequest.Save = true; }
};
