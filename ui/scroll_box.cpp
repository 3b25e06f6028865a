// The scroll box.
#include "ui/scroll_box.h"

namespace ui {

void TScrollBox::SetScrollPosition(TPoint value) { ScrollBy(position_.X - value.X, position_.Y - value.Y); }

void TScrollBox::ScrollBy(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  position_.X -= dx;
  position_.Y -= dy;
  // Aligned children follow the moved content area when realigned; moving them one by one would
  // realign the rest each time.
  for (int i = 0; i < ControlCount(); ++i)
    if (TControl* c = Controls(i); c->Align() == TAlign::alNone)
      c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  Realign();
  Invalidate();
}

TRect TScrollBox::AlignArea() const {
  return Bounds(-position_.X, -position_.Y, ClientWidth(), ClientHeight());
}

}  // namespace ui
