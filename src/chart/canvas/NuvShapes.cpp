#include "chart/canvas/NuvShapes.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "chart/canvas/NvCanvasBlend.h"

// ---- Brush and pen base ----
TNuvCustomShapeBrushPen::TNuvCustomShapeBrushPen(TCustomNuvPanel* chart) : parentChart_(chart)
{
  brush_ = std::make_unique<TChartBrush>(ChangeHandler());
  pen_ = std::make_unique<TChartPen>(ChangeHandler());
}

TNuvCustomShapeBrushPen::~TNuvCustomShapeBrushPen() = default;

TNotifyEvent TNuvCustomShapeBrushPen::ChangeHandler()
{
  return [this](TObject* sender) { CanvasChanged(sender); };
}

void TNuvCustomShapeBrushPen::ReplaceBrush(std::unique_ptr<TChartBrush> brush)
{
  if (!brush) return;
  brush->OnChange = ChangeHandler();
  brush_ = std::move(brush);
}

void TNuvCustomShapeBrushPen::DestroyBrushPen()
{
  brush_.reset();
  pen_.reset();
}

void TNuvCustomShapeBrushPen::Assign(const TPersistent* source)
{
  auto* s = dynamic_cast<const TNuvCustomShapeBrushPen*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  brush_->Assign(s->brush_.get());
  pen_->Assign(s->pen_.get());
  visible_ = s->visible_;
}

void TNuvCustomShapeBrushPen::SetVisible(bool v)
{
  if (parentChart_) parentChart_->SetBooleanProperty(visible_, v);
  else visible_ = v;
}

void TNuvCustomShapeBrushPen::Repaint()
{
  if (parentChart_) parentChart_->Invalidate();
}

void TNuvCustomShapeBrushPen::CanvasChanged(TObject* sender)
{
  (void)sender;
  Repaint();
}

// ---- Framed shape ----
TNuvCustomShape::TNuvCustomShape(TCustomNuvPanel* chart) : TNuvCustomShapeBrushPen(chart)
{
  font_ = std::make_unique<TNuvFont>(ChangeHandler());
  shadow_ = std::make_unique<TNuvShadow>(ChangeHandler());
  InitShadow(shadow_.get());
}

TNuvCustomShape::~TNuvCustomShape()
{
  font_.reset();
  shadow_.reset();
  gradient_.reset();
  DestroyBrushPen();
}

std::unique_ptr<TNuvGradient> TNuvCustomShape::CreateGradient(TNotifyEvent onChange)
{
  return std::make_unique<TNuvGradient>(std::move(onChange));
}

void TNuvCustomShape::InitShadow(TNuvShadow* shadow)
{
  shadow->SetColor(clBlack);
  shadow->SetSize(3);
  shadow->SetDefaultColor(clBlack);
  shadow->SetDefaultSize(3);
}

void TNuvCustomShape::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TNuvCustomShape*>(source)) {
    bevel_ = s->bevel_;
    bevelWidth_ = s->bevelWidth_;
    color_ = s->color_;
    font_->Assign(s->font_.get());
    SetGradient(s->gradient_.get());
    shapeStyle_ = s->shapeStyle_;
    shadow_->Assign(s->shadow_.get());
    textFormat_ = s->textFormat_;
    transparent_ = s->transparent_;
    transparency_ = s->transparency_;
  }
  TNuvCustomShapeBrushPen::Assign(source);
}

void TNuvCustomShape::SetBevel(TBevelCut v) { if (Store(bevel_, v)) Repaint(); }

void TNuvCustomShape::SetBevelWidth(TBevelWidth v) { if (Store(bevelWidth_, v)) Repaint(); }

void TNuvCustomShape::SetShapeStyle(TChartObjectShapeStyle v) { if (Store(shapeStyle_, v)) Repaint(); }

void TNuvCustomShape::SetTextFormat(TTextFormat v) { if (Store(textFormat_, v)) Repaint(); }

void TNuvCustomShape::SetTransparency(TNuvTransparency v) { if (Store(transparency_, v)) Repaint(); }

void TNuvCustomShape::SetColor(TColor v)
{
  if (parentChart_) parentChart_->SetColorProperty(color_, v);
  else color_ = v;
}

void TNuvCustomShape::SetTransparent(bool v)
{
  if (parentChart_) parentChart_->SetBooleanProperty(transparent_, v);
  else transparent_ = v;
}

TNuvGradient* TNuvCustomShape::GetGradient()
{
  if (!gradient_) gradient_ = CreateGradient(ChangeHandler());
  return gradient_.get();
}

void TNuvCustomShape::SetGradient(const TNuvGradient* v)
{
  if (!v) {
    gradient_.reset();
    Repaint();
  } else {
    GetGradient()->Assign(v);
  }
}

TFourPoints TNuvCustomShape::RotatedCorners(const TRect& r, int32_t angle)
{
  const int32_t cx = static_cast<int32_t>((static_cast<int64_t>(r.Left) + r.Right) / 2);
  const int32_t cy = static_cast<int32_t>((static_cast<int64_t>(r.Top) + r.Bottom) / 2);
  const double a = angle * M_PI / 180.0;
  const double s = std::sin(a), c = std::cos(a);
  const TPoint corners[4] = {Point(r.Left, r.Top), Point(r.Right, r.Top), Point(r.Right, r.Bottom),
                             Point(r.Left, r.Bottom)};
  TFourPoints out;
  for (int i = 0; i < 4; ++i) {
    const double dx = static_cast<double>(corners[i].x) - cx, dy = static_cast<double>(corners[i].y) - cy;
    out[i] = Point(AddChecked(cx, Round32(dx * c + dy * s)), AddChecked(cy, Round32(-dx * s + dy * c)));
  }
  return out;
}

// Step 4 of the drawing: the box outline (and fill, with the brush selected).
void TNuvCustomShape::DrawBox(TCanvas3D* c, const TRect& rect, int32_t angle, int32_t z, const TFourPoints& corners)
{
  if (angle < 1) {
    if (c->SupportsFullRotation()) c->RectangleWithZ(rect, z);
    else if (shapeStyle_ == fosRectangle) c->Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom);
    else c->RoundRect(rect.Left, rect.Top, rect.Right, rect.Bottom, 16, 16);
  } else {
    c->Polygon(std::span<const TPoint>(corners.data(), corners.size()));
  }
}

void TNuvCustomShape::DrawRectRotated(const TRect& rect, int32_t angle, int32_t z)
{
  if (transparent_ || !parentChart_) return;
  TCanvas3D* c = parentChart_->Canvas();
  const TFourPoints corners = angle != 0 ? RotatedCorners(rect, angle) : TFourPoints{};
  // The shape's own blending, ended on every way out (the OpenGL canvas returns no blend object).
  struct TBlending {
    TCanvas3D* canvas = nullptr;
    TNuvBlend* blend = nullptr;
    bool active = false;
    void End()
    {
      if (!active) return;
      active = false;
      canvas->EndBlending(std::exchange(blend, nullptr));
    }
    ~TBlending()
    {
      try {
        End();
      } catch (...) {
      }
    }
  } blending;
  if (transparency_ > 0) {
    TRect br = rect;
    if (angle != 0) PolygonBounds(std::span<const TPoint>(corners.data(), corners.size()), 4, br);
    blending.canvas = c;
    blending.blend = c->BeginBlending(br, transparency_);
    blending.active = true;
  }
  // Shadow.
  if (shadow_ && shadow_->GetSize() != 0 && brush_->GetStyle() != bsClear) {
    if (angle == 0 && shapeStyle_ == fosRectangle) {
      const bool flat = !c->SupportsFullRotation();
      if (flat) c->FrontPlaneBegin();
      shadow_->DrawRect(c, rect, z);
      if (flat) c->FrontPlaneEnd();
    }
    if (transparency_ > 0) {
      int32_t dx = shadow_->GetHorizSize(), dy = shadow_->GetVertSize();
      if (std::max(dx, dy) > 0 && pen_->GetVisible()) {
        dx += pen_->GetWidth();
        dy += pen_->GetWidth();
      }
      c->Pen()->SetStyle(psClear);
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(shadow_->GetColor());
      TRect box = rect;
      OffsetRect(box, dx, dy);
      TFourPoints boxCorners = corners;
      for (TPoint& p : boxCorners) {
        p.x += dx;
        p.y += dy;
      }
      // The shadow's own transparency, mixed on its own so the shape's blending is left alone.
      std::unique_ptr<TNuvBlend> shadowBlend;
      if (shadow_->GetTransparency() > 0 && !c->GetMetafiling()) {
        TRect sb = box;
        if (angle != 0) PolygonBounds(std::span<const TPoint>(boxCorners.data(), boxCorners.size()), 4, sb);
        shadowBlend = std::make_unique<TNuvBlend>(c, sb);
      }
      DrawBox(c, box, angle, z, boxCorners);
      if (shadowBlend) shadowBlend->DoBlend(shadow_->GetTransparency());
    }
  }
  // Fill.
  if (!gradient_ || !gradient_->GetVisible()) {
    c->AssignBrush(brush_.get(), color_);
  } else {
    if (angle < 1) {
      if (c->SupportsFullRotation()) c->SetFlatFillDepth(z);
      gradient_->Draw(c, rect, shapeStyle_ == fosRoundRectangle ? 16 : 0);
      if (c->SupportsFullRotation()) c->SetFlatFillDepth(0);
    } else if (c->SupportsFullRotation()) {
      gradient_->DrawPolygonWithZ(c, corners, z);
    } else {
      gradient_->DrawPolygon(c, corners);
    }
    c->Brush()->SetStyle(bsClear);
  }
  // Frame.
  c->AssignVisiblePen(pen_.get());
  DrawBox(c, rect, angle, z, corners);
  if (angle == 0) {
    TRect r = rect;
    PaintBevel(c, bevel_, r, 0, bevelWidth_);
  }
  blending.End();
}
