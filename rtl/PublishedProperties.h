// Published properties: what a persistent class tells component streaming about its
// state, in place of the platform's run-time type information.
//
// A class lists its published properties in TPersistent::DefinePublished, in declaration
// order, after those of its base class:
//
//   void TMyControl::DefinePublished(TPublishedProperties& P) {
//     TComponent::DefinePublished(P);
//     P.AddInteger("Width", this, &TMyControl::Width, &TMyControl::SetWidth).Default(80);
//     P.AddSet("Options", {"moFirst", "moSecond"}, this, &TMyControl::Options, &TMyControl::SetOptions).Default(0);
//     P.AddClass("Font", this, &TMyControl::Font);
//   }
//
// Each property has a name (an identifier), a kind, a getter, a setter (none for class
// and collection properties: their object is filled in place) and, for the ordinal kinds,
// an optional default. The writer stores a property only when it differs from its
// default, as the platform does:
//   - integer, char, enumeration, set, boolean: stored unless Default(v) was given and the
//     value equals v (without a default: always stored);
//   - 64-bit integer: stored when not equal to its default (0 unless Default(v) is given);
//   - float and currency: stored when not 0;
//   - string and wide string: stored when not empty;
//   - class: the object's own stored properties, under "Name.Sub" (nothing when null);
//   - collection: always stored when the collection exists (an empty one too).
// Stored(...) adds a condition of its own, checked first.
//
// Values pass through the accessors as int64_t (the ordinal kinds: integer, char as its
// byte 0..255, an enumeration as the index of its name, a set as a bit mask with bit i for
// element i), double (float kinds), Currency, AnsiString, WideString, or the object.
//
// Events are not published: they are std::function members (OnXxx) that hold code, and
// component streaming neither writes nor reads them.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"
#include "rtl/Currency.h"

class TCollection;

enum TPropKind : uint8_t {
  pkInteger,      // 32-bit signed
  pkInt64,
  pkChar,         // one GBK byte
  pkEnumeration,  // one of Names
  pkSet,          // any of Names
  pkBoolean,
  pkFloat,        // see TFloatKind
  pkString,       // AnsiString (GBK)
  pkWideString,
  pkClass,        // a persistent sub-object, written as its own properties
  pkCollection,   // a TCollection, written with its items
};

// How a float property is written: single, double and extended as the platform's 80-bit
// real (vaSingle for single), currency as vaCurrency, a date as vaDate.
enum TFloatKind : uint8_t { fkSingle, fkDouble, fkExtended, fkCurrency, fkDate };

struct TPropInfo {
  AnsiString Name;
  TPropKind Kind = pkInteger;
  TFloatKind FloatKind = fkDouble;
  std::vector<AnsiString> Names;  // enumeration values / set elements, by ordinal

  std::function<int64_t()> GetOrd;  // pkInteger .. pkBoolean
  std::function<void(int64_t)> SetOrd;
  std::function<double()> GetFloat;  // pkFloat except fkCurrency
  std::function<void(double)> SetFloat;
  std::function<Currency()> GetCurr;  // pkFloat, fkCurrency
  std::function<void(Currency)> SetCurr;
  std::function<AnsiString()> GetStr;
  std::function<void(const AnsiString&)> SetStr;
  std::function<WideString()> GetWStr;
  std::function<void(const WideString&)> SetWStr;
  std::function<TPersistent*()> GetObject;  // pkClass
  std::function<TCollection*()> GetCollection;  // pkCollection

  bool HasDefault = false;
  int64_t DefaultValue = 0;
  std::function<bool()> IsStored;  // empty: stored

  // Builder steps (return *this).
  TPropInfo& Default(int64_t v);  // ordinal kinds and pkInt64
  TPropInfo& Stored(std::function<bool()> stored);

  // Whether the writer stores the current value (the rules above).
  bool ShouldStore() const;
  // Index of an enumeration/set name (ASCII case-insensitive), -1 when absent.
  int IndexOfName(std::string_view name) const;
};

namespace published_detail {
template <class S>
struct SetterArg;
template <class C, class A>
struct SetterArg<void (C::*)(A)> {
  using type = std::remove_cv_t<std::remove_reference_t<A>>;
};
template <class T, class O, class G>
std::function<T()> Get(O* obj, G get) {
  return [obj, get] { return static_cast<T>(std::invoke(get, obj)); };
}
template <class T, class O, class S>
std::function<void(T)> Set(O* obj, S set) {
  using A = typename SetterArg<S>::type;
  return [obj, set](T v) { std::invoke(set, obj, static_cast<A>(v)); };
}
}  // namespace published_detail

class TPublishedProperties {
 public:
  TPublishedProperties() = default;
  // The published properties of instance (calls its DefinePublished).
  explicit TPublishedProperties(TPersistent& instance) { instance.DefinePublished(*this); }
  TPublishedProperties(const TPublishedProperties&) = delete;
  TPublishedProperties& operator=(const TPublishedProperties&) = delete;

  int Count() const { return static_cast<int>(FProps.size()); }
  const TPropInfo& Props(int index) const { return FProps.at(static_cast<size_t>(index)); }
  // The property of that name (ASCII case-insensitive), null when there is none.
  const TPropInfo* Find(std::string_view name) const;

  // Adders with accessor functions. Names must be identifiers, unique in the class.
  TPropInfo& AddInteger(std::string_view name, std::function<int32_t()> get, std::function<void(int32_t)> set);
  TPropInfo& AddInt64(std::string_view name, std::function<int64_t()> get, std::function<void(int64_t)> set);
  TPropInfo& AddChar(std::string_view name, std::function<char()> get, std::function<void(char)> set);
  TPropInfo& AddEnumeration(std::string_view name, std::initializer_list<const char*> names,
                            std::function<int64_t()> get, std::function<void(int64_t)> set);
  TPropInfo& AddSet(std::string_view name, std::initializer_list<const char*> names, std::function<int64_t()> get,
                    std::function<void(int64_t)> set);
  TPropInfo& AddBoolean(std::string_view name, std::function<bool()> get, std::function<void(bool)> set);
  TPropInfo& AddFloat(std::string_view name, TFloatKind kind, std::function<double()> get, std::function<void(double)> set);
  TPropInfo& AddCurrency(std::string_view name, std::function<Currency()> get, std::function<void(Currency)> set);
  TPropInfo& AddString(std::string_view name, std::function<AnsiString()> get, std::function<void(const AnsiString&)> set);
  TPropInfo& AddWideString(std::string_view name, std::function<WideString()> get,
                           std::function<void(const WideString&)> set);
  TPropInfo& AddClass(std::string_view name, std::function<TPersistent*()> get);
  TPropInfo& AddCollection(std::string_view name, std::function<TCollection*()> get);

  // The same with an object and its member getter and setter (the library's Xxx() and
  // SetXxx(v)); the values are cast to and from the accessors' types.
  template <class O, class G, class S>
  TPropInfo& AddInteger(std::string_view name, O* obj, G get, S set) {
    return AddInteger(name, published_detail::Get<int32_t>(obj, get), published_detail::Set<int32_t>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddInt64(std::string_view name, O* obj, G get, S set) {
    return AddInt64(name, published_detail::Get<int64_t>(obj, get), published_detail::Set<int64_t>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddChar(std::string_view name, O* obj, G get, S set) {
    return AddChar(name, published_detail::Get<char>(obj, get), published_detail::Set<char>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddEnumeration(std::string_view name, std::initializer_list<const char*> names, O* obj, G get, S set) {
    return AddEnumeration(name, names, published_detail::Get<int64_t>(obj, get), published_detail::Set<int64_t>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddSet(std::string_view name, std::initializer_list<const char*> names, O* obj, G get, S set) {
    return AddSet(name, names, published_detail::Get<int64_t>(obj, get), published_detail::Set<int64_t>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddBoolean(std::string_view name, O* obj, G get, S set) {
    return AddBoolean(name, published_detail::Get<bool>(obj, get), published_detail::Set<bool>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddFloat(std::string_view name, TFloatKind kind, O* obj, G get, S set) {
    return AddFloat(name, kind, published_detail::Get<double>(obj, get), published_detail::Set<double>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddCurrency(std::string_view name, O* obj, G get, S set) {
    return AddCurrency(name, published_detail::Get<Currency>(obj, get), published_detail::Set<Currency>(obj, set));
  }
  template <class O, class G, class S>
  TPropInfo& AddString(std::string_view name, O* obj, G get, S set) {
    return AddString(name, published_detail::Get<AnsiString>(obj, get),
                     [obj, set](const AnsiString& v) { std::invoke(set, obj, v); });
  }
  template <class O, class G, class S>
  TPropInfo& AddWideString(std::string_view name, O* obj, G get, S set) {
    return AddWideString(name, published_detail::Get<WideString>(obj, get),
                         [obj, set](const WideString& v) { std::invoke(set, obj, v); });
  }
  template <class O, class G>
  TPropInfo& AddClass(std::string_view name, O* obj, G get) {
    return AddClass(name, published_detail::Get<TPersistent*>(obj, get));
  }
  template <class O, class G>
  TPropInfo& AddCollection(std::string_view name, O* obj, G get) {
    return AddCollection(name, published_detail::Get<TCollection*>(obj, get));
  }

 private:
  TPropInfo& Add(std::string_view name, TPropKind kind);
  std::deque<TPropInfo> FProps;  // a deque: references handed out stay valid
};
