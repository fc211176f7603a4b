// Key locate, incremental search and the value readers of the data controller.
//
// Key locate finds the first record (record order) whose key fields equal given values;
// the values are written into a temporary internal record so that they compare exactly
// as stored values do. The incremental search scans the rows' display texts of one field
// for a prefix (case folded with the locale), from the focused row with wrap-around;
// SearchNext goes on without wrapping.
#pragma once
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

// Reads the bound fields' values and texts from the dataset's current record.
class TkvValueDefDBReader : public TkvValueDefReader {
 public:
  explicit TkvValueDefDBReader(TkvCustomDbDataController* controller) : FController(controller) {}
  void GetDisplayText(TkvValueDef* def, AnsiString& text) override;
  void GetValue(TkvValueDef* def, Variant& v) override;

 protected:
  // The field item a definition belongs to; raises the assertion failure for any other.
  TkvDbField* FieldOf(TkvValueDef* def) const;
  TkvCustomDbDataController* FController;
  mutable std::vector<std::pair<TkvValueDef*, TkvDbField*>> FChecked;
};

// Bound fields from the dataset's current record; unbound ones from a source record.
class TkvValueDefRecordReader : public TkvValueDefDBReader {
 public:
  TkvValueDefRecordReader(TkvCustomDbDataController* controller, int sourceRecord)
      : TkvValueDefDBReader(controller), FSource(sourceRecord) {}
  void GetDisplayText(TkvValueDef* def, AnsiString& text) override;
  void GetValue(TkvValueDef* def, Variant& v) override;

 private:
  int FSource;
};

// Values given one by one (key locate).
class TkvValueDefUnboundReader : public TkvValueDefReader {
 public:
  void SetValue(TkvValueDef* def, const Variant& v);
  void GetValue(TkvValueDef* def, Variant& v) override;
  bool SkipValueDef(TkvValueDef* def) override;

 private:
  std::vector<TkvValueDef*> FDefs;
  std::vector<Variant> FValues;
};

// Finds a record of the controller by values written into a temporary internal record
// (KeyRecord), so that they compare exactly as stored values do.
class TkvDataControllerLocateObject {
 public:
  explicit TkvDataControllerLocateObject(TkvCustomDbDataController* controller) : FController(controller) {}
  virtual ~TkvDataControllerLocateObject() { ReleaseKeyRecord(); }
  TkvDataControllerLocateObject(const TkvDataControllerLocateObject&) = delete;
  TkvDataControllerLocateObject& operator=(const TkvDataControllerLocateObject&) = delete;
  // Gives the key record back to the storage.
  virtual void ReleaseKeyRecord();
  // The record found, -1 when none.
  virtual int Locate() = 0;
  int KeyRecord() const { return FKeyRecord; }

 protected:
  TkvCustomDbDataController* FController;
  int FKeyRecord = 0;  // 0 while none
};

// The first record (record order) whose key fields all equal the key record's values.
class TkvDataControllerKeyLocateObject : public TkvDataControllerLocateObject {
 public:
  using TkvDataControllerLocateObject::TkvDataControllerLocateObject;
  // Writes values into the key record: one key field takes values as it is, several need
  // an array with one element per field (a missing element reads Null). False (nothing
  // written) for several fields and no array.
  bool SetKeyValues(const Variant& values);
  int Locate() override;

  std::vector<TkvDbField*> Fields;
};

// The field value of a dataset field as a Variant (aggregates, Null, wide strings).
Variant DataFieldValue(const TField* field);

// Text match of the search: both sides upper-cased with the locale; with prefix the
// pattern must begin the text, else the two must be equal. An empty pattern matches
// only an empty text.
bool MatchText(std::string_view text, std::string_view pattern, bool prefix);

class TkvDataControllerSearch {
 public:
  explicit TkvDataControllerSearch(TkvCustomDbDataController* controller) : FController(controller) {}
  virtual ~TkvDataControllerSearch() = default;

  virtual void FocusRowLocked(int row);
  // The first row from startRow towards endRow (-1: the last row forward, row 0
  // backward) whose search text begins with text; -1 when none.
  virtual int ScanRows(int startRow, int endRow, bool forward, const AnsiString& text);
  virtual bool Search(int fieldIndex, const AnsiString& text);
  // Search in the direction given: forwards as Search; backwards from the focused row
  // (the last row when none) up to row 0 and then from the last row down to the one
  // below the focused row.
  bool SearchFrom(int fieldIndex, const AnsiString& text, bool forward);
  virtual bool SearchNext(bool forward);
  virtual void Lock() { FLocked = true; }
  virtual void Unlock() { FLocked = false; }
  void Clear();
  int SearchFieldIndex() const;
  bool Active() const { return FActive; }
  const AnsiString& Text() const { return FText; }
  TkvDbField* SearchField() const { return FField; }
  // A removed field ends the search.
  void FieldRemoved(TkvDbField* field);

 private:
  bool SearchAround(int fieldIndex, const AnsiString& text, bool forward);

  TkvCustomDbDataController* FController;
  bool FLocked = false;
  TkvDbField* FField = nullptr;
  bool FActive = false;
  AnsiString FText;
};
