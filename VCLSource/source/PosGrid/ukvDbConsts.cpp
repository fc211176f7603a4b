// The grid library's message table: its own texts (GBK) by resource id.
#include "VCLSource/source/PosGrid/ukvDbConsts.h"

#include "VCLSource/source/PosGrid/ukvFilterConst.h"

namespace {

struct Entry {
  int Id;
  const char* Text;
};

const Entry kMessages[] = {
    {SkvWriteError, "输出流错误"},
    {SkvUnidirectionalDataSet, "不允许在一个单向数据集上进行该操作。"},
    {SkvTooManyColumns, "Grid要求显示的列数大于了256。"},
    {SkvDataSetClosed, "不能在一个己经关闭的数据集上执行操作。"},
    {SkvDeleteSelectedRecords, "是否要删除选择的记录？"},
    {SkvDeleteRecord, "确定要删除记录吗？"},
    {SkvConfirmCaption, "提示"},
    {SkvItemIndexError, "项目索引超出范围"},
    {SkvReadError, "输入流错误"},
    {SkvRecordIndexError, "记录索引超出范围"},
    {SkvRowIndexError, "行索引超出范围"},
};

}  // namespace

AnsiString kvLoadStr(int id) {
  for (const Entry& e : kMessages)
    if (e.Id == id) return e.Text;
  return kvFilterLoadStr(id);
}
