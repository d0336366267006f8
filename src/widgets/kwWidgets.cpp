#include "widgets/kwWidgets.h"

#include <algorithm>

#include "platform/Dialogs.h"

// ---------------------------------------------------------------- toolbar button

TkwToolbarButton::TkwToolbarButton(TComponent* owner) : TSpeedButton(owner) { SetFlat(true); }

TkwToolbarButton::~TkwToolbarButton()
{
  if (images_) images_->RemoveFreeNotification(this);
}

void TkwToolbarButton::SetImages(TImageList* images)
{
  if (images == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images_) images_->FreeNotification(this);
  Invalidate();
}

void TkwToolbarButton::SetImageIndex(int index)
{
  if (index == imageIndex_) return;
  imageIndex_ = index;
  Invalidate();
}

void TkwToolbarButton::Notification(TComponent* component, TOperation operation)
{
  TSpeedButton::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

void TkwToolbarButton::Paint()
{
  const bool sunken = Pressed() || GetDown();
  PaintFace(GetClientRect(), sunken);
  if (!images_) return;
  const int32_t off = sunken ? 1 : 0;
  images_->Draw(GetCanvas(), (GetWidth() - images_->GetWidth()) / 2 + off,
                (GetHeight() - images_->GetHeight()) / 2 + off, imageIndex_, GetEnabled());
}

// ---------------------------------------------------------------- splitter

TkwSplitPane::TkwSplitPane(TComponent* owner) : TCustomControl(owner) {}

TkwBiSplit::TkwBiSplit(TComponent* owner) : TCustomControl(owner)
{
  pane1_ = new TkwSplitPane(this);
  pane1_->SetParent(this);
  pane2_ = new TkwSplitPane(this);
  pane2_->SetParent(this);
  SetCursor(crDefault);
  SetBounds(0, 0, 600, 300);
  PlacePanes();
}

void TkwBiSplit::SetPosition(int32_t v)
{
  v = std::max(0, v);
  if (v == position_) return;
  position_ = v;
  PlacePanes();
  if (OnSplit) OnSplit(this);
}

void TkwBiSplit::SetBarWidth(int32_t v)
{
  barWidth_ = std::max(1, v);
  PlacePanes();
}

void TkwBiSplit::PlacePanes()
{
  const int32_t w = GetWidth(), h = GetHeight();
  const int32_t left = std::min(position_, std::max(0, w - barWidth_));
  pane1_->SetBounds(0, 0, left, h);
  pane2_->SetBounds(left + barWidth_, 0, std::max(0, w - left - barWidth_), h);
  Invalidate();
}

void TkwBiSplit::Resize()
{
  TCustomControl::Resize();
  PlacePanes();
}

void TkwBiSplit::Paint()
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(GetClientRect());
  const int32_t x = pane1_->GetWidth();
  Frame3D(c, Rect(x, 0, x + barWidth_, GetHeight()), clBtnHighlight, clBtnShadow);
}

void TkwBiSplit::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  const int32_t bar = pane1_->GetWidth();
  if (button == mbLeft && x >= bar && x < bar + barWidth_) {
    dragging_ = true;
    dragOffset_ = x - bar;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TkwBiSplit::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
  const int32_t bar = pane1_->GetWidth();
  SetCursor(dragging_ || (x >= bar && x < bar + barWidth_) ? crHSplit : crDefault);
  if (dragging_) SetPosition(std::clamp(x - dragOffset_, 0, std::max(0, GetWidth() - barWidth_)));
  TCustomControl::MouseMove(shift, x, y);
}

void TkwBiSplit::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (button == mbLeft) dragging_ = false;
  TCustomControl::MouseUp(button, shift, x, y);
}

// ---------------------------------------------------------------- picture button

TkwPicBtn::TkwPicBtn(TComponent* owner) : TButton(owner) {}
TkwPicBtn::~TkwPicBtn() = default;

TBitmap* TkwPicBtn::Picture()
{
  if (!picture_) picture_ = std::make_unique<TBitmap>();
  return picture_.get();
}

void TkwPicBtn::Paint()
{
  TButton::Paint();
  if (!picture_ || picture_->Empty()) return;
  TCanvas* c = GetCanvas();
  const int32_t y = (GetHeight() - picture_->GetHeight()) / 2;
  DrawGlyph(c, 4, y, picture_.get(), Rect(0, 0, picture_->GetWidth(), picture_->GetHeight()), GetEnabled());
}

// ---------------------------------------------------------------- super label

TkwSuperLabel::TkwSuperLabel(TComponent* owner) : TLabel(owner) {}

void TkwSuperLabel::SetTextStyle(TkwTextStyle v)
{
  textStyle_ = v;
  Invalidate();
}

void TkwSuperLabel::Paint()
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetParent() ? GetParent()->GetColor() : GetColor());
  c->FillRect(GetClientRect());
  c->Brush()->SetStyle(bsClear);
  const TColor text = c->Font()->GetColor();
  if (textStyle_ != tsNormal) {
    // Light below-right and dark above-left sink the text; the reverse raises it.
    const bool raised = textStyle_ == tsRaised;
    c->Font()->SetColor(raised ? clBtnHighlight : clBtnShadow);
    c->TextOut(0, 0, GetCaption());
    c->Font()->SetColor(raised ? clBtnShadow : clBtnHighlight);
    c->TextOut(2, 2, GetCaption());
  }
  c->Font()->SetColor(text);
  c->TextOut(1, 1, GetCaption());
}

// ---------------------------------------------------------------- colour button

TpkColorButton::TpkColorButton(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 40, 22); }

void TpkColorButton::SetColor(TColor v)
{
  if (v == shown_) return;
  shown_ = v;
  Invalidate();
}

void TpkColorButton::Click()
{
  TCustomControl::Click();
  TColorDialog dialog(nullptr);
  dialog.Color = shown_;
  if (!dialog.Execute()) return;
  if (dialog.Color == shown_) return;
  SetColor(dialog.Color);
  if (OnChange) OnChange(this);
}

void TpkColorButton::Paint()
{
  TCanvas* c = GetCanvas();
  const TRect r = GetClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  Frame3D(c, r, clBtnHighlight, cl3DDkShadow);
  c->Brush()->SetColor(shown_);
  c->Pen()->SetColor(clBlack);
  c->Rectangle(r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4);
}
