// The one place the framework includes the Windows headers.
//
// The library is compiled with UNICODE: every call goes to the W functions, and texts
// cross the boundary through Wide()/Ansi() below, which convert with code page 936
// whatever the process's ANSI code page is. Macros of <windows.h> that collide with
// names of the library (TCanvas::TextOut, Application->MessageBox, DeleteFile, ...) are
// undefined here, so code that includes this header must name the W function it wants.
#pragma once
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "rtl/AnsiString.h"

#undef MessageBox
#undef DrawText
#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef CreateWindow
#undef CreateDialog
#undef GetObject
#undef LoadBitmap
#undef LoadIcon
#undef LoadCursor
#undef LoadImage
#undef LoadString
#undef TextOut
#undef CreateFont
#undef GetTextMetrics
#undef GetClassName
#undef GetMessage
#undef PostMessage
#undef SendMessage
#undef DispatchMessage
#undef PeekMessage
#undef FindText
#undef FindWindow
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef CreateDirectory
#undef RemoveDirectory
#undef GetFileAttributes
#undef FormatMessage
#undef GetUserName
#undef GetComputerName
#undef GetCommandLine
#undef GetModuleFileName
#undef SetProp
#undef GetProp
#undef RemoveProp

namespace ui_win {

// GBK <-> UTF-16 at the edge of the system, as std::wstring (wchar_t is UTF-16 here).
std::wstring Wide(std::string_view gbk);
AnsiString Ansi(const wchar_t* w, int length = -1);
inline AnsiString Ansi(const std::wstring& w) { return Ansi(w.c_str(), static_cast<int>(w.size())); }

// The module (DLL or program) this code is linked into: owner of our window classes
// and resources. Found from an address of ours, so a host's HINSTANCE never leaks in.
HINSTANCE ModuleInstance();

// Text of a window through WM_GETTEXT, converted to GBK.
AnsiString WindowText(HWND h);
void SetWindowTextGbk(HWND h, const AnsiString& s);

// The clipboard's Unicode text, the clipboard opened for `owner`; "" when it holds no
// text or is open elsewhere.
std::wstring ClipboardText(HWND owner);

}  // namespace ui_win
