#include "platform/StdCtrls.h"

#include <QLineEdit>
#include <QWidget>

#include <algorithm>

#include "platform/ControlsQt.h"
#include "platform/Forms.h"

using namespace ctlqt;

void Frame3D(TCanvas* canvas, const TRect& r, TColor topLeft, TColor bottomRight)
{
  if (r.IsEmpty()) return;
  TPen* pen = canvas->Pen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  pen->SetColor(topLeft);
  canvas->MoveTo(r.Left, r.Bottom - 1);
  canvas->LineTo(r.Left, r.Top);
  canvas->LineTo(r.Right - 1, r.Top);
  pen->SetColor(bottomRight);
  canvas->LineTo(r.Right - 1, r.Bottom - 1);
  canvas->LineTo(r.Left - 1, r.Bottom - 1);
}

namespace {
void FillBox(TCanvas* c, const TRect& r, TColor color)
{
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

void CenteredText(TCanvas* c, const TRect& r, const std::string& text)
{
  c->Brush()->SetStyle(bsClear);
  const TSize sz = c->TextExtent(text);
  c->TextOut(r.Left + (r.Width() - sz.cx) / 2, r.Top + (r.Height() - sz.cy) / 2, text);
}
}  // namespace

// ---------------------------------------------------------------- image list and glyphs

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}
TImageList::~TImageList() = default;

void TImageList::SetSize(int32_t width, int32_t height)
{
  width_ = width;
  height_ = height;
}

int TImageList::Add(const TBitmap* image)
{
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(image);
  images_.push_back(std::move(copy));
  if (OnChange) OnChange(this);
  return Count() - 1;
}

TBitmap* TImageList::Image(int index) const
{
  if (index < 0 || index >= Count()) return nullptr;
  return images_[static_cast<size_t>(index)].get();
}

void TImageList::Draw(TCanvas* canvas, int32_t x, int32_t y, int index, bool enabled) const
{
  TBitmap* img = Image(index);
  if (!img) return;
  DrawGlyph(canvas, x, y, img, Rect(0, 0, img->GetWidth(), img->GetHeight()), enabled);
}

void DrawGlyph(TCanvas* canvas, int32_t x, int32_t y, TBitmap* glyph, const TRect& src, bool enabled)
{
  if (!glyph || src.IsEmpty()) return;
  const bool transparent = glyph->GetTransparent();
  const TColor key = transparent ? ColorToRGB(glyph->GetTransparentColor()) : clNone;
  for (int32_t gy = src.Top; gy < src.Bottom && gy < glyph->GetHeight(); ++gy) {
    for (int32_t gx = src.Left; gx < src.Right && gx < glyph->GetWidth(); ++gx) {
      TColor c = glyph->Canvas()->GetPixel(gx, gy);
      if (transparent && c == key) continue;
      if (!enabled) {
        const int lum = (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10;
        const uint8_t g = static_cast<uint8_t>(128 + lum / 2);
        c = RGB(g, g, g);
      }
      canvas->SetPixel(x + gx - src.Left, y + gy - src.Top, c);
    }
  }
  glyph->Canvas()->Release();
}

// ---------------------------------------------------------------- speed button

TSpeedButton::TSpeedButton(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 23, 22); }
TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetFlat(bool v)
{
  if (v == flat_) return;
  flat_ = v;
  Invalidate();
}

TBitmap* TSpeedButton::Glyph()
{
  if (!glyph_) glyph_ = std::make_unique<TBitmap>();
  return glyph_.get();
}

void TSpeedButton::SetGlyph(const TBitmap* glyph)
{
  Glyph()->Assign(glyph);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int v)
{
  numGlyphs_ = std::clamp(v, 1, 4);
  Invalidate();
}

void TSpeedButton::SetDown(bool v)
{
  if (v == down_) return;
  down_ = v;
  Invalidate();
}

void TSpeedButton::PaintFace(const TRect& r, bool sunken)
{
  TCanvas* c = GetCanvas();
  FillBox(c, r, GetColor());
  if (sunken)
    Frame3D(c, r, clBtnShadow, clBtnHighlight);
  else if (!flat_ || hot_)
    Frame3D(c, r, clBtnHighlight, clBtnShadow);
}

void TSpeedButton::Paint()
{
  const TRect r = GetClientRect();
  const bool sunken = pressed_ || down_;
  PaintFace(r, sunken);
  TCanvas* c = GetCanvas();
  if (glyph_ && glyph_->GetWidth() > 0) {
    const int32_t gw = glyph_->GetWidth() / numGlyphs_, gh = glyph_->GetHeight();
    int index = 0;
    if (!GetEnabled() && numGlyphs_ > 1) index = 1;
    const int32_t off = sunken ? 1 : 0;
    DrawGlyph(c, (r.Width() - gw) / 2 + off, (r.Height() - gh) / 2 + off, glyph_.get(),
              Rect(index * gw, 0, index * gw + gw, gh), GetEnabled() || numGlyphs_ > 1);
  } else if (!GetCaption().empty()) {
    c->Font()->SetColor(GetEnabled() ? clBtnText : clGrayText);
    CenteredText(c, r, GetCaption());
  }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (button == mbLeft) {
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (button == mbLeft && pressed_) {
    pressed_ = false;
    if (groupIndex_ != 0 && x >= 0 && y >= 0 && x < GetWidth() && y < GetHeight()) {
      if (!down_) {
        // Release the other buttons of the group.
        if (TWinControl* p = GetParent())
          for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* sb = dynamic_cast<TSpeedButton*>(p->Controls(i)); sb && sb != this && sb->groupIndex_ == groupIndex_)
              sb->SetDown(false);
        down_ = true;
      } else if (allowAllUp_) {
        down_ = false;
      }
    }
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::MouseEnter()
{
  hot_ = true;
  Invalidate();
  TCustomControl::MouseEnter();
}

void TSpeedButton::MouseLeave()
{
  hot_ = false;
  Invalidate();
  TCustomControl::MouseLeave();
}

// ---------------------------------------------------------------- edit

TEdit::TEdit(TComponent* owner) : TWinControl(owner, new QLineEdit), edit_(static_cast<QLineEdit*>(widget_))
{
  SetColor(clWindow);
  SetTabStop(true);
  edit_->setFocusPolicy(Qt::StrongFocus);
  SetBounds(0, 0, 121, 21);
  QObject::connect(edit_, &QLineEdit::textChanged, [this](const QString&) {
    try {
      Change();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orbisk: edit: %s\n", e.what());
    }
  });
}

std::string TEdit::GetText() const { return S(edit_->text()); }

void TEdit::SetText(const std::string& text)
{
  if (text == GetText()) return;
  edit_->setText(Q(text));
}

bool TEdit::GetReadOnly() const { return edit_->isReadOnly(); }
void TEdit::SetReadOnly(bool v) { edit_->setReadOnly(v); }
void TEdit::SelectAll() { edit_->selectAll(); }

void TEdit::Change()
{
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- spin button

TSpinButton::TSpinButton(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 20, 24); }

void TSpinButton::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  const int32_t mid = r.Height() / 2;
  const TRect up = Rect(0, 0, r.Width(), mid), down = Rect(0, mid, r.Width(), r.Height());
  FillBox(c, r, clBtnFace);
  Frame3D(c, up, pressedHalf_ == 1 ? clBtnShadow : clBtnHighlight, pressedHalf_ == 1 ? clBtnHighlight : clBtnShadow);
  Frame3D(c, down, pressedHalf_ == 2 ? clBtnShadow : clBtnHighlight,
          pressedHalf_ == 2 ? clBtnHighlight : clBtnShadow);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetEnabled() ? clBtnText : clGrayText);
  c->Pen()->SetColor(GetEnabled() ? clBtnText : clGrayText);
  const int32_t cx = r.Width() / 2, s = std::max(2, std::min(r.Width(), mid) / 4);
  c->Polygon({{cx - s, mid / 2 + s / 2}, {cx + s, mid / 2 + s / 2}, {cx, mid / 2 - s / 2}});
  const int32_t dy = mid + (r.Height() - mid) / 2;
  c->Polygon({{cx - s, dy - s / 2}, {cx + s, dy - s / 2}, {cx, dy + s / 2}});
}

void TSpinButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (button == mbLeft) {
    pressedHalf_ = y < GetHeight() / 2 ? 1 : 2;
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TSpinButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  const int half = pressedHalf_;
  pressedHalf_ = 0;
  Invalidate();
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || half == 0) return;
  if (x < 0 || x >= GetWidth() || y < 0 || y >= GetHeight()) return;
  if (half == 1 && OnUpClick) OnUpClick(this);
  if (half == 2 && OnDownClick) OnDownClick(this);
}

// ---------------------------------------------------------------- toolbar

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner)
{
  SetBounds(0, 0, 200, 29);
  SetAlign(alTop);
}

void TToolBar::SetButtonHeight(int32_t v)
{
  buttonHeight_ = v;
  ArrangeControls();
}

void TToolBar::SetButtonWidth(int32_t v)
{
  buttonWidth_ = v;
  ArrangeControls();
}

void TToolBar::AddSeparator(int32_t width) { separators_.emplace_back(ControlCount(), width); }

void TToolBar::ArrangeControls()
{
  int32_t x = 2;
  for (int i = 0; i < ControlCount(); ++i) {
    for (const auto& [before, w] : separators_)
      if (before == i) x += w;
    TControl* c = Controls(i);
    if (!c->GetVisible()) continue;
    const bool button = dynamic_cast<TSpeedButton*>(c) != nullptr;
    const int32_t h = button ? buttonHeight_ : std::min(c->GetHeight(), buttonHeight_);
    const int32_t top = 2 + (buttonHeight_ - h) / 2;
    c->SetBounds(x, top, c->GetWidth(), h);
    x += c->GetWidth();
  }
}

void TToolBar::Resize()
{
  TCustomControl::Resize();
  ArrangeControls();
}

void TToolBar::Paint()
{
  TCanvas* c = GetCanvas();
  FillBox(c, GetClientRect(), GetColor());
  c->Pen()->SetColor(clBtnShadow);
  c->MoveTo(0, GetHeight() - 1);
  c->LineTo(GetWidth(), GetHeight() - 1);
  // Separator marks.
  int32_t x = 2;
  for (int i = 0; i <= ControlCount(); ++i) {
    for (const auto& [before, w] : separators_)
      if (before == i) {
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(x + w / 2 - 1, 3);
        c->LineTo(x + w / 2 - 1, 2 + buttonHeight_ - 1);
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(x + w / 2, 3);
        c->LineTo(x + w / 2, 2 + buttonHeight_ - 1);
        x += w;
      }
    if (i < ControlCount() && Controls(i)->GetVisible()) x += Controls(i)->GetWidth();
  }
}

// ---------------------------------------------------------------- status bar

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner)
{
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
}

void TStatusBar::SetPanelText(size_t index, const std::string& text)
{
  if (index >= panels_.size()) return;
  panels_[index].Text = text;
  Invalidate();
}

void TStatusBar::Paint()
{
  TCanvas* c = GetCanvas();
  FillBox(c, GetClientRect(), GetColor());
  int32_t x = 0;
  for (const auto& p : panels_) {
    const TRect r = Rect(x, 1, x + p.Width - 2, GetHeight() - 1);
    Frame3D(c, r, clBtnShadow, clBtnHighlight);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(r.Left + 3, r.Top + (r.Height() - c->TextHeight("Xg")) / 2, p.Text);
    x += p.Width;
  }
}

// ---------------------------------------------------------------- panel, label, button, check box

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetBevelOuter(TBevelCut v)
{
  bevelOuter_ = v;
  Invalidate();
}

void TPanel::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  FillBox(c, r, GetColor());
  if (bevelOuter_ == bvRaised) Frame3D(c, r, clBtnHighlight, clBtnShadow);
  if (bevelOuter_ == bvLowered) Frame3D(c, r, clBtnShadow, clBtnHighlight);
  if (!GetCaption().empty()) CenteredText(c, r, GetCaption());
}

TLabel::TLabel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 40, 13); }

void TLabel::SetAlignment(TAlignment v)
{
  alignment_ = v;
  Invalidate();
}

void TLabel::SetCaption(const std::string& v)
{
  TCustomControl::SetCaption(v);
  if (AutoSize) {
    TBitmap probe;
    probe.Canvas()->Font()->Assign(Font());
    const TSize sz = probe.Canvas()->TextExtent(v);
    probe.Canvas()->Release();
    SetBounds(GetLeft(), GetTop(), sz.cx, std::max(GetHeight(), sz.cy));
  }
}

void TLabel::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  FillBox(c, r, GetParent() ? GetParent()->GetColor() : GetColor());
  c->Brush()->SetStyle(bsClear);
  const int32_t w = c->TextWidth(GetCaption());
  int32_t x = 0;
  if (alignment_ == taRightJustify) x = r.Width() - w;
  if (alignment_ == taCenter) x = (r.Width() - w) / 2;
  c->TextOut(x, 0, GetCaption());
}

TButton::TButton(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 75, 25); }

void TButton::Click()
{
  TCustomControl::Click();
  if (ModalResult != mrNone)
    for (TControl* p = GetParent(); p; p = p->GetParent())
      if (auto* f = dynamic_cast<TForm*>(p)) {
        f->SetModalResult(ModalResult);
        break;
      }
}

void TButton::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  FillBox(c, r, clBtnFace);
  Frame3D(c, r, pressed_ ? clBtnShadow : clBtnHighlight, pressed_ ? clBtnHighlight : cl3DDkShadow);
  c->Font()->SetColor(GetEnabled() ? clBtnText : clGrayText);
  CenteredText(c, r, GetCaption());
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (button == mbLeft) {
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  pressed_ = false;
  Invalidate();
  TCustomControl::MouseUp(button, shift, x, y);
}

TCheckBox::TCheckBox(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 97, 17); }

void TCheckBox::SetChecked(bool v)
{
  if (v == checked_) return;
  checked_ = v;
  Invalidate();
  if (!inSet_) TCustomControl::Click();
}

void TCheckBox::Click()
{
  inSet_ = true;
  checked_ = !checked_;
  inSet_ = false;
  Invalidate();
  TCustomControl::Click();
}

void TCheckBox::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  FillBox(c, r, GetParent() ? GetParent()->GetColor() : GetColor());
  const int32_t top = (r.Height() - 13) / 2;
  const TRect box = Rect(0, top, 13, top + 13);
  FillBox(c, box, clWindow);
  Frame3D(c, box, clBtnShadow, clBtnHighlight);
  if (checked_) {
    c->Pen()->SetColor(clWindowText);
    c->Pen()->SetWidth(2);
    c->MoveTo(3, top + 6);
    c->LineTo(5, top + 9);
    c->LineTo(10, top + 3);
    c->Pen()->SetWidth(1);
  }
  c->Brush()->SetStyle(bsClear);
  c->TextOut(17, (r.Height() - c->TextHeight("Xg")) / 2, GetCaption());
}
