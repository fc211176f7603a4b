// Load and unload of the data-module unit: COM for the thread that loads the library.
#include "app/uDataModuleCom.h"

#include <objbase.h>

namespace {
bool gComInitialized = false;
}

void DataModuleUnitInitialization() {
  const HRESULT hr = ::CoInitialize(nullptr);
  // S_FALSE: the thread had COM already; the call still counts and is balanced.
  gComInitialized = hr == S_OK || hr == S_FALSE;
}

void DataModuleUnitFinalization(bool processEnding) {
  // At process exit other threads are gone and COM may be torn down already: only an
  // unload by FreeLibrary gives the initialization back.
  if (gComInitialized && !processEnding) ::CoUninitialize();
  gComInitialized = false;
}
