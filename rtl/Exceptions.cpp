// Out-of-line parts of the exception classes.
#include "rtl/Exceptions.h"

void Abort() { throw EAbort("Operation aborted"); }

void AssertFailed(const AnsiString& message, const char* file, int line) {
  AnsiString text = message.empty() ? AnsiString("Assertion failure") : message;
  throw EAssertionFailed(text + " (" + file + ", line " + std::to_string(line) + ")");
}
