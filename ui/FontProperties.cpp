// The published sub-object of a font.
#include "ui/FontProperties.h"

void TFontProperties::DefinePublished(TPublishedProperties& P) {
  TPersistent::DefinePublished(P);
  TFont* f = &FFont;
  P.AddInteger("Charset", f, &TFont::Charset, &TFont::SetCharset);
  P.AddInteger("Color", f, &TFont::Color, &TFont::SetColor);
  P.AddInteger("Height", f, &TFont::Height, &TFont::SetHeight);
  P.AddString("Name", f, &TFont::Name, &TFont::SetName);
  P.AddEnumeration("Pitch", {"fpDefault", "fpVariable", "fpFixed"}, f, &TFont::Pitch, &TFont::SetPitch)
      .Default(fpDefault);
  P.AddSet("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
           [f] { return static_cast<int64_t>(f->Style().Bits()); },
           [f](int64_t v) { f->SetStyle(TFontStyles::FromBits(static_cast<uint32_t>(v))); });
}
