// The data-aware grid's columns in a component stream: the "Columns" property holds the
// customised columns, byte for byte as the collection writes them; a default layout is not
// written; a grid read from the stream gets the same columns, parents included.
#include <algorithm>

#include "KwDbGridTestSupport.h"
#include "rtl/ComponentStreaming.h"
#include "rtl/Streams.h"

using namespace kwtest;
using namespace uitest;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes WriteGrid(TkwCustomDBGrid* grid) {
  TMemoryStream m;
  TWriter w(m);
  w.WriteRootComponent(grid);
  return m.Bytes();
}

Bytes WriteColumns(TkwDBGridColumns* columns) {
  TMemoryStream m;
  TWriter w(m);
  w.WriteCollection(columns);
  return m.Bytes();
}

// Where "Columns" (as a property name) starts, or npos.
size_t FindColumnsProperty(const Bytes& b) {
  const Bytes name = {7, 'C', 'o', 'l', 'u', 'm', 'n', 's'};
  const auto at = std::search(b.begin(), b.end(), name.begin(), name.end());
  return at == b.end() ? std::string::npos : static_cast<size_t>(at - b.begin());
}

}  // namespace

TEST(KwDbGridStream, ADefaultLayoutWritesNoColumns) {
  DbGridForm f(3);
  f.Bind();
  f.Show();
  ASSERT_EQ(f.grid->Columns()->Count(), 4);
  ASSERT_EQ(f.grid->Columns()->State(), TkwDBGridColumns::csDefault);
  EXPECT_EQ(FindColumnsProperty(WriteGrid(f.grid)), std::string::npos);
}

TEST(KwDbGridStream, CustomisedColumnsAreWrittenAndReadBackWithTheirParents) {
  DbGridForm f(3);
  TkwColumn* goods = f.grid->Columns()->Add();
  goods->Title()->SetCaption("商品");
  for (const char* name : {"NAME", "QTY"}) {
    TkwColumn* c = f.grid->Columns()->Add();
    c->SetFieldName(name);
    c->SetParent(goods);
  }
  f.grid->Columns()->Items(2)->PickList()->Add("一");
  f.Bind();
  f.Show();
  const Bytes written = WriteGrid(f.grid);
  const Bytes columns = WriteColumns(f.grid->Columns());
  const size_t at = FindColumnsProperty(written);
  ASSERT_NE(at, std::string::npos);
  ASSERT_GE(written.size(), at + 8 + columns.size());
  const auto from = written.begin() + static_cast<long>(at + 8);
  EXPECT_EQ(Bytes(from, from + static_cast<long>(columns.size())), columns);

  DbGridForm g(3);
  TMemoryStream m;
  m.Write(written.data(), static_cast<int64_t>(written.size()));
  m.SetPosition(0);
  TReader r(m);
  r.ReadRootComponent(g.grid);
  ASSERT_EQ(g.grid->Columns()->Count(), 3);
  EXPECT_EQ(g.grid->Columns()->Items(1)->Parent(), g.grid->Columns()->Items(0));
  EXPECT_EQ(g.grid->Columns()->Items(2)->ParentCaption(), "商品QTY");
  EXPECT_EQ(g.grid->Columns()->Items(2)->PickList()->Count(), 1);
  EXPECT_EQ(WriteColumns(g.grid->Columns()), columns);
}
