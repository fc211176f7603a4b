// What the form controls publish for component streaming beyond their own values: the
// font as a persistent sub-object (ui/FontProperties.h), and adders that take an
// enumeration or set of the controls (componenttype.h) or of the framework with its
// member names.
//
// The controls list their published properties in the order their classes declare them,
// base class first. A property that a descendant publishes again keeps its first place
// and is not listed twice. Properties of the platform that the framework does not have
// (bevels, reading direction, size constraints, 3-D look, drag and dock, input method,
// popup menus, auto-size and the panel's Locked, the button glyph's picture) are not
// listed: a form naming one fails to read with "Property X does not exist" as for any
// unknown name.
#pragma once
#include <array>
#include <utility>

#include "controls/LabelRules.h"
#include "controls/componenttype.h"
#include "rtl/PublishedProperties.h"
#include "ui/Controls.h"
#include "ui/FontProperties.h"


namespace published {

namespace detail {
template <class E, size_t... I>
TPropInfo& AddEnum(TPublishedProperties& P, std::string_view name, std::function<int64_t()> get,
                   std::function<void(int64_t)> set, std::index_sequence<I...>) {
  return P.AddEnumeration(name, {TEnumInfo<E>::Names[I]...}, std::move(get), std::move(set));
}
template <class E, size_t... I>
TPropInfo& AddSet(TPublishedProperties& P, std::string_view name, std::function<int64_t()> get,
                  std::function<void(int64_t)> set, std::index_sequence<I...>) {
  return P.AddSet(name, {TEnumInfo<E>::Names[I]...}, std::move(get), std::move(set));
}
}  // namespace detail

// An enumeration of componenttype.h, written by its member name.
template <class E, class O, class G, class S>
TPropInfo& Enum(TPublishedProperties& P, std::string_view name, O* obj, G get, S set) {
  return detail::AddEnum<E>(
      P, name, [obj, get] { return static_cast<int64_t>(std::invoke(get, obj)); },
      [obj, set](int64_t v) { std::invoke(set, obj, static_cast<E>(v)); },
      std::make_index_sequence<TEnumInfo<E>::Count>{});
}

// A set of componenttype.h (at most 32 members), written as its member names.
template <class E, class O, class G, class S>
TPropInfo& Set(TPublishedProperties& P, std::string_view name, O* obj, G get, S set) {
  static_assert(TEnumInfo<E>::Count <= 32, "a published set has at most 32 members");
  return detail::AddSet<E>(
      P, name, [obj, get] { return static_cast<int64_t>(std::invoke(get, obj).Bits()); },
      [obj, set](int64_t v) { std::invoke(set, obj, TEnumSet<E>::FromBits(static_cast<uint32_t>(v))); },
      std::make_index_sequence<TEnumInfo<E>::Count>{});
}

// The same for a field of the control that is only stored.
template <class E>
TPropInfo& EnumField(TPublishedProperties& P, std::string_view name, E& field) {
  return detail::AddEnum<E>(
      P, name, [&field] { return static_cast<int64_t>(field); }, [&field](int64_t v) { field = static_cast<E>(v); },
      std::make_index_sequence<TEnumInfo<E>::Count>{});
}
template <class E>
TPropInfo& SetField(TPublishedProperties& P, std::string_view name, TEnumSet<E>& field) {
  return detail::AddSet<E>(
      P, name, [&field] { return static_cast<int64_t>(field.Bits()); },
      [&field](int64_t v) { field = TEnumSet<E>::FromBits(static_cast<uint32_t>(v)); },
      std::make_index_sequence<TEnumInfo<E>::Count>{});
}
TPropInfo& IntField(TPublishedProperties& P, std::string_view name, int& field);
TPropInfo& BoolField(TPublishedProperties& P, std::string_view name, bool& field);
TPropInfo& StringField(TPublishedProperties& P, std::string_view name, AnsiString& field);

// Framework properties of every control, each under its platform name.
TPropInfo& Align(TPublishedProperties& P, TControl* c);
TPropInfo& Enabled(TPublishedProperties& P, TControl* c);
TPropInfo& Anchors(TPublishedProperties& P, TControl* c);
TPropInfo& ParentColor(TPublishedProperties& P, TControl* c);
TPropInfo& ParentFont(TPublishedProperties& P, TControl* c);
TPropInfo& ParentShowHint(TPublishedProperties& P, TControl* c);
TPropInfo& ShowHint(TPublishedProperties& P, TControl* c);
TPropInfo& Visible(TPublishedProperties& P, TControl* c);  // default True
TPropInfo& TabOrder(TPublishedProperties& P, TWinControl* c);
TPropInfo& TabStop(TPublishedProperties& P, TWinControl* c);
// The label position of a labelled control (lpAbove, lpBelow, lpLeft, lpRight).
template <class O>
TPropInfo& LabelPosition(TPublishedProperties& P, O* c) {
  return P.AddEnumeration("LabelPosition", {"lpAbove", "lpBelow", "lpLeft", "lpRight"}, c, &O::LabelPosition,
                          &O::SetLabelPosition);
}
}  // namespace published
