// The axis panel's drawing: depth sizes, z orders, axis layout, series margins and the fixed
// sequence of paint phases that tools and the chart's handlers hear of.
#include <algorithm>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineMarks.h"

void TCustomAxisPanel::DoOnAfterDraw()
{
  if (OnAfterDraw) OnAfterDraw(this);
}

void TCustomAxisPanel::DoOnBeforeDrawAxes()
{
  if (OnBeforeDrawAxes) OnBeforeDrawAxes(this);
}

void TCustomAxisPanel::DoOnBeforeDrawChart()
{
  if (OnBeforeDrawChart) OnBeforeDrawChart(this);
}

void TCustomAxisPanel::DoOnBeforeDrawSeries()
{
  if (OnBeforeDrawSeries) OnBeforeDrawSeries(this);
}

bool TCustomAxisPanel::IsDepthPlaneFacing()
{
  return GetView3D() && Canvas()->IsDepthPlaneFacing(ChartRect, Width3D);
}

void TCustomAxisPanel::DrawAxis(TChartAxis* axis, bool calcPosAxis)
{
  const bool again = std::find(drawnAxes_.begin(), drawnAxes_.end(), axis) != drawnAxes_.end();
  if (!again) drawnAxes_.push_back(axis);
  axis->DrawnInFront = again;
  struct TClearFlag {
    TChartAxis* a;
    ~TClearFlag() { a->DrawnInFront = false; }
  } clear{axis};
  axis->Draw(calcPosAxis);
}

void TCustomAxisPanel::DrawLegendSymbolRect(TChartSeries*, const TRect& rect)
{
  TCanvas3D* canvas = Canvas();
  canvas->RectangleRect(rect);
  if (canvas->Brush()->GetColor() == LegendSymbolBackColor) {
    const TColor oldPen = canvas->Pen()->GetColor();
    const TBrushStyle oldStyle = canvas->Brush()->GetStyle();
    if (canvas->Brush()->GetColor() == clBlack) canvas->Pen()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsClear);
    canvas->RectangleRect(rect);
    canvas->Brush()->SetStyle(oldStyle);
    canvas->Pen()->SetColor(oldPen);
  }
}

bool TCustomAxisPanel::CalcIsViewTurned()
{
  if (!GetView3D()) viewTurned_ = false;
  else if (GetView3DOptions()->GetOrthogonal()) viewTurned_ = GetView3DOptions()->GetOrthoAngle() > 90;
  else viewTurned_ = GetView3DOptions()->GetRotation() < 180;
  return viewTurned_;
}

void TCustomAxisPanel::CalcSize3D()
{
  if (!GetView3D()) {
    SeriesWidth3D = SeriesHeight3D = Width3D = Height3D = 0;
    return;
  }
  double f = chart3DPercent_ * 0.001;
  if (!GetView3DOptions()->GetOrthogonal()) f *= 2;
  SeriesWidth3D = Round32(ChartWidth * f);
  const double z = GetView3DOptions()->GetZoom() * 0.01;
  if (z > 1) SeriesWidth3D = Round32(SeriesWidth3D / z);
  SeriesHeight3D = Round32(SeriesWidth3D * z);
  const int32_t n = ApplyZOrder ? std::max(1, MaxZOrder + 1) : 1;
  Width3D = MulChecked(SeriesHeight3D, n);
  Height3D = MulChecked(SeriesWidth3D, n);
}

void TCustomAxisPanel::CalcSeriesZOrders()
{
  const bool ordered = ApplyZOrder && GetView3D();
  MaxZOrder = ordered ? -1 : 0;
  for (TChartSeries* s : SeriesList()->Items())
    if (s->GetActive()) s->CalcZOrder();
  if (depthAxis_ && depthAxis_->GetInverted()) return;
  for (TChartSeries* s : SeriesList()->Items())
    if (s->GetActive()) s->SetCalculatedZOrder(ordered ? MaxZOrder - s->GetZOrder() : 0);
}

void TCustomAxisPanel::CalcAxisRect()
{
  const int32_t n = axes_->Count();
  for (int32_t i = 0; i < n; ++i) {
    TChartAxis* a = axes_->GetAxis(i);
    a->InternalVisible = IsAxisVisible(a);
    a->CalcPositions();
  }
  for (int32_t i = 0; i < n; ++i) axes_->GetAxis(i)->AdjustMaxMin();
  TRect r = ChartRect;
  for (int32_t i = 0; i < n; ++i) {
    TChartAxis* a = axes_->GetAxis(i);
    if (!a->InternalVisible) {
      if (axes_->OnHiddenAxis) axes_->OnHiddenAxis(a);
      a->ResetPositions();
      continue;
    }
    TRect copy = r;
    a->CalcRect(copy, true);
    TRect both;
    if (IntersectRect(both, r, copy)) r = both;
  }
  if (!CustomChartRect) {
    ChartRect = r;
    ChartWidth = r.Width();
    ChartHeight = r.Height();
    ChartXCenter = static_cast<int32_t>((static_cast<int64_t>(r.Left) + r.Right) / 2);
    ChartYCenter = static_cast<int32_t>((static_cast<int64_t>(r.Top) + r.Bottom) / 2);
  }
  for (int32_t i = 0; i < n; ++i) {
    TChartAxis* a = axes_->GetAxis(i);
    a->CalcPositions();
    a->AdjustMaxMin();
  }
}

void TCustomAxisPanel::CalcSeriesMargins(TChartAxis* axis)
{
  if (!axis || axis->IsDepthAxis) return;
  int32_t lowMargin = 0, highMargin = 0;  // in pixels, at the start and the end of PosStart..PosEnd
  const bool horizontal = axis->GetHorizontal();
  const bool autoMin = axis->GetAutomatic() || axis->GetAutomaticMinimum();
  const bool autoMax = axis->GetAutomatic() || axis->GetAutomaticMaximum();
  for (TChartSeries* s : SeriesList()->Items()) {
    if (!s->GetActive() || !s->AssociatedToAxis(axis)) continue;
    int32_t a = 0, b = 0;
    if (horizontal) {
      s->CalcHorizMargins(a, b);  // left (minimum), right (maximum)
      if (autoMin) lowMargin = std::max(lowMargin, a);
      if (autoMax) highMargin = std::max(highMargin, b);
    } else {
      s->CalcVerticalMargins(a, b);  // top (maximum), bottom (minimum)
      if (autoMax) lowMargin = std::max(lowMargin, a);
      if (autoMin) highMargin = std::max(highMargin, b);
    }
  }
  if (lowMargin == 0 && highMargin == 0) return;
  // Shrink the pixel span by the margins with the scale kept on it, read the values at the old
  // ends, and put them on the full span again: the series then fit inside the margins.
  const int32_t oldStart = axis->PosStart, oldEnd = axis->PosEnd;
  if (int64_t{oldEnd} - oldStart - lowMargin - highMargin < 1) return;
  axis->SetPositions(oldStart + lowMargin, oldEnd - highMargin);
  const double a = axis->PositionToValue(oldStart);
  const double b = axis->PositionToValue(oldEnd);
  axis->SetPositions(oldStart, oldEnd);
  axis->SetScale(std::min(a, b), std::max(a, b));
}

void TCustomAxisPanel::DrawAxes()
{
  DoOnBeforeDrawAxes();
  // Seen from behind, the bottom axis waits for the front planes; an axis the walls drew is done.
  const bool skipBottom = IsDepthPlaneFacing();
  for (int32_t i = 0; i < axes_->Count(); ++i) {
    TChartAxis* a = axes_->GetAxis(i);
    if (!a->InternalVisible) continue;
    if (a == bottomAxis_ && skipBottom) continue;
    if (std::find(drawnAxes_.begin(), drawnAxes_.end(), a) != drawnAxes_.end()) continue;
    DrawAxis(a, true);
  }
}

namespace {

// Clips the canvas to the chart rectangle while alive (when asked to).
class TSeriesClip {
public:
  TSeriesClip(TCustomAxisPanel* chart, bool active) : chart_(chart), active_(active)
  {
    if (!active_) return;
    TRect r = chart->ChartRect;
    r.Bottom += 1;
    chart->Canvas()->ClipCube(r, 0, chart->Width3D);
  }
  ~TSeriesClip()
  {
    if (active_) chart_->Canvas()->UnClipRectangle();
  }
  TSeriesClip(const TSeriesClip&) = delete;
  TSeriesClip& operator=(const TSeriesClip&) = delete;

private:
  TCustomAxisPanel* chart_;
  bool active_;
};

}  // namespace

void TCustomAxisPanel::DrawSeries(TChartSeries* series)
{
  series->CalcFirstLastVisibleIndex();
  if (series->FirstValueIndex == -1) return;
  series->DoBeforeDrawValues();
  {
    TSeriesClip clip(this, series->UseAxis() && clipPoints_ && CanClip());
    series->DrawAllValues();
  }
  TSeriesMarks* marks = series->GetMarks();
  if (marks && series->Count() > 0 && marks->GetVisible()) {
    TSeriesClip clip(this, marks->GetClip() && CanClip());
    series->DrawMarks();
  }
  series->DoAfterDrawValues();
}

void TCustomAxisPanel::DrawSeriesGroup(TChartSeries* first)
{
  const std::vector<TChartSeries*>& all = SeriesList()->Items();
  const auto start = std::find(all.begin(), all.end(), first);
  std::vector<TChartSeries*> group;
  for (auto it = start; it != all.end(); ++it)
    if ((*it)->GetActive() && (*it)->GetZOrder() == first->GetZOrder()) group.push_back(*it);
  int32_t firstIndex = -1, lastIndex = -1;
  std::vector<TChartSeries*> visible;
  for (TChartSeries* s : group) {
    s->CalcFirstLastVisibleIndex();
    if (s->FirstValueIndex == -1) continue;
    s->DoBeforeDrawValues();
    visible.push_back(s);
    firstIndex = std::max(firstIndex, s->FirstValueIndex);
    lastIndex = std::max(lastIndex, s->LastValueIndex);
  }
  if (visible.empty() || firstIndex < 0) return;
  {
    TSeriesClip clip(this, clipPoints_ && CanClip());
    auto drawPoint = [&](int32_t i) {
      const bool forward = first->Count() <= i || first->DrawSeriesForward(i);
      if (forward) {
        for (TChartSeries* s : group)
          if (s->Count() > i) s->DrawValue(i);
      } else {
        for (auto it = group.rbegin(); it != group.rend(); ++it)
          if ((*it)->Count() > i) (*it)->DrawValue(i);
      }
    };
    if (first->DrawValuesForward()) {
      for (int32_t i = firstIndex; i <= lastIndex; ++i) drawPoint(i);
    } else {
      for (int32_t i = lastIndex; i >= firstIndex; --i) drawPoint(i);
    }
  }
  for (TChartSeries* s : visible) {
    TSeriesMarks* marks = s->GetMarks();
    if (marks && s->Count() > 0 && marks->GetVisible()) {
      TSeriesClip clip(this, marks->GetClip() && CanClip());
      s->DrawMarks();
    }
    s->DoAfterDrawValues();
  }
}

void TCustomAxisPanel::DrawAllSeries()
{
  bool forward = !(depthAxis_ && depthAxis_->GetInverted());
  if (IsDepthPlaneFacing()) forward = !forward;
  const std::vector<TChartSeries*> list = SeriesList()->Items();
  auto drawOne = [this](TChartSeries* s) {
    if (!s->GetActive()) return;
    if (!GetView3D() || !s->SharesZOrder()) DrawSeries(s);
    else if (s->FirstInZOrder()) DrawSeriesGroup(s);
  };
  if (forward) {
    for (TChartSeries* s : list) drawOne(s);
  } else {
    for (auto it = list.rbegin(); it != list.rend(); ++it) drawOne(*it);
  }
}

void TCustomAxisPanel::InternalDraw(const TRect& userRect)
{
  // AutoRepaint is suspended for the whole drawing and restored however it ends.
  struct TAutoRepaintGuard {
    TCustomAxisPanel* p;
    bool old;
    ~TAutoRepaintGuard() { p->SetAutoRepaint(old); }
  } guard{this, GetAutoRepaint()};
  SetAutoRepaint(false);
  drawnAxes_.clear();
  CalcIsViewTurned();
  TCanvas3D* canvas = Canvas();
  const bool fullRotation = canvas->SupportsFullRotation();

  if (!fullRotation) DrawPanelBackground(userRect);
  BroadcastToolEvent(cteBeforeDraw);
  DoOnBeforeDrawChart();
  for (TChartSeries* s : SeriesList()->Items())
    if (s->GetActive()) s->DoBeforeDrawChart();
  if (!fullRotation) DrawTitlesAndLegend(true);

  CalcSeriesZOrders();
  // The walls rectangle gives room for this paint's depth.
  CalcSize3D();
  CalcWallsRect();
  const TRect remembered = ChartRect;
  CalcSize3D();
  CalcAxisRect();
  // The depth follows the width the layout left; the depth axes take it.
  CalcSize3D();
  depthAxis_->CalcPositions();
  depthTopAxis_->CalcPositions();
  for (TChartSeries* s : SeriesList()->Items())
    if (s->GetActive()) s->CalcDepthPositions();
  for (int32_t i = 0; i < axes_->Count(); ++i) CalcSeriesMargins(axes_->GetAxis(i));
  canvas->ViewPort(Height3D, ChartBounds, ChartRect);

  if (fullRotation) {
    const TRect current = ChartRect;
    ChartRect = remembered;
    DrawPanelBackground(userRect);
    DrawTitlesAndLegend(true);
    ChartRect = current;
  }

  DrawWalls();
  if (axisBehind_) {
    BroadcastToolEvent(cteBeforeDrawAxes);
    DrawAxes();
  }
  BroadcastToolEvent(cteBeforeDrawSeries);
  DoOnBeforeDrawSeries();
  DrawAllSeries();
  BroadcastToolEvent(cteAfterDrawSeries);
  if (!axisBehind_) {
    BroadcastToolEvent(cteBeforeDrawAxes);
    DrawAxes();
  }
  DrawTitlesAndLegend(false);
  // The rubber band of a zoom in progress is drawn over the shown picture (PaintOverlay).
  BroadcastToolEvent(cteAfterDraw);
  DoOnAfterDraw();
  if (InternalOnAfterDraw) InternalOnAfterDraw(this);
}
