// TWinControl's layout: aligned controls take their edges of the client area in turn,
// anchored controls keep their distances to the parent's edges.
#include "ui/Controls.h"

#include <algorithm>

using namespace ui_win;

void TWinControl::Realign(TControl* AControl) {
  if (FAlignLevel > 0 || FAligning) {
    FAlignPending = true;
    return;
  }
  FAlignPending = false;
  TRect r = ClientRect();
  AdjustClientRect(r);
  AlignControls(AControl, r);
}

void TWinControl::AlignControls(TControl* AControl, TRect& r) {
  FAligning = true;
  struct Reset { bool& f; ~Reset() { f = false; } } reset{FAligning};
  auto place = [&](TAlign a) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->FAlign == a && c->FVisible) list.push_back(c);
    auto key = [a](TControl* c) {
      switch (a) {
        case alTop: return c->FTop;
        case alBottom: return -(c->FTop + c->FHeight);
        case alLeft: return c->FLeft;
        case alRight: return -(c->FLeft + c->FWidth);
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
      int kx = key(x), ky = key(y);
      if (kx != ky) return kx < ky;
      return x == AControl && y != AControl;
    });
    for (TControl* c : list) {
      switch (a) {
        case alTop:
          c->SetBounds(r.Left, r.Top, r.Width(), c->FHeight);
          r.Top += c->FHeight;
          break;
        case alBottom:
          c->SetBounds(r.Left, r.Bottom - c->FHeight, r.Width(), c->FHeight);
          r.Bottom -= c->FHeight;
          break;
        case alLeft:
          c->SetBounds(r.Left, r.Top, c->FWidth, r.Height());
          r.Left += c->FWidth;
          break;
        case alRight:
          c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, r.Height());
          r.Right -= c->FWidth;
          break;
        case alClient:
          c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
          break;
        default:
          break;
      }
    }
  };
  place(alTop);
  place(alBottom);
  place(alLeft);
  place(alRight);
  place(alClient);
  // Anchored controls keep their distances to the right and bottom edges.
  TRect client = ClientRect();
  for (TControl* c : FControls) {
    if (c->FAlign != alNone) continue;
    TAnchors a = c->FAnchors;
    int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
    if (a.Contains(akRight)) {
      if (a.Contains(akLeft)) w = std::max(0, client.Width() - c->FAnchorRight - l);
      else l = client.Width() - c->FAnchorRight - w;
    }
    if (a.Contains(akBottom)) {
      if (a.Contains(akTop)) h = std::max(0, client.Height() - c->FAnchorBottom - t);
      else t = client.Height() - c->FAnchorBottom - h;
    }
    c->SetBounds(l, t, w, h);
  }
}
