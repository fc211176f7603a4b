// Published properties shared by the form controls.
#include "controls/PublishedControls.h"

#include "ui/Graphics.h"

namespace published {

TPropInfo& IntField(TPublishedProperties& P, std::string_view name, int& field) {
  return P.AddInteger(name, [&field] { return field; }, [&field](int32_t v) { field = v; });
}

TPropInfo& BoolField(TPublishedProperties& P, std::string_view name, bool& field) {
  return P.AddBoolean(name, [&field] { return field; }, [&field](bool v) { field = v; });
}

TPropInfo& StringField(TPublishedProperties& P, std::string_view name, AnsiString& field) {
  return P.AddString(name, [&field] { return field; }, [&field](const AnsiString& v) { field = v; });
}

TPropInfo& Align(TPublishedProperties& P, TControl* c) {
  return P.AddEnumeration("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"}, c,
                          &TControl::Align, &TControl::SetAlign);
}

TPropInfo& Enabled(TPublishedProperties& P, TControl* c) {
  return P.AddBoolean("Enabled", c, &TControl::Enabled, &TControl::SetEnabled);
}

TPropInfo& Anchors(TPublishedProperties& P, TControl* c) {
  return P.AddSet("Anchors", {"akLeft", "akTop", "akRight", "akBottom"},
                  [c] { return static_cast<int64_t>(c->Anchors().Bits()); },
                  [c](int64_t v) { c->SetAnchors(TAnchors::FromBits(static_cast<uint32_t>(v))); });
}

TPropInfo& ParentColor(TPublishedProperties& P, TControl* c) {
  return P.AddBoolean("ParentColor", c, &TControl::ParentColor, &TControl::SetParentColor);
}

TPropInfo& ParentFont(TPublishedProperties& P, TControl* c) {
  return P.AddBoolean("ParentFont", c, &TControl::ParentFont, &TControl::SetParentFont);
}

TPropInfo& ParentShowHint(TPublishedProperties& P, TControl* c) {
  return P.AddBoolean("ParentShowHint", c, &TControl::ParentShowHint, &TControl::SetParentShowHint);
}

TPropInfo& ShowHint(TPublishedProperties& P, TControl* c) {
  return P.AddBoolean("ShowHint", c, &TControl::ShowHint, &TControl::SetShowHint);
}

TPropInfo& Visible(TPublishedProperties& P, TControl* c) {
  return P.AddBoolean("Visible", [c] { return c->Visible(); }, [c](bool v) { c->SetVisible(v); }).Default(1);
}

TPropInfo& TabOrder(TPublishedProperties& P, TWinControl* c) {
  return P.AddInteger("TabOrder", c, &TWinControl::TabOrder, &TWinControl::SetTabOrder);
}

TPropInfo& TabStop(TPublishedProperties& P, TWinControl* c) {
  return P.AddBoolean("TabStop", c, &TWinControl::TabStop, &TWinControl::SetTabStop);
}

}  // namespace published
