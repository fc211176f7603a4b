// The stock-take bill manager ("盘点单"): the form the export OpenPDManger shows.
//
// The form keeps what the open call hands it (the unique id written into saved bill
// headers, the home server and database, the upload server and database) and the
// chosen warehouse. InitBill is its set-up, run once before the form is shown.
// Closing the form ends its modal loop; the export that created it frees it.
#pragma once
#include "ui/Forms.h"

class TfrmpdManger : public TForm {
 public:
  explicit TfrmpdManger(TComponent* AOwner);

  // From the open call.
  AnsiString UniqueId;
  AnsiString HomeServer;
  AnsiString HomeDbName;
  AnsiString UploadServer;   // empty: saved bills are not uploaded
  AnsiString UploadDbName;
  // The stock-take warehouse (empty until chosen).
  AnsiString StockId;

  // Set-up before the form is shown.
  void InitBill();
};
