// The typed test of filter criteria: each condition whose item gives a typed source
// (TkvFilterTypedSource) compiled to a comparison of the stored value in place, with
// exactly CompareVariants' answers on the prepared values; the record-by-record test
// (TkvFilterCriteria::Evaluate) and the data controller's row filter share it.
//
// Decisions that keep the answers of the Variant path:
//  - a Null value (or one not kept in place) takes the Variant path, as does every
//    condition without a typed test (Null operators, date windows, wide texts, Variant
//    fields, LIKE on a non-text field, a list operand where no list belongs);
//  - operands are prepared as the Variant path prepares them (currency as a double,
//    texts upper-cased under fcoCaseInsensitive); an operand of another group than the
//    field's compares by group rank, as CompareVariants orders groups;
//  - a list stops at its settled answer only when every test is typed (none can raise).
#pragma once
#include <string_view>
#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"
#include "VCLSource/source/PosGrid/ukvFilter.h"

// One condition tested on the stored value. Null values go the Variant way.
struct TkvFilterCriteria::Compiled {
  // A node: a list (children) or a condition (Item, and Fast when it has a typed test).
  bool IsList = false;
  TkvFilterBoolOperator Op = fboAnd;
  std::vector<Compiled*> Children;
  // An AND list of typed conditions only (no lists among them): tested as a plain loop.
  bool PlainAnd = false;
  TkvFilterCriteriaItem* Item = nullptr;
  bool Fast = false;
  // The typed test.
  TkvFilterOperatorKind Kind = foEqual;
  TkvDataStorage* Storage = nullptr;
  const TkvValueDef* Def = nullptr;
  const TkvColumnCopy* Copy = nullptr;  // the field's typed copy, when it has one
  TkvValueTypeClass Type = nullptr;
  enum Group { gNumber, gBoolean, gText } ValueGroup = gNumber;
  enum NumberKind { nOther, nInt32, nDouble, nCurrency } Number = nOther;
  bool Upper = false;
  // Prepared operands: a number key or a text, else the fixed answer of CompareVariants
  // for a value of the field's group against an operand of another group.
  struct Operand {
    bool Same = false;
    int Fixed = 0;
    TkvNumberKey Key{};
    bool Bool = false;
    AnsiString Text;
  };
  std::vector<Operand> Operands;
  bool ListOperand = false;
  AnsiString Pattern;
  char Many = '%', One = '_';
  int LikeShape = -1;  // 0 exact, 1 prefix, 2 suffix, 3 contains, -1 general
  AnsiString Literal;
};

namespace kvfilter {

// CompareVariants of the prepared stored value (place p; its text for a text field)
// against one prepared operand.
int CompareWith(const TkvFilterCriteria::Compiled& n, const TkvConstPlace& p, std::string_view text,
                const TkvFilterCriteria::Compiled::Operand& o);
// The condition's LIKE pattern against a text.
bool LikeFast(const TkvFilterCriteria::Compiled& n, std::string_view s);

}  // namespace kvfilter
