// Record blocks and cells of the record storage: the pool hands out distinct blocks and
// reuses released ones by size, a cell keeps what it was given (texts at the edge of the
// inside ones, wide texts, Variants, moves, its own text given back to it), and the
// storage under random inserts, deletes, layout changes and clears holds exactly what a
// plain model holds (under AddressSanitizer this also proves that no record is used
// after its block went back to the pool).
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <set>

#include "HardTexts.h"
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

TEST(RecordPool, BlocksAreDistinctAndReleasedOnesServeTheSameSize) {
  TkvRecordPool pool;
  std::mt19937 rnd(3);
  struct Block {
    unsigned char* P;
    size_t Size;
    unsigned char Mark;
  };
  std::vector<Block> blocks;
  for (int i = 0; i < 3000; ++i) {
    // Sizes around the rounding, and some taking a heap block of their own.
    const size_t size = i % 100 == 0 ? 70000 + rnd() % 5000 : 16 + rnd() % 300;
    auto* p = static_cast<unsigned char*>(pool.Allocate(size));
    ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % kvRecordBlockAlign, 0u);
    const auto mark = static_cast<unsigned char>(i);
    std::memset(p, mark, size);
    blocks.push_back({p, size, mark});
  }
  // Nothing written into one block reached another.
  for (const Block& b : blocks)
    for (size_t k = 0; k < b.Size; ++k) ASSERT_EQ(b.P[k], b.Mark);
  // A released block is the next one handed out for its size.
  const Block& victim = blocks[10];
  pool.Release(victim.P, victim.Size);
  EXPECT_EQ(pool.Allocate(victim.Size), victim.P);
  const size_t held = pool.ChunkBytes();
  EXPECT_GT(held, 0u);
  for (const Block& b : blocks) pool.Release(b.P, b.Size);
  // The same sizes again come from the released blocks: the chunks do not grow.
  std::set<void*> reused;
  for (Block& b : blocks) {
    b.P = static_cast<unsigned char*>(pool.Allocate(b.Size));
    reused.insert(b.P);
  }
  EXPECT_EQ(pool.ChunkBytes(), held);
  EXPECT_EQ(reused.size(), blocks.size());
  for (const Block& b : blocks) pool.Drop(b.P, b.Size);  // large blocks go back now
  pool.Reset();
  EXPECT_EQ(pool.ChunkBytes(), 0u);
}

// What a cell should hold: nothing, a text, a wide text or a Variant.
struct CellModel {
  enum Kind { kNone, kText, kWide, kVariant } K = kNone;
  std::string Text;
  WideString Wide;
  Variant V;
};

std::string Render(const TkvCell& c) {
  std::string out = c.Empty() ? "empty" : "";
  if (c.HasText()) out += "text[" + std::string(c.Text()) + "]";
  if (const WideString* w = c.Wide()) out += "wide[" + WideToGbk(*w) + "]";
  if (const Variant* v = c.HeldVariant()) out += "variant[" + VarToStr(*v) + "]";
  return out;
}

std::string Render(const CellModel& m) {
  switch (m.K) {
    case CellModel::kNone: return "empty";
    case CellModel::kText: return "text[" + m.Text + "]";
    case CellModel::kWide: return "wide[" + WideToGbk(m.Wide) + "]";
    default: return "variant[" + VarToStr(m.V) + "]";
  }
}

TEST(RecordCell, HoldsWhatItWasGivenAcrossKindsMovesAndItsOwnText) {
  kvtest::HardTexts texts(17);
  std::mt19937 rnd(21);
  constexpr int kCells = 8;
  std::vector<TkvCell> cells(kCells);
  std::vector<CellModel> model(kCells);
  for (int step = 0; step < 40000; ++step) {
    const size_t i = rnd() % kCells, j = rnd() % kCells;
    switch (rnd() % 8) {
      case 0:
      case 1: {
        // Texts of 0 to 40 bytes, often right at the edge of the ones kept inside.
        std::string t = texts.Text(8);
        if (rnd() % 2) t = std::string(14 + rnd() % 4, 'x') + t.substr(0, rnd() % 2);
        cells[i].SetText(t);
        model[i] = {CellModel::kText, t, {}, {}};
        break;
      }
      case 2: {
        // A cell given (a part of) its own text.
        if (model[i].K != CellModel::kText) break;
        const size_t n = rnd() % (model[i].Text.size() + 1);
        cells[i].SetText(cells[i].Text().substr(0, n));
        model[i].Text.resize(n);
        break;
      }
      case 3: {
        const WideString w = GbkToWide(texts.Text());
        cells[i].SetWide(w);
        model[i] = {CellModel::kWide, {}, w, {}};
        break;
      }
      case 4: {
        const Variant v = rnd() % 2 ? Variant(static_cast<int>(rnd() % 1000)) : Variant(texts.Text());
        cells[i].SetVariant(v);
        model[i] = {CellModel::kVariant, {}, {}, v};
        break;
      }
      case 5:
        cells[i].Clear();
        model[i] = {};
        break;
      case 6:
        if (i == j) break;
        cells[i] = std::move(cells[j]);
        model[i] = model[j];
        model[j] = {};
        break;
      default: {
        TkvCell moved(std::move(cells[i]));
        cells[i] = std::move(moved);
        break;
      }
    }
    for (int k = 0; k < kCells; ++k) ASSERT_EQ(Render(cells[k]), Render(model[k])) << "step " << step << " cell " << k;
  }
  // An empty text is a text, not nothing.
  TkvCell c;
  c.SetText("");
  EXPECT_TRUE(c.HasText());
  EXPECT_FALSE(c.Empty());
}

// --- the storage against a model ----------------------------------------------------------

// A field of the model: its definition and its values by record (nullopt: Null).
struct ModelField {
  TkvValueDef* Def;
  bool IsText;
  std::vector<std::optional<std::string>> Values;
};

std::string Dump(TkvDataStorage& s, const std::vector<ModelField>& fields) {
  std::string out;
  for (int r = 0; r < s.RecordCount(); ++r) {
    out += std::to_string(s.GetRecordId(r)) + ":";
    for (const ModelField& f : fields) {
      Variant v;
      s.GetValue(r, f.Def, v);
      out += (v.IsNull() ? "~" : VarToStr(v)) + ",";
    }
    out += "|";
  }
  return out;
}

std::string Dump(const std::vector<uint32_t>& ids, const std::vector<ModelField>& fields) {
  std::string out;
  for (size_t r = 0; r < ids.size(); ++r) {
    out += std::to_string(ids[r]) + ":";
    for (const ModelField& f : fields) out += (f.Values[r] ? *f.Values[r] : "~") + ",";
    out += "|";
  }
  return out;
}

TEST(RecordStorage, RandomInsertsDeletesLayoutChangesAndClearsKeepEveryValue) {
  kvtest::HardTexts texts(29);
  std::mt19937 rnd(31);
  TkvDataStorage s;
  s.SetRecordIds(true);
  std::vector<ModelField> fields;
  std::vector<uint32_t> ids;
  uint32_t nextId = 1;
  auto addField = [&] {
    const bool text = rnd() % 2 == 0;
    TkvValueDef* d = s.ValueDefs().Add(text ? TkvStringValueTypeClass() : TkvIntegerValueTypeClass(), true,
                                       rnd() % 3 == 0, nullptr);
    fields.push_back({d, text, std::vector<std::optional<std::string>>(ids.size())});
  };
  addField();
  int scratch = s.AppendInternalRecord();
  for (int step = 0; step < 4000; ++step) {
    const int n = s.RecordCount();
    const int op = static_cast<int>(rnd() % 100);
    if (op < 33) {
      const int at = static_cast<int>(rnd() % static_cast<uint32_t>(n + 1));
      s.InsertRecord(at);
      ids.insert(ids.begin() + at, nextId++);
      for (ModelField& f : fields) f.Values.insert(f.Values.begin() + at, std::nullopt);
    } else if (op < 55 && n > 0) {
      const int at = static_cast<int>(rnd() % static_cast<uint32_t>(n));
      s.DeleteRecord(at);
      ids.erase(ids.begin() + at);
      for (ModelField& f : fields) f.Values.erase(f.Values.begin() + at);
      if (ids.empty()) nextId = 1;
    } else if (op < 88 && n > 0 && !fields.empty()) {
      const int at = static_cast<int>(rnd() % static_cast<uint32_t>(n));
      ModelField& f = fields[rnd() % fields.size()];
      if (rnd() % 6 == 0) {
        s.SetValue(at, f.Def, Variant::Null());
        f.Values[static_cast<size_t>(at)].reset();
      } else if (f.IsText) {
        const std::string t = rnd() % 2 ? texts.Text(10) : std::string(rnd() % 40, 'y');
        s.SetString(at, f.Def, t);
        f.Values[static_cast<size_t>(at)] = t;
      } else {
        const int32_t v = static_cast<int32_t>(rnd());
        s.SetInteger(at, f.Def, v);
        f.Values[static_cast<size_t>(at)] = std::to_string(v);
      }
      s.SetDisplayText(at, f.Def, "shown");
    } else if (op < 92 && fields.size() < 6) {
      addField();
    } else if (op < 95 && !fields.empty()) {
      const size_t k = rnd() % fields.size();
      s.ValueDefs().Remove(fields[k].Def);
      fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(k));
    } else if (op < 98) {
      // Scratch records come and go between the data records' changes.
      s.DeleteRecord(scratch);
      scratch = s.AppendInternalRecord();
      if (!fields.empty()) s.SetValue(scratch, fields[0].Def, fields[0].IsText ? Variant("scratch") : Variant(7));
    } else if (op < 99 && rnd() % 8 == 0) {
      s.Clear(rnd() % 2 == 0);
      if (s.InternalRecordCount() == 0) scratch = s.AppendInternalRecord();
      ids.clear();
      nextId = 1;
      for (ModelField& f : fields) f.Values.clear();
    }
    ASSERT_EQ(Dump(s, fields), Dump(ids, fields)) << "step " << step;
  }
}

}  // namespace
