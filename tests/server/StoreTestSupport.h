// Test support of the store side: a fresh copy of the demo store per test, texts in
// the clients' encodings, packed parameter lists, and record sets rendered to one
// string (fields looked up as the clients do: by name, case-insensitive, first wins).
#pragma once
#include <gtest/gtest.h>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include "server/DemoStore.h"
#include "server/StoreSession.h"

namespace storetest {

// UTF-8 test text (u8 literal or plain) in the clients' encodings.
std::string Utf8(const char8_t* s);
AnsiString Gbk(const char8_t* s);
WideString Wide(const char8_t* s);
WideString Wide(const std::string& utf8);
// GBK back to UTF-8, to compare with u8 literals.
std::string FromGbk(const AnsiString& s);

// A packed parameter list of (name, value) pairs, every kind "unknown", data types
// following the values, as the clients pack them.
Variant Params(std::initializer_list<std::pair<const char*, Variant>> params);
Variant Params(const std::vector<std::pair<AnsiString, Variant>>& params);
// A named value of an unpacked output list (Null when absent).
Variant OutParam(const Variant& packed, const char* name);

// Index of the first field of that name, case-insensitive; -1 when absent.
int FieldIndex(const TDataPacket& p, const char* name);
// Rows rendered as "v1|v2|...\n" (values as UTF-8 text; Null as "<null>") for the
// named fields; a field the packet lacks renders as "<missing>".
std::string Render(const TDataPacket& p, const std::vector<const char*>& fields);
// The first row's value of a field as UTF-8 text ("" when there is no row).
std::string First(const TDataPacket& p, const char* field);

// Today as the screens write it into SQL: yyyy-mm-dd.
std::string Today();

// A fresh copy of the demo store (made once per test program) in its own folder.
class DemoStoreTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  const std::string& Dir() const { return FDir; }
  // A session switched to the store (or main) database.
  std::unique_ptr<StoreSession> StoreDb();
  std::unique_ptr<StoreSession> MainDb();
  // A direct query of the store database, rendered as Render does (all fields).
  std::string Query(const char* db, const std::string& utf8Sql);

 private:
  std::string FDir;
};

}  // namespace storetest
