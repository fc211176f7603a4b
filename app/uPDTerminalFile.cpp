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


// A control character (00-1F, 7F). Checked byte by byte: a GBK trail byte is never
// one (trail bytes are 40-FE without 7F), so a control byte is never part of a
// character and a lead byte cannot hide one.
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool HasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

// Field with separators and control characters (line ends among them) written as
// blanks, character by character, so that an exported file always reads back.
AnsiString FieldText(std::string_view field) {
  AnsiString out(field);
  for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    if (out[i] == kSeparator || IsControl(static_cast<unsigned char>(out[i]))) out[i] = ' ';
  }
  return out;
}

// The byte-order mark that editors put before UTF-8 text.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsFileNameBreaker(unsigned char c) {
  return IsControl(c) || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' ||
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
  // Mended: a file saved as UTF-8 (it begins with the byte-order mark) is not the
  // terminal's GBK text; its mark used to end up in the warehouse code.
  if (Bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) throw ETerminalFileError(kNotTerminalFile);
  std::vector<AnsiString> lines = SplitLines(Bytes);
  if (lines.empty()) throw ETerminalFileError(kNotTerminalFile);
  const AnsiString& header = lines.front();
  const std::vector<size_t> separators = SeparatorOffsets(header);
  // Mended: a control character (a NUL above all) in the header used to travel on into
  // the warehouse look-up's SQL text.
  if (separators.empty() || HasControl(header)) throw ETerminalFileError(kNotTerminalFile);
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
    // Mended: barcodes go into the look-up's SQL text; one holding a control character
    // is a line of the wrong format.
    if (HasControl(count.Barcode)) throw ETerminalFileError(LineFormatMessage(number));
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
