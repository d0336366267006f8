#pragma once
// The flat combo box of the chart editor dialogs: drawn with a flat frame while the mouse is not
// over it and it has no focus.
#include <cstdint>

#include "platform/ComboBox.h"

class TComboFlat : public TCustomComboBox {
public:
  explicit TComboFlat(TComponent* owner);

  // Width of the drop-down list; stored only when it differs from the control's width.
  int32_t GetDropDownWidth() const { return GetDroppedWidth(); }
  void SetDropDownWidth(int32_t v) { SetDroppedWidth(v); }
  bool IsDropDownWidthStored() const { return GetDropDownWidth() != GetWidth(); }
  // The mouse is over the control.
  bool GetHot() const { return hot_; }

protected:
  void PaintOver(TCanvas* canvas) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DoEnter() override;
  void DoExit() override;

private:
  void SetHot(bool v);
  bool hot_ = false;
};
