// The client dataset: local creation, data packets, provider fetch.
#include "db/ClientDataSet.h"

#include "db/PacketCheck.h"

TClientDataSet::TClientDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TClientDataSet::~TClientDataSet() {
  Destroying();
  if (FRemoteServer != nullptr) FRemoteServer->RemoveFreeNotification(this);
}

void TClientDataSet::SetRemoteServer(TCustomRemoteServer* value) {
  if (value == FRemoteServer) return;
  if (Active()) DatabaseError(SDataSetOpen, this);
  if (FRemoteServer != nullptr) FRemoteServer->RemoveFreeNotification(this);
  FRemoteServer = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TClientDataSet::SetProviderName(const AnsiString& value) {
  if (value == FProviderName) return;
  if (Active()) DatabaseError(SDataSetOpen, this);
  FProviderName = value;
}

void TClientDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TDataSet::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FRemoteServer) FRemoteServer = nullptr;
}

void TClientDataSet::CreateDataSet() {
  if (Active()) DatabaseError(SDataSetOpen, this);
  TDataPacket p;
  if (FieldDefs().Count() > 0) {
    p.Fields = FieldDefs().ToPacketFields();
  } else {
    for (TField* f : Fields()) {
      if (f->FieldKind() != fkData) continue;
      TPacketField c;
      c.Name = f->FieldName();
      c.DataType = f->DataType();
      c.Size = f->Size();
      c.Required = f->Required();
      p.Fields.push_back(c);
    }
    if (p.Fields.empty()) DatabaseError(SNoFieldDefs, this);
  }
  FPending = std::move(p);
  try {
    Open();
  } catch (...) {
    FPending.reset();
    throw;
  }
}

TDataPacket TClientDataSet::Data() const {
  if (!Active()) return TDataPacket();
  return StoredPacket();
}

void TClientDataSet::SetData(const TDataPacket& packet) {
  TDataPacket copy = packet;
  CheckDataPacket(copy);  // before closing: a bad packet leaves the dataset as it was
  Close();
  FPending = std::move(copy);
  try {
    Open();
  } catch (...) {
    FPending.reset();
    throw;
  }
}

TDataPacket TClientDataSet::InternalOpen() {
  if (FPending) {
    TDataPacket p = std::move(*FPending);
    FPending.reset();
    return p;
  }
  if (FRemoteServer == nullptr || FProviderName.empty()) DatabaseError(SNoDataProvider, this);
  TDataPacket p = FRemoteServer->GetProviderPacket(FProviderName);
  CheckDataPacket(p);
  // Parameters come with the record set; they are read into Params only once the packet
  // is known to be sound.
  TParams params;
  params.Assign(&FParams);
  UnpackParams(p.Params, params);
  FParams.Assign(&params);
  return p;
}
