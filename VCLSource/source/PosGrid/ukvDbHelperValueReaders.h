// The data controller's value readers for expressions, columns and editors:
//  - TkvDbDataControllerDisplayTextReader, made by the controller's constructor, reads
//    the values and stored display texts of one record (RecordIndex) of its controller;
//  - TkwValueField is one field of a reader's record, with the variant conversions.
//
// The controller's reader outlives nothing it reads: the controller detaches it when it
// is destroyed, and a detached reader reads Null and empty texts.
#pragma once
#include <memory>
#include "VCLSource/source/PosGrid/ukvDbGridsIntf.h"

class TkvCustomDbDataController;

class TkvDbDataControllerDisplayTextReader : public IkwDisplayTextValueReader,
                                             public std::enable_shared_from_this<TkvDbDataControllerDisplayTextReader> {
 public:
  explicit TkvDbDataControllerDisplayTextReader(TkvCustomDbDataController* controller) : FController(controller) {}
  // The controller's GetStoredDisplayText of the record.
  AnsiString GetDisplayText(TObject* field) override;
  // The controller's GetFieldValue of the record.
  Variant GetValue(TObject* field) override;
  std::shared_ptr<IkwValueField> GetValueField(TObject* field) override;
  int GetRecordIndex() override { return FRecordIndex; }
  void SetRecordIndex(int index) override { FRecordIndex = index; }
  void Detach() { FController = nullptr; }

 private:
  TkvCustomDbDataController* FController;
  int FRecordIndex = -1;
};

// Places a reader on a record for one scope and puts its previous record back.
class TkvReaderPlacement {
 public:
  TkvReaderPlacement(IkwDisplayTextValueReader& reader, int record) : FReader(reader), FSaved(reader.GetRecordIndex()) {
    reader.SetRecordIndex(record);
  }
  ~TkvReaderPlacement() { FReader.SetRecordIndex(FSaved); }
  TkvReaderPlacement(const TkvReaderPlacement&) = delete;
  TkvReaderPlacement& operator=(const TkvReaderPlacement&) = delete;

 private:
  IkwDisplayTextValueReader& FReader;
  int FSaved;
};

class TkwValueField : public IkwValueField {
 public:
  TkwValueField(std::shared_ptr<IkwValueReader> reader, TObject* field) : FReader(std::move(reader)), FField(field) {}
  bool AsBoolean() override;
  TDateTime AsDateTime() override { return Value().AsDateTime(); }
  double AsFloat() override { return Value().AsDouble(); }
  AnsiString AsString() override { return Value().AsString(); }
  int AsInteger() override { return Value().AsInteger(); }
  Variant Value() override { return FReader->GetValue(FField); }
  AnsiString DisplayText() override { return FReader->GetDisplayText(FField); }
  std::shared_ptr<IkwValueReader> ValueReader() override { return FReader; }
  TObject* Field() const { return FField; }

 private:
  std::shared_ptr<IkwValueReader> FReader;
  TObject* FField;
};
