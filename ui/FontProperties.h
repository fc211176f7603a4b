// A control's font as its published sub-object "Font" (or another name its owner gives
// it): Charset, Color, Height, Name, Pitch (stored when not fpDefault) and Style, in the
// platform's order. The form controls and the data-aware grid publish their fonts so.
#pragma once
#include "rtl/PublishedProperties.h"
#include "ui/Graphics.h"

class TFontProperties : public TPersistent {
 public:
  explicit TFontProperties(TFont& font) : FFont(font) {}
  void DefinePublished(TPublishedProperties& P) override;

 private:
  TFont& FFont;
};
