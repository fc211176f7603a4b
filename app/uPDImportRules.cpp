// The terminal dialog's import checks and export lists.
#include "app/uPDImportRules.h"

#include "app/SqlLiteral.h"
#include "app/uDataModule.h"
#include "db/ClientDataSet.h"
#include "rtl/FileUtils.h"
#include "rtl/Streams.h"

namespace pdimport {
namespace {

using pdterminal::TGoodsLine;

AnsiString ReadWholeFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  const int64_t size = f.Size();
  AnsiString bytes(static_cast<size_t>(size), '\0');
  if (size > 0) f.ReadBuffer(bytes.data(), size);
  return bytes;
}

TImportResult Refused(AnsiString message) {
  TImportResult r;
  r.Message = std::move(message);
  return r;
}

std::vector<TGoodsLine> GoodsLinesOf(const WideString& sql) {
  std::vector<TGoodsLine> goods;
  TClientDataSet ds(nullptr);
  OpenSQLData(sql, &ds);
  for (ds.First(); !ds.Eof(); ds.Next()) {
    goods.push_back({ds.FieldByName("FullBarCode")->AsString(), ds.FieldByName("UserCode")->AsString(),
                     ds.FieldByName("FullName")->AsString()});
  }
  return goods;
}

}  // namespace

WideString WarehouseOfCodeSql(const AnsiString& WarehouseCode) {
  return GbkToWide("Select BranchId,KtypeId From PosStockView where UserCode = " + SqlQuoted(WarehouseCode));
}

WideString AllGoodsSql(const AnsiString& DefaultBarCode) {
  return GbkToWide(
      "select distinct a.FullBarCode,b.fullname,b.usercode from PosBarcodeView a Left Join PosPtypeView b on "
      "a.PtypeId = b.PtypeId where BarTypeId = " +
      SqlQuoted(DefaultBarCode) + " and FullBarCode <> ''");
}

WideString GoodsBarcodesSql(const AnsiString& TypeId, const AnsiString& DefaultBarCode) {
  const AnsiString condition = TypeId.empty() ? AnsiString("like '%%'") : "= " + SqlQuoted(TypeId);
  return GbkToWide(
      "select a.FullBarCode,b.FullName,b.UserCode from posbarcodeview a Left Join PosPtypeView b on a.PtypeId = "
      "b.PtypeId where a.Ptypeid " +
      condition + " and BarTypeId = " + SqlQuoted(DefaultBarCode) + " and FullBarCode <> ''");
}

TImportResult ImportTerminalFile(const AnsiString& FileName, const AnsiString& BranchId,
                                 const AnsiString& BillWarehouseId) {
  // Mended: whether the file is there is asked before it is read, and a file that
  // cannot be read is a message, not an error box.
  if (!FileExists(FileName)) return Refused("\"" + FileName + "\"文件不存在");
  AnsiString bytes;
  try {
    bytes = ReadWholeFile(FileName);
  } catch (const Exception& e) {
    return Refused("盘点机文件读取失败：" + e.Message());
  }
  pdterminal::TTerminalFile file;
  try {
    file = pdterminal::ParseTerminalFile(bytes);
  } catch (const pdterminal::ETerminalFileError& e) {
    return Refused(e.Message());
  }
  {
    TClientDataSet ds(nullptr);
    // Mended: a look-up that fails (the connection, the server) is a message of the
    // dialog's own; the server's raw text used to reach the user as an error box.
    bool known = false;
    try {
      known = OpenSQLData(WarehouseOfCodeSql(file.WarehouseCode), &ds);
    } catch (const std::exception&) {
      return Refused(kLookupFailed);
    }
    // Mended: a warehouse code the store does not know is refused (it no longer passes
    // as "no branch"), and so is a file counted in another warehouse than the bill's.
    if (!known) return Refused(kUnknownWarehouse);
    if (ds.FieldByName("BranchId")->AsString() != BranchId) return Refused(kOtherBranch);
    if (BillWarehouseId.empty()) return Refused(kNoBillWarehouse);
    if (ds.FieldByName("KtypeId")->AsString() != BillWarehouseId) return Refused(kOtherWarehouse);
  }
  TImportResult r;
  try {
    r.Counts = pdterminal::SortedByBarcode(pdterminal::CountLinesOf(file));
  } catch (const pdterminal::ETerminalFileError& e) {
    return Refused(e.Message());
  }
  r.Ok = true;
  return r;
}

AnsiString DefaultBarCodeOfStore() {
  TClientDataSet ds(nullptr);
  OpenSQLData(u"select Sysvalue from Sysdata where SysName = 'DefaultBarCode'", &ds);
  const AnsiString v = ds.IsEmpty() ? AnsiString() : ds.FieldByName("Sysvalue")->AsString();
  return v.empty() ? AnsiString("1") : v;
}

std::vector<TGoodsLine> AllGoodsWithBarcodes(const AnsiString& DefaultBarCode) {
  return GoodsLinesOf(AllGoodsSql(DefaultBarCode));
}

std::vector<TGoodsLine> BarcodesOfGoods(const AnsiString& TypeId, const AnsiString& DefaultBarCode) {
  return GoodsLinesOf(GoodsBarcodesSql(TypeId, DefaultBarCode));
}

void AddExportGoods(TExportGoods& Goods, const std::vector<AnsiString>& TypeIds, const std::vector<AnsiString>& Names,
                    const AnsiString& DefaultBarCode) {
  for (size_t i = 0; i < TypeIds.size(); ++i) {
    if (i < Names.size() && Goods.Names.size() < 240) Goods.Names += Names[i] + ",";
    for (pdterminal::TGoodsLine& line : BarcodesOfGoods(TypeIds[i], DefaultBarCode)) Goods.Lines.push_back(std::move(line));
  }
}

void SaveTerminalFile(const AnsiString& FileName, const AnsiString& WarehouseCode, const AnsiString& WarehouseName,
                      const std::vector<TGoodsLine>& Goods) {
  const AnsiString bytes = pdterminal::WriteTerminalFile(WarehouseCode, WarehouseName, Goods);
  if (FileExists(FileName)) DeleteFile(FileName);
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

bool TPdTerminalDialog::ChooseExportWarehouse() {
  const std::vector<pdbill::TPdChoice> chosen = FChooser.Choose(pdbill::TPdChoiceKind::ExportWarehouse, "");
  if (chosen.empty()) return false;
  FWarehouseId = chosen.front().TypeId;
  FWarehouseName = chosen.front().FullName;
  FWarehouseCode = chosen.front().UserCode;
  return true;
}

void TPdTerminalDialog::ChooseExportGoods() {
  const std::vector<pdbill::TPdChoice> chosen = FChooser.Choose(pdbill::TPdChoiceKind::ExportGoods, "");
  FPickedGoods = TExportGoods();
  // Mended: picking nothing goes back to exporting every goods, instead of leaving an
  // empty pick that can never be undone.
  FPicked = !chosen.empty();
  if (!FPicked) {
    FGoodsText = kAllGoods;
    return;
  }
  std::vector<AnsiString> ids, names;
  for (const pdbill::TPdChoice& c : chosen) {
    ids.push_back(c.TypeId);
    names.push_back(c.FullName);
  }
  AddExportGoods(FPickedGoods, ids, names, FDefaultBarCode);
  FGoodsText = FPickedGoods.Names;
}

bool TPdTerminalDialog::Export(TDateTime Today) {
  using pdbill::kCaptionHint;
  using pdbill::pmInformation;
  if (FWarehouseId.empty() || FWarehouseName.empty()) {
    FMessages.Show(kNoExportWarehouse, kCaptionHint, pmInformation);
    return false;
  }
  std::vector<pdterminal::TGoodsLine> goods;
  if (FPicked) {
    if (FPickedGoods.Lines.empty()) {
      FMessages.Show(FGoodsText.empty() ? kNothingPicked : kPickedWithoutBarcodes, kCaptionHint, pmInformation);
      return false;
    }
    goods = FPickedGoods.Lines;
  } else {
    goods = AllGoodsWithBarcodes(FDefaultBarCode);
    if (goods.empty()) {
      FMessages.Show(kStoreWithoutBarcodes, kCaptionHint, pmInformation);
      return false;
    }
  }
  AnsiString file = pdterminal::ProposedExportFileName(Folder, Today, FWarehouseName);
  if (!FFiles.Choose(file, true)) return false;
  file = pdterminal::WithTxtExtension(file);
  try {
    SaveTerminalFile(file, FWarehouseCode, FWarehouseName, goods);
  } catch (const Exception& e) {
    FMessages.Show("盘点机文件保存失败：" + e.Message(), kCaptionHint, pmInformation);
    return false;
  }
  FMessages.Show(kExported + file, kCaptionHint, pmInformation);
  return true;
}

void TPdTerminalDialog::Log(const char* Line) {
  FLog.push_back(Line);
  if (OnLogChanged) OnLogChanged();
}

bool TPdTerminalDialog::Import() {
  AnsiString file = Folder + "*.Txt";
  if (!FFiles.Choose(file, false)) return false;
  FLog.clear();
  Log(kAnalysing);
  TImportResult r = ImportTerminalFile(file, BranchId, BillWarehouseId);
  if (!r.Ok) {
    FMessages.Show(r.Message, pdbill::kCaptionHint, pdbill::pmInformation);
    return false;
  }
  Log(kImporting);
  FCounts = std::move(r.Counts);
  Log(kImported);
  return true;
}

}  // namespace pdimport
