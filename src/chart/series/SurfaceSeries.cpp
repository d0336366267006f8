#include "chart/series/SurfaceSeries.h"

#include <algorithm>
#include <cmath>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/series/SeriesFormat.h"

namespace {
TColor Blend(TColor a, TColor b, double t)
{
  a = ColorToRGB(a);
  b = ColorToRGB(b);
  auto mix = [t](int x, int y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

std::vector<double> Distinct(const TChartValueList* list, int32_t count)
{
  std::vector<double> v;
  v.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i)
    if (std::isfinite(list->Value(i))) v.push_back(list->Value(i));
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
  return v;
}
}  // namespace

TSurfaceSeries::TSurfaceSeries(TComponent* owner) : TChartSeries(owner)
{
  NuvSeriesStartup();
  zValues_ = new TChartValueList(this, "Z");  // owned by the series' value lists
  XValues()->SetOrder(loNone);
  HasZValues = true;
  CalcVisiblePoints = false;
}

TSurfaceSeries::~TSurfaceSeries() = default;

void TSurfaceSeries::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TSurfaceSeries*>(source)) {
    useColorRange_ = s->useColorRange_;
    startColor_ = s->startColor_;
    endColor_ = s->endColor_;
    wireFrame_ = s->wireFrame_;
  }
  TChartSeries::Assign(source);
}

int32_t TSurfaceSeries::AddXYZ(double x, double y, double z, const std::string& label, TColor color)
{
  zValues_->TempValue = z;
  return AddXY(x, y, label, color);
}

TColor TSurfaceSeries::CellColor(int32_t valueIndex)
{
  const TColor own = GetStoredColor(valueIndex);
  if (own != clDefault) return own;
  if (!useColorRange_) return ValueColor(valueIndex);
  const double lo = YValues()->MinValue(), hi = YValues()->MaxValue();
  const double t = hi > lo ? (YValues()->Value(valueIndex) - lo) / (hi - lo) : 0.0;
  return Blend(startColor_, endColor_, std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0));
}

TSurfaceSeries::TGrid TSurfaceSeries::BuildGrid() const
{
  TGrid g;
  const int32_t n = Count();
  g.X = Distinct(XValues(), n);
  g.Z = Distinct(zValues_, n);
  if (g.X.empty() || g.Z.empty()) return g;
  // A grid far larger than the point count (scattered values) is not a surface.
  const double cells = static_cast<double>(g.X.size()) * static_cast<double>(g.Z.size());
  if (cells > 4.0 * n + 16) {
    g.X.clear();
    g.Z.clear();
    return g;
  }
  g.Index.assign(g.X.size() * g.Z.size(), -1);
  for (int32_t i = 0; i < n; ++i) {
    const double x = XValues()->Value(i), z = zValues_->Value(i);
    auto ix = std::lower_bound(g.X.begin(), g.X.end(), x);
    auto iz = std::lower_bound(g.Z.begin(), g.Z.end(), z);
    if (ix == g.X.end() || *ix != x || iz == g.Z.end() || *iz != z) continue;
    g.Index[static_cast<size_t>(ix - g.X.begin()) + static_cast<size_t>(iz - g.Z.begin()) * g.X.size()] = i;
  }
  return g;
}

TPoint3D TSurfaceSeries::Project(int32_t i) const
{
  TPoint3D p;
  p.x = CalcXPosValue(XValues()->Value(i));
  p.y = CalcYPosValue(YValues()->Value(i));
  TCustomAxisPanel* chart = GetParentChart();
  TChartAxis* depth = chart ? chart->GetDepthAxis() : nullptr;
  const double z = zValues_->Value(i);
  if (depth && depth->GetLabelStyle() == talValue) {
    // A depth axis scaled on values places the Z values.
    p.z = depth->CalcPosValue(z);
  } else {
    // Otherwise the Z range spans the series' own depth.
    const double lo = zValues_->MinValue(), hi = zValues_->MaxValue();
    const double t = hi > lo && std::isfinite(z) ? (z - lo) / (hi - lo) : 0.0;
    p.z = StartZ + static_cast<int32_t>(std::lround(std::clamp(t, 0.0, 1.0) * (EndZ - StartZ)));
  }
  return p;
}

void TSurfaceSeries::DrawCell(const TGrid& g, size_t ix, size_t iz)
{
  if (ix + 1 >= g.X.size() || iz + 1 >= g.Z.size()) return;
  const int32_t i0 = g.At(ix, iz), i1 = g.At(ix + 1, iz), i2 = g.At(ix + 1, iz + 1), i3 = g.At(ix, iz + 1);
  if (i0 < 0 || i1 < 0 || i2 < 0 || i3 < 0) return;
  for (int32_t i : {i0, i1, i2, i3})
    if (IsNull(i) || !std::isfinite(YValues()->Value(i))) return;
  TCanvas3D* canvas = GetParentChart()->Canvas();
  const TPoint3D p0 = Project(i0), p1 = Project(i1), p2 = Project(i2), p3 = Project(i3);
  if (!wireFrame_) {
    const TColor c0 = CellColor(i0), c1 = CellColor(i1), c2 = CellColor(i2), c3 = CellColor(i3);
    canvas->Pen()->SetStyle(psClear);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(c0);
    canvas->Triangle3D(p0, p1, p2, c0, c1, c2);
    canvas->Triangle3D(p0, p2, p3, c0, c2, c3);
  }
  if (GetPen()->GetVisible()) {
    canvas->Pen()->Assign(GetPen());
    canvas->MoveTo3D(p0.x, p0.y, p0.z);
    canvas->LineTo3D(p1.x, p1.y, p1.z);
    canvas->LineTo3D(p2.x, p2.y, p2.z);
    canvas->LineTo3D(p3.x, p3.y, p3.z);
    canvas->LineTo3D(p0.x, p0.y, p0.z);
  }
}

void TSurfaceSeries::DrawAllValues()
{
  if (!GetParentChart() || Count() == 0) return;
  grid_ = BuildGrid();
  if (grid_.X.size() < 2 || grid_.Z.size() < 2) return;
  // Back to front: the far rows first, so nearer cells cover them on a flat canvas.
  drawingAll_ = true;
  for (size_t iz = grid_.Z.size() - 1; iz-- > 0;)
    for (size_t ix = 0; ix + 1 < grid_.X.size(); ++ix) DrawCell(grid_, ix, iz);
  drawingAll_ = false;
}

void TSurfaceSeries::DrawValue(int32_t valueIndex)
{
  if (!GetParentChart() || valueIndex < 0 || valueIndex >= Count()) return;
  if (!drawingAll_) grid_ = BuildGrid();
  const double x = XValues()->Value(valueIndex), z = zValues_->Value(valueIndex);
  auto ix = std::lower_bound(grid_.X.begin(), grid_.X.end(), x);
  auto iz = std::lower_bound(grid_.Z.begin(), grid_.Z.end(), z);
  if (ix == grid_.X.end() || iz == grid_.Z.end()) return;
  DrawCell(grid_, static_cast<size_t>(ix - grid_.X.begin()), static_cast<size_t>(iz - grid_.Z.begin()));
}

int32_t TSurfaceSeries::Clicked(int32_t x, int32_t y)
{
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart || !chart->Canvas()) return -1;
  for (int32_t i = Count() - 1; i >= 0; --i) {
    if (!std::isfinite(XValues()->Value(i)) || !std::isfinite(YValues()->Value(i))) continue;
    const TPoint3D p = Project(i);
    const TPoint s = chart->GetView3D() ? chart->Canvas()->Calculate3DPosition(p.x, p.y, p.z) : TPoint{p.x, p.y};
    if (std::abs(s.x - x) <= 3 && std::abs(s.y - y) <= 3) return i;
  }
  return -1;
}

void TSurfaceSeries::CalcHorizMargins(int32_t& leftMargin, int32_t& rightMargin)
{
  TChartSeries::CalcHorizMargins(leftMargin, rightMargin);
}

void TSurfaceSeries::CalcVerticalMargins(int32_t& topMargin, int32_t& bottomMargin)
{
  TChartSeries::CalcVerticalMargins(topMargin, bottomMargin);
}

void TSurfaceSeries::DrawLegendShape(int32_t valueIndex, const TRect& rect)
{
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart || !chart->Canvas() || !useColorRange_ || valueIndex != -1) {
    TChartSeries::DrawLegendShape(valueIndex, rect);
    return;
  }
  // The colour range from top (high values) to bottom.
  TCanvas3D* canvas = chart->Canvas();
  canvas->Pen()->SetStyle(psClear);
  canvas->Brush()->SetStyle(bsSolid);
  const int32_t h = std::max(1, rect.Height());
  for (int32_t row = 0; row < h; ++row) {
    canvas->Brush()->SetColor(Blend(endColor_, startColor_, h > 1 ? static_cast<double>(row) / (h - 1) : 0.0));
    canvas->FillRect(TRect{rect.Left, rect.Top + row, rect.Right, rect.Top + row + 1});
  }
}

double TSurfaceSeries::MaxZValue() const { return Count() ? zValues_->MaxValue() : 0.0; }
double TSurfaceSeries::MinZValue() const { return Count() ? zValues_->MinValue() : 0.0; }
