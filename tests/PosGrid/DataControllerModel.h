// The data controller's model checker, shared by the controller's own tests and the grid's
// tests under Wine (which run it with the grid attached): a random sequence of dataset and
// controller operations (insert, append, edit, post, cancel, delete, moves, focus, in-memory
// and dataset filters, sorting by one to three fields, reloads, search) with the rows, the
// focus and the summaries re-validated against a brute-force recomputation after every
// operation, and the controller's own invariants after every change notice.
//
// The recomputation takes the slow road on purpose: values as Variants, the filter
// through the criteria's Variant evaluation, the order through CompareVariants; the
// controller answers through its typed comparisons, so the checker also proves that
// both roads agree.
//
// In key mode the records are found by a unique ID rather than by their place, so the
// storage is checked against the dataset record by record through the key.
//
// A program also moves the dataset itself (RecNo, Locate, First and Next) and sometimes
// edits the record it moved to: the dataset must be where the program put it, the edit
// must change that record and no other, and the operations after it that change no
// focus (criteria, sorting, options, reloads, edits) must leave the dataset there, unless
// a criteria change hid the row the controller had focused (then row 0 is focused).
//
// The model works on a ModelSubject: a client dataset of the six columns of Packet6 and a
// data controller bound to it; the subject may check itself after every operation
// (Settle), so a grid can process its deferred updates and compare its rows there.
#pragma once
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "DataControllerFixture.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "rtl/Currency.h"

namespace kvtest {

// What the model works on.
class ModelSubject {
 public:
  virtual ~ModelSubject() = default;
  virtual TClientDataSet& DataSet() = 0;
  virtual TkvCustomDbDataController& Controller() = 0;
  // The controller's field item of a column of Packet6.
  virtual TkvDbField* F(const char* name) = 0;
  // Runs after every operation, before the model's checks; a text is a failure.
  virtual std::string Settle() { return {}; }
  // Set by the model: to be called after every change notice of the controller.
  std::function<void(uint16_t)> AfterNotice;
};

// A bare data controller over the dataset (kvtest::Grid).
class PlainModelSubject : public ModelSubject {
 public:
  explicit PlainModelSubject(const std::vector<Row6>& rows) : FGrid(rows) {
    FGrid.AfterNotice = [this](uint16_t mask) {
      if (AfterNotice) AfterNotice(mask);
    };
  }
  TClientDataSet& DataSet() override { return *FGrid.DataSet; }
  TkvCustomDbDataController& Controller() override { return *FGrid.C; }
  TkvDbField* F(const char* name) override { return FGrid.F(name); }

 private:
  Grid FGrid;
};

using ModelSubjectFactory = std::function<std::unique_ptr<ModelSubject>(const std::vector<Row6>&)>;
inline std::unique_ptr<ModelSubject> PlainSubject(const std::vector<Row6>& rows) {
  return std::make_unique<PlainModelSubject>(rows);
}

inline constexpr const char* kModelFields[] = {"ID", "NAME", "PRICE", "AMOUNT", "DAY", "ACTIVE"};
inline constexpr const char* kModelNames[] = {"apple", "Apple", "banana", "BANDANA", "白菜", "菠菜", "", "b"};

// The random program and its checks; Failure holds the first failure with its history.
class Model {
 public:
  // The subject is made over the model's first records (by default a bare controller).
  explicit Model(uint32_t seed, bool keyMode, const ModelSubjectFactory& make = PlainSubject)
      : FRandom(seed), FKeyMode(keyMode), FSubject(make(InitialRows())) {
    ModelSubject& g = *FSubject;
    if (FKeyMode) {
      g.Controller().SetKeyField(g.F("ID"));
      g.Controller().Reload(true);
    }
    FSum = g.F("PRICE")->GetSummary(skSum);
    FMin = g.F("ID")->GetSummary(skMin);
    FMax = g.F("NAME")->GetSummary(skMax);
    FCount = g.F("DAY")->GetSummary(skCount);
    FAvg = g.F("PRICE")->GetSummary(skAverage);
    FAmount = g.F("AMOUNT")->GetSummary(skSum);
    g.AfterNotice = [this](uint16_t) {
      ++Notices;
      CheckInternal("notice");
    };
  }
  ModelSubject& Subject() { return *FSubject; }

  void Step(int i) {
    FStep = i;
    const int op = Pick(22);
    FLastOp = "operation " + std::to_string(op);
    const bool browseBefore = Ds().State() == dsBrowse;
    const int currentBefore = CurrentRecord();
    try {
      FLastOp = op >= 20 ? ProgramMove() : Op(op);
    } catch (const Exception& e) {
      return Fail("operation", std::string(e.ClassName()) + ": " + std::string(e.Message()));
    }
    if (!Failure.empty()) return;
    const std::string settled = FSubject->Settle();
    if (!settled.empty()) return Fail("subject", settled);
    if (op < 20) CheckPinned(browseBefore, op, currentBefore);
    FHistory.push_back(FLastOp + (Ds().Active() ? " [" + std::to_string(Ds().State()) + "]" : ""));
    if (FHistory.size() > 12) FHistory.erase(FHistory.begin());
    CheckAll(FLastOp);
  }

  int Notices = 0;
  std::string Failure;

 private:
  int Pick(int n) { return static_cast<int>(FRandom() % static_cast<uint32_t>(n)); }

  Variant RandomValue(int field) {
    if (field == 0 && FKeyMode) return Variant(FNextId++);  // keys stay unique
    if (Pick(8) == 0) return Variant::Null();
    switch (field) {
      case 0: return Variant(Pick(40));
      case 1: return Variant(kModelNames[Pick(8)]);
      case 2: return Variant(Pick(2000) / 8.0);
      case 3: return Variant::FromCurrency(Currency::FromScaled(int64_t(Pick(100000)) * 100));
      case 4: return Variant::FromDate(46000 + Pick(30) + (Pick(2) ? 0.5 : 0));
      default: return Variant(Pick(2) == 0);
    }
  }

  std::vector<Row6> InitialRows() {
    FNextId = 0;
    std::vector<Row6> rows;
    const int n = 20 + Pick(20);
    for (int i = 0; i < n; ++i)
      rows.push_back({RandomValue(0), RandomValue(1), RandomValue(2), RandomValue(3), RandomValue(4), RandomValue(5)});
    return rows;
  }

  TDataSet& Ds() { return FSubject->DataSet(); }
  TkvCustomDbDataController& C() { return FSubject->Controller(); }
  bool Editing() { return Ds().State() == dsEdit || Ds().State() == dsInsert; }

  void SetRandomField() {
    const int f = Pick(6);
    Ds().FieldByName(kModelFields[f])->SetValue(RandomValue(f));
  }

  // A random condition on a random field, its value given as a text where it is a number
  // (the criteria cast it to the field's type).
  void RandomCriteria() {
    TkvDBDataFilterCriteria& flt = C().Filter();
    flt.BeginUpdate();
    flt.Clear();
    const int n = 1 + Pick(3);
    for (int i = 0; i < n; ++i) {
      switch (Pick(6)) {
        case 0: flt.AddCondition(nullptr, FSubject->F("ID"), foGreater, Variant(std::to_string(Pick(40)).c_str()), ""); break;
        case 1: flt.AddCondition(nullptr, FSubject->F("NAME"), foLike, "%an%", ""); break;
        case 2: flt.AddCondition(nullptr, FSubject->F("PRICE"), foBetween, VarArrayOf({Variant(20.0), Variant(150.0)}), ""); break;
        case 3: flt.AddCondition(nullptr, FSubject->F("ACTIVE"), foEqual, true, ""); break;
        case 4: flt.AddCondition(nullptr, FSubject->F("ID"), foInList, VarArrayOf({Variant("5"), Variant(7), Variant(11)}), ""); break;
        default: flt.AddCondition(nullptr, FSubject->F("NAME"), foLess, "b", ""); break;
      }
    }
    flt.Root().SetBoolOperator(static_cast<TkvFilterBoolOperator>(Pick(4)));
    flt.SetOptions(Pick(3) == 0 ? fcoCaseInsensitive : 0);
    flt.SetActive(Pick(4) != 0);
    flt.EndUpdate();
  }

  std::string Op(int op) {
    TDataSet& ds = Ds();
    switch (op) {
      case 0:
        if (Editing()) return "skip";
        ds.Insert();
        if (FKeyMode) Ds().FieldByName("ID")->SetValue(RandomValue(0));
        SetRandomField();
        return "insert";
      case 1:
        if (Editing()) return "skip";
        ds.Append();
        if (FKeyMode) Ds().FieldByName("ID")->SetValue(RandomValue(0));
        SetRandomField();
        return "append";
      case 2:
        if (Editing() || ds.IsEmpty()) return "skip";
        ds.Edit();
        SetRandomField();
        return "edit";
      case 3:
      case 4:
        if (!Editing()) return "skip";
        SetRandomField();
        return "set field";
      case 5:
        if (!Editing()) return "skip";
        ds.Post();
        return "post";
      case 6:
        if (!Editing()) return "skip";
        ds.Cancel();
        return "cancel";
      case 7:
        if (Editing() || ds.IsEmpty()) return "skip";
        if (Pick(2)) ds.Delete();
        else C().Delete();
        return "delete";
      case 8: {
        static const char* const names[] = {"next", "prior", "first", "last", "recno"};
        const int m = Pick(5);
        if (m == 0) ds.Next();
        else if (m == 1) ds.Prior();
        else if (m == 2) ds.First();
        else if (m == 3) ds.Last();
        else if (ds.RecordCount() > 0) ds.SetRecNo(1 + Pick(ds.RecordCount()));
        return names[m];
      }
      case 9:
      case 10:
        if (C().RowCount() == 0) return "skip";
        C().FocusRowIndex(Pick(C().RowCount()));
        return "focus row";
      case 11:
        RandomCriteria();
        return "criteria";
      case 12:
        C().Filter().SetActive(!C().Filter().Active());
        return "criteria on/off";
      case 13: {
        const bool on = !ds.Filtered();
        FDataSetFilter = Pick(40);
        ds.SetFilter(("ID > " + std::to_string(FDataSetFilter)).c_str());
        ds.SetFiltered(on);
        return "dataset filter";
      }
      case 14:
      case 15: {
        C().BeginUpdate();
        C().ClearSorting();
        const int n = 1 + Pick(3);
        for (int i = 0; i < n; ++i) C().ChangeSorting(FSubject->F(kModelFields[Pick(6)]), static_cast<uint8_t>(1 + Pick(2)));
        C().EndUpdate();
        return "sort";
      }
      case 16:
        C().ClearSorting();
        return "clear sort";
      case 17:
        if (Pick(4) == 0 && !Editing()) {
          FSubject->DataSet().SetData(FSubject->DataSet().Data());  // closes and opens again
          return "reopen";
        }
        C().Reload(true);
        return "reload";
      case 18: {
        const char* prefixes[] = {"a", "B", "ban", "白", "x"};
        C().Search().Search(FSubject->F("NAME")->Index(), prefixes[Pick(5)]);
        if (Pick(2)) C().Search().SearchNext(Pick(2) == 0);
        return "search";
      }
      default:
        C().SetOptions(Pick(3) == 0 ? dcoCaseInsensitive : 0);
        return "options";
    }
  }

  // The dataset's current record as a record index of the controller (-1 none).
  int CurrentRecord() {
    if (!Ds().Active() || Ds().IsEmpty() || Ds().State() != dsBrowse) return -1;
    return FKeyMode ? C().LocateByKey(Ds().FieldByName("ID")->Value()) : Ds().RecNo() - 1;
  }

  // A program moves the dataset by RecNo, by Locate or by First and Next, and sometimes
  // edits the record there.
  std::string ProgramMove() {
    TDataSet& ds = Ds();
    if (Editing() || ds.IsEmpty()) return "skip";
    const auto records = DataSetRecords();
    const int k = Pick(static_cast<int>(records.size()));
    std::string how;
    switch (Pick(3)) {
      case 0:
        how = "program recno";
        ds.SetRecNo(k + 1);
        break;
      case 1: {
        how = "program locate";
        const Variant id = records[static_cast<size_t>(k)][0];
        if (id.IsNull()) return "skip";
        if (!ds.Locate("ID", id, 0)) {
          Fail("program move", "locate found nothing");
          return how;
        }
        // Locate finds the first record with the ID.
        int first = 0;
        while (!VariantsEqual(records[static_cast<size_t>(first)][0], id)) ++first;
        if (ds.RecNo() != first + 1) {
          Fail("program move", "locate stopped at " + std::to_string(ds.RecNo()));
          return how;
        }
        FPinned = ds.Bookmark();
        return MaybeEdit(how, first);
      }
      default:
        how = "program first/next";
        ds.First();
        for (int i = 0; i < k; ++i) ds.Next();
        break;
    }
    if (ds.RecNo() != k + 1) {
      Fail("program move", "dataset at " + std::to_string(ds.RecNo()) + ", moved to " + std::to_string(k + 1));
      return how;
    }
    FPinned = ds.Bookmark();
    return MaybeEdit(how, k);
  }

  // The program edits one field of the record it moved to (index k of the dataset's
  // records) and posts: exactly that record changes.
  std::string MaybeEdit(const std::string& how, int k) {
    if (Pick(2)) return how;
    TDataSet& ds = Ds();
    const auto before = DataSetRecords();
    ds.Edit();
    const int f = 1 + Pick(5);  // not the ID: the record stays in the dataset's filter
    ds.FieldByName(kModelFields[f])->SetValue(RandomValue(f));
    const Variant value = ds.FieldByName(kModelFields[f])->Value();
    ds.Post();
    if (ds.Bookmark() != FPinned) Fail("program edit", "the dataset left the edited record");
    auto expect = before;
    expect[static_cast<size_t>(k)][static_cast<size_t>(f)] = value;
    const auto after = DataSetRecords();
    bool same = after.size() == expect.size();
    for (size_t r = 0; same && r < after.size(); ++r)
      for (size_t c = 0; same && c < 6; ++c) same = VariantsEqual(after[r][c], expect[r][c]);
    if (!same) Fail("program edit", "the edit did not change exactly record " + std::to_string(k));
    return how + " + edit";
  }

  // After an operation that moves no focus the dataset is still where the program put it.
  // A criteria change that leaves nothing focused focuses row 0, so it may move the
  // dataset there when its record (record, before the change) is no longer shown. While
  // an edit is under way only field changes keep the pin.
  void CheckPinned(bool browseBefore, int op, int record) {
    static const bool keeps[20] = {false, false, true, true, true, false, false, false, false, false,
                                   false, true,  true, false, true, true, true,  true,  false, true};
    if (FPinned.empty()) return;
    if (!keeps[op] || FLastOp == "reopen" || (!browseBefore && op != 3 && op != 4)) {
      FPinned.clear();
      return;
    }
    if (Ds().State() == dsInsert || Ds().Bookmark() == FPinned) return;
    const bool criteria = op == 11 || op == 12;
    if (criteria && record >= 0 && C().GetRecordRowIndex(record) < 0 && C().FocusedRowIndex() == 0 &&
        CurrentRecord() == C().FocusedRecordIndex()) {
      FPinned.clear();
      return;
    }
    Fail("pinned", "the dataset moved away from where the program put it (now record " + std::to_string(CurrentRecord()) +
                       ", focused row " + std::to_string(C().FocusedRowIndex()) + ")");
  }

  void Fail(const std::string& where, const std::string& what) {
    if (!Failure.empty()) return;
    std::ostringstream s;
    s << "step " << FStep << " (" << FLastOp << ", " << where << "): " << what << "; last operations:";
    for (const std::string& h : FHistory) s << " " << h << ";";
    Failure = s.str();
  }

  // The controller's own invariants, valid at every notice.
  void CheckInternal(const char* where) {
    TkvCustomDbDataController& c = C();
    const std::vector<int>& rows = c.Info().Rows();
    std::vector<int> seen(static_cast<size_t>(c.GetRecordCount()), 0);
    for (int r : rows) {
      if (r < 0 || r >= c.GetRecordCount()) return Fail(where, "row holds no record " + std::to_string(r));
      if (seen[static_cast<size_t>(r)]++) return Fail(where, "record shown twice " + std::to_string(r));
    }
    const int fr = c.FocusedRowIndex();
    if (fr < -1 || fr >= c.RowCount()) return Fail(where, "focused row out of range");
    CheckSummaries(where);
  }

  static bool SameDouble(double a, double b) { return a == b || std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b)); }

  void CheckSummaries(const char* where) {
    TkvCustomDbDataController& c = C();
    if (c.Info().Flags() != 0) return;  // pending changes are applied when read
    const std::vector<int>& rows = c.Info().Rows();
    double sum = 0, amount = 0;
    int priced = 0;
    Variant mn, mx;
    bool anyMin = false, anyMax = false;
    for (int r : rows) {
      Variant v;
      c.GetFieldValue(r, FSubject->F("PRICE"), v);
      if (!v.IsNull()) {
        sum += v.AsDouble();
        ++priced;
      }
      c.GetFieldValue(r, FSubject->F("AMOUNT"), v);
      if (!v.IsNull()) amount += v.AsDouble();
      c.GetFieldValue(r, FSubject->F("ID"), v);
      if (!v.IsNull() && (!anyMin || CompareVariants(v, mn) < 0)) mn = v, anyMin = true;
      c.GetFieldValue(r, FSubject->F("NAME"), v);
      if (!v.IsNull() && (!anyMax || CompareVariants(v, mx) > 0)) mx = v, anyMax = true;
    }
    if (!SameDouble(FSum->Value().AsDouble(), sum)) return Fail(where, "sum " + std::string(VarToStr(FSum->Value())));
    if (!SameDouble(FAmount->Value().AsDouble(), amount)) return Fail(where, "amount sum " + std::string(VarToStr(FAmount->Value())) + " != " + std::to_string(amount));
    if (FCount->Value().AsInteger() != static_cast<int>(rows.size())) return Fail(where, "count");
    // Rows that are all Null have no minimum or maximum; no row at all has Reset's 0.
    const Variant none = rows.empty() ? Variant(0) : Variant::Null();
    if (!VariantsEqual(FMin->Value(), anyMin ? mn : none)) return Fail(where, "min");
    if (!VariantsEqual(FMax->Value(), anyMax ? mx : none)) return Fail(where, "max");
    if (priced && !SameDouble(FAvg->Value().AsDouble(), sum / priced)) return Fail(where, "average");
  }

  // The stored records as the dataset holds them (its filter applied by hand).
  std::vector<std::vector<Variant>> DataSetRecords() {
    std::vector<std::vector<Variant>> out;
    const TDataPacket p = FSubject->DataSet().Data();
    for (const auto& row : p.Rows) {
      if (Ds().Filtered()) {
        const Variant& id = row[0];
        if (id.IsNull() || !(id.AsInteger() > FDataSetFilter)) continue;
      }
      out.push_back(row);
    }
    return out;
  }

  void CheckAll(const std::string& op) {
    CheckInternal("after");
    if (!Failure.empty()) return;
    TkvCustomDbDataController& c = C();
    if (!Ds().Active()) return Fail("after", "dataset closed");
    const bool browsing = Ds().State() == dsBrowse;
    const auto records = DataSetRecords();
    const int expectCount = static_cast<int>(records.size()) + (Ds().State() == dsInsert ? 1 : 0);
    if (c.GetRecordCount() != expectCount)
      return Fail("after", "records " + std::to_string(c.GetRecordCount()) + " != " + std::to_string(expectCount));
    if (!browsing) {
      const int ins = c.Provider().InsertingRecord;
      if (ins != kvNoRecord && c.GetRecordRowIndex(ins) < 0) return Fail("after", "edited record not shown");
      return;
    }
    // A reload put off while an edit was pending has run once the edit ended.
    if (c.ReloadPending()) return Fail("after", "a reload put off by the edit is still pending");
    for (int r = 0; r < c.GetRecordCount(); ++r) {
      const std::vector<Variant>* record = &records[static_cast<size_t>(r)];
      if (FKeyMode && !(record = ByKey(records, r))) return Fail("after", "no dataset record for record " + std::to_string(r));
      for (int f = 0; f < 6; ++f) {
        Variant v;
        c.GetFieldValue(r, FSubject->F(kModelFields[f]), v);
        if (!VariantsEqual(v, (*record)[static_cast<size_t>(f)]))
          return Fail("after", "record " + std::to_string(r) + " field " + kModelFields[f]);
      }
    }
    // Rows: the filter through the Variant path, the order through CompareVariants.
    std::vector<int> expect;
    TkvDBDataFilterCriteria& flt = c.Filter();
    for (int r = 0; r < c.GetRecordCount(); ++r)
      if (!flt.IsActive() || flt.Evaluate(r)) expect.push_back(r);
    TkvSortingFieldList& sorting = c.Info().SortingFields();
    const bool nocase = c.Options() & dcoCaseInsensitive;
    std::stable_sort(expect.begin(), expect.end(), [&](int a, int b) {
      for (int i = 0; i < sorting.Count(); ++i) {
        Variant va, vb;
        c.GetFieldValue(a, sorting.Items(i).Field, va);
        c.GetFieldValue(b, sorting.Items(i).Field, vb);
        int k;
        if (nocase && va.VType() == varString && vb.VType() == varString)
          k = CompareStr(AnsiUpperCase(va.RawString()), AnsiUpperCase(vb.RawString()));
        else
          k = CompareVariants(va, vb);
        k = k < 0 ? -1 : (k > 0 ? 1 : 0);
        if (sorting.Items(i).Direction == 2) k = -k;
        if (k != 0) return k < 0;
      }
      return false;
    });
    if (expect != c.Info().Rows()) {
      std::string got, want;
      for (int r : c.Info().Rows()) got += std::to_string(r) + " ";
      for (int r : expect) want += std::to_string(r) + " ";
      return Fail("after", "rows [" + got + "] expected [" + want + "]");
    }
    // Focus: the dataset's current record when it is shown, else nothing.
    const int current = Ds().IsEmpty() ? -1 : FKeyMode ? c.LocateByKey(Ds().FieldByName("ID")->Value()) : Ds().RecNo() - 1;
    const int row = current < 0 ? -1 : c.GetRecordRowIndex(current);
    if (row >= 0 && c.FocusedRowIndex() != row)
      return Fail("after", "focus " + std::to_string(c.FocusedRowIndex()) + " != row of current record " + std::to_string(row));
    if (row < 0 && c.FocusedRowIndex() >= 0 && c.FocusedRecordIndex() != current)
      return Fail("after", "focus on a record the dataset is not on");
  }

  // The dataset record with the key of the controller's record r; null when none.
  const std::vector<Variant>* ByKey(const std::vector<std::vector<Variant>>& records, int r) {
    Variant key;
    C().GetFieldValue(r, FSubject->F("ID"), key);
    for (const auto& record : records)
      if (VariantsEqual(record[0], key)) return &record;
    return nullptr;
  }

  std::mt19937 FRandom;
  bool FKeyMode;
  int FNextId = 0;
  std::unique_ptr<ModelSubject> FSubject;
  TkvSummary* FSum = nullptr;
  TkvSummary* FMin = nullptr;
  TkvSummary* FMax = nullptr;
  TkvSummary* FCount = nullptr;
  TkvSummary* FAvg = nullptr;
  TkvSummary* FAmount = nullptr;
  int FDataSetFilter = 0;
  TBookmark FPinned;  // where a program put the dataset, while it stays there
  int FStep = 0;
  std::string FLastOp;
  std::vector<std::string> FHistory;
};

}  // namespace kvtest
