// The error vocabulary of the store side of the application server. Every failure of a
// remote call that reaches the databases is one of these; the network side sends
// Message() back to the client as the error reply, unchanged.
//
//   EStoreError        base class; also "no database selected" and similar misuse
//   EUnknownDatabase   ChangeDb named a database the data folder does not hold
//   EUnknownProcedure  no stored procedure of that name in the current database
//   ESqlError          SQLite refused or failed a statement; the text is SQLite's own,
//                      prefixed with what was running
//   EParamError        a procedure parameter is missing, unknown, or of a value that
//                      does not convert to the parameter's type
//   ETransactionError  TransactionController out of order (commit without begin, ...)
//   EReadOnlyDatabase  a write to a database whose files cannot be written now (the
//                      network side also logs each one)
#pragma once
#include "rtl/Exceptions.h"

POS_EXCEPTION(EStoreError, Exception);
POS_EXCEPTION(EUnknownDatabase, EStoreError);
POS_EXCEPTION(EUnknownProcedure, EStoreError);
POS_EXCEPTION(ESqlError, EStoreError);
POS_EXCEPTION(EParamError, EStoreError);
POS_EXCEPTION(ETransactionError, EStoreError);
POS_EXCEPTION(EReadOnlyDatabase, EStoreError);
