// The grid library's messages, looked up by their resource ids. The texts are the
// library's own (GBK); they are plain tables in code, no resource compiler involved.
#pragma once
#include "rtl/AnsiString.h"

enum : int {
  SkvWriteError = 65072,            // "输出流错误"
  SkvUnidirectionalDataSet = 65094,
  SkvTooManyColumns = 65095,
  SkvDataSetClosed = 65096,
  SkvDeleteSelectedRecords = 65097,
  SkvDeleteRecord = 65098,
  SkvConfirmCaption = 65099,
  SkvItemIndexError = 65100,
  SkvReadError = 65101,             // "输入流错误"
  SkvRecordIndexError = 65102,
  SkvRowIndexError = 65103,
};

// The text of message id, "" for an id the library does not have.
AnsiString kvLoadStr(int id);
