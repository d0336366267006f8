#include "platform/EditorControls.h"

#include <algorithm>

#include "platform/SysUtils.h"

namespace {
void Fill(TCanvas* c, const TRect& r, TColor color)
{
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

void Edge(TCanvas* c, const TRect& r, TColor topLeft, TColor bottomRight)
{
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(topLeft);
  c->MoveTo(r.Left, r.Bottom - 1);
  c->LineTo(r.Left, r.Top);
  c->LineTo(r.Right - 1, r.Top);
  c->Pen()->SetColor(bottomRight);
  c->LineTo(r.Right - 1, r.Bottom - 1);
  c->LineTo(r.Left, r.Bottom - 1);
}

TColor ParentColor(TControl* c) { return c->GetParent() ? c->GetParent()->GetColor() : c->GetColor(); }

constexpr int32_t kTrackMargin = 8;
}  // namespace

// ---------------------------------------------------------------- TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 150, 25); }

void TTrackBar::SetRange(int32_t min, int32_t max)
{
  min_ = min;
  max_ = std::max(min, max);
  const int32_t held = std::clamp(position_, min_, max_);
  Invalidate();
  if (held != position_) SetPosition(held);
}

void TTrackBar::SetPosition(int32_t v)
{
  v = std::clamp(v, min_, max_);
  if (v == position_) return;
  position_ = v;
  Invalidate();
  if (OnChange) OnChange(this);
}

int32_t TTrackBar::ThumbX() const
{
  const int32_t span = std::max(1, GetWidth() - 2 * kTrackMargin);
  if (max_ == min_) return kTrackMargin;
  return kTrackMargin + static_cast<int32_t>(static_cast<int64_t>(position_ - min_) * span / (max_ - min_));
}

int32_t TTrackBar::PositionAt(int32_t x) const
{
  const int32_t span = std::max(1, GetWidth() - 2 * kTrackMargin);
  const double t = std::clamp(static_cast<double>(x - kTrackMargin) / span, 0.0, 1.0);
  return min_ + static_cast<int32_t>(t * (max_ - min_) + 0.5);
}

void TTrackBar::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  Fill(c, r, ParentColor(this));
  const int32_t mid = r.Height() / 2;
  Edge(c, Rect(kTrackMargin - 2, mid - 2, r.Width() - kTrackMargin + 2, mid + 2), clBtnShadow, clBtnHighlight);
  const int32_t x = ThumbX();
  const TRect thumb = Rect(x - 5, mid - 9, x + 6, mid + 9);
  Fill(c, thumb, GetEnabled() ? clBtnFace : clBtnShadow);
  Edge(c, thumb, clBtnHighlight, clBtnShadow);
}

void TTrackBar::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !GetEnabled()) return;
  dragging_ = true;
  SetPosition(PositionAt(x));
}

void TTrackBar::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
  TCustomControl::MouseMove(shift, x, y);
  if (dragging_) SetPosition(PositionAt(x));
}

void TTrackBar::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomControl::MouseUp(button, shift, x, y);
  dragging_ = false;
}

// ---------------------------------------------------------------- TUpDown

TUpDown::TUpDown(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 15, 21); }

void TUpDown::SetRange(int32_t min, int32_t max)
{
  min_ = min;
  max_ = std::max(min, max);
  SetPosition(position_);
}

void TUpDown::SetPosition(int32_t v)
{
  position_ = std::clamp(v, min_, max_);
  if (associate_) associate_->SetText(IntToStr(position_));
  Invalidate();
}

void TUpDown::SetAssociate(TEdit* edit)
{
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = edit;
  if (associate_) {
    associate_->FreeNotification(this);
    associate_->SetText(IntToStr(position_));
  }
}

void TUpDown::Notification(TComponent* component, TOperation operation)
{
  TCustomControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == associate_) associate_ = nullptr;
}

void TUpDown::SetEnabled(bool v)
{
  TCustomControl::SetEnabled(v);
  if (associate_) associate_->SetEnabled(v);
}

void TUpDown::Step(bool up)
{
  const int32_t before = position_;
  SetPosition(position_ + (up ? Increment : -Increment));
  if (position_ != before && OnClick) OnClick(this);
}

void TUpDown::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  const int32_t half = r.Height() / 2;
  for (int i = 0; i < 2; ++i) {
    const TRect b = Rect(0, i * half, r.Width(), i == 0 ? half : r.Height());
    Fill(c, b, clBtnFace);
    Edge(c, b, clBtnHighlight, clBtnShadow);
    c->Brush()->SetColor(GetEnabled() ? clBtnText : clBtnShadow);
    c->Pen()->SetColor(GetEnabled() ? clBtnText : clBtnShadow);
    const int32_t cx = b.Width() / 2, cy = (b.Top + b.Bottom) / 2;
    if (i == 0) {
      const std::vector<TPoint> p{{cx - 3, cy + 1}, {cx + 3, cy + 1}, {cx, cy - 2}};
      c->Polygon(p);
    } else {
      const std::vector<TPoint> p{{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}};
      c->Polygon(p);
    }
  }
}

void TUpDown::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !GetEnabled()) return;
  Step(y < GetHeight() / 2);
}

// ---------------------------------------------------------------- TTabControl

TTabControl::TTabControl(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 289, 193); }

void TTabControl::SetTabIndex(int32_t v)
{
  if (v < -1 || v >= static_cast<int32_t>(tabs_.size())) return;
  if (v == tabIndex_) return;
  tabIndex_ = v;
  Invalidate();
  if (OnChange) OnChange(this);
}

TRect TTabControl::TabRect(int32_t index) const
{
  int32_t x = 2;
  for (int32_t i = 0; i < index; ++i) x += 12 + 7 * static_cast<int32_t>(tabs_[static_cast<size_t>(i)].size());
  const int32_t w = 12 + 7 * static_cast<int32_t>(tabs_[static_cast<size_t>(index)].size());
  return Rect(x, 0, x + w, TabHeight);
}

int32_t TTabControl::TabAt(int32_t x, int32_t y) const
{
  for (int32_t i = 0; i < static_cast<int32_t>(tabs_.size()); ++i)
    if (PtInRect(TabRect(i), TPoint{x, y})) return i;
  return -1;
}

void TTabControl::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  Fill(c, r, ParentColor(this));
  Fill(c, Rect(0, TabHeight, r.Width(), r.Height()), GetColor());
  Edge(c, Rect(0, TabHeight - 1, r.Width(), r.Height()), clBtnHighlight, clBtnShadow);
  c->Font()->Assign(Font());
  for (int32_t i = 0; i < static_cast<int32_t>(tabs_.size()); ++i) {
    TRect t = TabRect(i);
    if (i != tabIndex_) t.Top += 2;
    Fill(c, t, GetColor());
    Edge(c, t, clBtnHighlight, clBtnShadow);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(t.Left + 6, t.Top + 3, tabs_[static_cast<size_t>(i)]);
  }
}

void TTabControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !GetEnabled()) return;
  const int32_t i = TabAt(x, y);
  if (i >= 0) SetTabIndex(i);
}

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 105); }

void TGroupBox::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  Fill(c, r, GetColor());
  Edge(c, Rect(0, 7, r.Width(), r.Height()), clBtnShadow, clBtnHighlight);
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetColor());
  c->TextOut(8, 0, GetCaption());
}
