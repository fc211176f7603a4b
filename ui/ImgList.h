// TImageList: pictures of one size kept in a system image list, drawn by index.
#pragma once
#include "ui/Graphics.h"

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* AOwner);
  ~TImageList() override;
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Changing the size empties the list.
  void SetSize(int width, int height);
  int Count() const;
  // Adds a picture (several, when it is a strip of Width-wide pictures); the mask may
  // be null. Returns the index of the first one added.
  int Add(TBitmap* image, TBitmap* mask);
  // Adds with every pixel of maskColor transparent.
  int AddMasked(TBitmap* image, TColor maskColor);
  void Delete(int index);
  void Clear();
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  // Copies picture `index` into bitmap (sized to the list's size).
  void GetBitmap(int index, TBitmap* bitmap);
  HIMAGELIST Handle();

 private:
  void CheckIndex(int index) const;
  int FWidth = 16;
  int FHeight = 16;
  HIMAGELIST FHandle = nullptr;
};
