// A stock-take bill as it is saved: the merged lines (TPDBillRec), the bill number, and
// the statements that write the bill into a store or main database.
//
// Every text value goes into the statements through SqlQuoted. Values that the tables
// keep as numbers (colour and size ids, quantities, check codes) are written from
// numbers, never pasted: an id or quantity that is not a number raises EPdBillError
// before anything is sent.
#pragma once
#include <vector>

#include "app/uPDBillSheet.h"
#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

namespace pdbill {

POS_EXCEPTION(EPdBillError, Exception);

// One merged bill line.
class TPDBillRec {
 public:
  AnsiString PtypeId;
  AnsiString ColorId;   // "0" for none
  AnsiString SizeId;    // "0" for none
  AnsiString Qty;       // decimal text
};

// The bill's lines: the rows with a goods id in sheet order, rows of the same goods,
// colour and size (empty ids counting as "0") added up into the line of the first.
// A quantity that is not a number counts 0.
std::vector<TPDBillRec> MergeBillLines(const IPdBillSheet& Sheet);

// The bill number: terminal code + " " + date + " " + sequence, the sequence (MaxCode,
// "1" when empty) left-padded with "0" to five characters.
AnsiString MakeBillNumber(const AnsiString& TerminalCode, const AnsiString& DateText, const AnsiString& MaxCode);
// The statements that find the sequence and the terminal code.
WideString BillSequenceSql(const AnsiString& DateText);
WideString TerminalCodeSql(const AnsiString& PosId);

// What a saved header holds besides its lines.
struct TPdBillHeader {
  AnsiString WarehouseId;
  AnsiString OperatorId;
  AnsiString PdDate;       // yyyy-mm-dd
  AnsiString PosId;
  AnsiString UniqueId;
  AnsiString BillNumber;
};
// The header insert with the identity query: local (IsUpSend 0, UpLoadPosVchCode 0)
// when LocalCheckCode is 0, else the upload copy (IsUpSend 1, UpLoadPosVchCode the
// local CheckCode).
WideString HeaderInsertSql(const TPdBillHeader& Header, int LocalCheckCode = 0);
// The question whether a bill is stored: the CheckCode of the header with the bill's
// UniqueID and PDNumber, the local one (UpLoadPosVchCode 0) when LocalCheckCode is 0,
// else the upload copy of that local bill. No row: it is not there.
WideString StoredBillSql(const TPdBillHeader& Header, int LocalCheckCode = 0);
// One line insert under CheckCode.
WideString LineInsertSql(int CheckCode, const TPDBillRec& Line);
// The line inserts of a bill in batches of at most PerBatch statements (one after the
// other, a line end between them), so that a long bill does not take one round trip
// to the server per line. A batch runs as one unit on the server.
std::vector<WideString> LineInsertBatches(int CheckCode, const std::vector<TPDBillRec>& Lines, size_t PerBatch);
// The local header marked as uploaded with the main system's bill code.
WideString MarkUploadedSql(int UploadCode, int LocalCheckCode);

// A check code read back from the identity query: an integer above 0, else EPdBillError.
int CheckCodeOf(const AnsiString& Text);

}  // namespace pdbill
