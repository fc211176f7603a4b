// Loading the plug-in and finding its exports.
#include "host/PluginLibrary.h"

#include <stdexcept>

namespace {

template <class Fn>
Fn Export(HMODULE module, const char* name) {
  FARPROC p = ::GetProcAddress(module, name);
  if (!p) throw std::runtime_error(std::string("export not found: ") + name);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

}  // namespace

TPluginLibrary::TPluginLibrary(const std::string& path) {
  FModule = ::LoadLibraryA(path.c_str());
  if (!FModule) throw std::runtime_error("cannot load " + path + " (error " + std::to_string(::GetLastError()) + ")");
  try {
    OpenPDManger = Export<OpenPDMangerFn>(FModule, "OpenPDManger");
    OpenVipEnroll = Export<OpenVipEnrollFn>(FModule, "OpenVipEnroll");
    ClosePDManger = Export<CloseFn>(FModule, "ClosePDManger");
    CloseVipEnroll = Export<CloseFn>(FModule, "CloseVipEnroll");
  } catch (...) {
    ::FreeLibrary(FModule);
    throw;
  }
}

TPluginLibrary::~TPluginLibrary() { ::FreeLibrary(FModule); }

std::string PluginPathBesideProgram() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path(buffer, n);
  const size_t slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "Pos_J2DllForPos.dll";
}
