// Renders a form or control to pixels and PNG files (pictures for tests and the docs).
//
// Our own windows paint through their paint path into a memory DC; system controls
// print themselves (WM_PRINT); children are composed in z-order. A form is drawn with
// a title bar of its caption, so the picture shows what a person sees.
#pragma once
#include <string>

#include "ui/Controls.h"

// The control's client area (a form: with its frame and title) into `out`.
void RenderControl(TWinControl* control, TBitmap& out, bool withFrame = true);
// RenderControl, then png::WriteFile. Throws EFCreateError when it cannot write.
void SaveScreenshot(TWinControl* control, const std::string& pngPath, bool withFrame = true);
