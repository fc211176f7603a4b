// The plug-in as the host sees it: Pos_J2DllForPos.dll loaded by file name, its four
// exports found by their undecorated names and called with the standard calling
// convention. String arguments are host-layout strings (app/HostString.h), made and
// owned by the caller.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class TPluginLibrary {
 public:
  using OpenPDMangerFn = int32_t(__stdcall*)(int32_t, const char*, const char*, const char*, const char*,
                                             const char*, const char*, const char*, const char*, const char*);
  using OpenVipEnrollFn = int32_t(__stdcall*)(int32_t, const char*, const char*, const char*, const char*,
                                              const char*);
  using CloseFn = void(__stdcall*)(int32_t);

  // Loads the library (an ANSI path). Throws std::runtime_error naming what is missing.
  explicit TPluginLibrary(const std::string& path);
  ~TPluginLibrary();
  TPluginLibrary(const TPluginLibrary&) = delete;
  TPluginLibrary& operator=(const TPluginLibrary&) = delete;

  HMODULE Module() const { return FModule; }
  OpenPDMangerFn OpenPDManger = nullptr;
  OpenVipEnrollFn OpenVipEnroll = nullptr;
  CloseFn ClosePDManger = nullptr;
  CloseFn CloseVipEnroll = nullptr;

 private:
  HMODULE FModule = nullptr;
};

// The library beside the running program.
std::string PluginPathBesideProgram();
