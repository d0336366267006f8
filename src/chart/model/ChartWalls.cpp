#include "chart/model/ChartWalls.h"

#include "chart/model/NvEngineAxis.h"

#include <algorithm>

#include "chart/canvas/NvCanvasBlend.h"
#include "chart/model/Chart.h"

// ---- Wall ----
TCustomChartWall::TCustomChartWall(TCustomChart* chart) : TNuvCustomShape(chart), chart_(chart)
{
  SetWallColor(clDefault);
}

void TCustomChartWall::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TCustomChartWall*>(source)) {
    autoHide_ = s->autoHide_;
    dark3D_ = s->dark3D_;
    size_ = s->size_;
  }
  TNuvCustomShape::Assign(source);
}

void TCustomChartWall::SetAutoHide(bool v)
{
  if (Store(autoHide_, v)) Repaint();
}

void TCustomChartWall::SetDark3D(bool v)
{
  if (Store(dark3D_, v)) Repaint();
}

void TCustomChartWall::SetSize(int32_t v)
{
  // Held to the pixel limit: the chart adds wall sizes to its rectangle and depth.
  v = std::clamp(v, -PixelLimit, PixelLimit);
  if (Store(size_, v)) Repaint();
}

void TCustomChartWall::SetWallColor(TColor v)
{
  SetColor(v);
  defaultColor_ = v;
}

bool TCustomChartWall::ApplyDark3D() const
{
  const TChartBrush* b = GetBrush();
  const bool picture = b->HasImage() && const_cast<TChartBrush*>(b)->GetImage()->GetGraphic() &&
                       !const_cast<TChartBrush*>(b)->GetImage()->GetGraphic()->Empty();
  return b->GetStyle() != bsClear && !picture && dark3D_;
}

bool TCustomChartWall::HasVisibleGradient() const
{
  return HasGradient() && const_cast<TCustomChartWall*>(this)->GetGradient()->GetVisible();
}

bool TCustomChartWall::ShouldDrawInFront() const
{
  return chart_ && chart_->GetView3DWalls() && GetVisible() && !autoHide_;
}

void TCustomChartWall::PrepareCanvas()
{
  TCanvas3D* c = chart_->Canvas();
  c->AssignVisiblePen(GetPen());
  if (!GetTransparent()) chart_->SetBrushCanvas(GetColor(), GetBrush(), chart_->GetBackColor());
  else c->Brush()->SetStyle(bsClear);
}

TChartBackWall::TChartBackWall(TCustomChart* chart) : TChartWall(chart)
{
  SetWallColor(clSilver);
  SetDefaultTransparent(true);
}

TChartRightWall::TChartRightWall(TCustomChart* chart) : TChartWall(chart)
{
  SetWallColor(clSilver);
  visible_ = false;
}

// ---- Walls ----
TChartWalls::TChartWalls(TCustomChart* chart) : chart_(chart)
{
  back_ = std::make_unique<TChartBackWall>(chart);
  bottom_ = std::make_unique<TChartWall>(chart);
  bottom_->SetWallColor(clWhite);
  left_ = std::make_unique<TChartWall>(chart);
  left_->SetWallColor(0x80FFFF);
  right_ = std::make_unique<TChartRightWall>(chart);
}

TChartWalls::~TChartWalls() = default;

void TChartWalls::Assign(const TPersistent* source)
{
  auto* s = dynamic_cast<const TChartWalls*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  back_->Assign(s->back_.get());
  bottom_->Assign(s->bottom_.get());
  left_->Assign(s->left_.get());
  right_->Assign(s->right_.get());
}

bool TChartWalls::GetView3D() const { return chart_->GetView3DWalls(); }

void TChartWalls::SetView3D(bool v) { chart_->SetView3DWalls(v); }

void TChartWalls::SetSize(int32_t v)
{
  left_->SetSize(v);
  right_->SetSize(v);
  back_->SetSize(v);
  bottom_->SetSize(v);
}

namespace {

TRect PointsBounds(const TFourPoints& p)
{
  TRect r{p[0].x, p[0].y, p[0].x, p[0].y};
  for (const TPoint& q : p) {
    r.Left = std::min(r.Left, q.x);
    r.Top = std::min(r.Top, q.y);
    r.Right = std::max(r.Right, q.x);
    r.Bottom = std::max(r.Bottom, q.y);
  }
  return r;
}

}  // namespace

template <class DrawFn>
void TChartWalls::DrawWall(TCustomChartWall* wall, const TFourPoints& plane, DrawFn draw)
{
  TCanvas3D* c = chart_->Canvas();
  TNuvBlend* blend = nullptr;
  if (!wall->GetTransparent() && wall->GetTransparency() > 0)
    blend = c->BeginBlending(PointsBounds(plane), wall->GetTransparency());
  wall->PrepareCanvas();
  if (wall->HasVisibleGradient()) {
    wall->GetGradient()->DrawPolygon(c, plane);
    c->Brush()->SetStyle(bsClear);
  }
  draw(c);
  if (blend) c->EndBlending(blend);
}

void TChartWalls::DrawLeft()
{
  TCanvas3D* c = chart_->Canvas();
  const TRect& r = chart_->ChartRect;
  const int32_t w = chart_->Width3D;
  const int32_t bottom = r.Bottom + bottom_->GetSize();
  const int32_t s = left_->GetSize();
  const TFourPoints plane{c->Calculate3DPosition(r.Left, r.Top, 0), c->Calculate3DPosition(r.Left, r.Top, w),
                          c->Calculate3DPosition(r.Left, bottom, w), c->Calculate3DPosition(r.Left, bottom, 0)};
  DrawWall(left_.get(), plane, [&](TCanvas3D* cv) {
    if (s < 1) cv->RectangleZ(r.Left, r.Top, bottom, 0, w);
    else cv->Cube(r.Left - s, r.Left, r.Top, bottom, 0, w, left_->ApplyDark3D());
  });
}

void TChartWalls::DrawRight()
{
  TCanvas3D* c = chart_->Canvas();
  const TRect& r = chart_->ChartRect;
  const int32_t w = chart_->Width3D;
  const int32_t bottom = r.Bottom + bottom_->GetSize();
  const int32_t s = right_->GetSize();
  const TFourPoints plane{c->Calculate3DPosition(r.Right, r.Top, 0), c->Calculate3DPosition(r.Right, r.Top, w + 1),
                          c->Calculate3DPosition(r.Right, bottom, w + 1), c->Calculate3DPosition(r.Right, bottom, 0)};
  DrawWall(right_.get(), plane, [&](TCanvas3D* cv) {
    if (s < 1) {
      cv->RectangleZ(r.Right, r.Top, bottom, 0, w + 1);
    } else {
      const int32_t depth = w + (back_->GetVisible() ? back_->GetSize() : 0);
      cv->Cube(r.Right, r.Right + s, r.Top, bottom, 0, depth, right_->ApplyDark3D());
    }
  });
}

void TChartWalls::DrawBottom()
{
  TCanvas3D* c = chart_->Canvas();
  const TRect& r = chart_->ChartRect;
  const int32_t w = chart_->Width3D;
  const int32_t s = bottom_->GetSize();
  int32_t left = r.Left;
  if (left_->GetVisible() && left_->GetAutoHide() && chart_->IsLeftSideFacing()) left -= left_->GetSize();
  const int32_t y = r.Bottom + (c->SupportsFullRotation() ? 1 : 0);
  const TFourPoints plane{c->Calculate3DPosition(left, y, 0), c->Calculate3DPosition(left, y, w),
                          c->Calculate3DPosition(r.Right, y, w), c->Calculate3DPosition(r.Right, y, 0)};
  DrawWall(bottom_.get(), plane, [&](TCanvas3D* cv) {
    if (s < 1) cv->RectangleY(left, y, r.Right, 0, w);
    else cv->Cube(left, r.Right, r.Bottom, r.Bottom + s, 0, w, bottom_->ApplyDark3D());
  });
}

void TChartWalls::DrawBack()
{
  TCanvas3D* c = chart_->Canvas();
  const TRect& r = chart_->ChartRect;
  if (!chart_->GetView3D()) {
    // Flat: the chart rectangle, one pixel wider and taller, filled and framed.
    TRect box{r.Left, r.Top, r.Right + 1, r.Bottom + 1};
    TNuvBlend* blend = nullptr;
    if (!back_->GetTransparent() && back_->GetTransparency() > 0)
      blend = c->BeginBlending(box, back_->GetTransparency());
    back_->PrepareCanvas();
    if (back_->HasVisibleGradient() && !back_->GetTransparent()) {
      back_->GetGradient()->Draw(c, box);
      c->Brush()->SetStyle(bsClear);
    }
    c->RectangleRect(box);
    if (blend) c->EndBlending(blend);
  } else {
    if (!chart_->GetView3DWalls()) return;
    const int32_t w = chart_->Width3D;
    int32_t s = back_->GetSize();
    const TFourPoints plane = c->RectCorners3D(r, w);
    DrawWall(back_.get(), plane, [&](TCanvas3D* cv) {
      if (s < 1) {
        cv->RectangleWithZ(r, w);
      } else {
        if (w < 0) s = -s;
        const int32_t leftSize = left_->GetVisible() ? left_->GetSize() : 0;
        const int32_t bottomSize = bottom_->GetVisible() ? bottom_->GetSize() : 0;
        cv->Cube(r.Left - leftSize, r.Right, r.Top, r.Bottom + bottomSize, w, w + s, back_->ApplyDark3D());
      }
    });
  }
  // The back image inside the chart rectangle.
  if (chart_->HasBackImage() && chart_->GetBackImageInside()) {
    TRect inner = r;
    if (back_->GetPen()->GetVisible()) {
      ++inner.Left;
      ++inner.Top;
    }
    chart_->DrawBackImage(inner, chart_->Width3D);
  }
}
