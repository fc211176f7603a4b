// TImageList over the system's image list.
#include "ui/ImgList.h"

using namespace ui_win;

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

TImageList::~TImageList() {
  if (FHandle) ::ImageList_Destroy(FHandle);
}

HIMAGELIST TImageList::Handle() {
  if (!FHandle) {
    FHandle = ::ImageList_Create(FWidth, FHeight, ILC_COLOR24 | ILC_MASK, 0, 4);
    if (!FHandle) throw EOutOfResources("Out of system resources");
  }
  return FHandle;
}

void TImageList::SetSize(int width, int height) {
  if (width == FWidth && height == FHeight) return;
  if (FHandle) ::ImageList_Destroy(FHandle);
  FHandle = nullptr;
  FWidth = width;
  FHeight = height;
}

int TImageList::Count() const { return FHandle ? ::ImageList_GetImageCount(FHandle) : 0; }

void TImageList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Invalid image list index " + IntToStr(index));
}

int TImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty()) throw EInvalidGraphic("Invalid image");
  // The system list reads bitmaps that are selected into no DC.
  GdiObject<HBITMAP> img(image->CopyHandle());
  GdiObject<HBITMAP> msk(mask ? mask->CopyHandle() : nullptr);
  int at = ::ImageList_Add(Handle(), img.get(), msk.get());
  if (at < 0) throw EInvalidGraphic("Invalid image");
  return at;
}

int TImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image || image->Empty()) throw EInvalidGraphic("Invalid image");
  GdiObject<HBITMAP> img(image->CopyHandle());
  COLORREF key = ColorToRGB(maskColor == clDefault ? image->TransparentColor() : maskColor);
  int at = ::ImageList_AddMasked(Handle(), img.get(), key);
  if (at < 0) throw EInvalidGraphic("Invalid image");
  return at;
}

void TImageList::Delete(int index) {
  CheckIndex(index);
  ::ImageList_Remove(FHandle, index);
}

void TImageList::Clear() {
  if (FHandle) ::ImageList_Remove(FHandle, -1);
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  CheckIndex(index);
  ::ImageList_DrawEx(FHandle, index, canvas->Handle(), x, y, 0, 0, CLR_NONE, CLR_NONE,
                     enabled ? ILD_TRANSPARENT : (ILD_TRANSPARENT | ILD_BLEND50));
}

void TImageList::GetBitmap(int index, TBitmap* bitmap) {
  CheckIndex(index);
  bitmap->SetSize(FWidth, FHeight);
  TCanvas* c = bitmap->Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, FWidth, FHeight));
  ::ImageList_Draw(FHandle, index, c->Handle(), 0, 0, ILD_NORMAL);
  ::GdiFlush();
}
