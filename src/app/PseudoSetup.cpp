#include "app/PseudoSetup.h"

#include <algorithm>

#include "app/PseudoSection2d.h"
#include "app/Supermath2d.h"
#include "chart/editor/EditChartFont.h"
#include "platform/SysUtils.h"

// ---------------------------------------------------------------- spin edit

TSetupSpinEdit::TSetupSpinEdit(TComponent* owner, int32_t minValue, int32_t maxValue)
    : TCustomControl(owner), minValue_(minValue), maxValue_(maxValue), shown_(minValue)
{
  edit_ = new TEdit(this);
  edit_->SetParent(this);
  spin_ = new TSpinButton(this);
  spin_->SetParent(this);
  spin_->OnUpClick = [this](TObject*) { Step(1); };
  spin_->OnDownClick = [this](TObject*) { Step(-1); };
  // Leaving the edit shows the number it stands for.
  edit_->OnExit = [this](TObject*) { SetValue(GetValue()); };
  SetBounds(0, 0, 50, 21);
  SetValue(minValue);
}

int32_t TSetupSpinEdit::GetValue() const
{
  int32_t v;
  if (!TryStrToInt(Trim(edit_->GetText()), v)) v = shown_;
  return std::clamp(v, minValue_, maxValue_);
}

void TSetupSpinEdit::SetValue(int32_t v)
{
  shown_ = std::clamp(v, minValue_, maxValue_);
  const std::string text = IntToStr(shown_);
  if (edit_->GetText() != text) edit_->SetText(text);
}

void TSetupSpinEdit::Step(int32_t delta)
{
  const int32_t v = GetValue();
  if ((delta > 0 && v < maxValue_) || (delta < 0 && v > minValue_)) SetValue(v + delta);
  else SetValue(v);
}

void TSetupSpinEdit::Resize()
{
  TCustomControl::Resize();
  const int32_t sw = 15;
  edit_->SetBounds(0, 0, std::max(0, GetWidth() - sw), GetHeight());
  spin_->SetBounds(std::max(0, GetWidth() - sw), 0, sw, GetHeight());
}

void TSetupSpinEdit::Paint()
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(GetClientRect());
}

// ---------------------------------------------------------------- group box

TSetupGroupBox::TSetupGroupBox(TComponent* owner) : TCustomControl(owner) {}

void TSetupGroupBox::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetParent() ? GetParent()->GetColor() : GetColor());
  c->FillRect(r);
  c->Font()->Assign(Font());
  std::string caption = GetCaption();
  for (size_t p = caption.find("&&"); p != std::string::npos; p = caption.find("&&", p + 1)) caption.erase(p, 1);
  const TSize sz = c->TextExtent(caption.empty() ? std::string("0") : caption);
  const int32_t top = sz.cy / 2;
  Frame3D(c, Rect(r.Left, r.Top + top, r.Right - 1, r.Bottom - 1), clBtnShadow, clBtnShadow);
  Frame3D(c, Rect(r.Left + 1, r.Top + top + 1, r.Right, r.Bottom), clBtnHighlight, clBtnHighlight);
  if (!caption.empty()) {
    c->Brush()->SetStyle(bsSolid);
    c->TextOut(8, 0, caption);
  }
}

// ---------------------------------------------------------------- dialog

TkwSuperLabel* TPseudosetupForm::AddLabel(TWinControl* parent, const std::string& caption, int32_t left, int32_t top)
{
  auto* l = new TkwSuperLabel(this);
  l->SetParent(parent);
  l->SetCaption(caption);
  l->SetLeft(left);
  l->SetTop(top);
  return l;
}

TPseudosetupForm::TPseudosetupForm(TComponent* owner) : TForm(owner)
{
  SetName("PseudosetupForm");
  SetCaption("Contour-section setup");
  SetBorderStyle(bsToolWindow);
  SetPosition(poDesktopCenter);
  SetClientSize(464, 316);
  Font()->SetName("MS Sans Serif");
  Font()->SetSize(8);

  auto group = [this](const std::string& caption, int32_t l, int32_t t, int32_t w, int32_t h) {
    auto* g = new TSetupGroupBox(this);
    g->SetParent(this);
    g->SetCaption(caption);
    g->SetBounds(l, t, w, h);
    return g;
  };
  auto spin = [this](TWinControl* parent, int32_t lo, int32_t hi, int32_t left, int32_t top) {
    auto* s = new TSetupSpinEdit(this, lo, hi);
    s->SetParent(parent);
    s->SetBounds(left, top, 56, 21);
    return s;
  };
  auto colorButton = [this](TWinControl* parent, int32_t left, int32_t top) {
    auto* b = new TpkColorButton(this);
    b->SetParent(parent);
    b->SetBounds(left, top, 56, 22);
    return b;
  };
  auto check = [this](TWinControl* parent, int32_t left, int32_t top) {
    auto* b = new TCheckBox(this);
    b->SetParent(parent);
    b->SetBounds(left, top, 17, 17);
    return b;
  };

  GroupMargins = group("Box margins (pixels)", 8, 8, 208, 136);
  AddLabel(GroupMargins, "  Left margin", 8, 24);
  PSLeftval = spin(GroupMargins, 0, SectionMaxMargin, 136, 22);
  AddLabel(GroupMargins, "  Top margin", 8, 52);
  PStopval = spin(GroupMargins, 0, SectionMaxMargin, 136, 50);
  AddLabel(GroupMargins, "  Right margin", 8, 80);
  PSRightval = spin(GroupMargins, 0, SectionMaxMargin, 136, 78);
  AddLabel(GroupMargins, "  Bottom margin", 8, 108);
  PSBottomval = spin(GroupMargins, 0, SectionMaxMargin, 136, 106);

  GroupLimits = group("User data limits", 8, 152, 208, 118);
  AddLabel(GroupLimits, "  User limits", 8, 24);
  PSuseExternal = check(GroupLimits, 136, 24);
  AddLabel(GroupLimits, "  Minimum", 8, 54);
  PSExtMin = new TEdit(this);
  PSExtMin->SetParent(GroupLimits);
  PSExtMin->SetBounds(104, 52, 92, 21);
  AddLabel(GroupLimits, "  Maximum", 8, 84);
  PSExtMax = new TEdit(this);
  PSExtMax->SetParent(GroupLimits);
  PSExtMax->SetBounds(104, 82, 92, 21);

  GroupColors = group("Fill&&Line colors (Gradient) ", 224, 8, 232, 262);
  AddLabel(GroupColors, "  Num levels", 8, 24);
  PSLevNum = spin(GroupColors, SectionMinLevels, SectionMaxLevels, 160, 22);
  AddLabel(GroupColors, "  Isolines", 8, 52);
  PSLinesVisible = check(GroupColors, 160, 52);
  PSLinesVisible->SetHint("This turns on or off the contour \r\nlines on a color contour image.");
  PSLinesVisible->SetShowHint(true);
  AddLabel(GroupColors, "  Min isoline", 8, 80);
  PSMinIsoline = colorButton(GroupColors, 160, 78);
  AddLabel(GroupColors, "  Max isoline", 8, 106);
  PSMaxIsoline = colorButton(GroupColors, 160, 104);
  AddLabel(GroupColors, "  Min contour", 8, 132);
  PSMinContour = colorButton(GroupColors, 160, 130);
  AddLabel(GroupColors, "  Max contour", 8, 158);
  PSMaxContour = colorButton(GroupColors, 160, 156);
  AddLabel(GroupColors, "  1/3 contour", 8, 184);
  PScontour1_3 = colorButton(GroupColors, 160, 182);
  AddLabel(GroupColors, "  2/3 contour", 8, 210);
  PScontour2_3 = colorButton(GroupColors, 160, 208);
  Button1 = new TButton(this);
  Button1->SetParent(GroupColors);
  Button1->SetCaption("Font");
  Button1->SetBounds(8, 232, 75, 22);

  kwPicBtn3 = new TkwPicBtn(this);
  kwPicBtn3->SetParent(this);
  kwPicBtn3->SetCaption("Apply");
  kwPicBtn3->SetBounds(280, 280, 80, 25);
  kwPicBtn4 = new TkwPicBtn(this);
  kwPicBtn4->SetParent(this);
  kwPicBtn4->SetCaption("Cancel");
  kwPicBtn4->SetBounds(370, 280, 80, 25);

  PSuseExternal->OnClick = [this](TObject*) { UseExternalClick(); };
  kwPicBtn3->OnClick = [this](TObject*) { ApplyClick(); };
  kwPicBtn4->OnClick = [this](TObject*) { CancelClick(); };
  Button1->OnClick = [this](TObject*) { FontClick(); };
  UseExternalClick();
  DoCreate();
}

TPseudosetupForm::~TPseudosetupForm()
{
  if (section_) section_->RemoveFreeNotification(this);
}

void TPseudosetupForm::Notification(TComponent* component, TOperation operation)
{
  TForm::Notification(component, operation);
  if (operation == TOperation::opRemove && component == section_) section_ = nullptr;
}

void TPseudosetupForm::LoadFromSection(TPseudoSection2d* section)
{
  if (section != section_) {
    if (section_) section_->RemoveFreeNotification(this);
    section_ = section;
    if (section_) section_->FreeNotification(this);
  }
  if (!section_) return;
  TPseudoSection2d& s = *section_;
  PSLeftval->SetValue(s.GetMarginLeft());
  PStopval->SetValue(s.GetMarginTop());
  PSRightval->SetValue(s.GetMarginRight());
  PSBottomval->SetValue(s.GetMarginBottom());
  PSLevNum->SetValue(s.GetLevelCount());
  PSLinesVisible->SetChecked(s.GetShowIsolines());
  PSMinIsoline->SetColor(s.GetIsolineMinColor());
  PSMaxIsoline->SetColor(s.GetIsolineMaxColor());
  PSMinContour->SetColor(s.GetContourMinColor());
  PSMaxContour->SetColor(s.GetContourMaxColor());
  PScontour1_3->SetColor(s.GetMidColor(0));
  PScontour2_3->SetColor(s.GetMidColor(1));
  PSuseExternal->SetChecked(s.GetUserLimits());
  PSExtMin->SetText(FloatToStrDec(0, true, s.GetUserMin()));
  PSExtMax->SetText(FloatToStrDec(0, true, s.GetUserMax()));
  UseExternalClick();
}

void TPseudosetupForm::ApplyToSection()
{
  if (!section_) return;
  TPseudoSection2d& s = *section_;
  s.SetMarginLeft(PSLeftval->GetValue());
  s.SetMarginTop(PStopval->GetValue());
  s.SetMarginRight(PSRightval->GetValue());
  s.SetMarginBottom(PSBottomval->GetValue());
  s.SetLevelCount(PSLevNum->GetValue());
  s.SetShowIsolines(PSLinesVisible->GetChecked());
  s.SetIsolineMinColor(PSMinIsoline->GetColor());
  s.SetIsolineMaxColor(PSMaxIsoline->GetColor());
  s.SetContourMinColor(PSMinContour->GetColor());
  s.SetContourMaxColor(PSMaxContour->GetColor());
  s.SetMidColor(0, PScontour1_3->GetColor());
  s.SetMidColor(1, PScontour2_3->GetColor());
  s.SetUserLimits(PSuseExternal->GetChecked());
  // Text that is no number leaves the limit unset.
  s.SetUserMin(StrToFloatRange(PSExtMin->GetText(), true, 0, 0));
  s.SetUserMax(StrToFloatRange(PSExtMax->GetText(), true, 0, 0));
  s.BuildSection(false);
  s.UpdateLevels();
  s.UpdateLayout();
}

void TPseudosetupForm::UseExternalClick()
{
  const bool on = PSuseExternal->GetChecked();
  PSExtMin->SetEnabled(on);
  PSExtMax->SetEnabled(on);
}

void TPseudosetupForm::ApplyClick()
{
  ApplyToSection();
  LoadFromSection(section_);
}

void TPseudosetupForm::CancelClick() { SetModalResult(mrCancel); }

void TPseudosetupForm::FontClick()
{
  if (section_) EditChartFont(this, section_->LabelFont());
}
