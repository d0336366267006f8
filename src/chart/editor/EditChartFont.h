#pragma once
// The chart font editor: face, size, style and colour of a chart font, as a modal dialog.
#include "platform/ComboBox.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TNuvFont;

class TChartFontEditor : public TForm {
public:
  TChartFontEditor(TComponent* owner, TNuvFont* font);
  TNuvFont* EditedFont() const { return font_; }
  // Puts the controls' values into the font; a size that does not read as 1..1638 keeps the old size.
  void Apply();

  TCustomComboBox* FaceCombo;
  TEdit* SizeEdit;
  TCheckBox* BoldCheck;
  TCheckBox* ItalicCheck;
  TCheckBox* UnderlineCheck;
  TCheckBox* StrikeOutCheck;
  TColor Color;
  TButton* ColorButton;
  TButton* OkButton;
  TButton* CancelButton;

private:
  TNuvFont* font_;
};

// Shows the editor modally on font and applies the user's changes when the user confirms.
void EditChartFont(TComponent* owner, TNuvFont* font);
