// TClientDataSet: a dataset whose records live in memory, made locally from FieldDefs
// (CreateDataSet), from a data packet (SetData), or fetched from a provider of the
// application server (RemoteServer + ProviderName, at Open).
//
// Opening from a provider: the packet RemoteServer->GetProviderPacket(ProviderName) is
// checked (CheckDataPacket: every row one value per column, values of the declared
// types) before anything changes; its parameters (return value first, then the output
// parameters) are unpacked into Params. Close drops the records. RecordCount is 0 while
// closed, without an error.
#pragma once
#include <optional>
#include "db/DataSet.h"
#include "db/Params.h"

class TClientDataSet : public TDataSet {
 public:
  explicit TClientDataSet(TComponent* AOwner);
  ~TClientDataSet() override;

  TCustomRemoteServer* RemoteServer() const { return FRemoteServer; }
  void SetRemoteServer(TCustomRemoteServer* value);
  const AnsiString& ProviderName() const { return FProviderName; }
  void SetProviderName(const AnsiString& value);
  TParams& Params() { return FParams; }
  const TParams& Params() const { return FParams; }

  // Makes an empty dataset of FieldDefs' columns (or of the persistent fields' when
  // FieldDefs is empty) and opens it. EDatabaseError SNoFieldDefs without either.
  void CreateDataSet();
  // The stored records with their columns (all records, the filter ignored).
  TDataPacket Data() const;
  // Takes the packet's content (checked as a provider's) and opens with it; the
  // dataset is closed first when it is open.
  void SetData(const TDataPacket& packet);
  // Removes every record; the dataset stays open.
  void EmptyDataSet() { ClearRecords(); }

 protected:
  TDataPacket InternalOpen() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TCustomRemoteServer* FRemoteServer = nullptr;
  AnsiString FProviderName;
  TParams FParams;
  std::optional<TDataPacket> FPending;  // content for the next Open (CreateDataSet, SetData)
};
