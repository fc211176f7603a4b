// The dialog seam: scripted answers and the record of what was asked.
#include "UiTest.h"
#include "tests/support/ScriptedDialogs.h"

using namespace uitest;

TEST(Dialogs, ScriptedMessageBoxAnswersAndRecords) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  script.QueueAnswer(IDNO);
  int r = Application->MessageBox("盘点单中尚有未保存的数据，确认退出？", "警告", MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(r, IDNO);
  ASSERT_EQ(script.Asked().size(), 1u);
  const auto& a = script.Asked()[0];
  EXPECT_EQ(a.Caption, "警告");
  EXPECT_EQ(a.Text, "盘点单中尚有未保存的数据，确认退出？");
  EXPECT_EQ(a.Buttons, static_cast<unsigned>(MB_YESNO));
  EXPECT_EQ(a.Icon, static_cast<unsigned>(MB_ICONQUESTION));
  EXPECT_EQ(a.Answer, IDNO);
}

TEST(Dialogs, UnansweredMessageBoxGivesItsDefaultButton) {
  struct Case {
    unsigned flags;
    int answer;
  };
  const Case cases[] = {
      {MB_OK, IDOK},
      {MB_OKCANCEL, IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {MB_YESNO, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
      {MB_RETRYCANCEL, IDRETRY},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
  };
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  for (const Case& c : cases) EXPECT_EQ(Application->MessageBox("x", "y", c.flags), c.answer) << c.flags;
}

TEST(Dialogs, ShowMessageUsesTheTitleAndOk) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  Application->SetTitle("POS");
  ShowMessage("发卡成功");
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].Caption, "POS");
  EXPECT_EQ(script.Asked()[0].Buttons, static_cast<unsigned>(MB_OK));
}

TEST(Dialogs, OpenDialogReturnsTheQueuedFileAndRecordsTheRequest) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  TOpenDialog dlg(nullptr);
  dlg.SetFilter("文本文档(*.txt)|*.txt");
  dlg.SetFileName("C:\\Pos\\*.Txt");
  dlg.SetInitialDir("C:\\Pos");
  script.QueueFile("C:\\Pos\\盘点.txt");
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName(), "C:\\Pos\\盘点.txt");
  ASSERT_EQ(script.Asked().size(), 1u);
  const auto& a = script.Asked()[0];
  EXPECT_EQ(a.Kind, TScriptedDialogs::dkOpenFile);
  EXPECT_EQ(a.Filter, "文本文档(*.txt)|*.txt");
  EXPECT_EQ(a.FileName, "C:\\Pos\\*.Txt");
  EXPECT_EQ(a.InitialDir, "C:\\Pos");
}

TEST(Dialogs, CancelledOrUnansweredFileDialogKeepsTheFileName) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  TSaveDialog dlg(nullptr);
  dlg.SetFileName("导出.txt");
  script.QueueCancel();
  EXPECT_FALSE(dlg.Execute());
  EXPECT_FALSE(dlg.Execute());  // nothing queued: cancelled as well
  EXPECT_EQ(dlg.FileName(), "导出.txt");
  ASSERT_EQ(script.Asked().size(), 2u);
  EXPECT_EQ(script.Asked()[0].Kind, TScriptedDialogs::dkSaveFile);
}

TEST(Dialogs, ScopesNestAndRestore) {
  TScriptedDialogs outer, inner;
  TDialogService* before = DialogService();
  {
    TDialogServiceScope a(&outer);
    {
      TDialogServiceScope b(&inner);
      EXPECT_EQ(DialogService(), &inner);
    }
    EXPECT_EQ(DialogService(), &outer);
  }
  EXPECT_EQ(DialogService(), before);
  EXPECT_NE(dynamic_cast<TSystemDialogs*>(before), nullptr);
}
