// Record sets of SQLite statements as data packets.
//
// Field types follow the column's declared type (the table column's type as written in
// the schema; views pass it through for plain column references). The declared type
// is matched by the first rule that applies, upper-case, by substring:
//   "BIGINT"                          ftLargeint
//   "INT"                             ftInteger  (ftLargeint when a value needs 64 bits)
//   "BOOL", "BIT"                     ftBoolean
//   "DATETIME", "TIMESTAMP"           ftDateTime
//   "DATE"                            ftDate
//   "TIME"                            ftTime
//   "CHAR", "TEXT", "CLOB"            ftString, Size = max(n of "(n)", longest value)
//   "REAL", "FLOA", "DOUB", "NUMERIC",
//   "DECIMAL", "MONEY"                ftFloat
//   "BLOB"                            ftBlob
// A column without a declared type (an expression: count(1) + 1, ifnull(...),
// last_insert_rowid(), DB_Name()) takes its type from its values: all integers (or
// NULL) ftInteger (ftLargeint past 32 bits), numbers with a fraction ftFloat, any text
// ftString; a column of NULLs only is ftString.
// Sizes of strings are GBK bytes, at least 1.
//
// Values: NULL is Null; integers are Integer (Int64 past 32 bits); numbers of float
// columns are Double; texts are GBK AnsiStrings; date columns hold Date values where
// the text reads as a date/time (see StoreText.h), else the text unchanged; Booleans
// are True for any non-zero number.
#pragma once
#include <string_view>
#include "db/DataPacket.h"
#include "server/SqliteDb.h"

namespace store {

// The field type of a declared column type ("" gives ftUnknown: infer from values);
// declaredSize receives n of "VARCHAR(n)" (0 when absent).
TFieldType FieldTypeOfDecl(std::string_view declType, int& declaredSize);

// Steps st from its start to its end and returns its rows. ESqlError from a step.
TDataPacket ReadPacket(Statement& st);

}  // namespace store
