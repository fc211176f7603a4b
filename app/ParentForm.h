// The full-screen base with a title band, a button band at the bottom and the main
// panel between them; the stock-take bill manager builds on it.
#pragma once
#include "app/BaseForm.h"
#include "db/ClientDataSet.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

class TParentfrm : public TfrmBase {
 public:
  explicit TParentfrm(TComponent* AOwner);

  // Components in their declaration order; owned by the form.
  TPanel* pnlTitle;
  TShape* shpBack;
  TShape* shpTitle;
  TLabel* lblTitle;
  TPanel* pnlBtn;
  TPanel* pnlMain;
  TClientDataSet* PosCds;  // the screen's scratch dataset for server queries

  AnsiString GetTitle() const { return lblTitle->Caption(); }
  // The title and the form's caption; the plate and its shadow end 8 pixels after it.
  void SetTitle(const AnsiString& Value);
};
