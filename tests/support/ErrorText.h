// An exception of the system's classes as the tests compare it: "EClass: message".
#pragma once
#include <string>

#include "rtl/Exceptions.h"

namespace postest {

inline std::string ErrorText(const Exception& e) { return std::string(e.ClassName()) + ": " + e.Message(); }

// Runs f: what it throws as "EClass: message", or "no error".
template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return ErrorText(e);
  }
  return "no error";
}

}  // namespace postest
