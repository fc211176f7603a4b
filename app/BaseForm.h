// The plain base of the application's forms: one size, one font, centred on the main
// form, and the forms' own icon. Descendants build their components in their own
// constructors after these.
#pragma once
#include <memory>
#include <type_traits>

#include "ui/Forms.h"

class TfrmBase : public TForm {
 public:
  explicit TfrmBase(TComponent* AOwner);

  // OnCreate: nothing visible happens.
  void FormCreate(TObject* Sender);

 protected:
  // The window gets the icon "FRMBASE" of the module holding this code (app.rc), in the
  // system's large and small sizes, for as long as the form lives.
  void CreateWnd() override;

 private:
  struct TIconDeleter {
    void operator()(HICON h) const { ::DestroyIcon(h); }
  };
  using TIconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, TIconDeleter>;
  TIconHandle FBigIcon, FSmallIcon;
};
