// String lists: TStrings (the abstract list of lines with objects, names and values,
// text forms and file forms) and TStringList (the list kept in memory, optionally sorted).
//
// Lines are AnsiStrings (GBK bytes, never converted). Each line carries a TObject*
// that the list does not own, unless TStringList::OwnsObjects is set, in which case
// the list deletes an object when its line is deleted, the list is cleared or freed.
// Indexes are 0-based; an index outside 0..Count-1 raises EStringListError
// "List index out of bounds (<index>)".
//
// Text forms:
//   Text      get: every line followed by CR LF. set: the text is split at CR LF, a lone
//             CR or a lone LF; a final line break does not make an empty last line.
//   CommaText / DelimitedText: lines joined by Delimiter (',' for CommaText); a line that
//             is empty or holds the quote, the delimiter, a control/space character
//             (space only without StrictDelimiter) is written quoted with QuoteChar, the
//             quote doubled inside. Reading: a quoted item runs to its closing quote
//             (doubled quotes give one); without StrictDelimiter, spaces and control
//             characters between items separate items as the delimiter does, and a
//             delimiter right after an item's end counts once.
// Names and values: a line "Name=Value" (NameValueSeparator, '=' by default). Name
// lookups fold ASCII case unless CaseSensitive.
#pragma once
#include <functional>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
 public:
  TStrings() = default;
  ~TStrings() override = default;

  // --- the abstract store --------------------------------------------------------------
  virtual int Count() const = 0;
  virtual AnsiString Strings(int index) const = 0;           // EStringListError out of range
  virtual void SetStrings(int index, const AnsiString& s);   // default: delete, insert, keep object
  virtual TObject* Objects(int index) const;                 // default nullptr
  virtual void SetObjects(int index, TObject* obj);          // default ignores
  virtual void Insert(int index, const AnsiString& s) = 0;   // index 0..Count
  virtual void InsertObject(int index, const AnsiString& s, TObject* obj);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  // --- adding ---------------------------------------------------------------------------
  // Return the index of the new line (or of the existing one, for a sorted list that
  // ignores duplicates).
  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, TObject* obj);
  void Append(const AnsiString& s) { Add(s); }
  virtual void AddStrings(const TStrings& other);  // lines and objects, in one update
  void AddStrings(std::initializer_list<AnsiString> lines);

  // Copies lines and objects from a TStrings; other sources raise as TPersistent does.
  void Assign(TPersistent* Source) override;

  // --- moving ---------------------------------------------------------------------------
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);

  // --- searching ------------------------------------------------------------------------
  // First line equal to s (ASCII case folded unless CaseSensitive), else -1.
  virtual int IndexOf(const AnsiString& s) const;
  int IndexOfName(const AnsiString& name) const;
  int IndexOfObject(const TObject* obj) const;
  bool Equals(const TStrings& other) const;  // same lines in the same order (byte-wise)

  // --- names and values -----------------------------------------------------------------
  AnsiString Names(int index) const;           // "" for a line without separator
  AnsiString ValueFromIndex(int index) const;  // text after the first separator, "" without
  void SetValueFromIndex(int index, const AnsiString& value);
  AnsiString Values(const AnsiString& name) const;  // "" when absent
  // Sets the value of the line named name, adding "name=value" when absent; an empty
  // value deletes the line.
  void SetValues(const AnsiString& name, const AnsiString& value);
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char c) { FNameValueSeparator = c; }

  // --- text forms -------------------------------------------------------------------------
  virtual AnsiString Text() const;
  virtual void SetText(std::string_view text);
  AnsiString CommaText() const;
  void SetCommaText(std::string_view text);
  AnsiString DelimitedText() const;
  void SetDelimitedText(std::string_view text);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char c) { FDelimiter = c; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char c) { FQuoteChar = c; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool v) { FStrictDelimiter = v; }
  bool CaseSensitive() const { return FCaseSensitive; }
  virtual void SetCaseSensitive(bool v) { FCaseSensitive = v; }

  // --- files and streams (bytes as they are: GBK) ----------------------------------------
  // Load replaces the lines with the stream's/file's text (from the current position to
  // the end) as SetText splits it; Save writes Text(). Files: EFOpenError/EFCreateError.
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream) const;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;

  // --- updates ---------------------------------------------------------------------------
  // Nesting; the list announces changes (OnChanging/OnChange of TStringList) only when no
  // update is open, and once more at the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  std::vector<AnsiString> ToVector() const;

  // Component streaming: the lines as the defined property "Strings", a list of strings,
  // written when there is a line; reading replaces the lines (objects are not streamed).
  void DefineProperties(TFiler& Filer) override;

 protected:
  // Called with true at the first BeginUpdate and false at the last EndUpdate.
  virtual void SetUpdateState(bool updating) {}
  int CompareStrings(const AnsiString& a, const AnsiString& b) const;  // honours CaseSensitive
  static void CheckIndex(int index, int count);  // raises the index error

 private:
  int FUpdateCount = 0;
  char FNameValueSeparator = '=';
  char FDelimiter = ',';
  char FQuoteChar = '"';
  bool FStrictDelimiter = false;
  bool FCaseSensitive = false;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;

class TStringList : public TStrings {
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}
  ~TStringList() override;

  int Count() const override { return static_cast<int>(FItems.size()); }
  AnsiString Strings(int index) const override;
  // On a sorted list SetStrings raises EStringListError "Operation not allowed on sorted list".
  void SetStrings(int index, const AnsiString& s) override;
  TObject* Objects(int index) const override;
  void SetObjects(int index, TObject* obj) override;  // an owned old object is deleted
  // On a sorted list Insert raises EStringListError "Operation not allowed on sorted list".
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* obj) override;
  void Delete(int index) override;
  void Clear() override;
  // Sorted: the line goes to its place; a duplicate is ignored (returns the existing
  // index), accepted, or raises EStringListError "String list does not allow duplicates"
  // as Duplicates says (duplicates are checked only on sorted lists, as on the platform).
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* obj) override;
  // On a sorted list raise EStringListError "Operation not allowed on sorted list".
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  int IndexOf(const AnsiString& s) const override;  // binary search when sorted

  // Binary search of a sorted list: true and the index of the first equal line, or false
  // and the index where s would go. On an unsorted list the result is unspecified.
  virtual bool Find(const AnsiString& s, int& index) const;
  virtual void Sort();  // stable; does nothing on an empty list
  virtual void CustomSort(const TStringListSortCompare& compare);  // stable

  bool Sorted() const { return FSorted; }
  void SetSorted(bool v);  // turning it on sorts
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates d) { FDuplicates = d; }
  void SetCaseSensitive(bool v) override;  // re-sorts a sorted list
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool v) { FOwnsObjects = v; }

  TNotifyEvent OnChange;    // after a change (outside updates; once at the outermost EndUpdate)
  TNotifyEvent OnChanging;  // before a change (outside updates)

 protected:
  // Every insertion ends here: puts s/obj at index with the change notices around it.
  virtual void InsertItem(int index, const AnsiString& s, TObject* obj);
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool updating) override;

 private:
  struct Item {
    AnsiString S;
    TObject* Obj = nullptr;
  };
  void SortItems(const std::function<int(const Item&, const Item&)>& less);
  void CheckNotSorted() const;

  std::vector<Item> FItems;
  bool FSorted = false;
  bool FOwnsObjects = false;
  TDuplicates FDuplicates = dupIgnore;
};
