// The captions of the filter operators and Boolean joins (GBK), by resource id.
#include "VCLSource/source/PosGrid/ukvFilterConst.h"

namespace {

struct Entry {
  int Id;
  const char* Text;
};

const Entry kCaptions[] = {
    {SkvFilterNotStartsWith, "不起始于"}, {SkvFilterEndsWith, "结束于"},
    {SkvFilterNotEndsWith, "不结束于"},   {SkvFilterContains, "包含"},
    {SkvFilterNotContains, "不包含"},     {SkvFilterLastWeek, "前一周"},
    {SkvFilterLastMonth, "前一月"},       {SkvFilterLastYear, "前一年"},
    {SkvFilterThisWeek, "本周"},          {SkvFilterThisMonth, "本月"},
    {SkvFilterThisYear, "本年"},          {SkvFilterNextWeek, "下一周"},
    {SkvFilterNextMonth, "下一月"},       {SkvFilterNextYear, "下一年"},
    {SkvFilterAnd, "并且"},               {SkvFilterOr, "或者"},
    {SkvFilterNot, "非"},                 {SkvFilterBlank, "空"},
    {SkvFilterIsNull, "为空"},            {SkvFilterIsNotNull, "不为空"},
    {SkvFilterStartsWith, "起始于"},      {SkvFilterEqual, "等于"},
    {SkvFilterNotEqual, "不等于"},        {SkvFilterLess, "小于"},
    {SkvFilterLessEqual, "小于等于"},     {SkvFilterGreater, "大于"},
    {SkvFilterGreaterEqual, "大于等于"},  {SkvFilterLike, "相似"},
    {SkvFilterNotLike, "不相似"},         {SkvFilterBetween, "在...之间"},
    {SkvFilterNotBetween, "不在...之间"}, {SkvFilterInList, "包含"},
    {SkvFilterNotInList, "不包含"},       {SkvFilterYesterday, "昨天"},
    {SkvFilterToday, "今天"},             {SkvFilterTomorrow, "明天"},
};

}  // namespace

AnsiString kvFilterLoadStr(int id) {
  for (const Entry& e : kCaptions)
    if (e.Id == id) return e.Text;
  return AnsiString();
}
