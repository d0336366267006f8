#include "chart/model/NvEngineMarks.h"

#include "chart/model/NvEngineAxis.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "chart/canvas/NvCanvasRoutines.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineSeries.h"

// ---- Positions ----
void TSeriesMarkPosition::Assign(const TSeriesMarkPosition& source)
{
  ArrowStart = source.ArrowStart;
  ArrowEnd = source.ArrowEnd;
  TopLeft = source.TopLeft;
  Height = source.Height;
  Width = source.Width;
}

TRect TSeriesMarkPosition::Bounds() const
{
  return TRect{TopLeft.x, TopLeft.y, TopLeft.x + Width, TopLeft.y + Height};
}

TSeriesMarkPosition* TSeriesMarksPositions::Position(int32_t index) const
{
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

TSeriesMarkPosition* TSeriesMarksPositions::Ensure(int32_t index)
{
  if (index < 0) return nullptr;
  if (PointCount) CheckPointIndexSlack(index, PointCount());
  if (index >= Count()) items_.resize(static_cast<size_t>(index) + 1);
  auto& slot = items_[static_cast<size_t>(index)];
  if (!slot) slot = std::make_unique<TSeriesMarkPosition>();
  return slot.get();
}

void TSeriesMarksPositions::SetPosition(int32_t index, const TSeriesMarkPosition& position)
{
  TSeriesMarkPosition* p = Ensure(index);
  if (!p) return;
  p->Custom = true;
  p->Assign(position);
}

void TSeriesMarksPositions::Delete(int32_t index)
{
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

void TSeriesMarksPositions::DeleteRange(int32_t start, int32_t count)
{
  if (start < 0 || count <= 0 || start >= Count()) return;
  const int32_t end = std::min(Count(), start + count);
  items_.erase(items_.begin() + start, items_.begin() + end);
}

// ---- Gradient, items, symbol ----
TSeriesMarksGradient::TSeriesMarksGradient(TNotifyEvent onChange) : TNuvGradient(TNotifyEvent{})
{
  direction_ = static_cast<TGradientDirection>(3);
  endColor_ = clWhite;
  startColor_ = clSilver;
  OnChange = std::move(onChange);
}

namespace {

void InitMarksShadow(TNuvShadow* shadow)
{
  shadow->SetColor(clGray);
  shadow->SetSize(1);
  shadow->SetDefaultColor(clGray);
  shadow->SetDefaultSize(1);
}

}  // namespace

TMarksItem::TMarksItem(TCustomNuvPanel* chart) : TNuvCustomShape(chart)
{
  SetColor(clInfoBk);
  InitShadow(GetShadow());
}

TMarksItem::~TMarksItem() = default;

void TMarksItem::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TMarksItem*>(source)) SetText(s->text_.get());
  TNuvCustomShape::Assign(source);
}

std::vector<std::string>* TMarksItem::GetText()
{
  if (!text_) text_ = std::make_unique<std::vector<std::string>>();
  return text_.get();
}

void TMarksItem::SetText(const std::vector<std::string>* v)
{
  if (!v) text_.reset();
  else *GetText() = *v;
  Repaint();
}

std::unique_ptr<TNuvGradient> TMarksItem::CreateGradient(TNotifyEvent onChange)
{
  return std::make_unique<TSeriesMarksGradient>(std::move(onChange));
}

void TMarksItem::InitShadow(TNuvShadow* shadow) { InitMarksShadow(shadow); }

TMarksItem* TMarksItems::Item(int32_t index)
{
  if (index < 0) return nullptr;
  if (index >= Count()) items_.resize(static_cast<size_t>(index) + 1);
  auto& slot = items_[static_cast<size_t>(index)];
  if (!slot) slot = std::make_unique<TMarksItem>(marks_ ? marks_->GetParentChart() : nullptr);
  return slot.get();
}

TMarksItem* TMarksItems::Find(int32_t index) const
{
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

void TMarksItems::Delete(int32_t index)
{
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

void TMarksItems::SetParentChart(TCustomNuvPanel* chart)
{
  for (auto& item : items_)
    if (item) item->SetParentChart(chart);
}

void TMarksItems::Clear()
{
  items_.clear();
  if (marks_) marks_->Repaint();
}

bool TMarksItems::Empty() const
{
  return std::none_of(items_.begin(), items_.end(), [](const auto& p) { return p != nullptr; });
}

TSeriesMarksSymbol::TSeriesMarksSymbol(TCustomNuvPanel* chart) : TNuvCustomShape(chart) { visible_ = false; }

bool TSeriesMarksSymbol::ShouldDraw() const { return GetVisible() && (!ParentMarks || ParentMarks->GetVisible()); }

// ---- Callouts ----
TCallout::TCallout(TChartSeries* series) : TSeriesPointer(series)
{
  arrow_ = std::make_unique<TWhitePen>(ChangeHandler());
  SetInflateMargins(true);
  SetStyle(psRectangle);
  visible_ = true;
  SetDraw3D(false);
  GetBrush()->SetColor(clBlack);
}

TCallout::~TCallout() = default;

void TCallout::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TCallout*>(source)) {
    distance_ = s->distance_;
    arrow_->Assign(s->arrow_.get());
    arrowHead_ = s->arrowHead_;
    arrowHeadSize_ = s->arrowHeadSize_;
  }
  TSeriesPointer::Assign(source);
}

void TCallout::SetArrowHead(TArrowHeadStyle v)
{
  if (Store(arrowHead_, v)) Changed();
}

void TCallout::SetArrowHeadSize(int32_t v)
{
  if (Store(arrowHeadSize_, v)) Changed();
}

void TCallout::SetDistance(int32_t v)
{
  if (Store(distance_, v)) Changed();
}

void TCallout::Draw(TColor color, TPoint fromPoint, TPoint toPoint, int32_t z)
{
  TCustomNuvPanel* chart = GetParentChart();
  if (!chart) return;
  TCanvas3D* c = chart->Canvas();
  const bool is3D = chart->GetView3D();
  if (arrow_->GetVisible()) {
    c->Brush()->SetStyle(bsClear);
    PrepareCanvas(c, color);
    c->AssignVisiblePen(arrow_.get());
    if (arrowHead_ == ahLine || arrowHead_ == ahSolid) {
      c->ArrowDefaultPercent(arrowHead_ == ahSolid, fromPoint, toPoint, arrowHeadSize_, arrowHeadSize_, z);
    } else if (is3D) {
      c->LineWithZ(fromPoint.x, fromPoint.y, toPoint.x, toPoint.y, z);
    } else {
      c->Line(fromPoint.x, fromPoint.y, toPoint.x, toPoint.y);
    }
  }
  if (arrowHead_ == ahNone && GetVisible()) {
    TPoint p = fromPoint;
    if (is3D) p = c->Calc3DPoint(p, z);
    PrepareCanvas(c, GetColor());
    DrawPointer(c, false, p.x, p.y, GetHorizSize(), GetVertSize(), GetColor(), GetStyle());
  }
}

TMarksCallout::TMarksCallout(TChartSeries* series) : TCallout(series)
{
  visible_ = false;
  GetArrow()->SetColor(clWhite);
}

void TMarksCallout::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TMarksCallout*>(source)) length_ = s->length_;
  TCallout::Assign(source);
}

void TMarksCallout::SetLength(int32_t v)
{
  if (Store(length_, v)) Changed();
}

void TMarksCallout::ApplyArrowLength(TSeriesMarkPosition& position) const
{
  // In 64 bits, held in range: lengths and distances are not limited.
  auto up = [](int32_t& y, int64_t by) {
    y = static_cast<int32_t>(std::clamp<int64_t>(int64_t{y} - by, INT32_MIN, INT32_MAX));
  };
  const int64_t l = int64_t{length_} + GetDistance();
  up(position.TopLeft.y, l);
  up(position.ArrowEnd.y, l);
  up(position.ArrowStart.y, GetDistance());
}

// ---- Marks ----
TSeriesMarks::TSeriesMarks(TChartSeries* series)
    : TNuvCustomShape(series ? series->GetParentChart() : nullptr), parentSeries_(series)
{
  visible_ = false;
  SetColor(clInfoBk);
  InitShadow(GetShadow());
  positions_.PointCount = [this] { return parentSeries_ ? parentSeries_->Count() : 0; };
}

TSeriesMarks::~TSeriesMarks() = default;

TMarksItem* TSeriesMarks::Items(int32_t index)
{
  CheckPointIndexSlack(index, parentSeries_ ? parentSeries_->Count() : 0);
  return items_.Item(index);
}

std::unique_ptr<TNuvGradient> TSeriesMarks::CreateGradient(TNotifyEvent onChange)
{
  return std::make_unique<TSeriesMarksGradient>(std::move(onChange));
}

void TSeriesMarks::InitShadow(TNuvShadow* shadow) { InitMarksShadow(shadow); }

void TSeriesMarks::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TSeriesMarks*>(source)) {
    angle_ = s->angle_;
    if (s->callout_) GetCallout()->Assign(s->callout_.get());
    else callout_.reset();
    clip_ = s->clip_;
    drawEvery_ = s->drawEvery_;
    style_ = s->style_;
    multiLine_ = s->multiLine_;
    if (s->symbol_) GetSymbol()->Assign(s->symbol_.get());
    items_.Clear();
    for (int32_t i = 0; i < s->items_.Count(); ++i)
      if (TMarksItem* item = s->items_.Find(i)) items_.Item(i)->Assign(item);
  }
  TNuvCustomShape::Assign(source);
}

void TSeriesMarks::SetParentChart(TCustomNuvPanel* chart)
{
  TNuvCustomShape::SetParentChart(chart);
  if (callout_) callout_->SetParentChart(chart);
  if (symbol_) symbol_->SetParentChart(chart);
  items_.SetParentChart(chart);
}

void TSeriesMarks::Repaint()
{
  if (parentSeries_) parentSeries_->Repaint();
  else TNuvCustomShape::Repaint();
}

void TSeriesMarks::SetAngle(int32_t v)
{
  if (Store(angle_, v)) Repaint();
}

TChartPen* TSeriesMarks::GetArrow() { return GetCallout()->GetArrow(); }

void TSeriesMarks::SetArrow(const TChartPen* v) { GetCallout()->SetArrow(v); }

int32_t TSeriesMarks::GetArrowLength() { return GetCallout()->GetLength(); }

void TSeriesMarks::SetArrowLength(int32_t v) { GetCallout()->SetLength(v); }

TMarksCallout* TSeriesMarks::GetCallout()
{
  if (!callout_) {
    callout_ = std::make_unique<TMarksCallout>(parentSeries_);
    callout_->SetParentChart(GetParentChart());
  }
  return callout_.get();
}

void TSeriesMarks::SetCallout(const TMarksCallout* v)
{
  if (!v) callout_.reset();
  else GetCallout()->Assign(v);
}

void TSeriesMarks::SetClip(bool v)
{
  if (Store(clip_, v)) Repaint();
}

void TSeriesMarks::SetDrawEvery(int32_t v)
{
  if (Store(drawEvery_, v)) Repaint();
}

void TSeriesMarks::SetMultiLine(bool v)
{
  if (Store(multiLine_, v)) Repaint();
}

void TSeriesMarks::SetStyle(TSeriesMarksStyle v)
{
  if (Store(style_, v)) Repaint();
}

TSeriesMarksSymbol* TSeriesMarks::GetSymbol()
{
  if (!symbol_) {
    symbol_ = std::make_unique<TSeriesMarksSymbol>(GetParentChart());
    symbol_->ParentMarks = this;
  }
  return symbol_.get();
}

void TSeriesMarks::SetSymbol(const TSeriesMarksSymbol* v)
{
  if (v) GetSymbol()->Assign(v);
}

TCanvas3D* TSeriesMarks::ChartCanvas() const { return GetParentChart() ? GetParentChart()->Canvas() : nullptr; }

bool TSeriesMarks::ChartIs3D() const { return GetParentChart() && GetParentChart()->GetView3D(); }

TPoint TSeriesMarks::AdjustedTopLeft(const TSeriesMarkPosition& position)
{
  TPoint p = position.TopLeft;
  TCanvas3D* c = ChartCanvas();
  if (c && ChartIs3D() && !c->Supports3DText()) {
    const TPoint moved = c->Calc3DPoint(position.ArrowEnd, ZPosition);
    p.x += moved.x - position.ArrowEnd.x;
    p.y += moved.y - position.ArrowEnd.y;
  }
  return p;
}

int32_t TSeriesMarks::Clicked(int32_t x, int32_t y)
{
  const int32_t every = std::max(1, drawEvery_);
  for (int32_t i = positions_.Count() - 1; i >= 0; --i) {
    if (i % every != 0) continue;
    const TSeriesMarkPosition* p = positions_.Position(i);
    if (!p) continue;
    const TPoint tl = AdjustedTopLeft(*p);
    if (PointInRectXY(TRect{tl.x, tl.y, tl.x + p->Width, tl.y + p->Height}, x, y)) return i;
  }
  return -1;
}

void TSeriesMarks::ApplyArrowLength(TSeriesMarkPosition& position)
{
  if (callout_) callout_->ApplyArrowLength(position);
}

TNuvCustomShape* TSeriesMarks::MarkItem(int32_t valueIndex)
{
  if (TMarksItem* item = items_.Find(valueIndex)) return item;
  return this;
}

void TSeriesMarks::ClearData()
{
  positions_.Clear();
  if (!items_.ReadFromStream) items_.Clear();
}

void TSeriesMarks::DeletedValue(int32_t valueIndex)
{
  positions_.Delete(valueIndex);
  items_.Delete(valueIndex);
}

int32_t TSeriesMarks::TextWidth(int32_t valueIndex)
{
  TCanvas3D* c = ChartCanvas();
  if (!c || !parentSeries_) return 0;
  c->AssignFont(MarkItem(valueIndex)->GetFont());
  const std::string text = parentSeries_->GetMarkText(valueIndex);
  int32_t widest = 0;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(ChartLineSeparator, start);
    widest = std::max(widest, c->TextWidth(text.substr(start, end == std::string::npos ? end : end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return widest;
}

void TSeriesMarks::UpdatePosition(int32_t valueIndex, TSeriesMarkPosition& position)
{
  TSeriesMarkPosition* stored = positions_.Ensure(valueIndex);
  if (!stored) return;
  if (stored->Custom) {
    const TPoint start = position.ArrowStart;
    position.Assign(*stored);
    if (position.ArrowFixed) position.ArrowStart = start;
  } else {
    stored->Assign(position);
  }
}

TRect TSeriesMarks::MarkRect(int32_t valueIndex, const TSeriesMarkPosition& position)
{
  TRect r = position.Bounds();
  TNuvCustomShape* item = MarkItem(valueIndex);
  if (item->GetPen()->GetVisible()) {
    r.Right += item->GetPen()->GetWidth();
    r.Bottom += item->GetPen()->GetWidth();
  }
  const TNuvShadow* shadow = item->GetShadow();
  if (shadow->GetHorizSize() > 0) r.Right += shadow->GetHorizSize();
  else if (shadow->GetHorizSize() < 0) r.Left += shadow->GetHorizSize();
  if (shadow->GetVertSize() > 0) r.Bottom += shadow->GetVertSize();
  else if (shadow->GetVertSize() < 0) r.Top += shadow->GetVertSize();
  const TPoint tl = AdjustedTopLeft(position);
  const int32_t dx = tl.x - r.Left, dy = tl.y - r.Top;
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
  return r;
}

void TSeriesMarks::AntiOverlap(int32_t first, int32_t valueIndex, TSeriesMarkPosition& position)
{
  const TRect r = MarkRect(valueIndex, position);
  for (int32_t i = std::max(0, first); i < valueIndex; ++i) {
    const TSeriesMarkPosition* p = positions_.Position(i);
    if (!p) continue;
    const TRect ri = MarkRect(i, *p);
    const bool intersect = r.Left < ri.Right && ri.Left < r.Right && r.Top < ri.Bottom && ri.Top < r.Bottom;
    if (!intersect) continue;
    const int32_t d = r.Top >= ri.Top ? r.Top - ri.Bottom : r.Bottom - ri.Top;
    position.TopLeft.y -= d;
    position.ArrowEnd.y -= d;
  }
}

void AssignMarkFont(TCustomNuvPanel* chart, TNuvFont* font)
{
  TCanvas3D* c = chart->Canvas();
  c->AssignFont(font);
  TView3DOptions* view = chart->GetView3DOptions();
  if (chart->GetView3D() && !c->Supports3DText() && view->GetZoomText() && view->GetZoom() != 100) {
    // The font's size at the canvas' pixels per inch, the one the canvas sets sizes at.
    TFont atCanvas;
    atCanvas.SetPixelsPerInch(c->Font()->GetPixelsPerInch());
    atCanvas.SetHeight(font->GetHeight());
    c->Font()->SetSize(static_cast<int32_t>(std::clamp<int64_t>(
        RoundHalfEven(std::clamp(atCanvas.GetSize() * static_cast<double>(view->GetZoom()) * 0.01, 1.0, 1e6)), 1,
        1000000)));
  }
}

void TSeriesMarks::DrawItem(int32_t valueIndex, TColor color, const std::string& text, TSeriesMarkPosition& position)
{
  TCanvas3D* c = ChartCanvas();
  if (!c) return;
  UpdatePosition(valueIndex, position);
  TNuvCustomShape* look = MarkItem(valueIndex);

  if (callout_ && (callout_->GetVisible() || callout_->GetArrow()->GetVisible()))
    callout_->Draw(color, position.ArrowStart, position.ArrowEnd, ZPosition);

  if (look->GetTransparent()) c->Brush()->SetStyle(bsClear);
  else c->AssignBrush(look->GetBrush(), look->GetColor());
  c->AssignVisiblePen(look->GetPen());

  const TPoint tl = AdjustedTopLeft(position);
  const TRect box{tl.x, tl.y, tl.x + position.Width, tl.y + position.Height};
  const int32_t angle = angle_ % 360;
  // Depth only matters in 3-D; a flat chart keeps its marks on the front plane (a canvas with
  // depth clips what lies behind its flat view volume).
  const int32_t z = ChartIs3D() ? ZPosition + 1 : 0;
  // The item (or marks) shape draws the frame, brush, gradient and shadow.
  look->SetParentChart(GetParentChart());
  look->DrawRectRotated(box, angle, z);

  // The font the box was measured in (DrawMarks).
  TCustomNuvPanel* chart = GetParentChart();
  auto assignFont = [&] {
    if (chart) AssignMarkFont(chart, look->GetFont());
    else c->AssignFont(look->GetFont());
  };
  assignFont();
  const int32_t h = c->FontHeight();
  const bool symbolVisible = symbol_ && symbol_->ShouldDraw();
  if (symbolVisible) {
    // The shape fills with its Color (repainting is held off while the chart draws).
    symbol_->SetColor(parentSeries_ ? parentSeries_->ValueColor(valueIndex) : color);
    symbol_->SetTransparent(false);
    symbol_->DrawRectRotated(TRect{box.Left + 4, box.Top + 3, box.Left + h - 1, box.Top + h - 2}, angle, z);
    assignFont();
  }

  // Text on a transparent background, centred on its X.
  c->Brush()->SetStyle(bsClear);
  c->SetBackMode(cbmTransparent);
  TRect t = box;
  t.Left += 2;
  if (symbolVisible) t.Left += (h - 1 - 4) + 4;
  int32_t cx = 0, cy = 0;
  RectCenter(t, cx, cy);
  const uint32_t oldAlign = c->GetTextAlign();
  c->SetTextAlign(TA_CENTER);
  if (look->GetTextFormat() == ttfHtml) {
    c->TextOutFormatted(cx, t.Top, text, true);
  } else {
    const bool text3D = c->Supports3DText() && ChartIs3D();
    const int32_t frameWidth = GetPen()->GetVisible() ? GetPen()->GetWidth() : 0;
    std::string rest = text;
    int32_t k = 0;
    while (true) {
      const size_t brk = rest.find(ChartLineSeparator);
      const std::string line = brk == std::string::npos ? rest : rest.substr(0, brk);
      int32_t x = cx, y = 0;
      if (angle_ == 0) {
        y = t.Top + k * h + frameWidth;
      } else {
        const double d = static_cast<double>(k) * h - (t.Bottom - cy);
        const double a = angle_ * std::numbers::pi / 180.0;
        x = cx + Round32(d * std::sin(a)) + (angle_ == 90 ? 1 : 0);
        y = cy + Round32(d * std::cos(a));
      }
      if (text3D) {
        if (angle_ != 0) c->RotateLabel3D(x, y, ZPosition, line, angle_);
        else c->TextOut3D(x, y, ZPosition, line);
      } else if (angle_ != 0) {
        // RotateLabel zooms the font itself.
        c->AssignFont(look->GetFont());
        c->RotateLabel(x, y, line, angle_);
      } else {
        c->TextOut(x, y, line);
      }
      if (brk == std::string::npos) break;
      rest = rest.substr(brk + 1, 255);
      ++k;
    }
  }
  c->SetTextAlign(oldAlign);
}
