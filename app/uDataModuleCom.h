// Initialization and finalization of the data-module unit (Win32): CoInitialize for
// the thread that loads the library, CoUninitialize when the library is unloaded.
// Called from the library's entry point.
#pragma once

void DataModuleUnitInitialization();
// processEnding: the library goes because the process ends (nothing is given back then).
void DataModuleUnitFinalization(bool processEnding);
