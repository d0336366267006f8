// Scroll bars inside a chart and the legend's scroll bar.
#include "chart/series/LegendScrollBar.h"

#include <algorithm>
#include <array>
#include <climits>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "platform/Timers.h"

// ---- Thumb arithmetic ----

TScrollThumb ScrollThumbPlace(int32_t trackLength, int32_t minimum, int32_t maximum, int32_t pageSize,
                              int32_t position, int32_t minThumbSize)
{
  TScrollThumb t;
  if (trackLength <= 0) return t;
  const int64_t range = std::max<int64_t>(1, static_cast<int64_t>(maximum) - minimum + 1);
  const int64_t page = std::clamp<int64_t>(pageSize, 1, range);
  int64_t length = trackLength * page / range;
  length = std::clamp<int64_t>(length, std::min<int32_t>(minThumbSize, trackLength), trackLength);
  const int64_t steps = range - page;  // positions beyond the first
  const int64_t free = trackLength - length;
  const int64_t pos = std::clamp<int64_t>(static_cast<int64_t>(position) - minimum, 0, steps);
  t.Length = static_cast<int32_t>(length);
  // Wide enough for any int32 range times any track length.
  t.Offset = steps > 0 ? static_cast<int32_t>(static_cast<__int128>(free) * pos / steps) : 0;
  return t;
}

int32_t ScrollPositionAt(int32_t trackLength, int32_t minimum, int32_t maximum, int32_t pageSize, int32_t offset,
                         int32_t minThumbSize)
{
  TScrollThumb t = ScrollThumbPlace(trackLength, minimum, maximum, pageSize, minimum, minThumbSize);
  const int64_t range = std::max<int64_t>(1, static_cast<int64_t>(maximum) - minimum + 1);
  const int64_t steps = range - std::clamp<int64_t>(pageSize, 1, range);
  const int64_t free = trackLength - t.Length;
  if (steps <= 0 || free <= 0) return minimum;
  const int64_t o = std::clamp<int64_t>(offset, 0, free);
  return static_cast<int32_t>(minimum + static_cast<int64_t>((static_cast<__int128>(o) * steps + free / 2) / free));
}

// ---- Scroll bar ----

TNuvScrollBar::TNuvScrollBar(TComponent* owner) : TNuvCustomTool(owner)
{
  brush_->SetColor(clWhite);
  pen_->SetColor(clWindowFrame);
  thumbBrush_ = std::make_unique<TChartBrush>([this](TObject* s) { CanvasChanged(s); });
  thumbBrush_->SetColor(clSilver);
  timer_ = new TTimer(this);
  timer_->SetEnabled(false);
  timer_->OnTimer = [this](TObject*) { RepeatTick(); };
}

TNuvScrollBar::~TNuvScrollBar() = default;

// Thicknesses beyond any screen are held at 100000 pixels.
void TNuvScrollBar::SetSize(int32_t value) { SetIntegerProperty(size_, std::clamp<int32_t>(value, 0, 100000)); }
void TNuvScrollBar::SetHorizontal(bool value) { SetBooleanProperty(horizontal_, value); }
void TNuvScrollBar::SetBevel(TBevelCut value)
{
  if (Store(bevel_, value)) Repaint();
}
void TNuvScrollBar::SetMinThumbSize(int32_t value) { SetIntegerProperty(minThumbSize_, std::max<int32_t>(1, value)); }
void TNuvScrollBar::SetThumbBrush(const TChartBrush* value) { thumbBrush_->Assign(value); }
void TNuvScrollBar::SetDrawStyle(TScrollBarDrawStyle value)
{
  if (Store(drawStyle_, value)) Repaint();
}

void TNuvScrollBar::SetParams(int32_t minimum, int32_t maximum, int32_t pageSize)
{
  min_ = minimum;
  max_ = std::max(minimum, maximum);
  pageSize_ = std::max<int32_t>(1, pageSize);
  position_ = std::clamp(position_, min_, LastPosition());
}

int32_t TNuvScrollBar::LastPosition() const
{
  return static_cast<int32_t>(std::max<int64_t>(min_, static_cast<int64_t>(max_) - pageSize_ + 1));
}

void TNuvScrollBar::SetPosition(int32_t value)
{
  value = std::clamp(value, min_, LastPosition());
  if (value == position_) return;
  position_ = value;
  if (OnChange) OnChange(this);
  Repaint();
}

int32_t TNuvScrollBar::TrackLength() const
{
  const int64_t along = horizontal_ ? static_cast<int64_t>(bounds_.Right) - bounds_.Left
                                    : static_cast<int64_t>(bounds_.Bottom) - bounds_.Top;
  return static_cast<int32_t>(std::clamp<int64_t>(along - 2LL * size_, 0, INT32_MAX / 4));
}

TRect TNuvScrollBar::FirstArrowRect() const
{
  TRect r = bounds_;
  if (horizontal_)
    r.Right = std::min(r.Right, r.Left + size_);
  else
    r.Bottom = std::min(r.Bottom, r.Top + size_);
  return r;
}

TRect TNuvScrollBar::SecondArrowRect() const
{
  TRect r = bounds_;
  if (horizontal_)
    r.Left = std::max(r.Left, r.Right - size_);
  else
    r.Top = std::max(r.Top, r.Bottom - size_);
  return r;
}

TRect TNuvScrollBar::ThumbRect() const
{
  TScrollThumb t = ScrollThumbPlace(TrackLength(), min_, max_, pageSize_, position_, minThumbSize_);
  TRect r = bounds_;
  if (horizontal_) {
    r.Left = bounds_.Left + size_ + t.Offset;
    r.Right = r.Left + t.Length;
  } else {
    r.Top = bounds_.Top + size_ + t.Offset;
    r.Bottom = r.Top + t.Length;
  }
  return r;
}

bool TNuvScrollBar::Showing() const
{
  if (!GetActive() || !parentChart_ || size_ <= 0 || bounds_.IsEmpty()) return false;
  return drawStyle_ == dsAlways || max_ - min_ + 1 > pageSize_;
}

void TNuvScrollBar::ChartEvent(TChartToolEvent kind)
{
  if (kind != cteAfterDraw) return;
  UpdateBar();
  if (Showing()) DrawBar();
}

void TNuvScrollBar::DrawBar()
{
  TCanvas3D* c = parentChart_->Canvas();
  if (!c) return;
  c->AssignVisiblePen(pen_.get());
  c->AssignBrush(brush_.get(), brush_->GetColor());
  c->RectangleRect(bounds_);
  auto box = [&](const TRect& r, TChartBrush* brush) {
    c->AssignBrush(brush, brush->GetColor());
    c->RectangleRect(r);
    if (bevel_ != bvNone) {
      TRect inner{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
      const TColor light = bevel_ == bvRaised ? clWhite : clGray;
      const TColor dark = bevel_ == bvRaised ? clGray : clWhite;
      c->Pen()->SetColor(light);
      c->HorizLine(inner.Left, inner.Right, inner.Top);
      c->VertLine(inner.Left, inner.Top, inner.Bottom);
      c->Pen()->SetColor(dark);
      c->HorizLine(inner.Left, inner.Right, inner.Bottom - 1);
      c->VertLine(inner.Right - 1, inner.Top, inner.Bottom);
      c->AssignVisiblePen(pen_.get());
    }
  };
  auto arrow = [&](const TRect& r, bool first) {
    box(r, thumbBrush_.get());
    const int32_t cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2, h = std::max<int32_t>(2, size_ / 4);
    std::array<TPoint, 3> p;
    if (horizontal_)
      p = first ? std::array<TPoint, 3>{TPoint{cx - h, cy}, TPoint{cx + h, cy - h}, TPoint{cx + h, cy + h}}
                : std::array<TPoint, 3>{TPoint{cx + h, cy}, TPoint{cx - h, cy - h}, TPoint{cx - h, cy + h}};
    else
      p = first ? std::array<TPoint, 3>{TPoint{cx, cy - h}, TPoint{cx - h, cy + h}, TPoint{cx + h, cy + h}}
                : std::array<TPoint, 3>{TPoint{cx, cy + h}, TPoint{cx - h, cy - h}, TPoint{cx + h, cy - h}};
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(pen_->GetColor());
    c->Polygon(p);
  };
  arrow(FirstArrowRect(), true);
  arrow(SecondArrowRect(), false);
  if (TrackLength() > 0) box(ThumbRect(), thumbBrush_.get());
}

void TNuvScrollBar::Step(int32_t delta)
{
  SetPosition(static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(position_) + delta, INT32_MIN, INT32_MAX)));
}

void TNuvScrollBar::RepeatTick()
{
  timer_->SetInterval(50);
  switch (pressed_) {
    case 1: Step(-1); break;
    case 2: Step(1); break;
    case 4: Step(-pageSize_); break;
    case 5: Step(pageSize_); break;
    default: timer_->SetEnabled(false); break;
  }
}

void TNuvScrollBar::ChartMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  (void)shift;
  if (!parentChart_) return;
  if (kind == cmeDown) UpdateBar();
  if (kind == cmeUp) {
    if (pressed_ != 0) parentChart_->CancelMouse = true;
    pressed_ = 0;
    timer_->SetEnabled(false);
    return;
  }
  if (kind == cmeMove) {
    if (pressed_ == 3) {
      const int32_t along = horizontal_ ? x - bounds_.Left - size_ : y - bounds_.Top - size_;
      SetPosition(ScrollPositionAt(TrackLength(), min_, max_, pageSize_, along - dragOffset_, minThumbSize_));
      parentChart_->CancelMouse = true;
    }
    return;
  }
  if (button != mbLeft || !Showing()) return;
  const TPoint p{x, y};
  if (!PtInRect(TRect{bounds_.Left, bounds_.Top, bounds_.Right + 1, bounds_.Bottom + 1}, p)) return;
  parentChart_->CancelMouse = true;
  const TRect thumb = ThumbRect();
  if (PtInRect(FirstArrowRect(), p)) {
    pressed_ = 1;
    Step(-1);
  } else if (PtInRect(SecondArrowRect(), p)) {
    pressed_ = 2;
    Step(1);
  } else if (PtInRect(TRect{thumb.Left, thumb.Top, thumb.Right + 1, thumb.Bottom + 1}, p)) {
    pressed_ = 3;
    dragOffset_ = horizontal_ ? x - thumb.Left : y - thumb.Top;
    return;
  } else {
    const bool before = horizontal_ ? x < thumb.Left : y < thumb.Top;
    pressed_ = before ? 4 : 5;
    Step(before ? -pageSize_ : pageSize_);
  }
  if (autoRepeat_) {
    timer_->SetInterval(static_cast<uint32_t>(std::max<int32_t>(1, initialDelay_)));
    timer_->SetEnabled(true);
  }
}

// ---- Legend scroll bar ----

TLegendScrollBar::TLegendScrollBar(TComponent* owner) : TNuvScrollBar(owner)
{
  cell_ = std::make_shared<TLegendScrollBar*>(this);
  OnChange = [this](TObject*) {
    if (TCustomChartLegend* legend = Legend()) legend->SetFirstValue(GetPosition());
  };
}

TLegendScrollBar::~TLegendScrollBar()
{
  *cell_ = nullptr;
  // Leave the chart while this class's parts still exist.
  TNuvCustomTool::SetParentChart(nullptr);
}

TCustomChartLegend* TLegendScrollBar::Legend() const
{
  auto* chart = dynamic_cast<TCustomChart*>(parentChart_);
  return chart ? chart->GetLegend() : nullptr;
}

void TLegendScrollBar::SetParentChart(TCustomAxisPanel* value)
{
  TNuvScrollBar::SetParentChart(value);
  Attach();
}

void TLegendScrollBar::SetActive(bool value)
{
  TNuvScrollBar::SetActive(value);
  Repaint();
}

void TLegendScrollBar::Attach()
{
  TCustomChartLegend* legend = Legend();
  if (!legend) return;
  std::shared_ptr<TLegendScrollBar*> cell = cell_;
  legend->OnLegendExtraSpace = [cell](TCustomChartLegend* l, int32_t& size) {
    TLegendScrollBar* bar = *cell;
    if (!bar || !bar->GetActive() || bar->Legend() != l) return;
    if (size == 0) {
      // The bar's strip at the right is not part of the items' clickable area.
      if (l->IsVertical()) size = bar->GetSize();
    } else {
      size += bar->GetSize();
    }
  };
}

void TLegendScrollBar::UpdateBar()
{
  TCustomChartLegend* legend = Legend();
  if (!legend || !legend->GetVisible() || !legend->LastLayout().HasBox) {
    SetBounds(TRect{});
    return;
  }
  const TRect box = legend->LastLayout().Box;
  const int32_t first = legend->GetFirstValue();
  const int32_t all = legend->TotalLegendItems() + first;
  if (legend->IsVertical()) {
    SetHorizontal(false);
    SetBounds(TRect{box.Right - GetSize(), box.Top, box.Right, box.Bottom});
    SetParams(0, all - 1, std::max<int32_t>(1, legend->NumRows()));
  } else {
    SetHorizontal(true);
    SetBounds(TRect{box.Left, box.Bottom, box.Right, box.Bottom + GetSize()});
    const int32_t perView = std::max<int32_t>(1, legend->NumRows() * legend->NumCols());
    SetParams(0, all - 1, perView);
  }
  // Follow the legend's own first item without echoing it back.
  TNotifyEvent keep = std::move(OnChange);
  OnChange = nullptr;
  SetPosition(first);
  OnChange = std::move(keep);
}
