// TStrings and TStringList: lines with objects, names/values, text forms, sorting.
#include "rtl/StringList.h"

#include <algorithm>
#include <numeric>
#include "rtl/ComponentStreaming.h"
#include "rtl/Streams.h"

// --- TStrings ------------------------------------------------------------------------------

void TStrings::CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
}

int TStrings::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  return FCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

void TStrings::SetStrings(int index, const AnsiString& s) {
  TObject* obj = Objects(index);
  TUpdateScope update(this);
  Delete(index);
  InsertObject(index, s, obj);
}

TObject* TStrings::Objects(int index) const {
  CheckIndex(index, Count());
  return nullptr;
}

void TStrings::SetObjects(int index, TObject* obj) { CheckIndex(index, Count()); }

void TStrings::InsertObject(int index, const AnsiString& s, TObject* obj) {
  Insert(index, s);
  SetObjects(index, obj);
}

int TStrings::Add(const AnsiString& s) {
  int i = Count();
  Insert(i, s);
  return i;
}

int TStrings::AddObject(const AnsiString& s, TObject* obj) {
  int i = Add(s);
  SetObjects(i, obj);
  return i;
}

void TStrings::AddStrings(const TStrings& other) {
  // Read the source first: adding a list to itself adds each line once.
  std::vector<std::pair<AnsiString, TObject*>> lines;
  for (int i = 0; i < other.Count(); ++i) lines.emplace_back(other.Strings(i), other.Objects(i));
  TUpdateScope update(this);
  for (auto& l : lines) AddObject(l.first, l.second);
}

void TStrings::AddStrings(std::initializer_list<AnsiString> lines) {
  TUpdateScope update(this);
  for (const AnsiString& s : lines) Add(s);
}

void TStrings::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TStrings*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  TUpdateScope update(this);
  Clear();
  FNameValueSeparator = src->FNameValueSeparator;
  FDelimiter = src->FDelimiter;
  FQuoteChar = src->FQuoteChar;
  FStrictDelimiter = src->FStrictDelimiter;
  AddStrings(*src);
}

void TStrings::Exchange(int index1, int index2) {
  int n = Count();
  CheckIndex(index1, n);
  CheckIndex(index2, n);
  if (index1 == index2) return;
  TUpdateScope update(this);
  AnsiString s1 = Strings(index1), s2 = Strings(index2);
  TObject *o1 = Objects(index1), *o2 = Objects(index2);
  SetStrings(index1, s2);
  SetObjects(index1, o2);
  SetStrings(index2, s1);
  SetObjects(index2, o1);
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  int n = Count();
  CheckIndex(curIndex, n);
  CheckIndex(newIndex, n);
  TUpdateScope update(this);
  AnsiString s = Strings(curIndex);
  TObject* o = Objects(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, o);
}

int TStrings::IndexOf(const AnsiString& s) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareStrings(Strings(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const AnsiString& name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    AnsiString line = Strings(i);
    size_t p = line.find(FNameValueSeparator);
    if (p != AnsiString::npos && CompareStrings(line.substr(0, p), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (Objects(i) == obj) return i;
  return -1;
}

bool TStrings::Equals(const TStrings& other) const {
  int n = Count();
  if (n != other.Count()) return false;
  for (int i = 0; i < n; ++i)
    if (Strings(i) != other.Strings(i)) return false;
  return true;
}

AnsiString TStrings::Names(int index) const {
  AnsiString line = Strings(index);
  size_t p = line.find(FNameValueSeparator);
  return p == AnsiString::npos ? AnsiString() : line.substr(0, p);
}

AnsiString TStrings::ValueFromIndex(int index) const {
  AnsiString line = Strings(index);
  size_t p = line.find(FNameValueSeparator);
  return p == AnsiString::npos ? AnsiString() : line.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const AnsiString& value) {
  if (value.empty()) {
    Delete(index);
    return;
  }
  AnsiString name = Names(index);
  SetStrings(index, name + FNameValueSeparator + value);
}

AnsiString TStrings::Values(const AnsiString& name) const {
  int i = IndexOfName(name);
  return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  AnsiString line = name + FNameValueSeparator + value;
  if (i < 0)
    Add(line);
  else
    SetStrings(i, line);
}

AnsiString TStrings::Text() const {
  AnsiString out;
  for (int i = 0, n = Count(); i < n; ++i) {
    out += Strings(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(std::string_view text) {
  std::vector<AnsiString> lines;
  size_t i = 0, n = text.size();
  while (i < n) {
    size_t start = i;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text.substr(start, i - start));
    if (i < n && text[i] == '\r') {
      ++i;
      if (i < n && text[i] == '\n') ++i;
    } else if (i < n) {
      ++i;  // a lone LF
    }
  }
  TUpdateScope update(this);
  Clear();
  for (const AnsiString& s : lines) Add(s);
}

// Scanning steps over whole GBK characters, so a trail byte that equals the delimiter or
// the quote (possible for delimiters in 0x40..0x7E) never counts as one.
static bool NeedsQuotes(std::string_view s, char delimiter, char quote, bool strict) {
  for (size_t i = 0; i < s.size(); i += static_cast<size_t>(CharLength(s, i))) {
    char ch = s[i];
    unsigned char c = static_cast<unsigned char>(ch);
    if (ch == quote || ch == delimiter || (!strict && c <= ' ')) return true;
  }
  return false;
}

static AnsiString QuotedItem(std::string_view s, char quote) {
  AnsiString out(1, quote);
  for (size_t i = 0; i < s.size();) {
    size_t len = static_cast<size_t>(CharLength(s, i));
    out.append(s.substr(i, len));
    if (len == 1 && s[i] == quote) out += quote;
    i += len;
  }
  out += quote;
  return out;
}

static AnsiString JoinDelimited(const TStrings& list, char delimiter, char quote, bool strict) {
  int n = list.Count();
  // A list of one empty line must not read back as an empty list.
  if (n == 1 && list.Strings(0).empty()) return AnsiString(2, quote);
  AnsiString out;
  for (int i = 0; i < n; ++i) {
    AnsiString s = list.Strings(i);
    if (i) out += delimiter;
    out += NeedsQuotes(s, delimiter, quote, strict) ? QuotedItem(s, quote) : s;
  }
  return out;
}

AnsiString TStrings::DelimitedText() const { return JoinDelimited(*this, FDelimiter, FQuoteChar, FStrictDelimiter); }

AnsiString TStrings::CommaText() const { return JoinDelimited(*this, ',', '"', false); }

static std::vector<AnsiString> SplitDelimited(std::string_view text, char delimiter, char quote, bool strict) {
  std::vector<AnsiString> items;
  auto isBlank = [&](size_t i) { return !strict && static_cast<unsigned char>(text[i]) <= ' '; };
  auto next = [&](size_t i) { return i + static_cast<size_t>(CharLength(text, i)); };
  size_t i = 0, n = text.size();
  while (i < n && isBlank(i)) ++i;
  while (i < n) {
    AnsiString item;
    if (text[i] == quote) {
      // A quoted item: to the closing quote, a doubled quote standing for one; an
      // unclosed quote takes the rest of the text.
      ++i;
      while (i < n) {
        if (text[i] == quote) {
          if (i + 1 < n && text[i + 1] == quote) {
            item += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        size_t j = next(i);
        item.append(text.substr(i, j - i));
        i = j;
      }
    } else {
      size_t start = i;
      while (i < n && text[i] != delimiter && !isBlank(i)) i = next(i);
      item.assign(text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    while (i < n && isBlank(i)) ++i;
    if (i < n && text[i] == delimiter) {
      if (i + 1 == n) items.emplace_back();  // a delimiter at the very end: one empty item more
      ++i;
      while (i < n && isBlank(i)) ++i;
    }
  }
  return items;
}

void TStrings::SetDelimitedText(std::string_view text) {
  std::vector<AnsiString> items = SplitDelimited(text, FDelimiter, FQuoteChar, FStrictDelimiter);
  TUpdateScope update(this);
  Clear();
  for (const AnsiString& s : items) Add(s);
}

void TStrings::SetCommaText(std::string_view text) {
  char d = FDelimiter, q = FQuoteChar;
  bool strict = FStrictDelimiter;
  FDelimiter = ',';
  FQuoteChar = '"';
  FStrictDelimiter = false;
  try {
    SetDelimitedText(text);
  } catch (...) {
    FDelimiter = d;
    FQuoteChar = q;
    FStrictDelimiter = strict;
    throw;
  }
  FDelimiter = d;
  FQuoteChar = q;
  FStrictDelimiter = strict;
}

void TStrings::LoadFromStream(TStream& stream) {
  AnsiString text = stream.ReadBytes(stream.BytesLeft());
  SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const { stream.WriteBytes(Text()); }

void TStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TStrings::SaveToFile(const AnsiString& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(f);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);  // announces OnChanging while still outside
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount <= 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

std::vector<AnsiString> TStrings::ToVector() const {
  std::vector<AnsiString> v;
  for (int i = 0, n = Count(); i < n; ++i) v.push_back(Strings(i));
  return v;
}

// --- TStringList ---------------------------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (Item& it : FItems) delete it.Obj;
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

void TStringList::CheckNotSorted() const {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
}

AnsiString TStringList::Strings(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<size_t>(index)].S;
}

void TStringList::SetStrings(int index, const AnsiString& s) {
  CheckNotSorted();
  CheckIndex(index, Count());
  Changing();
  FItems[static_cast<size_t>(index)].S = s;
  Changed();
}

TObject* TStringList::Objects(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<size_t>(index)].Obj;
}

void TStringList::SetObjects(int index, TObject* obj) {
  CheckIndex(index, Count());
  Item& it = FItems[static_cast<size_t>(index)];
  if (it.Obj == obj) return;
  Changing();
  TObject* old = it.Obj;
  it.Obj = obj;
  if (FOwnsObjects) delete old;
  Changed();
}

void TStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const AnsiString& s, TObject* obj) {
  CheckNotSorted();
  if (index < 0 || index > Count()) throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
  InsertItem(index, s, obj);
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* obj) {
  Changing();
  FItems.insert(FItems.begin() + index, Item{s, obj});
  Changed();
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, TObject* obj) {
  int index;
  if (!FSorted) {
    index = Count();
  } else if (Find(s, index)) {
    switch (FDuplicates) {
      case dupIgnore: return index;
      case dupError: throw EStringListError("String list does not allow duplicates");
      case dupAccept:
        // After the equal lines, so equal lines keep the order they came in.
        while (index < Count() && CompareStrings(FItems[static_cast<size_t>(index)].S, s) == 0) ++index;
        break;
    }
  }
  InsertItem(index, s, obj);
  return index;
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count());
  Changing();
  TObject* obj = FItems[static_cast<size_t>(index)].Obj;
  FItems.erase(FItems.begin() + index);
  if (FOwnsObjects) delete obj;
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  std::vector<Item> old;
  old.swap(FItems);
  if (FOwnsObjects)
    for (Item& it : old) delete it.Obj;
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckNotSorted();
  CheckIndex(index1, Count());
  CheckIndex(index2, Count());
  if (index1 == index2) return;
  Changing();
  std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  CheckNotSorted();
  CheckIndex(curIndex, Count());
  CheckIndex(newIndex, Count());
  if (curIndex == newIndex) return;
  Changing();
  Item it = std::move(FItems[static_cast<size_t>(curIndex)]);
  FItems.erase(FItems.begin() + curIndex);
  FItems.insert(FItems.begin() + newIndex, std::move(it));
  Changed();
}

int TStringList::IndexOf(const AnsiString& s) const {
  if (!FSorted) return TStrings::IndexOf(s);
  int i;
  return Find(s, i) ? i : -1;
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int c = CompareStrings(FItems[static_cast<size_t>(mid)].S, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;  // keep going left: the first equal line
    }
  }
  index = lo;
  return found;
}

void TStringList::SortItems(const std::function<int(const Item&, const Item&)>& less) {
  if (FItems.size() < 2) return;
  Changing();
  std::stable_sort(FItems.begin(), FItems.end(), [&](const Item& a, const Item& b) { return less(a, b) < 0; });
  Changed();
}

void TStringList::Sort() {
  SortItems([this](const Item& a, const Item& b) { return CompareStrings(a.S, b.S); });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (FSorted || FItems.size() < 2) return;
  // The comparer sees the list as it was: sort a permutation, then apply it.
  std::vector<int> order(FItems.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(FItems.size());
  for (int i : order) sorted.push_back(FItems[static_cast<size_t>(i)]);
  Changing();
  FItems.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool v) {
  if (v == FSorted) return;
  if (v) Sort();
  FSorted = v;
}

void TStringList::SetCaseSensitive(bool v) {
  if (v == CaseSensitive()) return;
  TStrings::SetCaseSensitive(v);
  if (FSorted) Sort();
}

void TStrings::DefineProperties(TFiler& Filer) {
  TPersistent::DefineProperties(Filer);
  Filer.DefineProperty(
      "Strings",
      [this](TReader& reader) {
        // Read whole before the lines change: a damaged list leaves them as they were.
        std::vector<AnsiString> lines;
        reader.ReadListBegin();
        while (!reader.EndOfList()) lines.push_back(reader.ReadString());
        reader.ReadListEnd();
        TUpdateScope update(this);
        Clear();
        for (const AnsiString& line : lines) Add(line);
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        for (int i = 0; i < Count(); ++i) writer.WriteString(Strings(i));
        writer.WriteListEnd();
      },
      Count() > 0);
}
