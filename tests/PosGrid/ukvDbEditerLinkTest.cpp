// The editor's lookup links: which handler each dataset notice reaches, field lookups
// that give none instead of raising, and locating a key with the controls disabled only
// for the search.
#include <gtest/gtest.h>

#include "ColumnsFixture.h"
#include "VCLSource/source/PosGrid/ukvDbEditerLink.h"
#include "db/DataSet.h"
#include "db/Field.h"

using kwtest::GoodsPacket;
using kwtest::ThreeGoods;

namespace {

struct LinkedGoods {
  std::unique_ptr<TClientDataSet> DataSet{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> Source{new TDataSource(nullptr)};
  TkwLookupSourceLink Link;
  std::string Log;

  // The dataset is open (a client dataset gets its records by SetData, which opens it).
  LinkedGoods() {
    DataSet->SetData(GoodsPacket(ThreeGoods()));
    Source->SetDataSet(DataSet.get());
    Link.OnDataChange = [this](TField* f) { Log += "data(" + std::string(f ? f->FieldName().c_str() : "-") + ") "; };
    Link.OnFieldsChange = [this](TkwLookupSourceLink* l) {
      Log += std::string(l == &Link ? "fields" : "other") + (LinkField(Link, "NAME") ? "+ " : "- ");
    };
    Link.SetDataSource(Source.get());
  }
  ~LinkedGoods() { Link.SetDataSource(nullptr); }
  void Reopen() { DataSet->SetData(GoodsPacket(ThreeGoods())); }
  std::string Take() {
    std::string s = Log;
    Log.clear();
    return s;
  }
};

}  // namespace

TEST(LookupSourceLink, NoticesReachTheDataAndFieldsHandlers) {
  LinkedGoods g;
  EXPECT_EQ(g.Take(), "fields+ data(-) ");  // linked to an open dataset
  g.DataSet->Next();
  EXPECT_EQ(g.Take(), "data(-) ");
  g.DataSet->Edit();
  g.Take();
  g.DataSet->FieldByName("QTY")->SetAsVariant(Variant(9.0));
  EXPECT_EQ(g.Take(), "data(QTY) ");
  g.DataSet->Cancel();
  g.Take();
  // Closing: the fields are gone and the handler finds none, without raising.
  g.DataSet->Close();
  EXPECT_EQ(g.Take(), "fields- data(-) ");
  g.Reopen();
  EXPECT_EQ(g.Take(), "fields+ data(-) ");
}

TEST(LookupSourceLink, LinkFieldGivesNoneForEmptyUnknownOrInactive) {
  LinkedGoods g;
  EXPECT_EQ(LinkField(g.Link, "NAME"), g.DataSet->FieldByName("NAME"));
  EXPECT_EQ(LinkField(g.Link, ""), nullptr);
  EXPECT_EQ(LinkField(g.Link, "NOPE"), nullptr);
  TkwLookupSourceLink unlinked;
  EXPECT_EQ(LinkField(unlinked, "NAME"), nullptr);
  g.DataSet->Close();
  EXPECT_EQ(LinkField(g.Link, "NAME"), nullptr);
}

// The source going away detaches the link: no handler reaches a freed source.
TEST(LookupSourceLink, AFreedSourceLeavesTheLinkDetached) {
  LinkedGoods g;
  g.Take();
  g.Source.reset();
  EXPECT_EQ(g.Link.DataSource(), nullptr);
  EXPECT_FALSE(g.Link.Active());
  EXPECT_EQ(g.Take(), "fields- data(-) ");
}

TEST(LookupSourceLink, LocateKeyFindsAndLeavesTheControlsEnabled) {
  LinkedGoods g;
  EXPECT_FALSE(LocateKey(nullptr, "ID", Variant(2)));
  EXPECT_TRUE(LocateKey(g.DataSet.get(), "ID", Variant(3)));
  EXPECT_EQ(g.DataSet->FieldByName("NAME")->AsVariant().AsString(), "桃");
  EXPECT_FALSE(LocateKey(g.DataSet.get(), "ID", Variant(7)));
  EXPECT_FALSE(LocateKey(g.DataSet.get(), "ID", Variant()));
  EXPECT_FALSE(g.DataSet->ControlsDisabled());
  g.DataSet->Close();
  EXPECT_FALSE(LocateKey(g.DataSet.get(), "ID", Variant(2)));
  EXPECT_FALSE(g.DataSet->ControlsDisabled());
}

// Regression: a search that raised (an unknown key field) left the lookup dataset's
// controls disabled for good.
TEST(LookupSourceLink, FaultARaisingLocateLeftTheControlsDisabled) {
  LinkedGoods g;
  EXPECT_ANY_THROW(LocateKey(g.DataSet.get(), "NOPE", Variant(1)));
  EXPECT_FALSE(g.DataSet->ControlsDisabled());
}
