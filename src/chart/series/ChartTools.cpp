#include "chart/series/ChartTools.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/series/LegendScrollBar.h"
#include "chart/series/SeriesFormat.h"

// ---- Rotate tool ----

TRotateTool::TRotateTool(TComponent* owner) : TNuvCustomTool(owner)
{
  NuvSeriesStartup();
  GetPen()->SetColor(clWhite);
  GetPen()->SetMode(pmXor);
}

std::string TRotateTool::GetDescription() const { return "Rotate"; }

void TRotateTool::ChartEvent(TChartToolEvent kind)
{
  if (kind == cteAfterDraw && dragging_) DrawOutline();
}

void TRotateTool::DrawOutline()
{
  TCustomAxisPanel* chart = GetParentChart();
  TCanvas3D* canvas = chart ? chart->Canvas() : nullptr;
  if (!canvas || !GetPen()->GetVisible() || !chart->GetView3D()) return;
  const TRect r = chart->ChartRect;
  const int32_t depth = chart->Width3D;
  canvas->AssignVisiblePen(GetPen());
  canvas->Brush()->SetStyle(bsClear);
  canvas->MoveTo3D(r.Left, r.Top, 0);
  canvas->LineTo3D(r.Right, r.Top, 0);
  canvas->LineTo3D(r.Right, r.Bottom, 0);
  canvas->LineTo3D(r.Left, r.Bottom, 0);
  canvas->LineTo3D(r.Left, r.Top, 0);
  canvas->MoveTo3D(r.Left, r.Top, depth);
  canvas->LineTo3D(r.Right, r.Top, depth);
  canvas->LineTo3D(r.Right, r.Bottom, depth);
  canvas->LineTo3D(r.Left, r.Bottom, depth);
  canvas->LineTo3D(r.Left, r.Top, depth);
  const TPoint corners[] = {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}};
  for (const TPoint& p : corners) {
    canvas->MoveTo3D(p.x, p.y, 0);
    canvas->LineTo3D(p.x, p.y, depth);
  }
  // Later drawing on this canvas copies again.
  TChartPen copy;
  copy.Assign(GetPen());
  copy.SetMode(pmCopy);
  canvas->AssignVisiblePen(&copy);
}

void TRotateTool::DragAngles(double rotation, double elevation, int32_t dx, int32_t dy, int32_t width, int32_t height,
                             bool inverted, double& newRotation, double& newElevation)
{
  const double sign = inverted ? -1.0 : 1.0;
  auto wrap = [](double a) {
    a = std::fmod(a, 360.0);
    if (a < 0) a += 360.0;
    return a >= 360.0 ? 0.0 : a;
  };
  newRotation = wrap(rotation - sign * 360.0 * dx / std::max(1, width));
  newElevation = wrap(elevation + sign * 360.0 * dy / std::max(1, height));
}

void TRotateTool::ChartMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart || !GetActive()) {
    dragging_ = false;
    return;
  }
  TView3DOptions* view = chart->GetView3DOptions();
  switch (kind) {
    case cmeDown:
      if (button == button_ && chart->GetView3D() && PtInRect(chart->ChartRect, TPoint{x, y})) {
        dragging_ = true;
        startX_ = x;
        startY_ = y;
        startRotation_ = view->GetRotationFloat();
        startElevation_ = view->GetElevationFloat();
        chart->CancelMouse = true;
      }
      break;
    case cmeMove:
      // A move without the tool's button held: its release was lost (outside the window).
      if (dragging_ && !(shift & (button_ == mbRight ? ssRight : button_ == mbMiddle ? ssMiddle : ssLeft)))
        EndDrag();
      if (dragging_) {
        double r, e;
        DragAngles(startRotation_, startElevation_, x - startX_, y - startY_, chart->ChartWidth, chart->ChartHeight,
                   inverted_, r, e);
        view->SetOrthogonal(false);
        view->SetRotationFloat(r);
        view->SetElevationFloat(e);
        chart->CancelMouse = true;
        if (OnRotate) OnRotate(this);
      }
      break;
    case cmeUp:
      EndDrag();
      break;
  }
}

void TRotateTool::EndDrag()
{
  if (!dragging_) return;
  dragging_ = false;
  // The next paint leaves out the outline the drag drew.
  if (GetPen()->GetVisible()) Repaint();
}

// ---- Image tool ----

TChartImageTool::TChartImageTool(TComponent* owner) : TNuvCustomToolSeries(owner), picture_(std::make_unique<TPicture>())
{
  NuvSeriesStartup();
  picture_->OnChange = [this](TObject*) { Repaint(); };
}

TChartImageTool::~TChartImageTool() = default;

std::string TChartImageTool::GetDescription() const { return "Image"; }

void TChartImageTool::SetPicture(const TPicture* v)
{
  if (v)
    picture_->Assign(v);
  else
    picture_->SetGraphic(nullptr);
  Repaint();
}

void TChartImageTool::SetVertFlip(bool v) { SetBooleanProperty(vertFlip_, v); }

TRect TChartImageTool::CalcPictureRect() const
{
  TChartSeries* s = GetSeries();
  if (!s || !s->GetParentChart() || s->Count() == 0) return TRect{};
  const double lowY = s->MinYValue(), highY = s->MaxYValue();
  TRect r;
  r.Left = s->CalcXPosValue(s->MinXValue());
  r.Right = s->CalcXPosValue(s->MaxXValue());
  r.Top = s->CalcYPosValue(vertFlip_ ? lowY : highY);
  r.Bottom = s->CalcYPosValue(vertFlip_ ? highY : lowY);
  return r;
}

double TChartImageTool::XScreenToValue(int32_t x) const
{
  TChartSeries* s = GetSeries();
  return s && s->GetHorizAxis() ? s->XScreenToValue(x) : 0.0;
}

double TChartImageTool::YScreenToValue(int32_t y) const
{
  TChartSeries* s = GetSeries();
  return s && s->GetVertAxis() ? s->YScreenToValue(y) : 0.0;
}

void TChartImageTool::ChartEvent(TChartToolEvent kind)
{
  if (kind == cteBeforeDrawSeries) DrawPicture();
}

void TChartImageTool::DrawPicture()
{
  TChartSeries* s = GetSeries();
  TCustomAxisPanel* chart = GetParentChart();
  if (!s || !chart || !chart->Canvas()) return;
  pictureRect_ = CalcPictureRect();
  TGraphic* graphic = picture_->GetGraphic();
  if (!graphic || graphic->Empty()) return;
  TRect r = pictureRect_;
  const bool upsideDown = r.Top > r.Bottom;
  const bool mirrored = r.Left > r.Right;
  if (upsideDown) std::swap(r.Top, r.Bottom);
  if (mirrored) std::swap(r.Left, r.Right);
  if (r.Right - r.Left < 1 || r.Bottom - r.Top < 1) return;
  TCanvas3D* canvas = chart->Canvas();
  if (!upsideDown && !mirrored) {
    canvas->StretchDraw(r, graphic);
    return;
  }
  // The turned picture is made at screen size and only for its part inside the chart rectangle:
  // a picture recorded far larger than the screen (or stretched by a deep zoom) is never
  // rasterised at full size.
  TRect vis;
  if (!IntersectRect(vis, r, chart->ChartRect)) return;
  const int32_t w = vis.Width(), h = vis.Height();
  TBitmap turned;
  turned.SetPixelFormat(pf24bit);
  turned.SetSize(w, h);
  // Where the whole picture lies in the bitmap before the turn: the visible part's mirror image.
  const int32_t top = upsideDown ? vis.Top - (r.Top + r.Bottom - vis.Bottom) + r.Top : r.Top;
  const int32_t left = mirrored ? vis.Left - (r.Left + r.Right - vis.Right) + r.Left : r.Left;
  graphic->Draw(turned.Canvas(), TRect{left - vis.Left, top - vis.Top, left - vis.Left + r.Width(), top - vis.Top + r.Height()});
  if (upsideDown)
    for (int32_t y = 0; y < h / 2; ++y) {
      uint8_t* a = turned.ScanLine(y);
      uint8_t* b = turned.ScanLine(h - 1 - y);
      std::swap_ranges(a, a + 3 * w, b);
    }
  if (mirrored)
    for (int32_t y = 0; y < h; ++y) {
      uint8_t* row = turned.ScanLine(y);
      for (int32_t x = 0; x < w / 2; ++x) std::swap_ranges(row + 3 * x, row + 3 * x + 3, row + 3 * (w - 1 - x));
    }
  canvas->StretchDraw(vis, &turned);
}

void RegisterChartTools()
{
  RegisterNuvTools({NuvClassOf<TRotateTool, TNuvCustomTool>(), NuvClassOf<TChartImageTool, TNuvCustomToolSeries>(),
                    NuvClassOf<TLegendScrollBar, TNuvScrollBar>()});
}
