// The exception classes of the library. Every error the runtime, the data layer and
// the component libraries raise is one of these, carrying the system's own text in
// GBK (`Message`). Window procedures and exports catch them (see ui/ and app/);
// nothing else catches broadly.
#pragma once
#include <exception>
#include "rtl/AnsiString.h"

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
  const AnsiString& Message() const { return FMessage; }
  void SetMessage(AnsiString m) { FMessage = std::move(m); }
  const char* what() const noexcept override { return FMessage.c_str(); }
  // Name of the class as the platform prints it ("EConvertError").
  virtual const char* ClassName() const { return "Exception"; }

 private:
  AnsiString FMessage;
};

#define POS_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                        \
   public:                                                          \
    using Base::Base;                                               \
    const char* ClassName() const override { return #Name; }        \
  }

// The silent exception: unwinds without a message (Abort).
POS_EXCEPTION(EAbort, Exception);
POS_EXCEPTION(EConvertError, Exception);
POS_EXCEPTION(EAssertionFailed, Exception);
POS_EXCEPTION(EInvalidOperation, Exception);
POS_EXCEPTION(EInvalidPointer, Exception);
POS_EXCEPTION(EComponentError, Exception);
POS_EXCEPTION(EOSError, Exception);
POS_EXCEPTION(EListError, Exception);
POS_EXCEPTION(EStringListError, EListError);
POS_EXCEPTION(EStreamError, Exception);
POS_EXCEPTION(EReadError, EStreamError);
POS_EXCEPTION(EWriteError, EStreamError);
POS_EXCEPTION(EFOpenError, EStreamError);
POS_EXCEPTION(EFCreateError, EStreamError);
POS_EXCEPTION(EVariantError, Exception);
POS_EXCEPTION(EVariantTypeCastError, EVariantError);
POS_EXCEPTION(EVariantBadIndexError, EVariantError);
POS_EXCEPTION(EVariantInvalidArgError, EVariantError);
POS_EXCEPTION(EVariantOverflowError, EVariantError);
POS_EXCEPTION(EVariantInvalidOpError, EVariantError);
POS_EXCEPTION(EMathError, Exception);
POS_EXCEPTION(EInvalidOp, EMathError);
POS_EXCEPTION(EZeroDivide, EMathError);
POS_EXCEPTION(EOverflow, EMathError);
POS_EXCEPTION(EUnderflow, EMathError);
POS_EXCEPTION(EIntError, Exception);
POS_EXCEPTION(EDivByZero, EIntError);
POS_EXCEPTION(EIntOverflow, EIntError);
POS_EXCEPTION(ERangeError, EIntError);

// Raises EAbort.
[[noreturn]] void Abort();

// Assertion failure naming the source file, as the platform words it:
// "<message> (<file>, line <n>)". POS_ASSERT(cond, "text") raises it when cond is false.
[[noreturn]] void AssertFailed(const AnsiString& message, const char* file, int line);
#define POS_ASSERT(cond, message) \
  do { if (!(cond)) AssertFailed((message), __FILE__, __LINE__); } while (0)
