#include "chart/editor/EditChartFont.h"

#include "chart/canvas/NvCanvasEffects.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/editor/EditorControls.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"

TChartFontEditor::TChartFontEditor(TComponent* owner, TNuvFont* font) : TForm(owner), font_(font)
{
  SetCaption("Font");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(320, 200);
  NewLabel(this, this, "Font:", 8, 12);
  FaceCombo = new TCustomComboBox(this);
  FaceCombo->SetParent(this);
  FaceCombo->SetBounds(80, 8, 220, 22);
  for (const char* face : {"Arial", "Courier New", "DejaVu Sans", "Liberation Sans", "Liberation Serif", "Times New Roman",
                           "Verdana"})
    FaceCombo->AddItem(face);
  FaceCombo->SetText(font->GetName());
  NewLabel(this, this, "Size:", 8, 42);
  SizeEdit = NewEdit(this, this, IntToStr(font->GetSize()), 80, 38, 60);
  const uint8_t style = font->GetStyle();
  BoldCheck = NewCheck(this, this, "Bold", 8, 72, (style & fsBold) != 0);
  ItalicCheck = NewCheck(this, this, "Italic", 150, 72, (style & fsItalic) != 0);
  UnderlineCheck = NewCheck(this, this, "Underline", 8, 98, (style & fsUnderline) != 0);
  StrikeOutCheck = NewCheck(this, this, "Strike out", 150, 98, (style & fsStrikeOut) != 0);
  Color = font->GetColor();
  ColorButton = NewColorButton(this, this, &Color, 8, 128, 90, 40);
  OkButton = NewButton(this, this, "OK", 140, 166, mrOk);
  CancelButton = NewButton(this, this, "Cancel", 226, 166, mrCancel);
  TranslateControl(this);
  DoCreate();
}

void TChartFontEditor::Apply()
{
  const std::string face = Trim(FaceCombo->GetText());
  if (!face.empty()) font_->SetName(face);
  int32_t size = 0;
  if (TryStrToInt(Trim(SizeEdit->GetText()), size) && size >= 1 && size <= 1638) font_->SetSize(size);
  uint8_t style = 0;
  if (BoldCheck->GetChecked()) style |= fsBold;
  if (ItalicCheck->GetChecked()) style |= fsItalic;
  if (UnderlineCheck->GetChecked()) style |= fsUnderline;
  if (StrikeOutCheck->GetChecked()) style |= fsStrikeOut;
  font_->SetStyle(style);
  font_->SetColor(Color);
}

void EditChartFont(TComponent* owner, TNuvFont* font)
{
  if (!font) return;
  TChartFontEditor form(owner, font);
  if (form.ShowModal() == mrOk) form.Apply();
}
