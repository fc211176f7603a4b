// The VIP card enrollment form.
#include "app/uposVipEnroll.h"

TposVipEnroll::TposVipEnroll(TComponent* AOwner) : TForm(AOwner) {
  SetName("posVipEnroll");
  SetCaption("VIP会员发卡");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetClientWidth(520);
  SetClientHeight(400);
}

void TposVipEnroll::InitForm() { SetCaption("VIP会员发卡"); }
