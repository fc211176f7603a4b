// The dialog base with the same title band as the full-screen base; the terminal import
// dialog and the VIP card screen build on it.
#pragma once
#include "app/BaseForm.h"
#include "db/ClientDataSet.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

class TdiaParent : public TfrmBase {
 public:
  explicit TdiaParent(TComponent* AOwner);

  // Components in their declaration order; owned by the form.
  TPanel* pnlTitle;
  TPanel* pnlMain;
  TPanel* pnlBtn;
  TShape* shpTitle;
  TLabel* lblTitle;
  TShape* shpBack;
  TClientDataSet* PosCds;  // the screen's scratch dataset for server queries

  // The title and the form's caption; the plate and its shadow end 8 pixels after it.
  void SetTitle(const AnsiString& Value);
};
