#include "chart/model/Chart.h"

#include "chart/model/NvEngineAxis.h"

#include <algorithm>
#include <cmath>

#include "chart/canvas/NuvConst.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/ChartPalettes.h"
#include "chart/model/NvEngineTools.h"

bool NuvChartUseMouseWheel = true;

namespace {

// Holds the panel's automatic repaint off for a scope.
class TAutoRepaintOff {
public:
  explicit TAutoRepaintOff(TCustomNuvPanel* panel) : panel_(panel), old_(panel->GetAutoRepaint())
  {
    panel_->SetAutoRepaint(false);
  }
  ~TAutoRepaintOff() { panel_->SetAutoRepaint(old_); }
  TAutoRepaintOff(const TAutoRepaintOff&) = delete;
  TAutoRepaintOff& operator=(const TAutoRepaintOff&) = delete;

private:
  TCustomNuvPanel* panel_;
  bool old_;
};

// Brackets drawing on the canvas' front plane.
class TFrontPlane {
public:
  explicit TFrontPlane(TCanvas3D* c) : c_(c) { c_->FrontPlaneBegin(); }
  ~TFrontPlane() { c_->FrontPlaneEnd(); }
  TFrontPlane(const TFrontPlane&) = delete;
  TFrontPlane& operator=(const TFrontPlane&) = delete;

private:
  TCanvas3D* c_;
};

// A stored colour: a number, or the identifier of a named colour; false for anything else.
bool StreamValueToColor(const TStreamValue& v, TColor& color)
{
  if (const auto* name = std::get_if<std::string>(&v)) {
    static const std::pair<const char*, TColor> names[] = {
        {"clBlack", clBlack},   {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
        {"clNavy", clNavy},     {"clPurple", clPurple}, {"clTeal", clTeal},   {"clGray", clGray},
        {"clSilver", clSilver}, {"clRed", clRed},       {"clLime", clLime},   {"clYellow", clYellow},
        {"clBlue", clBlue},     {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
        {"clNone", clNone},     {"clDefault", clDefault}};
    for (const auto& [n, c] : names)
      if (*name == n) {
        color = c;
        return true;
      }
    return false;
  }
  try {
    color = static_cast<TColor>(StreamValueToInteger(v));
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool HasAll(TShiftState shift, TShiftState keys) { return (shift & keys) == keys; }

}  // namespace

// ---- Construction ----
TCustomChart::TCustomChart(TComponent* owner) : TCustomAxisPanel(owner)
{
  TAutoRepaintOff hold(this);
  title_ = std::make_unique<TChartTitle>(this);
  subTitle_ = std::make_unique<TChartTitle>(this);
  foot_ = std::make_unique<TChartFootTitle>(this);
  subFoot_ = std::make_unique<TChartFootTitle>(this);
  walls_ = std::make_unique<TChartWalls>(this);
  SetView3DWalls(true);
  legend_ = std::make_unique<TChartLegend>(this);
  rangesFree_ = true;
}

TCustomChart::~TCustomChart()
{
  savedRanges_.clear();
  SetAutoRepaint(false);
  subTitle_.reset();
  title_.reset();
  subFoot_.reset();
  foot_.reset();
  walls_.reset();
  legend_.reset();
}

void TCustomChart::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TCustomChart*>(source)) {
    ColorPaletteIndex = s->ColorPaletteIndex;
    foot_->Assign(s->foot_.get());
    legend_->Assign(s->legend_.get());
    scrollMouseButton_ = s->scrollMouseButton_;
    subFoot_->Assign(s->subFoot_.get());
    subTitle_->Assign(s->subTitle_.get());
    title_->Assign(s->title_.get());
    walls_->Assign(s->walls_.get());
  }
  TCustomAxisPanel::Assign(source);
}

void TCustomChart::SetLegend(const TChartLegend* v) { legend_->Assign(v); }

std::vector<TComponent*> TCustomChart::GetChildren() const
{
  std::vector<TComponent*> children = TCustomAxisPanel::GetChildren();
  for (int32_t i = 0; i < Tools()->Count(); ++i) children.push_back(Tools()->GetTool(i));
  return children;
}

// ---- Queries ----
TChartSeries* TCustomChart::FirstActiveSeries() const
{
  for (int32_t i = 0; i < SeriesCount(); ++i)
    if (GetSeries(i)->GetActive()) return GetSeries(i);
  return nullptr;
}

void TCustomChart::AxisTitleOrName(TChartAxis* axis, std::string& text) const
{
  text = axis->GetTitle()->GetCaption();
  if (!text.empty()) return;
  if (axis == GetDepthAxis()) text = NuvMsg_DepthAxis;
  else if (axis == GetDepthTopAxis()) text = NuvMsg_DepthTopAxis;
  else if (axis->GetHorizontal()) text = axis->GetOtherSide() ? NuvMsg_TopAxis : NuvMsg_BottomAxis;
  else text = axis->GetOtherSide() ? NuvMsg_RightAxis : NuvMsg_LeftAxis;
}

std::string TCustomChart::AxisTitleOrName(TChartAxis* axis) const
{
  std::string text;
  AxisTitleOrName(axis, text);
  return text;
}

bool TCustomChart::ActiveSeriesUseAxis() const
{
  bool anyActive = false;
  for (int32_t i = 0; i < SeriesCount(); ++i) {
    TChartSeries* s = GetSeries(i);
    if (!s->GetActive()) continue;
    anyActive = true;
    if (s->UseAxis()) return true;
  }
  return !anyActive;
}

bool TCustomChart::IsSideFacing(int32_t x)
{
  TCanvas3D* c = Canvas();
  if (c->SupportsFullRotation()) return true;
  const int32_t depth = Width3D + walls_->GetBack()->GetSize();
  const TPoint p0 = c->Calculate3DPosition(x, ChartRect.Bottom, 0);
  const TPoint p1 = c->Calculate3DPosition(x, ChartRect.Bottom, depth);
  const TPoint p2 = c->Calculate3DPosition(x, ChartRect.Top, depth);
  // Orientation of the triangle p0, p1, p2.
  const int64_t cross = static_cast<int64_t>(p1.x - p0.x) * (p2.y - p0.y) -
                        static_cast<int64_t>(p1.y - p0.y) * (p2.x - p0.x);
  return cross > 0;
}

bool TCustomChart::IsLeftSideFacing() { return IsSideFacing(ChartRect.Left); }

bool TCustomChart::IsRightSideFacing()
{
  if (Canvas()->SupportsFullRotation()) return true;
  return !IsSideFacing(ChartRect.Right);
}

void TCustomChart::DoOnBeforeDrawAxes()
{
  for (int32_t i = 0; i < SeriesCount(); ++i)
    if (GetSeries(i)->GetActive()) GetSeries(i)->CalcFirstLastVisibleIndex();
  TCustomAxisPanel::DoOnBeforeDrawAxes();
}

// ---- Overrides of the axis panel ----
TColor TCustomChart::GetBackColor()
{
  const TChartBackWall* back = walls_->GetBack();
  return back->GetTransparent() ? GetColor() : back->GetColor();
}

void TCustomChart::SetChartRectAndRecalc(const TRect& r)
{
  ChartRect = r;
  ChartWidth = r.Right - r.Left;
  ChartHeight = r.Bottom - r.Top;
  ChartXCenter = static_cast<int32_t>((static_cast<int64_t>(r.Left) + r.Right) / 2);
  ChartYCenter = static_cast<int32_t>((static_cast<int64_t>(r.Top) + r.Bottom) / 2);
}

void TCustomChart::ToolsMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  for (int32_t i = 0; i < Tools()->Count() && !CancelMouse; ++i) {
    TNuvCustomTool* tool = Tools()->GetTool(i);
    if (tool->GetActive()) tool->ChartMouseEvent(kind, button, shift, x, y);
  }
}

void TCustomChart::CalcWallsRect()
{
  SetChartRectAndRecalc(ChartRect);
  if (!GetView3D() || !GetView3DOptions()->GetOrthogonal() || CustomChartRect) return;
  const int32_t b = ActiveSeriesUseAxis() ? walls_->GetBack()->GetSize() : 0;
  const int32_t d = std::abs(Width3D) + b;
  TRect r = ChartRect;
  if (GetView3DOptions()->GetOrthoAngle() < 91) {
    r.Right -= d;
    if (walls_->GetRight()->GetVisible()) r.Right -= walls_->GetRight()->GetSize() + 1;
  } else {
    r.Left += d;
    if (walls_->GetLeft()->GetVisible()) r.Left += walls_->GetLeft()->GetSize() + 1;
  }
  r.Top += std::abs(Height3D) + b;
  SetChartRectAndRecalc(r);
}

int32_t TCustomChart::GetWallSize(TChartAxis* axis)
{
  if (!GetView3D() || !GetView3DWalls()) return 0;
  const TCustomChartWall* wall = walls_->GetBack();
  if (axis == GetLeftAxis()) wall = walls_->GetLeft();
  else if (axis == GetBottomAxis()) wall = walls_->GetBottom();
  else if (axis == GetRightAxis()) wall = walls_->GetRight();
  return wall->GetVisible() ? wall->GetSize() : 0;
}

void TCustomChart::DrawTitles(bool customPosition)
{
  for (TChartTitle* t : {title_.get(), subTitle_.get(), static_cast<TChartTitle*>(foot_.get()),
                         static_cast<TChartTitle*>(subFoot_.get())})
    if (t->GetCustomPosition() == customPosition) t->DrawTitle();
}

void TCustomChart::DrawTitlesAndLegend(bool beforeSeries)
{
  {
    TFrontPlane front(Canvas());
    const bool legendDraws = legend_->ShouldDraw();
    if (beforeSeries) {
      if (!legend_->GetCustomPosition() && legendDraws) {
        if (legend_->IsVertical()) {
          legend_->DrawLegend();
          DrawTitles(false);
        } else {
          DrawTitles(false);
          legend_->DrawLegend();
        }
      } else {
        DrawTitles(false);
      }
    } else {
      if (legend_->GetCustomPosition() && legendDraws) legend_->DrawLegend();
      DrawTitles(true);
    }
  }
  if (!beforeSeries && ActiveSeriesUseAxis() && GetView3D()) DrawFrontPlanes();
}

void TCustomChart::DrawFrontPlanes()
{
  auto drawAxis = [&](TChartAxis* axis) {
    if (IsAxisVisible(axis)) DrawAxis(axis, false);
  };
  if (IsRightSideFacing()) {
    if (walls_->GetRight()->ShouldDrawInFront()) walls_->DrawRight();
    drawAxis(GetRightAxis());
  }
  if (IsLeftSideFacing()) {
    if (walls_->GetLeft()->ShouldDrawInFront()) walls_->DrawLeft();
    drawAxis(GetLeftAxis());
  }
  if (IsDepthPlaneFacing()) {
    drawAxis(GetTopAxis());
    drawAxis(GetBottomAxis());
    if (walls_->GetBack()->ShouldDrawInFront()) walls_->DrawBack();
  }
}

void TCustomChart::DrawLegendSymbolRect(TChartSeries* series, const TRect& rect)
{
  TNuvGradient* g = legend_->GetSymbol()->GetGradient();
  if (g->GetVisible()) {
    // The symbol's gradient ending in the point colour, framed with the canvas pen.
    TCanvas3D* c = Canvas();
    TNuvGradient shaded;
    shaded.Assign(g);
    shaded.SetEndColor(c->Brush()->GetColor());
    shaded.Draw(c, rect);
    c->Brush()->SetStyle(bsClear);
    c->RectangleRect(rect);
    return;
  }
  TCustomAxisPanel::DrawLegendSymbolRect(series, rect);
}

void TCustomChart::DrawWalls()
{
  if (!ActiveSeriesUseAxis()) return;
  const bool view3D = GetView3D();
  const bool walls3D = GetView3DWalls();
  if (view3D && walls3D && walls_->GetRight()->GetVisible() && !IsRightSideFacing()) walls_->DrawRight();
  if (walls3D && walls_->GetBack()->GetVisible() && !IsDepthPlaneFacing()) walls_->DrawBack();
  if (view3D && walls3D) {
    if (walls_->GetLeft()->GetVisible() && !IsLeftSideFacing()) walls_->DrawLeft();
    if (walls_->GetBottom()->GetVisible()) walls_->DrawBottom();
    if (IsDepthPlaneFacing()) {
      // Placed from the chart rectangle: the layout leaves the labels' outer edge in PosLabels,
      // which would set the labels a band too far out. The axes pass then leaves them be.
      if (IsAxisVisible(GetDepthTopAxis())) DrawAxis(GetDepthTopAxis(), true);
      if (IsAxisVisible(GetDepthAxis())) DrawAxis(GetDepthAxis(), true);
    }
  }
}

std::string TCustomChart::ValueLegendText(TChartSeries* series, int32_t valueIndex)
{
  if (!series || valueIndex == -1) return std::string();
  TLegendTextStyle style = legend_->GetTextStyle();
  std::string text = series->LegendString(valueIndex, style);
  std::replace(text.begin(), text.end(), ChartLineSeparator, ' ');
  return text;
}

bool TCustomChart::IsFreeSeriesColor(TColor color, bool checkBackground, TChartSeries* series)
{
  for (int32_t i = 0; i < SeriesCount(); ++i) {
    TChartSeries* s = GetSeries(i);
    if (s != series && s->GetSeriesColor() == color) return false;
  }
  if (checkBackground && (color == GetColor() || color == walls_->GetBack()->GetColor())) return false;
  return true;
}

// ---- Stream properties ----
void TCustomChart::DefineProperties(TFiler* filer, const TCustomChart* ancestor)
{
  filer->DefineProperty(
      "BackColor",
      [this](const TStreamValue& v) {
        TColor color = clDefault;
        if (StreamValueToColor(v, color)) ReadBackColor(color);
      },
      [] { return TStreamValue(int64_t{0}); }, false);
  filer->DefineProperty(
      "ColorPaletteIndex",
      [this](const TStreamValue& v) { ReadColorPaletteIndex(static_cast<int32_t>(StreamValueToInteger(v))); },
      [this] { return TStreamValue(int64_t{ColorPaletteIndex}); }, IsColorPaletteIndexStored(ancestor));
}

void TCustomChart::ReadBackColor(TColor color)
{
  walls_->GetBack()->SetColor(color);
  if (!Loading) walls_->GetBack()->GetBrush()->SetStyle(bsSolid);
}

void TCustomChart::ReadColorPaletteIndex(int32_t index)
{
  ColorPaletteIndex = index;
  if (index > 0) ApplyPalette(this, index);
}

bool TCustomChart::IsColorPaletteIndexStored(const TCustomChart* ancestor) const
{
  return ancestor ? ColorPaletteIndex != ancestor->ColorPaletteIndex : ColorPaletteIndex > 0;
}

// ---- Saved ranges ----
void TCustomChart::SaveAxesRanges()
{
  savedRanges_.clear();
  for (int32_t i = 0; i < AxesList()->Count(); ++i) {
    TChartAxis* axis = AxesList()->GetAxis(i);
    if (axis->IsDepthAxis) continue;
    TSavedAxisRange r;
    r.Axis = axis;
    r.Automatic = axis->GetAutomatic();
    r.AutomaticMinimum = axis->GetAutomaticMinimum();
    r.AutomaticMaximum = axis->GetAutomaticMaximum();
    r.Maximum = axis->GetMaximum();
    r.Minimum = axis->GetMinimum();
    savedRanges_.push_back(r);
  }
}

void TCustomChart::RestoreAxesRanges()
{
  for (const TSavedAxisRange& r : savedRanges_) {
    // Only axes the chart still has: a custom axis freed since the save is skipped.
    bool present = false;
    for (int32_t i = 0; i < AxesList()->Count() && !present; ++i) present = AxesList()->GetAxis(i) == r.Axis;
    if (!present || r.Axis->IsDepthAxis) continue;
    r.Axis->RestoreRange(r.Automatic, r.AutomaticMinimum, r.AutomaticMaximum, r.Minimum, r.Maximum);
  }
  savedRanges_.clear();
}

void TCustomChart::UndoZoom()
{
  if (!rangesFree_) {
    RestoreAxesRanges();
    rangesFree_ = true;
  }
  TCustomAxisPanel::UndoZoom();
}

// ---- Zoom ----
bool TCustomChart::IsZooming() const { return Zoom()->Active; }

void TCustomChart::ZoomToRanges(double leftMin, double leftMax, double rightMin, double rightMax, double topMin,
                                double topMax, double bottomMin, double bottomMax)
{
  if (OnBeforeZoom) {
    CancelZoom = false;
    OnBeforeZoom(this);
    if (CancelZoom) return;
  }
  if (rangesFree_) {
    SaveAxesRanges();
    rangesFree_ = false;
  }
  struct Target {
    TChartAxis* axis;
    double mn, mx;
  };
  const Target targets[] = {{GetLeftAxis(), leftMin, leftMax},
                            {GetRightAxis(), rightMin, rightMax},
                            {GetTopAxis(), topMin, topMax},
                            {GetBottomAxis(), bottomMin, bottomMax}};
  if (Zoom()->Animated) {
    // A third of the way a step: past a hundred steps the ranges stand still.
    constexpr int32_t maxAnimatedSteps = 100;
    const int32_t steps = std::min(Zoom()->AnimatedSteps, maxAnimatedSteps);
    for (int32_t step = 1; step < steps; ++step) {
      for (const Target& t : targets) {
        const double mn = t.axis->GetMinimum(), mx = t.axis->GetMaximum();
        t.axis->SetMinMax(mn + (t.mn - mn) / 3.0, mx + (t.mx - mx) / 3.0);
      }
      Repaint();
    }
  }
  for (const Target& t : targets) t.axis->SetMinMax(t.mn, t.mx);
  Zoomed = true;
  if (OnZoom) OnZoom(this);
}

void TCustomChart::ZoomRect(const TRect& rect)
{
  TChartAxis* l = GetLeftAxis();
  TChartAxis* r = GetRightAxis();
  TChartAxis* t = GetTopAxis();
  TChartAxis* b = GetBottomAxis();
  // Vertical axes: the lower pixel is the higher value unless inverted; SetMinMax orders the ends.
  ZoomToRanges(l->PositionToValue(rect.Bottom), l->PositionToValue(rect.Top), r->PositionToValue(rect.Bottom),
               r->PositionToValue(rect.Top), t->PositionToValue(rect.Left), t->PositionToValue(rect.Right),
               b->PositionToValue(rect.Left), b->PositionToValue(rect.Right));
}

// ---- Scroll ----
void TCustomChart::ScrollAxis(TChartAxis* axis, double oldValue, double newValue)
{
  double newMin, newMax;
  if (axis->GetLogarithmic()) {
    // The shift of the logarithms; in any base the limits come out the same as in base e.
    if (!(oldValue > 0) || !(newValue > 0) || !(axis->GetMinimum() > 0) || !(axis->GetMaximum() > 0)) return;
    const double delta = std::log(oldValue) - std::log(newValue);
    newMin = std::exp(std::log(axis->GetMinimum()) + delta);
    newMax = std::exp(std::log(axis->GetMaximum()) + delta);
  } else {
    const double delta = oldValue - newValue;
    newMin = axis->GetMinimum() + delta;
    newMax = axis->GetMaximum() + delta;
  }
  if (!std::isfinite(newMin) || !std::isfinite(newMax)) return;
  bool allow = true;
  if (OnAllowScroll) OnAllowScroll(axis, newMin, newMax, allow);
  if (allow && std::isfinite(newMin) && std::isfinite(newMax)) axis->SetMinMax(newMin, newMax);
}

void TCustomChart::ScrollAxes(bool horizontal, int32_t oldPos, int32_t newPos)
{
  for (int32_t i = 0; i < AxesList()->Count(); ++i) {
    TChartAxis* axis = AxesList()->GetAxis(i);
    if (axis->IsDepthAxis || axis->GetHorizontal() != horizontal) continue;
    ScrollAxis(axis, axis->PositionToValue(oldPos), axis->PositionToValue(newPos));
  }
}

bool TCustomChart::StartZoomOrScroll(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (!ActiveSeriesUseAxis()) return false;
  bool started = false;
  TNuvZoom* zoom = Zoom();
  if (zoom->Allow && button == zoom->MouseButton && HasAll(shift, zoom->KeyShift)) {
    zoom->Activate(x, y);
    if (zoom->Direction == tzdVertical) {
      zoom->X0 = ChartRect.Left;
      zoom->X1 = ChartRect.Right;
    } else if (zoom->Direction == tzdHorizontal) {
      zoom->Y0 = ChartRect.Top;
      zoom->Y1 = ChartRect.Bottom;
    }
    started = true;
  } else if (AllowPanning != pmNone && button == scrollMouseButton_ && HasAll(shift, PanningKeyShift)) {
    ZoomPanning()->Activate(x, y);
    scrolling_ = true;
    started = true;
  }
  if (started) SetCursor(OldCursor);
  return started;
}

bool TCustomChart::RunClickEvent(const std::function<void()>& event)
{
  CancelMouse = true;
  event();
  return CancelMouse;
}

// ---- Input ----
void TCustomChart::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomAxisPanel::MouseDown(button, shift, x, y);
  if (CancelMouse || Zoom()->Active || scrolling_) return;
  CancelMouse = false;
  ToolsMouseEvent(cmeDown, button, shift, x, y);
  MenuMode = (shift & ssShift) && (shift & ssRight);
  if (!CancelMouse) {
    TChartClickedPart part;
    CalcClickedPart(TPoint{x, y}, part);
    bool handled = false;
    switch (part.Part) {
      case cpLegend:
        if ((shift & ssShift) && (shift & ssLeft)) {
          for (int32_t i = 0; i < SeriesCount(); ++i)
            if (GetSeries(i)->GetShowInLegend()) GetSeries(i)->SetActive(!GetSeries(i)->GetActive());
        }
        if (MenuMode) {
          TChartMenus::Of(this)->PopupLegendMenu();
        } else if (button == mbLeft) {
          handled = legend_->LegendClicked(x, y, part.PointIndex);
        } else if (button == mbRight && part.PointIndex >= 0) {
          TChartSeries* s = legend_->ItemSeries(part.PointIndex);
          if (s && ChartEditorServices().EditSeries) ChartEditorServices().EditSeries(s);
        }
        if (OnClickLegend) handled = RunClickEvent([&] { OnClickLegend(this, button, shift, x, y); });
        break;
      case cpSeries: {
        TChartSeries* s = part.ASeries;
        if ((shift & ssDouble) && s->OnDblClick) s->OnDblClick(s, part.PointIndex, button, shift, x, y);
        else if (s->OnClick) s->OnClick(s, part.PointIndex, button, shift, x, y);
        if (MenuMode) {
          ClickedSeries = s;
          TChartMenus::Of(this)->PopupSeriesMenu(s);
        }
        if (OnClickSeries)
          handled = RunClickEvent([&] { OnClickSeries(this, s, part.PointIndex, button, shift, x, y); });
        // The menu took the button's release: a scroll started now would never end.
        if (!handled && !MenuMode) handled = StartZoomOrScroll(button, shift, x, y);
        break;
      }
      case cpAxis:
        if (MenuMode) {
          ClickedAxis = part.AAxis;
          TChartMenus::Of(this)->PopupAxisMenu(part.AAxis);
        }
        if (OnClickAxis) handled = RunClickEvent([&] { OnClickAxis(this, part.AAxis, button, shift, x, y); });
        if (!handled && !MenuMode) handled = StartZoomOrScroll(button, shift, x, y);
        break;
      case cpTitle:
      case cpSubTitle:
      case cpFoot:
      case cpSubFoot: {
        TChartTitle* t = part.Part == cpTitle      ? title_.get()
                         : part.Part == cpSubTitle ? subTitle_.get()
                         : part.Part == cpFoot     ? static_cast<TChartTitle*>(foot_.get())
                                                   : static_cast<TChartTitle*>(subFoot_.get());
        if (OnClickTitle) handled = RunClickEvent([&] { OnClickTitle(this, t, button, shift, x, y); });
        if (!handled) handled = StartZoomOrScroll(button, shift, x, y);
        break;
      }
      case cpChartRect:
        if (OnClickBackground) handled = RunClickEvent([&] { OnClickBackground(this, button, shift, x, y); });
        if (!handled) handled = StartZoomOrScroll(button, shift, x, y);
        break;
      case cpSeriesMarks:
      case cpNone: break;
    }
    if (!handled && OnClickBackground) RunClickEvent([&] { OnClickBackground(this, button, shift, x, y); });
  }
  CancelMouse = false;
}

void TCustomChart::CalcClickedPart(TPoint point, TChartClickedPart& part)
{
  part = TChartClickedPart{};
  const int32_t x = point.x, y = point.y;
  auto legendHit = [&]() {
    const int32_t index = legend_->Clicked(x, y);
    if (index == -1) return false;
    part.Part = cpLegend;
    part.PointIndex = index;
    return true;
  };
  // 1. A legend at its own position.
  if (legend_->GetVisible() && legend_->GetCustomPosition() && legendHit()) return;
  // 2. Series from the last.
  for (int32_t i = SeriesCount() - 1; i >= 0; --i) {
    TChartSeries* s = GetSeries(i);
    if (!s->GetActive()) continue;
    if (!MenuMode && !s->OnClick && !s->OnDblClick && !OnClickSeries) continue;
    const int32_t index = s->Clicked(x, y);
    if (index != -1) {
      part.Part = cpSeries;
      part.PointIndex = index;
      part.ASeries = s;
      return;
    }
    if (s->GetMarks()->GetVisible()) {
      const int32_t mark = s->GetMarks()->Clicked(x, y);
      if (mark != -1) {
        part.Part = cpSeriesMarks;
        part.PointIndex = mark;
        part.ASeries = s;
        return;
      }
    }
  }
  // 3. Axes.
  for (int32_t i = 0; i < AxesList()->Count(); ++i) {
    TChartAxis* axis = AxesList()->GetAxis(i);
    if (axis->HitTest(x, y)) {
      part.Part = cpAxis;
      part.AAxis = axis;
      return;
    }
  }
  // 4. The legend at its place.
  if (legend_->GetVisible() && !legend_->GetCustomPosition() && legendHit()) return;
  // 5. Titles.
  const std::pair<TChartTitle*, TChartClickedPartStyle> titles[] = {
      {title_.get(), cpTitle}, {subTitle_.get(), cpSubTitle}, {foot_.get(), cpFoot}, {subFoot_.get(), cpSubFoot}};
  for (const auto& [t, kind] : titles) {
    if (t->Clicked(x, y)) {
      part.Part = kind;
      return;
    }
  }
  // 6. The chart rectangle.
  if (PointInRect(ChartRect, point) && CountActiveSeries() > 0) part.Part = cpChartRect;
}

void TCustomChart::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
  if (!Designing()) {
    CancelMouse = false;
    ToolsMouseEvent(cmeMove, mbLeft, shift, x, y);
  }
  if (!CancelMouse) {
    TNuvZoom* zoom = Zoom();
    if (zoom->Active) {
      const int32_t nx = zoom->Direction == tzdVertical ? ChartRect.Right : x;
      const int32_t ny = zoom->Direction == tzdHorizontal ? ChartRect.Bottom : y;
      if (nx != zoom->X1 || ny != zoom->Y1) {
        DrawZoomRectangle();
        zoom->X1 = nx;
        zoom->Y1 = ny;
        DrawZoomRectangle();
      }
    } else if (scrolling_) {
      TZoomPanning* pan = ZoomPanning();
      if (PointInRect(ChartRect, TPoint{x, y})) {
        if (x != pan->X0 || y != pan->Y0) {
          if (rangesFree_) {
            SaveAxesRanges();
            rangesFree_ = false;
          }
          const bool horiz = AllowPanning == pmHorizontal || AllowPanning == pmBoth;
          const bool vert = AllowPanning == pmVertical || AllowPanning == pmBoth;
          if (horiz && x != pan->X0) ScrollAxes(true, pan->X0, x);
          if (vert && y != pan->Y0) ScrollAxes(false, pan->Y0, y);
          pan->X0 = x;
          pan->Y0 = y;
          if (OnScroll) OnScroll(this);
          Invalidate();
        }
      } else {
        scrolling_ = false;
        pan->Active = false;
      }
    } else if (!CheckMouseSeries(x, y)) {
      SetCursor(OldCursor);
    }
  }
  TCustomAxisPanel::MouseMove(shift, x, y);
}

void TCustomChart::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomAxisPanel::MouseUp(button, shift, x, y);
  // Tools hear the release: a drag of theirs ends with it.
  if (!Designing()) {
    CancelMouse = false;
    ToolsMouseEvent(cmeUp, button, shift, x, y);
    CancelMouse = false;
  }
  if (scrolling_ && button == scrollMouseButton_) {
    scrolling_ = false;
    ZoomPanning()->Active = false;
  }
  TNuvZoom* zoom = Zoom();
  if (!zoom->Active || button != zoom->MouseButton) return;
  // Remove the rubber band, then end the zoom.
  DrawZoomRectangle();
  zoom->Active = false;
  if (zoom->Direction != tzdVertical) zoom->X1 = x;
  if (zoom->Direction != tzdHorizontal) zoom->Y1 = y;
  const bool zoomsX = zoom->Direction != tzdVertical;
  const bool zoomsY = zoom->Direction != tzdHorizontal;
  if ((zoomsX && std::abs(zoom->X1 - zoom->X0) <= zoom->MinimumPixels) ||
      (zoomsY && std::abs(zoom->Y1 - zoom->Y0) <= zoom->MinimumPixels))
    return;
  if (!zoom->UpLeftZooms) {
    const bool backwards = zoom->Direction == tzdVertical ? zoom->Y1 <= zoom->Y0 : zoom->X1 <= zoom->X0;
    if (backwards) {
      UndoZoom();
      return;
    }
  }
  TRect r{zoom->X0, zoom->Y0, zoom->X1, zoom->Y1};
  if (r.Left > r.Right) std::swap(r.Left, r.Right);
  if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
  ZoomRect(r);
}

bool TCustomChart::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos)
{
  const bool handled = TCustomAxisPanel::DoMouseWheel(shift, wheelDelta, mousePos);
  if (NuvChartUseMouseWheel && wheelDelta != 0) {
    for (int32_t i = 0; i < AxesList()->Count(); ++i) {
      TChartAxis* axis = AxesList()->GetAxis(i);
      if (axis->GetHorizontal() || axis->IsDepthAxis) continue;
      if (axis->GetLogarithmic() && !axis->SymmetricLog) {
        // On the logarithms, as a logarithmic axis pans: the range stays positive.
        const double mn = axis->GetMinimum(), mx = axis->GetMaximum();
        if (!(mn > 0) || !(mx > 0)) continue;
        const double amount = (std::log(mx) - std::log(mn)) * 3.0 * 0.01;
        const double shift = wheelDelta < 0 ? amount : -amount;
        const double newMin = std::exp(std::log(mn) + shift), newMax = std::exp(std::log(mx) + shift);
        if (newMin > 0 && std::isfinite(newMax)) axis->SetMinMax(newMin, newMax);
        continue;
      }
      const double amount = (axis->GetMaximum() - axis->GetMinimum()) * 3.0 * 0.01;
      axis->Scroll(wheelDelta < 0 ? amount : -amount, false);
    }
    return true;
  }
  return handled;
}
