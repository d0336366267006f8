#include "chart/canvas/NvCanvasCombo.h"

TComboFlat::TComboFlat(TComponent* owner) : TCustomComboBox(owner)
{
  SetHeight(21);
  SetItemHeight(13);
  SetStyle(csDropDownList);
}

void TComboFlat::PaintOver(TCanvas* canvas)
{
  if (hot_ || Focused()) return;
  TRect r = GetClientRect();
  canvas->Brush()->SetBitmap(nullptr);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FrameRect(r);
  InflateRect(r, -1, -1);
  canvas->FrameRect(r);
  // The drop-down button.
  r = GetClientRect();
  const TRect button{r.Right - GetSystemMetrics(SM_CXSIZE) - 2, r.Top + 1, r.Right, r.Bottom - 1};
  canvas->Brush()->SetColor(clWindow);
  canvas->FrameRect(button);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetMode(pmCopy);
  canvas->Pen()->SetColor(clWindow);
  canvas->MoveTo(r.Right - 2, button.Top);
  canvas->LineTo(r.Right - 2, button.Bottom);
}

void TComboFlat::SetHot(bool v)
{
  if (hot_ == v) return;
  hot_ = v;
  Invalidate();
}

void TComboFlat::MouseEnter()
{
  TCustomComboBox::MouseEnter();
  SetHot(true);
}

void TComboFlat::MouseLeave()
{
  TCustomComboBox::MouseLeave();
  SetHot(false);
}

void TComboFlat::DoEnter()
{
  TCustomComboBox::DoEnter();
  hot_ = false;
  Invalidate();
}

void TComboFlat::DoExit()
{
  TCustomComboBox::DoExit();
  hot_ = false;
  Invalidate();
}
