// The T-SQL the screens send, turned into statements SQLite runs.
//
// The screens speak the dialect of a SQL-Server-like engine; the store databases are
// SQLite. This layer mends exactly the constructs SQLite lacks and nothing else:
//   - a batch of several statements with no separator ("insert ... values(...)
//     Select @@Identity As CheckCode") is split into its statements;
//   - @@Identity becomes last_insert_rowid() (the identity of the session's last insert);
//   - isnull(a, b) becomes ifnull(a, b) (ISNULL is an operator keyword in SQLite);
//   - [bracketed] identifiers become "quoted" identifiers;
//   - a number run into a word ("0and") gets the blank the lexer of the other engine
//     tolerates the lack of;
//   - the table-valued function FN_GetPowerRangeEList (operator, parent) becomes a
//     subquery over the employees (see docs/formats/store-schema.md).
// DB_Name() needs no rewriting: the session registers it as an SQL function. Names of
// tables and columns are case-insensitive in SQLite already; text comparison is
// case-insensitive through the schema's NOCASE columns.
//
// Everything else passes through byte for byte: string literals, comments, spacing.
// Input is UTF-8. Unterminated literals, comments and brackets, and variables other than
// @@Identity, raise ESqlError with the other engine's wording of the fault.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace store {

// The SQLite statements of one T-SQL batch, in order; statements that hold nothing but
// blanks and comments are dropped (an empty batch gives an empty list).
std::vector<std::string> TranslateBatch(std::string_view tsql);

// The name of a stored procedure as the registry knows it: brackets around the name
// removed ("[QP_x]" -> "QP_x"), a group number ";1" removed. Raises EUnknownProcedure
// for a group number other than 1 or an empty name.
std::string NormalizeProcName(std::string_view name);

}  // namespace store
