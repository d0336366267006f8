#include "chart/editor/EditorControls.h"

#include <algorithm>

#include "platform/Dialogs.h"

TLabel* NewLabel(TComponent* owner, TWinControl* parent, const std::string& caption, int32_t x, int32_t y)
{
  auto* c = new TLabel(owner);
  c->SetParent(parent);
  c->SetCaption(caption);
  c->SetBounds(x, y, std::max<int32_t>(c->GetWidth(), 80), 16);
  return c;
}

TEdit* NewEdit(TComponent* owner, TWinControl* parent, const std::string& text, int32_t x, int32_t y, int32_t width)
{
  auto* c = new TEdit(owner);
  c->SetParent(parent);
  c->SetBounds(x, y, width, 22);
  c->SetText(text);
  return c;
}

TCheckBox* NewCheck(TComponent* owner, TWinControl* parent, const std::string& caption, int32_t x, int32_t y,
                    bool checked)
{
  auto* c = new TCheckBox(owner);
  c->SetParent(parent);
  c->SetCaption(caption);
  c->SetBounds(x, y, 130, 20);
  c->SetChecked(checked);
  return c;
}

TButton* NewButton(TComponent* owner, TWinControl* parent, const std::string& caption, int32_t x, int32_t y,
                   int modalResult)
{
  auto* c = new TButton(owner);
  c->SetParent(parent);
  c->SetCaption(caption);
  c->SetBounds(x, y, 76, 25);
  c->ModalResult = modalResult;
  return c;
}

TCustomComboBox* NewCombo(TComponent* owner, TWinControl* parent, int32_t x, int32_t y, int32_t width)
{
  auto* c = new TCustomComboBox(owner);
  c->SetParent(parent);
  c->SetStyle(csDropDownList);
  c->SetBounds(x, y, width, 22);
  return c;
}

TButton* NewColorButton(TComponent* owner, TWinControl* parent, TColor* color, int32_t x, int32_t y, int32_t swatchX,
                        int32_t swatchWidth)
{
  TButton* button = NewButton(owner, parent, "Color...", x, y, 0);
  auto* swatch = new TPanel(owner);
  swatch->SetParent(parent);
  swatch->SetBevelOuter(bvLowered);
  swatch->SetBounds(swatchX, y + 2, swatchWidth, 21);
  swatch->SetColor(*color);
  button->OnClick = [color, swatch](TObject*) {
    TColorDialog dialog(nullptr);
    dialog.Color = *color;
    if (dialog.Execute()) *color = dialog.Color;
    swatch->SetColor(*color);
  };
  return button;
}
