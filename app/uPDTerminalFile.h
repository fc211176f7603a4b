// The text file exchanged with hand-held stock-taking terminals (layout in
// docs/formats/terminal-file.md).
//
// GBK text, one record a line, fields separated by "~". The first line is the header
// (warehouse code "~" warehouse name); every later line one goods: barcode "~" code "~"
// name "~" quantity (empty on export).
//
// "~" (0x7E) is also a valid trail byte of a double-byte character ("皛" is B0 7E), so
// every routine here walks the text character by character: a 0x7E that follows a lead
// byte 0x81..0xFE is part of that character, never a separator.
//
// Reading is in two steps, as the import checks them: ParseTerminalFile splits the
// lines and checks the header (so the warehouse can be checked against the store
// before anything else); CountLinesOf checks the format of every data line and returns
// the counts. Both fail with ETerminalFileError carrying the message the user sees.
#pragma once
#include <string_view>
#include <vector>

#include "rtl/AnsiString.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"

namespace pdterminal {

POS_EXCEPTION(ETerminalFileError, Exception);

// Messages of the reader.
constexpr const char* kNotTerminalFile = "对不起，不是盘点机导出数据，不能导入。";
constexpr const char* kNoCountLines = "盘点机文件中没有盘点数据，不能导入。";
// "盘点机文件第" + line number (1 = the first line after the header) + "行格式错误，不能导入！"
AnsiString LineFormatMessage(int lineNumber);

// --- "~" in GBK text ----------------------------------------------------------------
// Byte offsets of the separators of a line, in order.
std::vector<size_t> SeparatorOffsets(std::string_view line);
// True when two separators stand side by side ("~~" outside double-byte characters).
bool HasEmptySeparatorPair(std::string_view line);

// --- reading ------------------------------------------------------------------------
struct TTerminalFile {
  AnsiString WarehouseCode;   // header: the text before its first "~"
  AnsiString WarehouseName;   // header: the text after its last "~"
  std::vector<AnsiString> DataLines;  // the lines after the header, without line ends
};

// One counted goods: the barcode (before the first "~") and the quantity text (after
// the last "~"; "0" when empty).
struct TCountLine {
  AnsiString Barcode;
  AnsiString Quantity;
  bool operator==(const TCountLine& o) const { return Barcode == o.Barcode && Quantity == o.Quantity; }
};

// Splits Bytes into lines (ended by CR LF, LF or CR; a last line without an end
// counts) and reads the header. ETerminalFileError kNotTerminalFile when the bytes
// begin with a UTF-8 byte-order mark, there is no line, or the first holds no "~" or
// holds a control character (00-1F, 7F).
TTerminalFile ParseTerminalFile(std::string_view Bytes);
// The counts of the data lines in file order. ETerminalFileError LineFormatMessage(n)
// for the first line that does not hold exactly three "~", holds "~~", or whose
// barcode holds a control character;
// kNoCountLines when there is no data line.
std::vector<TCountLine> CountLinesOf(const TTerminalFile& File);
// The counts sorted by barcode in byte order; equal barcodes keep their file order.
std::vector<TCountLine> SortedByBarcode(std::vector<TCountLine> Lines);

// --- writing ------------------------------------------------------------------------
struct TGoodsLine {
  AnsiString Barcode;
  AnsiString Code;
  AnsiString Name;
};
// The export file: the header, then barcode "~" code "~" name "~" per goods, every line
// ended by CR LF. A "~" or a control character (CR, LF, NUL ...) inside a field (it
// would break the line's layout, or be refused by the import) is written as a blank.
AnsiString WriteTerminalFile(const AnsiString& WarehouseCode, const AnsiString& WarehouseName,
                             const std::vector<TGoodsLine>& Goods);

// --- file names ---------------------------------------------------------------------
// Name with every character that cannot stand in a file name (\ / : * ? " < > | and
// control characters) replaced by "_"; double-byte characters stay whole.
AnsiString FileNameSafe(std::string_view Name);
// Folder + "导出基本信息库存商品(" + Today as yyyy-MM-dd + ")" + the warehouse name
// (file-name safe) + ".txt". Folder ends with a delimiter.
AnsiString ProposedExportFileName(const AnsiString& Folder, TDateTime Today, const AnsiString& WarehouseName);
// Name with ".txt" appended unless its last four characters are ".txt".
AnsiString WithTxtExtension(const AnsiString& Name);

}  // namespace pdterminal
