// Captions of the filter operators and of the Boolean joins (Chinese, GBK), by
// resource id.
#pragma once
#include "rtl/AnsiString.h"

enum : int {
  SkvFilterNotStartsWith = 65040, SkvFilterEndsWith = 65041, SkvFilterNotEndsWith = 65042,
  SkvFilterContains = 65043, SkvFilterNotContains = 65044,
  SkvFilterLastWeek = 65056, SkvFilterLastMonth = 65057, SkvFilterLastYear = 65058,
  SkvFilterThisWeek = 65059, SkvFilterThisMonth = 65060, SkvFilterThisYear = 65061,
  SkvFilterNextWeek = 65062, SkvFilterNextMonth = 65063, SkvFilterNextYear = 65064,
  SkvFilterAnd = 65065, SkvFilterOr = 65066, SkvFilterNot = 65067, SkvFilterBlank = 65068,
  SkvFilterIsNull = 65069, SkvFilterIsNotNull = 65070, SkvFilterStartsWith = 65071,
  SkvFilterEqual = 65073, SkvFilterNotEqual = 65074, SkvFilterLess = 65075,
  SkvFilterLessEqual = 65076, SkvFilterGreater = 65077, SkvFilterGreaterEqual = 65078,
  SkvFilterLike = 65079, SkvFilterNotLike = 65080, SkvFilterBetween = 65081,
  SkvFilterNotBetween = 65082, SkvFilterInList = 65083, SkvFilterNotInList = 65084,
  SkvFilterYesterday = 65085, SkvFilterToday = 65086, SkvFilterTomorrow = 65087,
};

// The caption of id, "" for an id that is not a filter caption.
AnsiString kvFilterLoadStr(int id);
