// The data packet: a record set as it travels from the application server's providers
// to a client dataset (field definitions plus rows), and the remote-server interface
// through which a client dataset asks a connection for a provider's packet.
//
// Packets arrive from outside: whoever decodes one (net/) checks counts and lengths
// before allocating; TClientDataSet checks that every row has one value per field.
#pragma once
#include <vector>
#include "db/FieldType.h"
#include "rtl/Classes.h"
#include "rtl/Variant.h"

struct TPacketField {
  AnsiString Name;               // as the server names the column (may repeat)
  TFieldType DataType = ftUnknown;
  int Size = 0;                  // bytes for strings, 0 otherwise
  int Precision = 0;             // BCD precision, 0 otherwise
  bool Required = false;
};

struct TDataPacket {
  std::vector<TPacketField> Fields;
  std::vector<std::vector<Variant>> Rows;   // each row holds Fields.size() values
  // Parameters of the procedure behind the record set (return value first, then the
  // output parameters), packed as a parameter list is packed for remote calls; Empty
  // when the provider returns none.
  Variant Params;
};

// A connection to an application server that serves data packets by provider name
// (TSocketConnection). A client dataset with RemoteServer and ProviderName set asks it
// for the packet when it opens.
class TCustomRemoteServer : public TComponent {
 public:
  using TComponent::TComponent;
  // The record set that ProviderName has prepared. Raises the server's error otherwise.
  virtual TDataPacket GetProviderPacket(const AnsiString& ProviderName) = 0;
};
