#pragma once
// Small helpers that place the standard controls on the editor's forms.
#include <cstdint>
#include <string>

#include "platform/ComboBox.h"
#include "platform/StdCtrls.h"

TLabel* NewLabel(TComponent* owner, TWinControl* parent, const std::string& caption, int32_t x, int32_t y);
TEdit* NewEdit(TComponent* owner, TWinControl* parent, const std::string& text, int32_t x, int32_t y, int32_t width);
TCheckBox* NewCheck(TComponent* owner, TWinControl* parent, const std::string& caption, int32_t x, int32_t y,
                    bool checked);
// A push button; modalResult other than 0 closes a modal form with that result.
TButton* NewButton(TComponent* owner, TWinControl* parent, const std::string& caption, int32_t x, int32_t y,
                   int modalResult);
// A drop-down list (choice from the list only).
TCustomComboBox* NewCombo(TComponent* owner, TWinControl* parent, int32_t x, int32_t y, int32_t width);
// A "Color..." button at (x, y) with a swatch beside it (swatchX, width swatchWidth); a click asks
// the colour dialog for *color and shows the answer.
TButton* NewColorButton(TComponent* owner, TWinControl* parent, TColor* color, int32_t x, int32_t y, int32_t swatchX,
                        int32_t swatchWidth);
