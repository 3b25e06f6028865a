// The scroll box: a container whose children scroll by an offset, without scroll bars of its own.
#pragma once

#include "ui/controls.h"

namespace ui {

// A panel whose content is larger than what it shows. The scroll position says how far the content
// has moved: a child laid out at (x, y) in the content shows at (x - position.X, y - position.Y) in the
// box. The box draws no bars; whoever scrolls it (the framework puts its own bars on it) sets the
// position and works out the ranges from the children and the visible extent.
class TScrollBox : public TPanel {
 public:
  using TPanel::TPanel;

  TPoint ScrollPosition() const { return position_; }
  // Scrolls by the difference to the current position.
  void SetScrollPosition(TPoint value);
  // Moves every child by (dx, dy), as scrolling the window's contents does, so the position moves by
  // (-dx, -dy); aligned children are laid out again in the moved content area.
  void ScrollBy(int dx, int dy);

  // The visible extent: the whole box, as it has no border and no bars.
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }

  // Whether the box scrolls by itself (on the wheel); read by the code that does the scrolling.
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool value) { autoScroll_ = value; }

 protected:
  // Aligned children are laid out in the content area, which lies at minus the scroll position: so a
  // realign (a resize, a child changing size) keeps them scrolled along with their unaligned
  // siblings instead of snapping them back to the visible top, just as a scrolled window's client
  // origin moves for the children it aligns.
  TRect AlignArea() const override;

 private:
  TPoint position_;
  bool autoScroll_ = true;
};

}  // namespace ui
