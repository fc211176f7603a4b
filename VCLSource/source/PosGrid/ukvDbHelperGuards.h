// Scope guards of the grid library: every flag, counter and DisableControls pair they
// raise comes back down when the scope ends, also when the dataset raises in between.
// BeginUpdate/EndUpdate pairs take TUpdateScope (rtl/Classes.h); any other pair takes
// TkvFinally.
#pragma once
#include <exception>
#include "db/DataSet.h"

// Sets a flag for the scope and puts the old value back.
class TkvFlagScope {
 public:
  explicit TkvFlagScope(bool& flag, bool value = true) : FFlag(flag), FOld(flag) { flag = value; }
  ~TkvFlagScope() { FFlag = FOld; }
  TkvFlagScope(const TkvFlagScope&) = delete;
  TkvFlagScope& operator=(const TkvFlagScope&) = delete;

 private:
  bool& FFlag;
  bool FOld;
};

// Raises a counter for the scope.
class TkvCountScope {
 public:
  explicit TkvCountScope(int& counter) : FCounter(counter) { ++counter; }
  ~TkvCountScope() { --FCounter; }
  TkvCountScope(const TkvCountScope&) = delete;
  TkvCountScope& operator=(const TkvCountScope&) = delete;

 private:
  int& FCounter;
};

// DisableControls for the scope (nothing without a dataset or when not wanted).
class TkvControlsScope {
 public:
  explicit TkvControlsScope(TDataSet* ds, bool wanted = true)
      : FDataSet(wanted ? ds : nullptr), FUncaught(std::uncaught_exceptions()) {
    if (FDataSet) FDataSet->DisableControls();
  }
  // EnableControls notifies the links, which may raise: that reaches the caller, unless
  // the scope is left by another exception already (then the first one goes on).
  ~TkvControlsScope() noexcept(false) {
    if (!FDataSet) return;
    if (std::uncaught_exceptions() > FUncaught) {
      try {
        FDataSet->EnableControls();
      } catch (...) {
      }
    } else {
      FDataSet->EnableControls();
    }
  }
  TkvControlsScope(const TkvControlsScope&) = delete;
  TkvControlsScope& operator=(const TkvControlsScope&) = delete;

 private:
  TDataSet* FDataSet;
  int FUncaught;
};

// Runs a callable when the scope ends. What the callable raises reaches the caller,
// unless the scope is left by another exception already (then the first one goes on).
template <class F>
class TkvFinally {
 public:
  explicit TkvFinally(F f) : FF(std::move(f)), FUncaught(std::uncaught_exceptions()) {}
  ~TkvFinally() noexcept(false) {
    if (std::uncaught_exceptions() > FUncaught) {
      try {
        FF();
      } catch (...) {
      }
    } else {
      FF();
    }
  }
  TkvFinally(const TkvFinally&) = delete;
  TkvFinally& operator=(const TkvFinally&) = delete;

 private:
  F FF;
  int FUncaught;
};
