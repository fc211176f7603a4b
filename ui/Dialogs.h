// The dialog seam: message boxes and file dialogs go through one replaceable service.
//
// The product uses TSystemDialogs (the real MessageBoxW and GetOpen/SaveFileNameW). Tests
// and the scripted demo install a TScriptedDialogs, which answers from a queue and keeps
// a record of every question (caption, text, buttons, icon; filter, file name, folder),
// so that nothing modal blocks a program that runs without a person. Texts are GBK.
//
//   TScriptedDialogs script;
//   TDialogServiceScope scope(&script);      // installed until the scope ends
//   script.QueueAnswer(IDYES);
//   ... code that calls Application->MessageBox ...
//   script.Asked()[0].Text == "盘点单中尚有未保存的数据，确认退出？"
#pragma once
#include <deque>
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

class TScriptedDialogs : public TDialogService {
 public:
  enum TKind { dkMessageBox, dkOpenFile, dkSaveFile };
  struct TAsked {
    TKind Kind = dkMessageBox;
    AnsiString Caption;
    AnsiString Text;
    unsigned Buttons = 0;  // flags & MB_TYPEMASK (MB_OK, MB_YESNO, ...)
    unsigned Icon = 0;     // flags & MB_ICONMASK (MB_ICONINFORMATION, ...)
    AnsiString Filter;
    AnsiString FileName;   // proposed by the program
    AnsiString InitialDir;
    int Answer = 0;        // the button given, or 1/0 for a file dialog chosen/cancelled
  };

  // The next message box returns `id`. A message box without a queued answer returns
  // its default button (MB_DEFBUTTONn of its set).
  void QueueAnswer(int id) { FAnswers.push_back(id); }
  // The next file dialog returns this file; QueueCancel makes it cancel. A file dialog
  // without a queued answer is cancelled.
  void QueueFile(const AnsiString& fileName) { FFiles.push_back({true, fileName}); }
  void QueueCancel() { FFiles.push_back({false, {}}); }
  const std::vector<TAsked>& Asked() const { return FAsked; }
  void ClearAsked() { FAsked.clear(); }
  int PendingAnswers() const { return static_cast<int>(FAnswers.size() + FFiles.size()); }

  int MessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, unsigned flags) override;
  bool FileDialog(HWND owner, TFileDialogRequest& request) override;

 private:
  struct FileAnswer {
    bool Ok;
    AnsiString FileName;
  };
  std::deque<int> FAnswers;
  std::deque<FileAnswer> FFiles;
  std::vector<TAsked> FAsked;
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
