// TStrings/TStringList: sorting and duplicates, names and values, text forms, case,
// objects, change notices and files.
#include <gtest/gtest.h>

#include <cstdio>
#include "rtl/Streams.h"
#include "rtl/StringList.h"

namespace {

std::string Join(const TStrings& l) {
  std::string s;
  for (int i = 0; i < l.Count(); ++i) s += (i ? "|" : "") + l.Strings(i);
  return s;
}

class Tracked : public TObject {
 public:
  explicit Tracked(int* deaths) : FDeaths(deaths) {}
  ~Tracked() override { ++*FDeaths; }

 private:
  int* FDeaths;
};

std::string TempName(const char* tag) {
  return ::testing::TempDir() + "pos_strlist_" + tag + ".txt";
}

}  // namespace

TEST(StringList, IndexErrorsNameTheIndex) {
  TStringList l;
  l.Add("a");
  try {
    l.Strings(5);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
  EXPECT_THROW(l.Delete(-1), EStringListError);
  EXPECT_THROW(l.Insert(2, "x"), EStringListError);
  EXPECT_THROW(l.Objects(1), EStringListError);
  l.Insert(1, "b");  // Count is a valid insert position
  EXPECT_EQ(Join(l), "a|b");
}

TEST(StringList, SortedWithDuplicates) {
  struct {
    TDuplicates dup;
    const char* expected;
  } cases[] = {
      {dupIgnore, "a|B|c"},
      {dupAccept, "a|B|b|c"},
  };
  for (auto& c : cases) {
    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(c.dup);
    for (const char* s : {"c", "B", "a", "b"}) l.Add(s);
    EXPECT_EQ(Join(l), c.expected);
  }
  TStringList strict;
  strict.SetSorted(true);
  strict.SetDuplicates(dupError);
  strict.Add("x");
  try {
    strict.Add("X");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  EXPECT_EQ(strict.Count(), 1);
}

TEST(StringList, SortedAddReturnsPositionAndFindsFirstEqual) {
  TStringList l;
  l.SetSorted(true);
  l.SetDuplicates(dupAccept);
  EXPECT_EQ(l.Add("m"), 0);
  EXPECT_EQ(l.Add("a"), 0);
  EXPECT_EQ(l.Add("z"), 2);
  EXPECT_EQ(l.Add("m"), 2);  // after the equal line
  int i = -1;
  EXPECT_TRUE(l.Find("M", i));
  EXPECT_EQ(i, 1);
  EXPECT_FALSE(l.Find("n", i));
  EXPECT_EQ(i, 3);
  EXPECT_EQ(l.IndexOf("z"), 3);
  EXPECT_THROW(l.Insert(0, "q"), EStringListError);
  EXPECT_THROW(l.Exchange(0, 1), EStringListError);
  EXPECT_THROW(l.SetStrings(0, "q"), EStringListError);
}

TEST(StringList, SortedDuplicateIgnoreReturnsExistingIndex) {
  TStringList l;
  l.SetSorted(true);
  l.Add("b");
  l.Add("a");
  EXPECT_EQ(l.Add("B"), 1);
  EXPECT_EQ(Join(l), "a|b");
}

TEST(StringList, CaseSensitivity) {
  TStringList l;
  l.AddStrings({"Apple", "apple", "BANANA"});
  EXPECT_EQ(l.IndexOf("APPLE"), 0);
  EXPECT_EQ(l.IndexOf("banana"), 2);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("apple"), 1);
  EXPECT_EQ(l.IndexOf("banana"), -1);
  // Only ASCII letters fold: the GBK text matches only itself.
  TStringList g;
  g.Add("商品A");
  EXPECT_EQ(g.IndexOf("商品a"), 0);
  EXPECT_EQ(g.IndexOf("商品"), -1);
}

TEST(StringList, SortIsStableAndCaseSensitiveResorts) {
  TStringList l;
  l.AddStrings({"b", "A", "a", "B"});
  l.Sort();
  EXPECT_EQ(Join(l), "A|a|b|B");  // equal lines keep their order
  l.SetCaseSensitive(true);
  l.Sort();
  EXPECT_EQ(Join(l), "A|B|a|b");
  l.CustomSort([](TStringList& list, int i, int j) {
    return static_cast<int>(list.Strings(j)[0]) - static_cast<int>(list.Strings(i)[0]);
  });
  EXPECT_EQ(Join(l), "b|a|B|A");
}

TEST(StringList, NamesAndValues) {
  TStringList l;
  l.AddStrings({"Host=127.0.0.1", "Port=211", "NoValue", "Empty=", "Eq=a=b"});
  EXPECT_EQ(l.Names(0), "Host");
  EXPECT_EQ(l.Names(2), "");
  EXPECT_EQ(l.Values("port"), "211");
  EXPECT_EQ(l.Values("Eq"), "a=b");
  EXPECT_EQ(l.Values("Missing"), "");
  EXPECT_EQ(l.ValueFromIndex(3), "");
  EXPECT_EQ(l.IndexOfName("EMPTY"), 3);
  l.SetValues("Port", "212");
  l.SetValues("New", "1");
  l.SetValues("Host", "");  // an empty value deletes the line
  EXPECT_EQ(Join(l), "Port=212|NoValue|Empty=|Eq=a=b|New=1");
  l.SetNameValueSeparator(':');
  l.Add("K:V");
  EXPECT_EQ(l.Values("k"), "V");
}

TEST(StringList, TextSplitsAtEveryLineBreak) {
  struct {
    const char* text;
    const char* lines;
    int count;
  } cases[] = {
      {"a\r\nb\r\n", "a|b", 2},
      {"a\r\nb", "a|b", 2},        // last line without terminator
      {"a\nb\rc", "a|b|c", 3},
      {"a\r\n\r\nb", "a||b", 3},
      {"\r\n", "", 1},
      {"", "", 0},
      {"x\n\n", "x|", 2},
      {"中文\r\n测试", "中文|测试", 2},
  };
  for (auto& c : cases) {
    TStringList l;
    l.SetText(c.text);
    EXPECT_EQ(Join(l), c.lines) << c.text;
    EXPECT_EQ(l.Count(), c.count) << c.text;
  }
  TStringList l;
  l.AddStrings({"a", "", "b"});
  EXPECT_EQ(l.Text(), "a\r\n\r\nb\r\n");
}

TEST(StringList, CommaTextRoundTrip) {
  TStringList l;
  l.AddStrings({"plain", "with space", "q\"uote", "", "a,b", "中文"});
  EXPECT_EQ(l.CommaText(), "plain,\"with space\",\"q\"\"uote\",,\"a,b\",中文");
  TStringList r;
  r.SetCommaText(l.CommaText());
  EXPECT_EQ(Join(r), Join(l));
  EXPECT_EQ(r.Count(), 6);
}

TEST(StringList, DelimitedTextReading) {
  struct {
    char delimiter;
    bool strict;
    const char* text;
    const char* lines;
    int count;
  } cases[] = {
      {',', false, "a b,c", "a|b|c", 3},          // blanks separate without StrictDelimiter
      {',', true, "a b,c", "a b|c", 2},
      {',', false, "  a , b ", "a|b", 2},
      {',', false, "a,", "a|", 2},                // a delimiter at the end: one empty item
      {',', false, "\"x,y\",z", "x,y|z", 2},
      {',', false, "\"unclosed", "unclosed", 1},
      {';', true, "a;;b", "a||b", 3},
      {'|', true, "中|文", "中|文", 2},
  };
  for (auto& c : cases) {
    TStringList l;
    l.SetDelimiter(c.delimiter);
    l.SetStrictDelimiter(c.strict);
    l.SetDelimitedText(c.text);
    EXPECT_EQ(Join(l), c.lines) << c.text;
    EXPECT_EQ(l.Count(), c.count) << c.text;
  }
}

TEST(StringList, DelimiterThatIsAGbkTrailByteDoesNotSplit) {
  // "觤" is 0xD3 0x7C in GBK: its trail byte is '|'.
  TStringList l;
  l.SetDelimiter('|');
  l.SetStrictDelimiter(true);
  l.SetDelimitedText("\xD3\x7C|b");
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.Strings(0), "\xD3\x7C");
  EXPECT_EQ(l.DelimitedText(), "\xD3\x7C|b");
}

TEST(StringList, SingleEmptyLineSurvivesDelimitedText) {
  TStringList l;
  l.Add("");
  EXPECT_EQ(l.DelimitedText(), "\"\"");
  TStringList r;
  r.SetDelimitedText(l.DelimitedText());
  EXPECT_EQ(r.Count(), 1);
}

TEST(StringList, ObjectsOwnedOnlyWhenAsked) {
  int deaths = 0;
  auto* kept = new Tracked(&deaths);
  {
    TStringList l;
    l.AddObject("a", kept);
    EXPECT_EQ(l.IndexOfObject(kept), 0);
    l.Delete(0);
  }
  EXPECT_EQ(deaths, 0);
  delete kept;
  deaths = 0;
  {
    TStringList l(true);
    l.AddObject("a", new Tracked(&deaths));
    l.AddObject("b", new Tracked(&deaths));
    l.AddObject("c", new Tracked(&deaths));
    l.Delete(0);
    EXPECT_EQ(deaths, 1);
    l.SetObjects(0, new Tracked(&deaths));  // replaces and frees the old one
    EXPECT_EQ(deaths, 2);
  }
  EXPECT_EQ(deaths, 4);
}

TEST(StringList, MoveExchangeCarryObjects) {
  TStringList l;
  TObject o1, o2;
  l.AddObject("one", &o1);
  l.AddObject("two", &o2);
  l.Add("three");
  l.Move(0, 2);
  EXPECT_EQ(Join(l), "two|three|one");
  EXPECT_EQ(l.Objects(2), &o1);
  l.Exchange(0, 2);
  EXPECT_EQ(Join(l), "one|three|two");
  EXPECT_EQ(l.Objects(2), &o2);
}

TEST(StringList, ChangeNoticesBatchInUpdates) {
  TStringList l;
  std::string log;
  l.OnChanging = [&](TObject*) { log += "<"; };
  l.OnChange = [&](TObject*) { log += ">"; };
  l.Add("a");
  EXPECT_EQ(log, "<>");
  log.clear();
  l.BeginUpdate();
  l.BeginUpdate();
  l.Add("b");
  l.Delete(0);
  l.EndUpdate();
  EXPECT_EQ(log, "<");
  l.EndUpdate();
  EXPECT_EQ(log, "<>");
  log.clear();
  l.SetText("x\r\ny");
  EXPECT_EQ(log, "<>");
}

TEST(StringList, AssignAndAddStrings) {
  TStringList a, b;
  TObject o;
  a.AddObject("x", &o);
  a.Add("y");
  b.Add("old");
  b.Assign(&a);
  EXPECT_EQ(Join(b), "x|y");
  EXPECT_EQ(b.Objects(0), &o);
  b.AddStrings(b);  // itself: each line once more
  EXPECT_EQ(Join(b), "x|y|x|y");
  TPersistent other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
  EXPECT_TRUE(a.Equals(a));
  EXPECT_FALSE(a.Equals(b));
}

TEST(StringList, StreamsAndFilesKeepGbkBytes) {
  TStringList l;
  l.AddStrings({"商品", "数量=3"});
  TMemoryStream m;
  l.SaveToStream(m);
  EXPECT_EQ(m.Size(), static_cast<int64_t>(l.Text().size()));
  m.SetPosition(0);
  TStringList r;
  r.LoadFromStream(m);
  EXPECT_EQ(Join(r), "商品|数量=3");

  std::string name = TempName("gbk");
  l.SaveToFile(name);
  TStringList f;
  f.LoadFromFile(name);
  EXPECT_EQ(f.Text(), l.Text());
  std::remove(name.c_str());
  EXPECT_THROW(f.LoadFromFile(name), EFOpenError);
}
