// Texts a definition keeps once: numbering, sweeping, and a Boolean definition's stored
// and shown texts against a definition that keeps its texts in cells, under random
// edits, inserts, deletes, invalidations and layout changes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include "HardTexts.h"
#include "VCLSource/source/PosGrid/ukvDataManager.h"

namespace {

TEST(SharedTexts, OneNumberPerTextAndSweepRenumbers) {
  TkvSharedTexts t;
  EXPECT_EQ(t.Add(""), 0u);
  const uint32_t yes = t.Add("\xCA\xC7");  // 是
  const uint32_t no = t.Add("\xB7\xF1");   // 否
  const uint32_t longText = t.Add("ABCDEFGHIJKLMNOP\xA3\xC1");
  EXPECT_NE(yes, no);
  EXPECT_EQ(t.Add("\xCA\xC7"), yes);
  EXPECT_EQ(t.Add("ABCDEFGHIJKLMNOP\xA3\xC1"), longText);
  EXPECT_EQ(t.Count(), 3u);
  EXPECT_EQ(t.Text(no), "\xB7\xF1");
  EXPECT_EQ(t.Text(0), "");
  EXPECT_EQ(t.Text(4), "");  // names nothing
  EXPECT_EQ(t.Text(0xFFFFFFFFu), "");

  std::vector<bool> held(4, false);
  held[longText] = true;
  const std::vector<uint32_t> renumbered = t.Sweep(held);
  ASSERT_EQ(renumbered.size(), 4u);
  EXPECT_EQ(renumbered[yes], 0u);
  EXPECT_EQ(renumbered[no], 0u);
  EXPECT_EQ(renumbered[longText], 1u);
  EXPECT_EQ(t.Count(), 1u);
  EXPECT_EQ(t.Text(1), "ABCDEFGHIJKLMNOP\xA3\xC1");
  // A dropped text comes back under a new number; the kept one keeps its new number.
  EXPECT_EQ(t.Add("\xCA\xC7"), 2u);
  EXPECT_EQ(t.Add("ABCDEFGHIJKLMNOP\xA3\xC1"), 1u);
}

TEST(SharedTexts, BooleanDefinitionKeepsItsTextsOutOfTheCells) {
  TkvDataStorage s;
  TkvValueDef* b = s.ValueDefs().Add(TkvBooleanValueTypeClass(), true, true, nullptr);
  TkvValueDef* i = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, true, nullptr);
  EXPECT_TRUE(b->SharesTexts());
  EXPECT_FALSE(i->SharesTexts());
  EXPECT_EQ(b->CellCount(), 0);
  EXPECT_EQ(i->CellCount(), 2);
  s.SetRecordCount(1000);
  for (int r = 0; r < 1000; ++r) {
    s.SetBoolean(r, b, r % 3 == 0);
    s.SetDisplayText(r, b, r % 3 == 0 ? "\xCA\xC7" : "\xB7\xF1");
  }
  EXPECT_EQ(b->SharedTexts().Count(), 2u);
  AnsiString text;
  s.GetDisplayText(999, b, text);
  EXPECT_EQ(text, "\xCA\xC7");
  s.GetDisplayText(998, b, text);
  EXPECT_EQ(text, "\xB7\xF1");
  // The internal twin keeps its own texts.
  const int scratch = s.AppendInternalRecord();
  s.SetDisplayText(scratch, b, "\xCA\xC7");
  s.GetDisplayText(scratch, b, text);
  EXPECT_EQ(text, "\xCA\xC7");
}

// The Boolean definition (texts kept once) and the Integer definition (texts in cells)
// get the same source texts and the same display callback: they must show the same.
TEST(SharedTexts, SameTextsAsCellsUnderRandomChanges) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    kvtest::HardTexts hard(seed);
    TkvDataStorage s;
    TkvValueDef* b = s.ValueDefs().Add(TkvBooleanValueTypeClass(), true, true, nullptr);
    TkvValueDef* c = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, true, nullptr);
    int shown = 0;
    // Ever new texts after invalidations: the shared texts must be swept.
    auto decorate = [&](TkvValueDef*, int index, AnsiString& text) {
      if (!text.empty() || index % 2 == 0) text += "#" + std::to_string(index) + "." + std::to_string(shown);
    };
    b->OnGetText = decorate;
    c->OnGetText = decorate;
    s.SetRecordCount(200);
    std::vector<int> scratch;
    TkvValueDef* extra = nullptr;
    for (int step = 0; step < 6000; ++step) {
      const int count = s.RecordCount();
      const int op = hard.Pick(20);
      int index = count > 0 ? hard.Pick(count) : 0;
      if (!scratch.empty() && hard.Pick(4) == 0) index = scratch[static_cast<size_t>(hard.Pick(static_cast<int>(scratch.size())))];
      if (op < 8 && (count > 0 || index < 0)) {
        const std::string t = hard.Pick(5) == 0 ? std::string() : hard.Text(4);
        s.SetDisplayText(index, b, t);
        s.SetDisplayText(index, c, t);
      } else if (op < 14 && (count > 0 || index < 0)) {
        AnsiString tb, tc;
        s.GetDisplayText(index, c, tc);
        s.GetDisplayText(index, b, tb);
        ASSERT_EQ(tb, tc) << "record " << index;
      } else if (op == 14) {
        ++shown;
        b->InvalidateTexts();
        c->InvalidateTexts();
      } else if (op == 15) {
        s.InsertRecord(count > 0 ? hard.Pick(count + 1) : 0);
      } else if (op == 16 && count > 0) {
        s.DeleteRecord(hard.Pick(count));
      } else if (op == 17) {
        if (scratch.size() < 4) scratch.push_back(s.AppendInternalRecord());
        else {
          s.DeleteRecord(scratch.back());
          scratch.pop_back();
        }
      } else if (op == 18) {
        // A layout change moves the definitions' bytes.
        if (extra) {
          s.ValueDefs().Remove(extra);
          extra = nullptr;
        } else {
          extra = s.ValueDefs().Add(TkvStringValueTypeClass(), true, false, nullptr);
        }
      } else if (op == 19 && hard.Pick(50) == 0) {
        s.Clear(hard.Pick(2) == 0);
        scratch.clear();
        s.SetRecordCount(hard.Pick(100));
      }
    }
    // Every record still shows what the cells show; the texts stay within reach of what
    // the records hold.
    size_t held = 0;
    for (int r = 0; r < s.RecordCount(); ++r) {
      AnsiString tb, tc;
      s.GetDisplayText(r, c, tc);
      s.GetDisplayText(r, b, tb);
      ASSERT_EQ(tb, tc);
      held += 2;
    }
    EXPECT_LE(b->SharedTexts().Count(), 2 * held + 64);
  }
}

}  // namespace
