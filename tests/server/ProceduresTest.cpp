// The stored procedures against the demo store: parameters as the screens pack them
// (names in any case, every kind "unknown"), results, output parameters and edge cases.
#include "StoreTestSupport.h"
#include "app/VipCardInsert.h"
#include "rtl/DateTime.h"
#include "server/ParamPacking.h"

using namespace storetest;

namespace {

// "▲": the screens' mark for a search text that is not given (GBK A1 F8).
const AnsiString kNotGiven = "\xA1\xF8";

Variant SysValueParams(const Variant& name) {
  return Params({{"@szName", name}, {"@szReturn", Variant(AnsiString())}});
}

class GetSysValueTest : public DemoStoreTest {
 protected:
  std::string Get(const char* procName, const Variant& params) {
    auto s = StoreDb();
    Variant out;
    EXPECT_EQ(s->ExecuteProc(procName, params, out), 0);
    return FromGbk(VarToStr(OutParam(out, "@szReturn")));
  }
};

TEST_F(GetSysValueTest, ReadsEverySettingTheScreensAskFor) {
  const struct {
    const char* Name;
    const char* Value;
  } settings[] = {{"AllowColorSize", "1"}, {"GetFirstBarCode", "0"}, {"ForbidDecimal", "0"},
                  {"DefaultBarCode", "1"}, {"allowcolorsize", "1"}, {"NoSuchSetting", ""}};
  for (const auto& c : settings) {
    EXPECT_EQ(Get("GetSysValue;1", SysValueParams(Variant(AnsiString(c.Name)))), c.Value) << c.Name;
  }
}

TEST_F(GetSysValueTest, NamesOfProcedureAndParametersIgnoreCase) {
  const Variant params = Params({{"@SZNAME", Variant(AnsiString("ForbidDecimal"))},
                                 {"@szreturn", Variant(AnsiString())}});
  EXPECT_EQ(Get("getsysvalue;1", params), "0");
  EXPECT_EQ(Get("[GetSysValue]", SysValueParams(Variant(WideString(u"AllowColorSize")))), "1");
}

TEST_F(GetSysValueTest, SendsBackOnlyItsOutputParameter) {
  auto s = StoreDb();
  Variant out;
  s->ExecuteProc("GetSysValue;1", SysValueParams(Variant(AnsiString("AllowColorSize"))), out);
  const auto list = store::UnpackParams(out);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Name, "@szReturn");
  EXPECT_EQ(list[0].ParamType, store::pkOutput);
  EXPECT_EQ(list[0].DataType, ftString);
  EXPECT_EQ(list[0].Value.VType(), varString);
}

TEST_F(GetSysValueTest, ParameterFaultsAreClearErrors) {
  auto s = StoreDb();
  Variant out;
  const struct {
    Variant Params;
    const char* Message;
  } faults[] = {
      {Params({{"@szReturn", Variant(AnsiString())}}),
       "Procedure or function 'GetSysValue' expects parameter '@szName', which was not supplied."},
      {Params({{"@szName", Variant(AnsiString("x"))}, {"@szFoo", Variant(1)}}),
       "@szFoo is not a parameter for procedure GetSysValue."},
      {Params({{"@szName", Variant(AnsiString("x"))}, {"@SZNAME", Variant(AnsiString("y"))}}),
       "Procedure GetSysValue has parameter @szName more than once."},
      {Variant(42), "Parameter list: not a zero-based array of parameters."},
  };
  for (const auto& f : faults) {
    try {
      s->ExecuteProc("GetSysValue;1", f.Params, out);
      ADD_FAILURE() << "no error: " << f.Message;
    } catch (const EParamError& e) {
      EXPECT_EQ(e.Message(), f.Message);
    }
  }
}

TEST_F(GetSysValueTest, UnknownProcedureNamesTheProcedure) {
  auto s = StoreDb();
  Variant out;
  try {
    s->ExecuteProc("NoSuchProc", Variant::Null(), out);
    FAIL();
  } catch (const EUnknownProcedure& e) {
    EXPECT_EQ(e.Message(), "Could not find stored procedure 'NoSuchProc'.");
  }
  EXPECT_THROW(s->ExecuteProc("GetSysValue;2", Variant::Null(), out), EUnknownProcedure);
}

// ---------------------------------------------------------------------------------
class BasicDataTest : public DemoStoreTest {
 protected:
  // Parameters in the screens' order and names; "@PosUserid" as goods entry spells it.
  TDataPacket Open(const Variant& barcode, const Variant& kind, int withColorSize,
                   const Variant& search, const char* procName = "Pos_J2_PosGetBasicData",
                   const char* userParam = "@PosUserId", const AnsiString& defaultBarCode = "") {
    auto s = StoreDb();
    return s->OpenProc(procName, Params({{"@Barcode", barcode},
                                         {"@BaseType", kind},
                                         {"@WithColAndSiz", Variant(withColorSize)},
                                         {"@selectString", search},
                                         {userParam, Variant(AnsiString("00002"))},
                                         {"@Posid", Variant(AnsiString("0001"))},
                                         {"@DefaultBarCode", Variant(defaultBarCode)}}));
  }
  TDataPacket Goods(const AnsiString& barcode, const AnsiString& search, int withColorSize = 1) {
    return Open(Variant(barcode), Variant(1), withColorSize, Variant(search));
  }
  static std::string Names(const TDataPacket& p) {
    std::string r;
    for (const auto& f : p.Fields) r += f.Name + ",";
    return r;
  }
};

const std::vector<const char*> kGoodsFields = {"typeid", "UserCode", "FullName", "Sonnum", "stop",
                                              "colorid", "ColorName", "sizeid", "SizeName"};

TEST_F(BasicDataTest, GoodsByCodeGiveOneRowPerColourAndSize) {
  const TDataPacket p = Goods(kNotGiven, "M00002");
  EXPECT_EQ(Names(p), "typeid,UserCode,FullName,Sonnum,stop,colorid,ColorName,sizeid,SizeName,");
  EXPECT_EQ(Render(p, kGoodsFields),
            Utf8(u8"0000100001|M00002|简约夹克|0|0|3|红色|2|S\n"
                 u8"0000100001|M00002|简约夹克|0|0|3|红色|3|M\n"
                 u8"0000100001|M00002|简约夹克|0|0|3|红色|4|L\n"
                 u8"0000100001|M00002|简约夹克|0|0|3|红色|5|XL\n"
                 u8"0000100001|M00002|简约夹克|0|0|3|红色|6|XXL\n"
                 u8"0000100001|M00002|简约夹克|0|0|5|灰色|2|S\n"
                 u8"0000100001|M00002|简约夹克|0|0|5|灰色|3|M\n"
                 u8"0000100001|M00002|简约夹克|0|0|5|灰色|4|L\n"
                 u8"0000100001|M00002|简约夹克|0|0|5|灰色|5|XL\n"
                 u8"0000100001|M00002|简约夹克|0|0|5|灰色|6|XXL\n"));
}

TEST_F(BasicDataTest, ReturnValueComesFirstInTheParameters) {
  const auto params = store::UnpackParams(Goods(kNotGiven, "M00002").Params);
  ASSERT_EQ(params.size(), 1u);
  EXPECT_EQ(params[0].Name, "@RETURN_VALUE");
  EXPECT_EQ(params[0].ParamType, store::pkResult);
  EXPECT_EQ(params[0].Value.AsInteger(), 0);
}

TEST_F(BasicDataTest, SearchMatchesPartOfCodeOrNameInAnyCase) {
  const std::string byName = Render(Goods(kNotGiven, Gbk(u8"简约夹克"), 0), {"FullName"});
  EXPECT_FALSE(byName.empty());
  EXPECT_EQ(byName, Query("PosStore", Utf8(u8"select FullName from ptype where Sonnum = 0 and "
                                           u8"FullName like '%简约夹克%' order by UserCode")));
  EXPECT_EQ(Render(Goods(kNotGiven, "m00002", 0), {"UserCode"}), "M00002\n");
  // "%" and "_" are plain characters of the search text.
  EXPECT_TRUE(Goods(kNotGiven, "%", 0).Rows.empty());
  EXPECT_TRUE(Goods(kNotGiven, "M0000_", 0).Rows.empty());
}

TEST_F(BasicDataTest, EmptySearchTextOffersEveryGoods) {
  EXPECT_EQ(Goods(kNotGiven, "", 0).Rows.size(), 300u);
}

TEST_F(BasicDataTest, BothTextsNotGivenOfferEverything) {
  EXPECT_EQ(std::to_string(Goods(kNotGiven, kNotGiven).Rows.size()) + "\n",
            Query("PosStore", "select count(*) from PtypeColorSize"));
  // The mark may come as UTF-16 too.
  EXPECT_EQ(Open(Variant(WideString(u"\u25B2")), Variant(1), 0, Variant(WideString(u"\u25B2"))).Rows.size(),
            300u);
}

TEST_F(BasicDataTest, BarcodeFindsExactlyItsColourAndSize) {
  EXPECT_EQ(Render(Goods("6920000000081", kNotGiven), kGoodsFields),
            Utf8(u8"0000100001|M00002|简约夹克|0|0|3|红色|2|S\n"));
  EXPECT_EQ(Render(Goods(" 6920000000081 ", kNotGiven, 0), {"typeid"}), "0000100001\n");
  EXPECT_TRUE(Goods("6920000000082", kNotGiven).Rows.empty());
  EXPECT_TRUE(Goods("692000000008", kNotGiven).Rows.empty());
}

TEST_F(BasicDataTest, StyleBarcodeMatchesEveryColourAndSize) {
  const TDataPacket p = Goods("M00008", kNotGiven);
  EXPECT_EQ(std::to_string(p.Rows.size()) + "\n",
            Query("PosStore", "select count(*) from PtypeColorSize where PtypeId = '0000100003'"));
  EXPECT_GT(p.Rows.size(), 1u);
  // Only the style barcode type when the type is asked for.
  EXPECT_TRUE(Open(Variant(AnsiString("M00008")), Variant(1), 1, Variant(kNotGiven),
                   "Pos_J2_PosGetBasicData", "@PosUserId", "1").Rows.empty());
  EXPECT_EQ(Open(Variant(AnsiString("6920000000081")), Variant(1), 1, Variant(kNotGiven),
                 "Pos_J2_PosGetBasicData", "@PosUserId", "1").Rows.size(), 1u);
}

TEST_F(BasicDataTest, StoppedGoodsComeWithStopSetAndClassesNever) {
  EXPECT_EQ(Render(Goods(kNotGiven, "W00056", 0), {"typeid", "stop", "Sonnum"}), "0000200026|1|0\n");
  EXPECT_EQ(Render(Goods(kNotGiven, Gbk(u8"男装"), 0), {"typeid"}), "");
}

TEST_F(BasicDataTest, GoodsWithoutColourAndSizeHaveOneRowAndNoColourFields) {
  const TDataPacket p = Goods(kNotGiven, "M00002", 0);
  EXPECT_EQ(Names(p), "typeid,UserCode,FullName,Sonnum,stop,");
  EXPECT_EQ(p.Rows.size(), 1u);
}

TEST_F(BasicDataTest, TheOtherKindsOfBasicData) {
  const struct {
    int Kind;
    std::vector<const char*> Fields;
    const char8_t* Rows;
  } kinds[] = {
      {2, {"typeid", "UserCode", "FullName", "Sonnum"},
       u8"00005|C001|零售散客|0\n00001|S001|广州华美服饰有限公司|0\n00002|S002|杭州丝路纺织品贸易公司|0\n"
       u8"00003|S003|深圳潮流前线服装厂|0\n00004|S004|上海锦绣针织有限公司|0\n"},
      {3, {"typeid", "UserCode", "FullName"},
       u8"00001|001|旗舰店仓库\n00002|002|旗舰店门店\n00003|003|东门店仓库\n"},
      {4, {"typeid", "UserCode", "FullName"},
       u8"00001|1001|库存现金\n00002|1002|银行存款\n00003|1122|应收账款\n00004|1405|库存商品\n"
       u8"00005|6001|主营业务收入\n"},
      {5, {"typeid", "FullName", "stop"},
       u8"00001|系统管理员|0\n00002|张伟|0\n00003|王芳|0\n00004|李娜|0\n00005|刘洋|0\n00006|陈静|0\n"
       u8"00007|杨磊|1\n00008|赵敏|0\n"},
      {6, {"typeid", "UserCode", "FullName", "Sonnum", "Etypeid"},
       u8"0001|001|旗舰店1号收银台|0|00002\n0002|002|旗舰店2号收银台|0|00003\n0003|003|东门店收银台|0|00008\n"},
  };
  for (const auto& k : kinds) {
    EXPECT_EQ(Render(Open(Variant(kNotGiven), Variant(k.Kind), 0, Variant(AnsiString())), k.Fields),
              Utf8(k.Rows))
        << "kind " << k.Kind;
  }
  // A search narrows the other kinds too; a barcode means nothing to them.
  EXPECT_EQ(Render(Open(Variant(AnsiString("123")), Variant(3), 0, Variant(Gbk(u8"东门"))), {"typeid"}),
            "00003\n");
}

TEST_F(BasicDataTest, ParametersAsGoodsEntrySendsThem) {
  // "@PosUserid" in another case, the kind as text: both accepted.
  const TDataPacket p = Open(Variant(AnsiString("6920000000081")), Variant(AnsiString("1")), 1,
                             Variant(kNotGiven), "pos_j2_posgetbasicdata", "@PosUserid");
  EXPECT_EQ(p.Rows.size(), 1u);
}

TEST_F(BasicDataTest, FaultsOfKindPrefixAndDatabase) {
  EXPECT_THROW(Open(Variant(kNotGiven), Variant(7), 0, Variant(kNotGiven)), EParamError);
  try {
    Open(Variant(kNotGiven), Variant(AnsiString("goods")), 0, Variant(kNotGiven));
    FAIL();
  } catch (const EParamError& e) {
    EXPECT_EQ(e.Message(), "Procedure Pos_J2_PosGetBasicData, parameter @BaseType: 'goods' is not an integer.");
  }
  EXPECT_THROW(Open(Variant(kNotGiven), Variant(1), 0, Variant(kNotGiven), "XX_PosGetBasicData"),
               EUnknownProcedure);
  EXPECT_THROW(Open(Variant(kNotGiven), Variant(1), 0, Variant(kNotGiven), "PosGetBasicData"),
               EUnknownProcedure);
  auto main = MainDb();
  EXPECT_THROW(main->OpenProc("Pos_J2_PosGetBasicData", Variant::Null()), EUnknownProcedure);
}

// ---------------------------------------------------------------------------------
class VipCardTest : public DemoStoreTest {
 protected:
  // The thirty parameters as the screen sends them (app/VipCardInsert.h), the action and
  // the end date replaceable by any value.
  static Variant CardParams(const AnsiString& code, const AnsiString& cardType,
                            const Variant& action = Variant(AnsiString("Add")),
                            const Variant& endDate = Variant::FromDate(EncodeDate(2099, 1, 1))) {
    vipenroll::TCardValues v;
    v.OperatorId = "00001";
    v.CardNo = code;
    v.Holder = Gbk(u8"郑晓燕");
    v.CreateDate = EncodeDateTime(2024, 3, 5, 14, 30, 15, 0);
    v.EmployeeId = "00003";
    v.CardTypeId = cardType;
    v.Sex = Gbk(u8"女");
    v.Birthday = EncodeDate(1990, 6, 1);
    v.Phone = "13912345678";
    v.EMail = "zxy@example.com";
    v.IdNumber = "110101199006010027";
    v.Comment = Gbk(u8"老顾客介绍");
    auto params = vipenroll::CardParams(v);
    for (auto& [name, value] : params) {
      if (name == "@Action") value = action;
      if (name == "@EndDate") value = endDate;
    }
    return Params(params);
  }
  int Insert(const Variant& params) {
    auto s = StoreDb();
    Variant out;
    const int r = s->ExecuteProc(vipenroll::kInsertProc, params, out);
    EXPECT_TRUE(out.IsNull());
    return r;
  }
  std::string CardCount() { return Query("PosStore", "select count(*) from nVipCardSign"); }
};

TEST_F(VipCardTest, InsertsTheCardAndReturnsItsId) {
  EXPECT_EQ(Insert(CardParams("VIP10001", "002")), 4);
  EXPECT_EQ(Query("PosStore",
                  "select VipCardCode, Bname, CreateDate, EndDate, EtypeId, Cardset, Bsex, Bbirthday, Btel, "
                  "Bpostcode, BIDcard, Comment, VipStatus, BeginMoney, pWord, OperatorID "
                  "from nVipCardSign where VipCardId = 4"),
            Utf8(u8"VIP10001|郑晓燕|2024-03-05|2099-01-01|00003|002|女|1990-06-01|13912345678|"
                 u8"zxy@example.com|110101199006010027|老顾客介绍|0|0||00001\n"));
}

TEST_F(VipCardTest, ThenThePasswordUpdateOfTheScreen) {
  ASSERT_GT(Insert(CardParams("VIP10002", "001")), 0);
  auto s = StoreDb();
  s->ExecuteSQL(Wide("update nVipCardSign set pWord='s3cret9'where VipCardCode='VIP10002'"));
  EXPECT_EQ(Query("PosStore", "select pWord from nVipCardSign where VipCardCode = 'VIP10002'"), "s3cret9\n");
}

// The screen runs the card insert and its password update in one transaction, so a
// failed update leaves no card without password behind.
TEST_F(VipCardTest, CardAndPasswordRollBackTogether) {
  auto s = StoreDb();
  s->TransactionController(0);
  Variant out;
  ASSERT_GT(s->ExecuteProc(vipenroll::kInsertProc, CardParams("VIP10007", "001"), out), 0);
  EXPECT_THROW(s->ExecuteSQL(Wide("update nVipCardSign set pWord='x'where VipCardCode='VIP10007' and")),
               ESqlError);
  s->TransactionController(2);
  EXPECT_EQ(CardCount(), "3\n");
  EXPECT_EQ(Insert(CardParams("VIP10007", "001")), 4);  // the number is free again
}

TEST_F(VipCardTest, ExistingCardNumberGivesMinusNine) {
  for (const char* code : {"VIP00001", "vip00001", " VIP00001 "}) {
    EXPECT_EQ(Insert(CardParams(code, "001")), -9) << code;
  }
  ASSERT_GT(Insert(CardParams("VIP10003", "001")), 0);
  EXPECT_EQ(Insert(CardParams("VIP10003", "003")), -9);
  EXPECT_EQ(CardCount(), "4\n");
}

TEST_F(VipCardTest, EmptyNumberOrUnknownCardTypeGiveMinusOne) {
  EXPECT_EQ(Insert(CardParams("   ", "001")), -1);
  EXPECT_EQ(Insert(CardParams("VIP10004", "099")), -1);
  EXPECT_EQ(CardCount(), "3\n");
}

TEST_F(VipCardTest, DatesMayComeAsText) {
  EXPECT_GT(Insert(CardParams("VIP10005", "001", Variant(AnsiString("Add")),
                              Variant(AnsiString("2030-12-31")))), 0);
  EXPECT_EQ(Query("PosStore", "select EndDate from nVipCardSign where VipCardCode = 'VIP10005'"),
            "2030-12-31\n");
}

TEST_F(VipCardTest, TypeErrorsChangeNothing) {
  EXPECT_THROW(Insert(CardParams("VIP10006", "001", Variant(AnsiString("Add")),
                                 Variant(AnsiString("next year")))), EParamError);
  EXPECT_THROW(Insert(CardParams("VIP10006", "001", Variant(AnsiString("Delete")))), EParamError);
  EXPECT_EQ(CardCount(), "3\n");
}

// ---------------------------------------------------------------------------------
class UploadTest : public DemoStoreTest {
 protected:
  // An uploaded bill on the main database as the screen writes it; its CheckCode.
  int Upload(StoreSession& main, const char* ktype, const std::string& date,
             std::initializer_list<const char*> goods) {
    const std::string header =
        std::string("insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,"
                    "UpLoadPosVchCode,UniqueID,PDNumber) values('") + ktype + "','00002','" + date +
        "','0001', 1, 9,'U1','001 " + date + " 00001') Select @@Identity As CheckCode";
    const std::string code = First(main.OpenSQL(Wide(header)), "CheckCode");
    for (const char* g : goods) {
      main.ExecuteSQL(Wide("insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) "
                           "values(" + code + ",'" + g + "',3,2, 4, 0)"));
    }
    return std::stoi(code);
  }
  int Convert(StoreSession& main, int checkCode) {
    Variant out;
    return main.ExecuteProc("Pos_J2_PosPdtoMainProPd", Params({{"@IndexValue", Variant(checkCode)}}), out);
  }
  std::string Bills() {
    return Query("PosMain", "select n.BillCode, n.KtypeId, n.UpLoadCheckCode, n.Draft, d.PtypeId, d.Qty "
                            "from PdBillNdx n join PdBillDetail d on d.BillCode = n.BillCode order by 1, 5");
  }
};

TEST_F(UploadTest, TurnsTheUploadIntoADraftBillAndReturnsItsCode) {
  auto main = MainDb();
  const int code = Upload(*main, "00001", Today(), {"0000100001", "0000200001"});
  EXPECT_EQ(Convert(*main, code), 1001);
  EXPECT_EQ(Bills(), "1001|00001|1|1|0000100001|4\n1001|00001|1|1|0000200001|4\n");
  EXPECT_EQ(Query("PosMain", "select PdVchCode from CommonPosPtypeCheckNdx where CheckCode = 1"), "1001\n");
}

TEST_F(UploadTest, RefusalsChangeNothing) {
  auto main = MainDb();
  // -3: the count of warehouse 00002 is finished; -2: 00003 has no preparation, and
  // 00001 none before its begin date.
  EXPECT_EQ(Convert(*main, Upload(*main, "00002", Today(), {"0000100001"})), -3);
  EXPECT_EQ(Convert(*main, Upload(*main, "00003", Today(), {"0000100001"})), -2);
  EXPECT_EQ(Convert(*main, Upload(*main, "00001", "1999-12-31", {"0000100001"})), -2);
  EXPECT_EQ(Bills(), "");
  EXPECT_EQ(Query("PosMain", "select count(*) from CommonPosPtypeCheckNdx where PdVchCode <> 0"), "0\n");
}

TEST_F(UploadTest, GoodsAlreadyInADraftOfThatDayGiveMinusOne) {
  auto main = MainDb();
  ASSERT_EQ(Convert(*main, Upload(*main, "00001", Today(), {"0000100001"})), 1001);
  EXPECT_EQ(Convert(*main, Upload(*main, "00001", Today(), {"0000300001", "0000100001"})), -1);
  // Other goods, another day, or a posted bill: accepted.
  EXPECT_EQ(Convert(*main, Upload(*main, "00001", Today(), {"0000300001"})), 1002);
  EXPECT_EQ(Convert(*main, Upload(*main, "00001", "2030-01-02", {"0000100001"})), 1003);
  main->ExecuteSQL(Wide("update PdBillNdx set Draft = 0"));
  EXPECT_EQ(Convert(*main, Upload(*main, "00001", Today(), {"0000100001"})), 1004);
}

TEST_F(UploadTest, AnOpenPreparationWinsOverAFinishedOneOfTheSameDay) {
  auto main = MainDb();
  main->ExecuteSQL(Wide("insert into PdPrepare (KtypeId, BeginDate, EndDate, Finished) "
                        "values ('00002', '2024-01-01', '2024-12-31', 0)"));
  EXPECT_EQ(Convert(*main, Upload(*main, "00002", "2024-06-01", {"0000100001"})), 1001);
}

TEST_F(UploadTest, UnknownBillOrWrongDatabaseAreErrors) {
  auto main = MainDb();
  try {
    Convert(*main, 77);
    FAIL();
  } catch (const EStoreError& e) {
    EXPECT_EQ(e.Message(), "Pos_J2_PosPdtoMainProPd: there is no uploaded stock-take bill 77.");
  }
  auto store = StoreDb();
  EXPECT_THROW(Convert(*store, 1), EUnknownProcedure);
}

}  // namespace
