// RAII over the GDI pairs: BeginPaint/EndPaint, GetDC/ReleaseDC, SelectObject and back,
// CreateObject/DeleteObject, CreateCompatibleDC/DeleteDC, SaveDC/RestoreDC, and the
// back buffer of double buffering built from them. Whatever happens inside the scope
// (a paint routine that throws included), the DC is given back as it was taken and
// nothing made in the scope outlives it.
//
// Header only, over <windows.h> alone, so that programs beside the framework (the demo
// host) use the same scopes. A failed creation leaves a null handle (dc(), get()); the
// caller decides whether that is an error.
#pragma once
#include <windows.h>

#include <utility>

namespace ui_win {

class PaintDC {
 public:
  explicit PaintDC(HWND h) : FWnd(h) { FDC = ::BeginPaint(h, &FPs); }
  ~PaintDC() { ::EndPaint(FWnd, &FPs); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC dc() const { return FDC; }
  const RECT& rect() const { return FPs.rcPaint; }

 private:
  HWND FWnd;
  HDC FDC;
  PAINTSTRUCT FPs{};
};

// GetDC/ReleaseDC of a window (null: the screen).
class WindowDC {
 public:
  explicit WindowDC(HWND h = nullptr) : FWnd(h), FDC(::GetDC(h)) {}
  ~WindowDC() { if (FDC) ::ReleaseDC(FWnd, FDC); }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC dc() const { return FDC; }

 private:
  HWND FWnd;
  HDC FDC;
};

// SelectObject that puts the previous object back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
  ~Selected() { if (FOld) ::SelectObject(FDC, FOld); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// An owned GDI object (DeleteObject at the end).
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H h) : FH(h) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& o) noexcept : FH(o.FH) { o.FH = nullptr; }
  GdiObject& operator=(GdiObject&& o) noexcept { if (this != &o) { reset(); FH = o.FH; o.FH = nullptr; } return *this; }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  H get() const { return FH; }
  void reset(H h = nullptr) { if (FH) ::DeleteObject(FH); FH = h; }

 private:
  H FH = nullptr;
};

// An owned memory DC (DeleteDC at the end). Whatever is selected into it must be
// deselected first (a Selected scope inside the DC's lifetime).
class MemoryDC {
 public:
  MemoryDC() = default;
  // A memory DC compatible with `like` (null: with the screen).
  explicit MemoryDC(HDC like) : FDC(::CreateCompatibleDC(like)) {}
  ~MemoryDC() { reset(); }
  MemoryDC(MemoryDC&& o) noexcept : FDC(std::exchange(o.FDC, nullptr)) {}
  MemoryDC& operator=(MemoryDC&& o) noexcept { if (this != &o) { reset(); FDC = std::exchange(o.FDC, nullptr); } return *this; }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC dc() const { return FDC; }
  void reset() { if (FDC) ::DeleteDC(std::exchange(FDC, nullptr)); }

 private:
  HDC FDC = nullptr;
};

// SaveDC/RestoreDC: the DC's origin, clipping, colours and selected objects as they were
// when the scope began.
class SavedDC {
 public:
  explicit SavedDC(HDC dc) : FDC(dc), FState(dc ? ::SaveDC(dc) : 0) {}
  ~SavedDC() { if (FState) ::RestoreDC(FDC, FState); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

 private:
  HDC FDC;
  int FState;
};

// The back buffer of double buffering: a memory DC compatible with `target` holding a
// width x height bitmap. Paint into dc(), then CopyTo the target; the bitmap and the
// DC go at the end of the scope, also when the paint throws.
class BackBuffer {
 public:
  BackBuffer(HDC target, int width, int height)
      : FMemory(target),
        FBitmap(FMemory.dc() ? ::CreateCompatibleBitmap(target, width, height) : nullptr),
        FSelected(FMemory.dc(), FBitmap.get()) {}
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;
  // False when the system had no DC or bitmap to give: paint straight onto the target.
  bool Valid() const { return FMemory.dc() && FBitmap.get(); }
  HDC dc() const { return FMemory.dc(); }
  // Copies the rectangle r of the buffer to the same place of `target`.
  void CopyTo(HDC target, const RECT& r) const {
    ::BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, FMemory.dc(), r.left, r.top, SRCCOPY);
  }

 private:
  // Destroyed in reverse: the bitmap is deselected, then deleted, then the DC.
  MemoryDC FMemory;
  GdiObject<HBITMAP> FBitmap;
  Selected FSelected;
};

}  // namespace ui_win
