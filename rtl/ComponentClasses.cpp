// The registry of component classes that streams may name.
#include <map>
#include <mutex>
#include "rtl/ComponentStreaming.h"
#if defined(__GNUG__)
#include <cxxabi.h>
#include <cstdlib>
#endif

namespace {

struct Registry {
  std::mutex Lock;
  std::map<AnsiString, TComponentFactory> Classes;  // keyed by the upper-case name
};

Registry& TheRegistry() {
  static Registry r;
  return r;
}

}  // namespace

void RegisterComponentClass(const AnsiString& ClassName, TComponentFactory Factory) {
  POS_ASSERT(IsValidIdent(ClassName) && Factory, "a component class needs a name and a factory");
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  r.Classes[UpperCase(ClassName)] = std::move(Factory);
}

void UnRegisterComponentClass(const AnsiString& ClassName) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  r.Classes.erase(UpperCase(ClassName));
}

TComponentFactory FindComponentClass(const AnsiString& ClassName) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  const auto it = r.Classes.find(UpperCase(ClassName));
  if (it == r.Classes.end()) throw EClassNotFound("Class " + ClassName + " not found");
  return it->second;
}

AnsiString ComponentClassName(const std::type_info& type) {
  AnsiString s = type.name();
#if defined(__GNUG__)
  int status = 0;
  char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  if (status == 0 && demangled) s = demangled;
  std::free(demangled);
#endif
  const auto colon = s.rfind("::");
  return colon == AnsiString::npos ? s : s.substr(colon + 2);
}
