// The demo store: a clothing store's databases, generated from a seed, for the demo,
// the end-to-end tests and the benchmarks.
//
// MakeDemoStore writes two database files into dir (made when missing; existing files
// of the same names are replaced):
//   PosStore.db  the store database (the screens' data: goods in colours and sizes with
//                barcodes, retail prices, stock per warehouse, employees, terminals,
//                card types, ...)
//   PosMain.db   the main database that stock-take bills are uploaded to
// The same options always give the same contents (no clock, no system random source).
// The layout of both is described in docs/formats/store-schema.md.
#pragma once
#include <cstdint>
#include <string>

constexpr const char* kDemoStoreDbName = "PosStore";
constexpr const char* kDemoMainDbName = "PosMain";

struct DemoStoreOptions {
  int Goods = 300;               // goods (leaf entries of the goods tree), 1..1,000,000
  uint64_t Seed = 20240305;      // the generator's seed
};

// Raises EStoreError when dir cannot be made or a file cannot be written, and for a
// Goods count outside its range.
void MakeDemoStore(const std::string& dir, const DemoStoreOptions& options = {});

// Creates an empty database file of either kind (schema and system rows only), as
// MakeDemoStore does before it fills them. The file must not exist yet.
void CreateStoreDatabase(const std::string& path);
void CreateMainDatabase(const std::string& path);
