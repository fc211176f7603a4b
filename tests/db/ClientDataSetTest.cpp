// The client dataset: provider packets (checked as untrusted), local creation, data copy.
#include "DbTestUtil.h"

using namespace dbtest;

namespace {

// A remote server answering from a table of packets by provider name.
class FakeServer : public TCustomRemoteServer {
 public:
  FakeServer() : TCustomRemoteServer(nullptr) {}
  TDataPacket GetProviderPacket(const AnsiString& provider) override {
    ++Calls;
    auto it = Packets.find(provider);
    if (it == Packets.end()) throw EDatabaseError("no provider " + provider);
    return it->second;
  }
  std::map<AnsiString, TDataPacket> Packets;
  int Calls = 0;
};

TDataPacket ProcPacket() {
  TDataPacket p;
  p.Fields = {Col("typeid", ftString, 10), Col("FullName", ftString, 40), Col("Stop", ftInteger),
              Col("Qty", ftFloat)};
  p.Rows = {{Variant("0001"), Variant("衬衫"), Variant(0), Variant(12.5)},
            {Variant("0002"), Variant("长裤"), Variant(1), Variant(3.0)}};
  p.Params = VarArrayOf(
      {VarArrayOf({Variant("@RETURN_VALUE"), Variant(7), Variant(int(ftInteger)), Variant(int(ptResult)),
                   Variant(0), Variant(0), Variant(0)}),
       VarArrayOf({Variant("@Out"), Variant("done"), Variant(int(ftString)), Variant(int(ptOutput)),
                   Variant(0), Variant(0), Variant(0)})});
  return p;
}

TEST(ClientDataSetProvider, OpensFromTheProviderAndReadsItsParameters) {
  FakeServer server;
  server.Packets["pv_sp_Open"] = ProcPacket();
  TClientDataSet cds(nullptr);
  cds.SetRemoteServer(&server);
  cds.SetProviderName("pv_sp_Open");
  cds.Open();
  EXPECT_EQ(server.Calls, 1);
  EXPECT_EQ(cds.RecordCount(), 2);
  EXPECT_EQ(cds.FieldByName("FULLNAME")->AsString(), "衬衫");
  EXPECT_EQ(cds.FieldByName("Qty")->AsString(), "12.5");
  ASSERT_EQ(cds.Params().Count(), 2);
  EXPECT_EQ(cds.Params()[0]->ParamType(), ptResult);
  EXPECT_EQ(cds.Params()[0]->AsInteger(), 7);
  EXPECT_EQ(cds.Params().ParamByName("@out")->AsString(), "done");
  cds.SetFilter("Stop = 0");
  cds.SetFiltered(true);
  EXPECT_EQ(cds.RecordCount(), 1);
  cds.Close();
  EXPECT_EQ(cds.RecordCount(), 0);
  EXPECT_EQ(cds.FieldCount(), 0);
}

TEST(ClientDataSetProvider, ProviderErrorLeavesTheDataSetClosed) {
  FakeServer server;
  TClientDataSet cds(nullptr);
  cds.SetRemoteServer(&server);
  cds.SetProviderName("missing");
  EXPECT_THROW(cds.Open(), EDatabaseError);
  EXPECT_FALSE(cds.Active());
  EXPECT_EQ(cds.FieldCount(), 0);
}

TEST(ClientDataSetProvider, RemoteServerFreedIsForgotten) {
  TClientDataSet cds(nullptr);
  {
    FakeServer server;
    cds.SetRemoteServer(&server);
  }
  EXPECT_EQ(cds.RemoteServer(), nullptr);
}

struct BadPacket {
  const char* name;
  std::function<void(TDataPacket&)> spoil;
  const char* message;
};

const BadPacket kBadPackets[] = {
    {"ShortRow", [](TDataPacket& p) { p.Rows[1].pop_back(); },
     "Invalid data packet: row 2 has 3 values for 4 columns"},
    {"LongRow", [](TDataPacket& p) { p.Rows[0].push_back(Variant(1)); },
     "Invalid data packet: row 1 has 5 values for 4 columns"},
    {"TextInAnIntegerColumn", [](TDataPacket& p) { p.Rows[1][2] = Variant("x"); },
     "Invalid data packet: the value of column 'Stop' in row 2 is not an integer"},
    {"NumberInATextColumn", [](TDataPacket& p) { p.Rows[0][1] = Variant(5); },
     "Invalid data packet: the value of column 'FullName' in row 1 is not a text"},
    {"TextLongerThanItsSize", [](TDataPacket& p) { p.Rows[0][0] = Variant("01234567890"); },
     "Invalid data packet: the value of column 'typeid' in row 1 is longer than its size"},
    {"UnknownType", [](TDataPacket& p) { p.Fields[2].DataType = static_cast<TFieldType>(200); },
     "Invalid data packet: column 3 ('Stop') has an unsupported type 200"},
    {"NestedType", [](TDataPacket& p) { p.Fields[2].DataType = ftDataSet; },
     "Invalid data packet: column 3 ('Stop') has an unsupported type 29"},
    {"NegativeSize", [](TDataPacket& p) { p.Fields[0].Size = -1; },
     "Invalid data packet: column 1 ('typeid') has an impossible size"},
    {"IntegerOutOfRange", [](TDataPacket& p) { p.Rows[0][2] = Variant(static_cast<long long>(1) << 40); },
     "Invalid data packet: the value of column 'Stop' in row 1 is out of range"},
    {"BadParams", [](TDataPacket& p) { p.Params = Variant(3); },
     "Invalid parameter list: the list is not a one-dimensional array"},
};

class ClientDataSetBadPacket : public ::testing::TestWithParam<BadPacket> {};

TEST_P(ClientDataSetBadPacket, IsRefusedWithAClearError) {
  FakeServer server;
  TDataPacket p = ProcPacket();
  GetParam().spoil(p);
  server.Packets["pv"] = p;
  TClientDataSet cds(nullptr);
  cds.SetRemoteServer(&server);
  cds.SetProviderName("pv");
  cds.Params().CreateParam(ftInteger, "@keep", ptInput);
  try {
    cds.Open();
    FAIL() << "accepted";
  } catch (const EDataPacketError& e) {
    EXPECT_EQ(e.Message(), GetParam().message);
  }
  EXPECT_FALSE(cds.Active());
  EXPECT_EQ(cds.FieldCount(), 0);
  EXPECT_EQ(cds.Params().Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Packets, ClientDataSetBadPacket, ::testing::ValuesIn(kBadPackets),
                         [](const ::testing::TestParamInfo<BadPacket>& i) { return std::string(i.param.name); });

TEST(ClientDataSetPacket, ValuesAreStoredInTheirColumnsKind) {
  TDataPacket p;
  p.Fields = {Col("S", ftString, 10), Col("I", ftInteger), Col("F", ftFloat), Col("B", ftBoolean),
              Col("D", ftDateTime)};
  p.Rows = {{Variant(u"宽字"), Variant(short(3)), Variant(4), Variant(1), Variant(45000.5)}};
  TClientDataSet cds(nullptr);
  cds.SetData(p);
  EXPECT_EQ(cds.FieldByName("S")->Value().VType(), varString);
  EXPECT_EQ(cds.FieldByName("S")->AsString(), "宽字");
  EXPECT_EQ(cds.FieldByName("I")->Value().VType(), varInteger);
  EXPECT_EQ(cds.FieldByName("F")->Value().VType(), varDouble);
  EXPECT_EQ(cds.FieldByName("B")->AsString(), "True");
  EXPECT_EQ(cds.FieldByName("D")->Value().VType(), varDate);
}

TEST(ClientDataSetPacket, BadDataKeepsTheOpenDataSetAsItWas) {
  auto cds = Numbered(3);
  TDataPacket bad;
  bad.Fields = {Col("Id", ftInteger)};
  bad.Rows = {{Variant("x")}};
  EXPECT_THROW(cds->SetData(bad), EDataPacketError);
  EXPECT_TRUE(cds->Active());
  EXPECT_EQ(cds->RecordCount(), 3);
}

TEST(ClientDataSetLocal, CreateDataSetFromFieldDefs) {
  TClientDataSet cds(nullptr);
  cds.FieldDefs().Add("Code", ftString, 10);
  cds.FieldDefs().Add("Qty", ftFloat);
  cds.CreateDataSet();
  EXPECT_TRUE(cds.Active());
  EXPECT_TRUE(cds.IsEmpty());
  for (int i = 0; i < 3; ++i) {
    cds.Append();
    cds.FieldByName("Code")->SetAsString("c" + std::to_string(i));
    cds.FieldByName("Qty")->SetAsFloat(i * 1.5);
    cds.Post();
  }
  EXPECT_EQ(Ids(cds, "Code"), "c0,c1,c2");
  const TDataPacket copy = cds.Data();
  TClientDataSet other(nullptr);
  other.SetData(copy);
  EXPECT_EQ(Ids(other, "Qty"), "0,1.5,3");
  cds.EmptyDataSet();
  EXPECT_TRUE(cds.Active());
  EXPECT_EQ(cds.RecordCount(), 0);
  EXPECT_EQ(other.RecordCount(), 3);
}

TEST(ClientDataSetLocal, CreateDataSetWithoutColumnsRaises) {
  TClientDataSet cds(nullptr);
  EXPECT_THROW(cds.CreateDataSet(), EDatabaseError);
}

TEST(ClientDataSetLocal, PersistentFieldMissingFromThePacketRaises) {
  TClientDataSet cds(nullptr);
  auto* f = new TStringField(&cds);
  f->SetFieldName("Absent");
  f->SetDataSet(&cds);
  TDataPacket p;
  p.Fields = {Col("Id", ftInteger)};
  try {
    cds.SetData(p);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'Absent' not found");
  }
  EXPECT_FALSE(cds.Active());
  EXPECT_EQ(cds.FieldCount(), 1);
}

TEST(ClientDataSetLocal, FieldsOwnedByAFormOutliveTheDataSetsClose) {
  TComponent form(nullptr);
  auto* cds = new TClientDataSet(&form);
  auto* f = new TIntegerField(&form);
  f->SetFieldName("Id");
  f->SetDataSet(cds);
  TDataPacket p;
  p.Fields = {Col("Id", ftInteger)};
  p.Rows = {{Variant(5)}};
  cds->SetData(p);
  EXPECT_EQ(f->AsInteger(), 5);
  delete cds;
  EXPECT_EQ(f->DataSet(), nullptr);
  EXPECT_TRUE(f->IsNull());
}

TEST(ClientDataSetLocal, FieldFreedWhileOpenLeavesTheDataSetWorking) {
  TComponent form(nullptr);
  auto* cds = new TClientDataSet(&form);
  auto* id = new TIntegerField(&form);
  id->SetFieldName("Id");
  id->SetDataSet(cds);
  auto* name = new TStringField(&form);
  name->SetFieldName("Name");
  name->SetDataSet(cds);
  TDataPacket p;
  p.Fields = {Col("Id", ftInteger), Col("Name", ftString, 10)};
  p.Rows = {{Variant(1), Variant("a")}, {Variant(2), Variant("b")}};
  cds->SetData(p);
  delete name;
  EXPECT_EQ(cds->FieldCount(), 1);
  cds->Last();
  EXPECT_EQ(id->AsInteger(), 2);
  // The form frees the rest in its own order without trouble.
}

TEST(ClientDataSetLocal, LookupDataSetFreedIsForgotten) {
  TStringField f(nullptr);
  {
    TClientDataSet types(nullptr);
    f.SetLookupDataSet(&types);
  }
  EXPECT_EQ(f.LookupDataSet(), nullptr);
}

}  // namespace
