// The scripted dialog service: queued answers, default buttons, a record of each question.
#include "tests/support/ScriptedDialogs.h"

int TScriptedDialogs::MessageBox(HWND, const AnsiString& text, const AnsiString& caption, unsigned flags) {
  TAsked a;
  a.Kind = dkMessageBox;
  a.Caption = caption;
  a.Text = text;
  a.Buttons = flags & MB_TYPEMASK;
  a.Icon = flags & MB_ICONMASK;
  if (!FAnswers.empty()) {
    a.Answer = FAnswers.front();
    FAnswers.pop_front();
  } else {
    a.Answer = DefaultMessageBoxButton(flags);
  }
  FAsked.push_back(a);
  return a.Answer;
}

bool TScriptedDialogs::FileDialog(HWND, TFileDialogRequest& r) {
  TAsked a;
  a.Kind = r.Save ? dkSaveFile : dkOpenFile;
  a.Caption = r.Title;
  a.Filter = r.Filter;
  a.FileName = r.FileName;
  a.InitialDir = r.InitialDir;
  bool ok = false;
  if (!FFiles.empty()) {
    ok = FFiles.front().Ok;
    if (ok) r.FileName = FFiles.front().FileName;
    FFiles.pop_front();
  }
  a.Answer = ok ? 1 : 0;
  FAsked.push_back(a);
  return ok;
}
