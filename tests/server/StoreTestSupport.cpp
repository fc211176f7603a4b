// Test support of the store side; see StoreTestSupport.h.
#include "StoreTestSupport.h"

#include <unistd.h>
#include <mutex>
#include "rtl/DateTime.h"
#include "server/ParamPacking.h"

namespace fs = std::filesystem;

namespace storetest {

std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }
AnsiString Gbk(const char8_t* s) { return Utf8ToGbk(Utf8(s)); }
WideString Wide(const char8_t* s) { return Utf8ToWide(Utf8(s)); }
WideString Wide(const std::string& utf8) { return Utf8ToWide(utf8); }
std::string FromGbk(const AnsiString& s) { return GbkToUtf8(s); }

Variant Params(std::initializer_list<std::pair<const char*, Variant>> params) {
  std::vector<std::pair<AnsiString, Variant>> named;
  for (const auto& [name, value] : params) named.emplace_back(name, value);
  return Params(named);
}

Variant Params(const std::vector<std::pair<AnsiString, Variant>>& params) {
  std::vector<store::PackedParam> list;
  for (const auto& [name, value] : params) {
    store::PackedParam p;
    p.Name = name;
    p.Value = value;
    switch (value.VType()) {
      case varString: case varOleStr: p.DataType = ftString; break;
      case varDate: p.DataType = ftDateTime; break;
      case varDouble: p.DataType = ftFloat; break;
      case varByte: p.DataType = ftWord; break;
      default: p.DataType = ftInteger; break;
    }
    list.push_back(p);
  }
  return store::PackParams(list);
}

Variant OutParam(const Variant& packed, const char* name) {
  for (const store::PackedParam& p : store::UnpackParams(packed)) {
    if (SameText(p.Name, name)) return p.Value;
  }
  return Variant::Null();
}

int FieldIndex(const TDataPacket& p, const char* name) {
  for (size_t i = 0; i < p.Fields.size(); ++i) {
    if (SameText(p.Fields[i].Name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string Render(const TDataPacket& p, const std::vector<const char*>& fields) {
  std::string out;
  for (const auto& row : p.Rows) {
    bool firstField = true;
    for (const char* f : fields) {
      if (!firstField) out += '|';
      firstField = false;
      const int i = FieldIndex(p, f);
      if (i < 0) {
        out += "<missing>";
      } else if (row[static_cast<size_t>(i)].IsNull()) {
        out += "<null>";
      } else {
        out += FromGbk(VarToStr(row[static_cast<size_t>(i)]));
      }
    }
    out += '\n';
  }
  return out;
}

std::string First(const TDataPacket& p, const char* field) {
  const int i = FieldIndex(p, field);
  if (p.Rows.empty() || i < 0) return "";
  return FromGbk(VarToStr(p.Rows[0][static_cast<size_t>(i)]));
}

std::string Today() {
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

namespace {
// The demo store is made once per test program, then copied for each test.
const fs::path& Template() {
  static std::once_flag once;
  static fs::path dir;
  std::call_once(once, [] {
    dir = fs::temp_directory_path() / ("pos-store-template-" + std::to_string(getpid()));
    MakeDemoStore(dir.string());
  });
  return dir;
}

struct TemplateCleanup {
  ~TemplateCleanup() {
    std::error_code ec;
    fs::remove_all(fs::temp_directory_path() / ("pos-store-template-" + std::to_string(getpid())), ec);
  }
} templateCleanup;
}  // namespace

void DemoStoreTest::SetUp() {
  static int serial = 0;
  const fs::path dir = fs::temp_directory_path() /
                       ("pos-store-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* name : {"PosStore.db", "PosMain.db"}) {
    fs::copy_file(Template() / name, dir / name);
  }
  FDir = dir.string();
}

void DemoStoreTest::TearDown() {
  std::error_code ec;
  fs::remove_all(FDir, ec);
}

std::unique_ptr<StoreSession> DemoStoreTest::StoreDb() {
  auto s = std::make_unique<StoreSession>(FDir);
  s->ChangeDb("PosStore");
  return s;
}

std::unique_ptr<StoreSession> DemoStoreTest::MainDb() {
  auto s = std::make_unique<StoreSession>(FDir);
  s->ChangeDb("PosMain");
  return s;
}

std::string DemoStoreTest::Query(const char* db, const std::string& utf8Sql) {
  StoreSession s(FDir);
  s.ChangeDb(db);
  const TDataPacket p = s.OpenSQL(Wide(utf8Sql));
  std::string out;
  for (const auto& row : p.Rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i) out += '|';
      out += row[i].IsNull() ? "<null>" : FromGbk(VarToStr(row[i]));
    }
    out += '\n';
  }
  return out;
}

}  // namespace storetest
