// The small persistent classes controls expose as sub-properties: padding, icon selector, component base.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lux/types.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/controls.h"
#include "ui/picture.h"

namespace lux {

// A sub-object that knows the component it belongs to, without owning or being owned through it.
class TMPersistent {
 public:
  explicit TMPersistent(ui::TComponent* AOwner) : FOwner(AOwner) {}
  virtual ~TMPersistent() = default;
  ui::TComponent* Owner() const { return FOwner; }

 private:
  ui::TComponent* FOwner;
};

class TAssignPersistent : public TMPersistent {
 public:
  using TMPersistent::TMPersistent;
  // Copies the published values of a source of the same class; throws std::invalid_argument otherwise.
  virtual void Assign(const TAssignPersistent& Source) = 0;
};

class FXPadding : public TAssignPersistent {
 public:
  explicit FXPadding(ui::TComponent* AOwner) : TAssignPersistent(AOwner) {}

  std::int32_t Left() const { return FLeft; }
  std::int32_t Top() const { return FTop; }
  std::int32_t Right() const { return FRight; }
  std::int32_t Bottom() const { return FBottom; }
  void SetLeft(std::int32_t Value);
  void SetTop(std::int32_t Value);
  void SetRight(std::int32_t Value);
  void SetBottom(std::int32_t Value);
  std::function<void(FXPadding&)> OnChange;

  std::int32_t PadWidth() const { return FLeft + FRight; }
  std::int32_t PadHeight() const { return FTop + FBottom; }
  TRect ApplyTo(const TRect& ARect) const;
  // Silent: the rescaled owner repaints once for everything.
  void ScaleChanged(float Scaling);
  void Assign(const TAssignPersistent& Source) override;

 private:
  void Changed();
  std::int32_t FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
};

class FXIconSelect : public TMPersistent {
 public:
  explicit FXIconSelect(ui::TComponent* AOwner);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  FXIconType IconType() const { return FType; }
  void SetIconType(FXIconType Value) { FType = Value; }
  const ui::TPicture& SelectPicture() const { return *FPicture; }
  void SetSelectPicture(const ui::TPicture& Value);
  const ui::TBitmap& SelectBitmap() const { return *FBitMap; }
  void SetSelectBitmap(const ui::TBitmap& Value);
  // Icon-font glyphs drawn over each other, so one icon can be layered from several.
  const std::string& SelectSegoe() const { return FSegoeText; }
  void SetSelectSegoe(const std::string& Value);
  std::int32_t SelectImageIndex() const { return FImageIndex; }
  void SetSelectImageIndex(std::int32_t Value);

  void Assign(const FXIconSelect& Source);
  // Draws whatever the type selects, whether or not Enabled (the caller decides that).
  void DrawIcon(ui::TCanvas& Canvas, const TRect& ARectangle) const;

 private:
  void Changed(FXIconType Kind);
  bool FEnabled = false;
  FXIconType FType = FXIconType::SegoeIcon;
  std::unique_ptr<ui::TPicture> FPicture;
  std::unique_ptr<ui::TBitmap> FBitMap;
  std::string FSegoeText = "\xEE\x9C\xB4";  // U+E734
  std::int32_t FImageIndex = 0;
};

// The plain notification the framework's components fire; Sender is the component that fired it.
using TNotifyEvent = std::function<void(ui::TComponent* Sender)>;

// The base of the popup menu's items.
class FXComponent : public ui::TComponent {
 public:
  using ui::TComponent::TComponent;
};

}  // namespace lux
