// Linked into every test program that shows windows: before main, so before any window
// or hook exists, the program's main thread moves onto a desktop of its own (see
// OwnDesktop.h). Tests and the plug-in they load create their windows on that thread.
#include "host/OwnDesktop.h"

namespace {

const poshost::TOwnDesktop gOwnDesktop(L"PosWindowTests");

}  // namespace
