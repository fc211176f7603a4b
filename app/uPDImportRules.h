// What the terminal import/export dialog does apart from its window: reading and
// checking a terminal file for the bill, and the goods lists and file of an export.
//
// Import checks, in this order, each with the message the user sees: the file exists;
// it can be read; its header holds "~"; the header's warehouse code is a warehouse of
// the store, of this terminal's branch, and the warehouse of the bill; every data line
// has the terminal's layout; there is at least one data line. A file that fails a check
// changes nothing. Every failure is one of the messages below or of the reader's; the
// text of a server error never reaches the user.
#pragma once
#include <functional>
#include <vector>

#include "app/uPDChooser.h"
#include "app/uPDMessages.h"
#include "app/uPDTerminalFile.h"

namespace pdimport {

constexpr const char* kAnalysing = "正在分析盘点机导入文件......";
constexpr const char* kImporting = "正在导入盘点机文件......";
constexpr const char* kImported = "导入盘点机文件成功......";
constexpr const char* kOtherBranch = "对不起，不是本POS机对应仓库的盘点文件，不能导入。";
constexpr const char* kUnknownWarehouse = "对不起，盘点机文件的仓库在本店的仓库资料中不存在，不能导入。";
constexpr const char* kOtherWarehouse = "对不起，盘点机文件的仓库不是当前盘点单的仓库，不能导入。";
constexpr const char* kLookupFailed = "对不起，查询盘点机文件的仓库失败，不能导入。";
constexpr const char* kNoBillWarehouse = "请选择盘点的仓库!";
constexpr const char* kNoExportWarehouse = "请选择导出仓库";
constexpr const char* kNothingPicked = "没有选中商品，无法导出";
constexpr const char* kPickedWithoutBarcodes = "选中的商品没有条码信息，请先录入条码信息后再进行本操作";
constexpr const char* kStoreWithoutBarcodes = "您的商品没有条码信息，请先录入条码信息之后再进行本操作";
constexpr const char* kExported = "基本信息导出成功！保存路径：";

struct TImportResult {
  bool Ok = false;
  AnsiString Message;                          // why not, when not Ok
  std::vector<pdterminal::TCountLine> Counts;  // sorted by barcode, when Ok
};

// Reads FileName for the bill of warehouse BillWarehouseId on a terminal of BranchId.
// A warehouse look-up that fails is refused with kLookupFailed.
TImportResult ImportTerminalFile(const AnsiString& FileName, const AnsiString& BranchId,
                                 const AnsiString& BillWarehouseId);

// The statements of the dialog.
WideString WarehouseOfCodeSql(const AnsiString& WarehouseCode);
WideString AllGoodsSql(const AnsiString& DefaultBarCode);
WideString GoodsBarcodesSql(const AnsiString& TypeId, const AnsiString& DefaultBarCode);

// The store's barcode type of exports ("1" when the store has none).
AnsiString DefaultBarCodeOfStore();
// Every goods barcode of that type, with the goods' code and name.
std::vector<pdterminal::TGoodsLine> AllGoodsWithBarcodes(const AnsiString& DefaultBarCode);
// The barcodes of one goods (TypeId "" stands for every goods).
std::vector<pdterminal::TGoodsLine> BarcodesOfGoods(const AnsiString& TypeId, const AnsiString& DefaultBarCode);

// Goods picked for an export: their barcodes with code and name, in the order picked,
// and the names shown in the goods box (each name and "," appended while the box holds
// fewer than 240 characters).
struct TExportGoods {
  std::vector<pdterminal::TGoodsLine> Lines;
  AnsiString Names;
};
// Adds the barcodes of each chosen goods (TypeId of every choice) to Goods.
void AddExportGoods(TExportGoods& Goods, const std::vector<AnsiString>& TypeIds, const std::vector<AnsiString>& Names,
                    const AnsiString& DefaultBarCode);

// Writes the export file FileName (an existing one is replaced). Raises EFCreateError or
// EWriteError when it cannot be written.
void SaveTerminalFile(const AnsiString& FileName, const AnsiString& WarehouseCode,
                      const AnsiString& WarehouseName, const std::vector<pdterminal::TGoodsLine>& Goods);

// The file dialog of the terminal dialog: FileName holds the proposed name (or pattern)
// and receives the chosen one; false when cancelled.
class IPdFileChooser {
 public:
  virtual ~IPdFileChooser() = default;
  virtual bool Choose(AnsiString& FileName, bool ForSave) = 0;
};

constexpr const char* kAllGoods = "全部";

// The terminal import/export dialog without its window.
class TPdTerminalDialog {
 public:
  TPdTerminalDialog(pdbill::IPdChooser& Chooser, IPdFileChooser& Files, pdbill::IPdMessages& Messages)
      : FChooser(Chooser), FFiles(Files), FMessages(Messages) {}

  AnsiString Folder;           // where files are proposed (ends with a delimiter)
  AnsiString BranchId;         // the terminal's branch
  AnsiString BillWarehouseId;  // the bill's warehouse

  // Set-up: the store's barcode type of exports.
  void Setup() { FDefaultBarCode = DefaultBarCodeOfStore(); }

  // The export warehouse; false when cancelled (the one before stays).
  bool ChooseExportWarehouse();
  const AnsiString& ExportWarehouseName() const { return FWarehouseName; }
  // The goods to export; a pick of nothing goes back to every goods ("全部").
  void ChooseExportGoods();
  // The goods box's text: "全部", or the names picked.
  const AnsiString& GoodsText() const { return FGoodsText; }
  // Writes the export file (the file dialog proposes its name); false when nothing was
  // written. Every outcome is told.
  bool Export(TDateTime Today);

  // Reads a terminal file the user chooses; true when its counts are in Counts(). The
  // log starts afresh once a file is chosen and grows as the import runs.
  bool Import();
  const std::vector<pdterminal::TCountLine>& Counts() const { return FCounts; }
  // The import's progress lines, as the log shows them.
  const std::vector<AnsiString>& Log() const { return FLog; }
  // Told each time the log changed (cleared or a line added), before the import goes on.
  std::function<void()> OnLogChanged;

 private:
  pdbill::IPdChooser& FChooser;
  IPdFileChooser& FFiles;
  pdbill::IPdMessages& FMessages;
  AnsiString FDefaultBarCode = "1";
  AnsiString FWarehouseId, FWarehouseName, FWarehouseCode;
  bool FPicked = false;
  TExportGoods FPickedGoods;
  AnsiString FGoodsText = kAllGoods;
  std::vector<pdterminal::TCountLine> FCounts;
  std::vector<AnsiString> FLog;
  void Log(const char* Line);
};

}  // namespace pdimport
