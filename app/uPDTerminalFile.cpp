// The stock-taking terminal's text file: reading, writing and the export file's name.
#include "app/uPDTerminalFile.h"

#include <algorithm>

namespace pdterminal {
namespace {

constexpr char kSeparator = '~';

// The lines of Bytes: CR LF, LF and CR each end one; an end at the very end of the
// text opens no further line.
std::vector<AnsiString> SplitLines(std::string_view bytes) {
  std::vector<AnsiString> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(bytes.substr(start, i - start));
      i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

// Field with separators and line ends written as blanks, character by character.
AnsiString FieldText(std::string_view field) {
  AnsiString out(field);
  for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    if (out[i] == kSeparator || out[i] == '\r' || out[i] == '\n') out[i] = ' ';
  }
  return out;
}

bool IsFileNameBreaker(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' ||
         c == '"' || c == '<' || c == '>' || c == '|';
}

}  // namespace

AnsiString LineFormatMessage(int lineNumber) {
  return "盘点机文件第" + IntToStr(lineNumber) + "行格式错误，不能导入！";
}

std::vector<size_t> SeparatorOffsets(std::string_view line) {
  std::vector<size_t> offsets;
  for (size_t i = 0; i < line.size(); i += CharLength(line, i)) {
    if (line[i] == kSeparator) offsets.push_back(i);
  }
  return offsets;
}

bool HasEmptySeparatorPair(std::string_view line) {
  const std::vector<size_t> offsets = SeparatorOffsets(line);
  for (size_t k = 1; k < offsets.size(); ++k) {
    if (offsets[k] == offsets[k - 1] + 1) return true;
  }
  return false;
}

TTerminalFile ParseTerminalFile(std::string_view Bytes) {
  std::vector<AnsiString> lines = SplitLines(Bytes);
  if (lines.empty()) throw ETerminalFileError(kNotTerminalFile);
  const AnsiString& header = lines.front();
  const std::vector<size_t> separators = SeparatorOffsets(header);
  if (separators.empty()) throw ETerminalFileError(kNotTerminalFile);
  TTerminalFile file;
  file.WarehouseCode = header.substr(0, separators.front());
  file.WarehouseName = header.substr(separators.back() + 1);
  file.DataLines.assign(std::make_move_iterator(lines.begin() + 1), std::make_move_iterator(lines.end()));
  return file;
}

std::vector<TCountLine> CountLinesOf(const TTerminalFile& File) {
  if (File.DataLines.empty()) throw ETerminalFileError(kNoCountLines);
  std::vector<TCountLine> counts;
  counts.reserve(File.DataLines.size());
  int number = 0;
  for (const AnsiString& line : File.DataLines) {
    ++number;
    // One walk over the characters: the first and last separator, their count, and
    // whether two stand side by side.
    size_t first = 0, last = 0;
    int separators = 0;
    bool pair = false;
    for (size_t i = 0; i < line.size(); i += CharLength(line, i)) {
      if (line[i] != kSeparator) continue;
      if (separators == 0) first = i;
      else if (last + 1 == i) pair = true;
      last = i;
      ++separators;
    }
    if (separators != 3 || pair) throw ETerminalFileError(LineFormatMessage(number));
    TCountLine count;
    count.Barcode = line.substr(0, first);
    count.Quantity = line.substr(last + 1);
    if (count.Quantity.empty()) count.Quantity = "0";
    counts.push_back(std::move(count));
  }
  return counts;
}

std::vector<TCountLine> SortedByBarcode(std::vector<TCountLine> Lines) {
  std::stable_sort(Lines.begin(), Lines.end(), [](const TCountLine& a, const TCountLine& b) {
    return CompareStr(a.Barcode, b.Barcode) < 0;
  });
  return Lines;
}

AnsiString WriteTerminalFile(const AnsiString& WarehouseCode, const AnsiString& WarehouseName,
                             const std::vector<TGoodsLine>& Goods) {
  AnsiString out = FieldText(WarehouseCode) + "~" + FieldText(WarehouseName) + "\r\n";
  for (const TGoodsLine& g : Goods) {
    out += FieldText(g.Barcode) + "~" + FieldText(g.Code) + "~" + FieldText(g.Name) + "~\r\n";
  }
  return out;
}

AnsiString FileNameSafe(std::string_view Name) {
  AnsiString out(Name);
  for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    if (IsFileNameBreaker(static_cast<unsigned char>(out[i]))) out[i] = '_';
  }
  return out;
}

AnsiString ProposedExportFileName(const AnsiString& Folder, TDateTime Today, const AnsiString& WarehouseName) {
  // Mended: the warehouse name goes into the name part only; a "\" or ":" in it no
  // longer leads the file into another folder or makes the name unusable.
  return Folder + "导出基本信息库存商品(" + FormatDateTime("yyyy-mm-dd", Today) + ")" +
         FileNameSafe(WarehouseName) + ".txt";
}

AnsiString WithTxtExtension(const AnsiString& Name) {
  if (Name.size() >= 4 && Name.compare(Name.size() - 4, 4, ".txt") == 0) return Name;
  return Name + ".txt";
}

}  // namespace pdterminal
