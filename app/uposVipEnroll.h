// The VIP card enrollment screen ("VIP会员发卡"): the form the export OpenVipEnroll
// shows. InitForm is its set-up, run once before the form is shown. Closing the form
// ends its modal loop; the export that created it frees it.
#pragma once
#include "ui/Forms.h"

class TposVipEnroll : public TForm {
 public:
  explicit TposVipEnroll(TComponent* AOwner);

  // Set-up before the form is shown.
  void InitForm();
};
