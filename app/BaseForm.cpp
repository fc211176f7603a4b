// The plain form base.
#include "app/BaseForm.h"

#include "ui/WinApi.h"

TfrmBase::TfrmBase(TComponent* AOwner) : TForm(AOwner) {
  SetName("frmBase");
  SetCaption("frmBase");
  SetBounds(0, 0, 696, 480);
  SetPosition(poMainFormCenter);
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-11);
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TfrmBase::FormCreate(TObject* Sender) {}

void TfrmBase::CreateWnd() {
  TForm::CreateWnd();
  auto load = [](int cx, int cy) {
    return TIconHandle(static_cast<HICON>(::LoadImageW(ui_win::ModuleInstance(), L"FRMBASE", IMAGE_ICON,
                                                       ::GetSystemMetrics(cx), ::GetSystemMetrics(cy), 0)));
  };
  if (!FBigIcon) FBigIcon = load(SM_CXICON, SM_CYICON);
  if (!FSmallIcon) FSmallIcon = load(SM_CXSMICON, SM_CYSMICON);
  ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FBigIcon.get()));
  ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FSmallIcon.get()));
}
