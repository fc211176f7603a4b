// Published property lists: the adders and the storing rule.
#include "rtl/PublishedProperties.h"

TPropInfo& TPropInfo::Default(int64_t v) {
  POS_ASSERT(Kind <= pkBoolean, "a default belongs to an ordinal property");
  HasDefault = true;
  DefaultValue = v;
  return *this;
}

TPropInfo& TPropInfo::Stored(std::function<bool()> stored) {
  IsStored = std::move(stored);
  return *this;
}

bool TPropInfo::ShouldStore() const {
  if (IsStored && !IsStored()) return false;
  switch (Kind) {
    case pkInteger:
    case pkChar:
    case pkEnumeration:
    case pkSet:
    case pkBoolean:
      return !HasDefault || GetOrd() != DefaultValue;
    case pkInt64:
      return GetOrd() != DefaultValue;
    case pkFloat:
      return FloatKind == fkCurrency ? GetCurr().Scaled() != 0 : GetFloat() != 0.0;
    case pkString:
      return !GetStr().empty();
    case pkWideString:
      return !GetWStr().empty();
    case pkClass:
      return GetObject() != nullptr;
    case pkCollection:
      return GetCollection() != nullptr;
  }
  return true;
}

int TPropInfo::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], name)) return static_cast<int>(i);
  return -1;
}

const TPropInfo* TPublishedProperties::Find(std::string_view name) const {
  for (const TPropInfo& p : FProps)
    if (SameText(p.Name, name)) return &p;
  return nullptr;
}

TPropInfo& TPublishedProperties::Add(std::string_view name, TPropKind kind) {
  POS_ASSERT(IsValidIdent(name), "a published property needs an identifier as its name");
  POS_ASSERT(Find(name) == nullptr, "published property defined twice");
  TPropInfo& p = FProps.emplace_back();
  p.Name = AnsiString(name);
  p.Kind = kind;
  return p;
}

TPropInfo& TPublishedProperties::AddInteger(std::string_view name, std::function<int32_t()> get,
                                            std::function<void(int32_t)> set) {
  TPropInfo& p = Add(name, pkInteger);
  p.GetOrd = [get = std::move(get)] { return static_cast<int64_t>(get()); };
  p.SetOrd = [set = std::move(set)](int64_t v) { set(static_cast<int32_t>(v)); };
  return p;
}

TPropInfo& TPublishedProperties::AddInt64(std::string_view name, std::function<int64_t()> get,
                                          std::function<void(int64_t)> set) {
  TPropInfo& p = Add(name, pkInt64);
  p.GetOrd = std::move(get);
  p.SetOrd = std::move(set);
  return p;
}

TPropInfo& TPublishedProperties::AddChar(std::string_view name, std::function<char()> get, std::function<void(char)> set) {
  TPropInfo& p = Add(name, pkChar);
  p.GetOrd = [get = std::move(get)] { return static_cast<int64_t>(static_cast<unsigned char>(get())); };
  p.SetOrd = [set = std::move(set)](int64_t v) { set(static_cast<char>(static_cast<unsigned char>(v))); };
  return p;
}

TPropInfo& TPublishedProperties::AddEnumeration(std::string_view name, std::initializer_list<const char*> names,
                                                std::function<int64_t()> get, std::function<void(int64_t)> set) {
  TPropInfo& p = Add(name, pkEnumeration);
  for (const char* n : names) p.Names.emplace_back(n);
  POS_ASSERT(!p.Names.empty(), "an enumeration needs names");
  p.GetOrd = std::move(get);
  p.SetOrd = std::move(set);
  return p;
}

TPropInfo& TPublishedProperties::AddSet(std::string_view name, std::initializer_list<const char*> names,
                                        std::function<int64_t()> get, std::function<void(int64_t)> set) {
  TPropInfo& p = Add(name, pkSet);
  for (const char* n : names) p.Names.emplace_back(n);
  POS_ASSERT(!p.Names.empty() && p.Names.size() <= 64, "a set has 1 to 64 elements");
  p.GetOrd = std::move(get);
  p.SetOrd = std::move(set);
  return p;
}

TPropInfo& TPublishedProperties::AddBoolean(std::string_view name, std::function<bool()> get, std::function<void(bool)> set) {
  TPropInfo& p = Add(name, pkBoolean);
  p.Names = {"False", "True"};
  p.GetOrd = [get = std::move(get)] { return static_cast<int64_t>(get() ? 1 : 0); };
  p.SetOrd = [set = std::move(set)](int64_t v) { set(v != 0); };
  return p;
}

TPropInfo& TPublishedProperties::AddFloat(std::string_view name, TFloatKind kind, std::function<double()> get,
                                          std::function<void(double)> set) {
  POS_ASSERT(kind != fkCurrency, "currency properties are added with AddCurrency");
  TPropInfo& p = Add(name, pkFloat);
  p.FloatKind = kind;
  p.GetFloat = std::move(get);
  p.SetFloat = std::move(set);
  return p;
}

TPropInfo& TPublishedProperties::AddCurrency(std::string_view name, std::function<Currency()> get,
                                             std::function<void(Currency)> set) {
  TPropInfo& p = Add(name, pkFloat);
  p.FloatKind = fkCurrency;
  p.GetCurr = std::move(get);
  p.SetCurr = std::move(set);
  return p;
}

TPropInfo& TPublishedProperties::AddString(std::string_view name, std::function<AnsiString()> get,
                                           std::function<void(const AnsiString&)> set) {
  TPropInfo& p = Add(name, pkString);
  p.GetStr = std::move(get);
  p.SetStr = std::move(set);
  return p;
}

TPropInfo& TPublishedProperties::AddWideString(std::string_view name, std::function<WideString()> get,
                                               std::function<void(const WideString&)> set) {
  TPropInfo& p = Add(name, pkWideString);
  p.GetWStr = std::move(get);
  p.SetWStr = std::move(set);
  return p;
}

TPropInfo& TPublishedProperties::AddClass(std::string_view name, std::function<TPersistent*()> get) {
  TPropInfo& p = Add(name, pkClass);
  p.GetObject = std::move(get);
  return p;
}

TPropInfo& TPublishedProperties::AddCollection(std::string_view name, std::function<TCollection*()> get) {
  TPropInfo& p = Add(name, pkCollection);
  p.GetCollection = std::move(get);
  return p;
}
