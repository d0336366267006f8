#pragma once
// The section chart setup dialog "Contour-section setup": picture margins, number of levels,
// isolines, the six key colours, user value limits and the label font of the colour bar. It works
// on the chart it was last filled from; settings reach the chart only through "Apply".
#include <cstdint>
#include <string>

#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "widgets/kwWidgets.h"

class TPseudoSection2d;

// A whole-number edit with up and down arrows, held within MinValue..MaxValue.
class TSetupSpinEdit : public TCustomControl {
public:
  TSetupSpinEdit(TComponent* owner, int32_t minValue, int32_t maxValue);
  int32_t GetMinValue() const { return minValue_; }
  int32_t GetMaxValue() const { return maxValue_; }
  // The number in the edit held within the bounds; text that is no whole number gives the value
  // last shown.
  int32_t GetValue() const;
  // Shows the value held within the bounds.
  void SetValue(int32_t v);
  TEdit* Edit() const { return edit_; }
  TSpinButton* Spin() const { return spin_; }

protected:
  void Resize() override;
  void Paint() override;

private:
  void Step(int32_t delta);
  int32_t minValue_, maxValue_;
  int32_t shown_;
  TEdit* edit_;
  TSpinButton* spin_;
};

// A framed group of controls with its caption in the top edge ("&&" shows one "&").
class TSetupGroupBox : public TCustomControl {
public:
  explicit TSetupGroupBox(TComponent* owner);

protected:
  void Paint() override;
};

class TPseudosetupForm : public TForm {
public:
  explicit TPseudosetupForm(TComponent* owner);
  ~TPseudosetupForm() override;

  // "Box margins (pixels)"
  TSetupGroupBox* GroupMargins;
  TSetupSpinEdit* PSLeftval;
  TSetupSpinEdit* PStopval;
  TSetupSpinEdit* PSRightval;
  TSetupSpinEdit* PSBottomval;
  // "Fill&&Line colors (Gradient) "
  TSetupGroupBox* GroupColors;
  TSetupSpinEdit* PSLevNum;
  TCheckBox* PSLinesVisible;
  TpkColorButton* PSMinIsoline;
  TpkColorButton* PSMaxIsoline;
  TpkColorButton* PSMinContour;
  TpkColorButton* PSMaxContour;
  TpkColorButton* PScontour1_3;
  TpkColorButton* PScontour2_3;
  TButton* Button1;
  // "User data limits"
  TSetupGroupBox* GroupLimits;
  TCheckBox* PSuseExternal;
  TEdit* PSExtMin;
  TEdit* PSExtMax;
  TkwPicBtn* kwPicBtn3;  // "Apply"
  TkwPicBtn* kwPicBtn4;  // "Cancel"

  // Remembers the chart and shows its settings.
  void LoadFromSection(TPseudoSection2d* section);
  // Writes the controls into the remembered chart and redraws its picture.
  void ApplyToSection();
  TPseudoSection2d* Section() const { return section_; }

  // Handlers.
  void UseExternalClick();
  void ApplyClick();
  void CancelClick();
  void FontClick();

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  TkwSuperLabel* AddLabel(TWinControl* parent, const std::string& caption, int32_t left, int32_t top);
  TPseudoSection2d* section_ = nullptr;
};
