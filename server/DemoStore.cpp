// The demo store generator; see DemoStore.h. Texts are UTF-8 (u8 literals: the
// databases hold UTF-8 whatever the narrow execution character set is).
#include "server/DemoStore.h"

#include <filesystem>
#include <string>
#include <vector>
#include "server/SqliteDb.h"
#include "server/StoreErrors.h"

namespace store {
extern const char* const kStoreSchemaSql;
extern const char* const kMainSchemaSql;
}  // namespace store

using store::SqliteDb;
using store::Statement;

namespace {

std::string U(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// splitmix64: the same sequence on every platform and library.
class Random {
 public:
  explicit Random(uint64_t seed) : FState(seed) {}
  uint64_t Next() {
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 <= result < n
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  uint64_t FState;
};

std::string Pad(int64_t v, int width) {
  std::string s = std::to_string(v);
  return s.size() < static_cast<size_t>(width) ? std::string(width - s.size(), '0') + s : s;
}

// EAN-13 from its first twelve digits.
std::string Ean13(const std::string& twelve) {
  int sum = 0;
  for (size_t i = 0; i < 12; ++i) sum += (twelve[i] - '0') * (i % 2 ? 3 : 1);
  return twelve + static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Binds the values in order and runs the statement once.
class Inserter {
 public:
  Inserter(SqliteDb& db, const std::string& sql) : FSt(db, sql) {}
  template <class... Args>
  void operator()(const Args&... args) {
    int i = 0;
    (BindOne(++i, args), ...);
    FSt.Step();
    FSt.Reset();
  }

 private:
  void BindOne(int i, const std::string& v) { FSt.Bind(i, v); }
  void BindOne(int i, const char* v) { FSt.Bind(i, std::string_view(v)); }
  void BindOne(int i, int v) { FSt.Bind(i, static_cast<int64_t>(v)); }
  void BindOne(int i, int64_t v) { FSt.Bind(i, v); }
  void BindOne(int i, double v) { FSt.Bind(i, v); }
  Statement FSt;
};

struct GoodsClass {
  const char* Id;
  const char* Code;
  const char8_t* Name;
  const char* CodeLetter;
  int Weight;                          // percent of the goods
  std::vector<const char8_t*> Nouns;
  const char8_t* Unit;
  int PriceLow, PriceHigh;             // retail, whole yuan
  bool Kids, Accessory;
};

const std::vector<GoodsClass>& Classes() {
  static const std::vector<GoodsClass> c = {
      {"00001", "01", u8"男装", "M", 35,
       {u8"T恤", u8"衬衫", u8"牛仔裤", u8"夹克", u8"卫衣", u8"西裤", u8"风衣", u8"毛衣",
        u8"羽绒服", u8"休闲裤", u8"马甲", u8"Polo衫"},
       u8"件", 69, 899, false, false},
      {"00002", "02", u8"女装", "W", 40,
       {u8"连衣裙", u8"半身裙", u8"雪纺衫", u8"针织开衫", u8"阔腿裤", u8"风衣", u8"卫衣",
        u8"牛仔裤", u8"衬衫", u8"大衣", u8"吊带背心", u8"毛衣"},
       u8"件", 79, 999, false, false},
      {"00003", "03", u8"童装", "K", 15,
       {u8"童T恤", u8"童卫衣", u8"背带裤", u8"童羽绒服", u8"公主裙", u8"运动套装"},
       u8"件", 39, 399, true, false},
      {"00004", "04", u8"配饰", "A", 10,
       {u8"羊绒围巾", u8"针织围巾", u8"棒球帽", u8"渔夫帽", u8"真皮皮带", u8"编织腰带",
        u8"针织手套", u8"纯棉短袜", u8"帆布包", u8"斜挎包"},
       u8"个", 19, 199, false, true},
  };
  return c;
}

const std::vector<const char8_t*> kAdjectives = {
    u8"修身", u8"休闲", u8"纯棉", u8"宽松", u8"复古", u8"印花", u8"条纹", u8"加绒",
    u8"商务", u8"韩版", u8"简约", u8"拼色", u8"水洗", u8"羊毛", u8"真丝", u8"亚麻"};
// Accessories' nouns are whole names already.
const std::vector<const char8_t*> kAccessoryAdjectives = {u8""};

struct NamedId {
  int Id;
  const char* Code;
  const char8_t* Name;
};
const NamedId kColors[] = {{1, "BK", u8"黑色"}, {2, "WH", u8"白色"}, {3, "RD", u8"红色"},
                           {4, "NV", u8"藏青"}, {5, "GY", u8"灰色"}, {6, "KH", u8"卡其"},
                           {7, "CR", u8"皛白"}, {8, "PK", u8"粉色"}, {9, "SB", u8"天蓝"},
                           {10, "AG", u8"军绿"}};
// Adult sizes 1..7, one size 8, children's sizes 9..12.
const NamedId kSizes[] = {{1, "XS", u8"XS"},  {2, "S", u8"S"},     {3, "M", u8"M"},
                          {4, "L", u8"L"},    {5, "XL", u8"XL"},   {6, "XXL", u8"XXL"},
                          {7, "3XL", u8"3XL"}, {8, "F", u8"均码"}, {9, "110", u8"110"},
                          {10, "120", u8"120"}, {11, "130", u8"130"}, {12, "140", u8"140"}};

struct Warehouse {
  const char* Id;
  const char* Code;
  const char8_t* Name;
  const char* Branch;
};
const Warehouse kWarehouses[] = {{"00001", "001", u8"旗舰店仓库", "00001"},
                                 {"00002", "002", u8"旗舰店门店", "00001"},
                                 {"00003", "003", u8"东门店仓库", "00002"}};

void CreateDatabase(const std::string& path, const char* schema) {
  SqliteDb db(path, SqliteDb::OpenMode::CreateNew);
  db.Exec("BEGIN");
  db.Exec(schema);
  db.Exec("COMMIT");
}

void FillSystemRows(SqliteDb& db) {
  Inserter sys(db, "insert into sysdata (SysId, SysName, SysValue, Comment) values (?1, ?2, ?3, ?4)");
  sys(1, "AllowColorSize", "1", U(u8"0: 不显示颜色尺码"));
  sys(2, "GetFirstBarCode", "0", U(u8"0: 一个条码对应多个商品时选择"));
  sys(3, "ForbidDecimal", "0", U(u8"1: 数量不允许小数"));
  sys(10, "DefaultBarCode", "1", U(u8"导出盘点机的条码类型"));
  sys(19, "PdProcPrefix", "Pos_J2", U(u8"盘点存储过程前缀"));
  Inserter common(db, "insert into PosCommonSysData (SysId, SysName, SysValue) values (?1, ?2, ?3)");
  common(2, "VipProcPrefix", "QP");
}

void FillReferenceData(SqliteDb& db) {
  Inserter branch(db, "insert into Branch values (?1, ?2, ?3)");
  branch("00001", "001", U(u8"旗舰店"));
  branch("00002", "002", U(u8"东门店"));

  Inserter color(db, "insert into Color values (?1, ?2, ?3)");
  for (const NamedId& c : kColors) color(c.Id, c.Code, U(c.Name));
  Inserter size(db, "insert into Size values (?1, ?2, ?3)");
  for (const NamedId& s : kSizes) size(s.Id, s.Code, U(s.Name));
  Inserter barType(db, "insert into BarType values (?1, ?2)");
  barType("1", U(u8"商品条码"));
  barType("2", U(u8"款号条码"));
  Inserter priceType(db, "insert into PriceType values (?1, ?2)");
  priceType("LSSJ1", U(u8"零售价"));
  priceType("JJ1", U(u8"进价"));

  Inserter ktype(db, "insert into ktype (typeid, ParId, Sonnum, UserCode, FullName, Name, BranchId) "
                     "values (?1, '00000', 0, ?2, ?3, ?3, ?4)");
  for (const Warehouse& w : kWarehouses) ktype(w.Id, w.Code, U(w.Name), w.Branch);

  Inserter btype(db, "insert into btype (typeid, ParId, Sonnum, UserCode, FullName, Name, Tel) "
                     "values (?1, '00000', 0, ?2, ?3, ?4, ?5)");
  btype("00001", "S001", U(u8"广州华美服饰有限公司"), U(u8"华美服饰"), "020-83120001");
  btype("00002", "S002", U(u8"杭州丝路纺织品贸易公司"), U(u8"丝路纺织"), "0571-8702002");
  btype("00003", "S003", U(u8"深圳潮流前线服装厂"), U(u8"潮流前线"), "0755-2660003");
  btype("00004", "S004", U(u8"上海锦绣针织有限公司"), U(u8"锦绣针织"), "021-64300004");
  btype("00005", "C001", U(u8"零售散客"), U(u8"散客"), "");

  Inserter atype(db, "insert into atype (typeid, ParId, Sonnum, UserCode, FullName, Name) "
                     "values (?1, '00000', 0, ?2, ?3, ?3)");
  atype("00001", "1001", U(u8"库存现金"));
  atype("00002", "1002", U(u8"银行存款"));
  atype("00003", "1122", U(u8"应收账款"));
  atype("00004", "1405", U(u8"库存商品"));
  atype("00005", "6001", U(u8"主营业务收入"));

  Inserter etype(db, "insert into etype (typeid, ParId, Sonnum, UserCode, FullName, Name, BranchId, Tel, Stop) "
                     "values (?1, '00000', 0, ?2, ?3, ?3, ?4, ?5, ?6)");
  etype("00001", "001", U(u8"系统管理员"), "00001", "", 0);
  etype("00002", "002", U(u8"张伟"), "00001", "13800000002", 0);
  etype("00003", "003", U(u8"王芳"), "00001", "13800000003", 0);
  etype("00004", "004", U(u8"李娜"), "00001", "13800000004", 0);
  etype("00005", "005", U(u8"刘洋"), "00001", "13800000005", 0);
  etype("00006", "006", U(u8"陈静"), "00002", "13800000006", 0);
  etype("00007", "007", U(u8"杨磊"), "00001", "13800000007", 1);
  etype("00008", "008", U(u8"赵敏"), "00002", "13800000008", 0);
  // The branch manager of the east store chooses among her own staff only.
  Inserter range(db, "insert into EtypeRange values (?1, ?2)");
  range("00008", "00006");
  range("00008", "00008");

  Inserter pos(db, "insert into PosInfo (PosId, UserCode, FullName, BranchId, KtypeId, Etypeid) "
                   "values (?1, ?2, ?3, ?4, ?5, ?6)");
  pos("0001", "001", U(u8"旗舰店1号收银台"), "00001", "00002", "00002");
  pos("0002", "002", U(u8"旗舰店2号收银台"), "00001", "00002", "00003");
  pos("0003", "003", U(u8"东门店收银台"), "00002", "00003", "00008");

  Inserter cardSet(db, "insert into nVipCardSet values (?1, ?2, ?3, ?4)");
  cardSet("001", U(u8"金卡"), 0.85, 0);
  cardSet("002", U(u8"银卡"), 0.9, 0);
  cardSet("003", U(u8"普通卡"), 0.95, 0);
  Inserter card(db, "insert into nVipCardSign (VipCardCode, Bname, CreateDate, EndDate, EtypeId, "
                    "Cardset, Bsex, Bbirthday, Btel, OperatorID, pWord) "
                    "values (?1, ?2, ?3, '2099-01-01 00:00:00', ?4, ?5, ?6, ?7, ?8, '00001', ?9)");
  card("VIP00001", U(u8"周丽华"), "2023-05-01 10:12:00", "00002", "001", U(u8"女"),
       "1985-03-12 00:00:00", "13900000001", "123456");
  card("VIP00002", U(u8"吴建国"), "2023-08-15 16:40:00", "00003", "002", U(u8"男"),
       "1978-11-02 00:00:00", "13900000002", "");
  card("VIP00003", U(u8"孙小梅"), "2024-01-20 11:05:00", "00002", "003", U(u8"女"),
       "1996-07-23 00:00:00", "13900000003", "888888");
}

void FillGoods(SqliteDb& db, int goods, Random& rnd) {
  Inserter ptype(db, "insert into ptype (typeid, ParId, Sonnum, UserCode, FullName, Name, Standard, Unit, Stop) "
                     "values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  Inserter pcs(db, "insert into PtypeColorSize values (?1, ?2, ?3)");
  Inserter barcode(db, "insert into Barcode (PtypeId, ColorId, SizeId, BarTypeId, FullBarCode) "
                       "values (?1, ?2, ?3, ?4, ?5)");
  Inserter price(db, "insert into PtypePrice values (?1, ?2, ?3)");
  Inserter stock(db, "insert into GoodsStocks values (?1, ?2, ?3, ?4, ?5)");

  const auto& classes = Classes();
  std::vector<int> children(classes.size(), 0);
  int64_t skuSerial = 0;
  const char8_t* const seasons[] = {u8"2024春", u8"2024夏", u8"2024秋", u8"2024冬"};
  for (int g = 0; g < goods; ++g) {
    // Class by weight.
    int pick = rnd.Below(100), k = 0;
    while (pick >= classes[k].Weight) pick -= classes[k++].Weight;
    const GoodsClass& c = classes[k];
    const int serial = ++children[k];
    const std::string typeId = std::string(c.Id) + Pad(serial, 5);
    const std::string userCode = std::string(c.CodeLetter) + Pad(g + 1, 5);
    const std::string noun = U(c.Nouns[rnd.Below(static_cast<int>(c.Nouns.size()))]);
    const auto& adjectives = c.Accessory ? kAccessoryAdjectives : kAdjectives;
    const std::string name = U(adjectives[rnd.Below(static_cast<int>(adjectives.size()))]) + noun;
    const int stop = rnd.Chance(3) ? 1 : 0;
    ptype(typeId, c.Id, 0, userCode, name, noun, U(seasons[rnd.Below(4)]), U(c.Unit), stop);

    // Retail price ending in 9; purchase price about half of it.
    const int retail = (rnd.Between(c.PriceLow, c.PriceHigh) / 10) * 10 + 9;
    price(typeId, "LSSJ1", static_cast<double>(retail));
    price(typeId, "JJ1", static_cast<double>(retail * rnd.Between(40, 55) / 50) / 2.0);

    // Colours: 1..4 distinct; sizes: a run of the class's size range.
    std::vector<int> colors;
    const int colorCount = rnd.Between(1, c.Accessory ? 2 : 4);
    while (static_cast<int>(colors.size()) < colorCount) {
      const int id = kColors[rnd.Below(std::size(kColors))].Id;
      bool seen = false;
      for (int x : colors) seen = seen || x == id;
      if (!seen) colors.push_back(id);
    }
    std::vector<int> sizes;
    if (c.Accessory) {
      sizes = {8};
    } else if (c.Kids) {
      const int first = rnd.Between(9, 10);
      for (int s = first; s <= std::min(12, first + rnd.Between(1, 3)); ++s) sizes.push_back(s);
    } else {
      const int first = rnd.Between(1, 3);
      for (int s = first; s <= std::min(7, first + rnd.Between(2, 4)); ++s) sizes.push_back(s);
    }
    const bool styleBarcode = rnd.Chance(20);
    for (int color : colors) {
      for (int size : sizes) {
        pcs(typeId, color, size);
        barcode(typeId, color, size, "1", Ean13("692" + Pad(++skuSerial, 9)));
        if (styleBarcode) barcode(typeId, color, size, "2", userCode);
        for (const Warehouse& w : kWarehouses) {
          if (rnd.Chance(70)) stock(w.Id, typeId, color, size, static_cast<double>(rnd.Between(0, 30)));
        }
      }
    }
  }
  Inserter cls(db, "insert into ptype (typeid, ParId, Sonnum, UserCode, FullName, Name) "
                   "values (?1, '00000', ?2, ?3, ?4, ?4)");
  for (size_t k = 0; k < classes.size(); ++k) {
    cls(classes[k].Id, children[k], classes[k].Code, U(classes[k].Name));
  }
}

void FillMain(SqliteDb& db) {
  Inserter sys(db, "insert into sysdata (SysId, SysName, SysValue, Comment) values (?1, ?2, ?3, ?4)");
  sys(1, "SystemName", U(u8"总部管理系统"), "");
  // Warehouse 00001 may be counted on any day; the count of 00002 is closed; 00003 has
  // no preparation.
  Inserter prep(db, "insert into PdPrepare (KtypeId, BeginDate, EndDate, Finished) values (?1, ?2, ?3, ?4)");
  prep("00001", "2000-01-01", "2099-12-31", 0);
  prep("00002", "2000-01-01", "2099-12-31", 1);
  // Bill codes of the main system start at 1001, apart from the terminals' CheckCodes.
  db.Exec("insert into sqlite_sequence (name, seq) values ('PdBillNdx', 1000)");
}

void RemoveDatabaseFiles(const std::filesystem::path& file) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::error_code ec;
    std::filesystem::remove(file.string() + suffix, ec);
    if (ec) throw EStoreError("Cannot replace " + file.string() + suffix + ": " + ec.message());
  }
}

}  // namespace

void CreateStoreDatabase(const std::string& path) {
  CreateDatabase(path, store::kStoreSchemaSql);
  SqliteDb db(path, SqliteDb::OpenMode::ExistingFile);
  db.Exec("BEGIN");
  FillSystemRows(db);
  db.Exec("COMMIT");
}

void CreateMainDatabase(const std::string& path) {
  CreateDatabase(path, store::kMainSchemaSql);
  SqliteDb db(path, SqliteDb::OpenMode::ExistingFile);
  db.Exec("BEGIN");
  FillMain(db);
  db.Exec("COMMIT");
}

void MakeDemoStore(const std::string& dir, const DemoStoreOptions& options) {
  if (options.Goods < 1 || options.Goods > 1000000) {
    throw EStoreError("The demo store holds 1 to 1,000,000 goods, not " +
                      std::to_string(options.Goods) + ".");
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw EStoreError("Cannot make the folder " + dir + ": " + ec.message());
  const fs::path storePath = fs::path(dir) / (std::string(kDemoStoreDbName) + ".db");
  const fs::path mainPath = fs::path(dir) / (std::string(kDemoMainDbName) + ".db");
  RemoveDatabaseFiles(storePath);
  RemoveDatabaseFiles(mainPath);

  CreateStoreDatabase(storePath.string());
  {
    SqliteDb db(storePath.string(), SqliteDb::OpenMode::ExistingFile);
    db.Exec("PRAGMA synchronous=OFF");
    db.Exec("BEGIN");
    Random rnd(options.Seed);
    FillReferenceData(db);
    FillGoods(db, options.Goods, rnd);
    db.Exec("COMMIT");
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
  }
  CreateMainDatabase(mainPath.string());
}
