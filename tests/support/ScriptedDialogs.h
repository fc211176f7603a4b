// TScriptedDialogs: the dialog service of programs that run without a person. It
// answers from a queue and keeps a record of every question (caption, text, buttons,
// icon; filter, file name, folder). Texts are GBK.
//
//   TScriptedDialogs script;
//   TDialogServiceScope scope(&script);      // installed until the scope ends
//   script.QueueAnswer(IDYES);
//   ... code that calls Application->MessageBox ...
//   script.Asked()[0].Text == "盘点单中尚有未保存的数据，确认退出？"
#pragma once
#include <deque>
#include <vector>

#include "ui/Dialogs.h"

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
