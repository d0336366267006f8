#include "chart/canvas/NvCanvasAttributes.h"

#include <cmath>

// ---- TChartPen ----

TChartPen::TChartPen(TNotifyEvent onChange)
{
  OnChange = std::move(onChange);
}

void TChartPen::Assign(const TPersistent* source)
{
  if (auto p = dynamic_cast<const TChartPen*>(source)) {
    visible_ = p->visible_;
    smallDots_ = p->smallDots_;
    smallSpace_ = p->smallSpace_;
    endStyle_ = p->endStyle_;
  }
  TPen::Assign(source);
}

void TChartPen::SetEndStyle(TPenEndStyle v) { Change(endStyle_, v); }

void TChartPen::SetSmallDots(bool v) { Change(smallDots_, v); }

void TChartPen::SetSmallSpace(int32_t v) { Change(smallSpace_, v); }

void TChartPen::SetVisible(bool v) { Change(visible_, v); }

TChartHiddenPen::TChartHiddenPen(TNotifyEvent onChange) : TChartPen(std::move(onChange))
{
  visible_ = false;
  defaultVisible_ = false;
}

TDottedGrayPen::TDottedGrayPen(TNotifyEvent onChange) : TChartPen()
{
  SetColor(clGray);
  SetStyle(psDot);
  OnChange = std::move(onChange);
}

TDarkGrayPen::TDarkGrayPen(TNotifyEvent onChange) : TChartPen()
{
  SetColor(clGray);
  OnChange = std::move(onChange);
}

TWhitePen::TWhitePen(TNotifyEvent onChange) : TChartPen()
{
  SetColor(clWhite);
  OnChange = std::move(onChange);
}

// ---- TChartBrush ----

TChartBrush::TChartBrush(TNotifyEvent onChange)
{
  SetColor(clDefault);
  OnChange = std::move(onChange);
}

TChartBrush::~TChartBrush() = default;

void TChartBrush::Assign(const TPersistent* source)
{
  if (auto b = dynamic_cast<const TChartBrush*>(source)) {
    SetImage(b->image_.get());
    pattern_ = b->pattern_;
  }
  TBrush::Assign(source);
}

TPicture* TChartBrush::GetImage()
{
  if (!image_) {
    image_ = std::make_unique<TPicture>();
    image_->OnChange = [this](TObject*) { Changed(); };
  }
  return image_.get();
}

void TChartBrush::SetImage(const TPicture* v)
{
  if (v)
    GetImage()->Assign(v);
  else
    image_.reset();
  Changed();
}

void TChartBrush::SetStyleValue(int32_t v)
{
  if (v >= FirstPatternStyle) {
    if (pattern_ != v - FirstPatternStyle) {
      pattern_ = v - FirstPatternStyle;
      Changed();
    }
  } else if (v >= 0) {
    SetStyle(static_cast<TBrushStyle>(v));
  }
}

void TChartBrush::SetStyle(TBrushStyle v)
{
  if (pattern_ >= 0) {
    pattern_ = -1;
    if (GetStyle() == v) Changed();
  }
  TBrush::SetStyle(v);
}

// ---- TView3DOptions ----

TView3DOptions::TView3DOptions(TComponent* panel, std::function<void()> onRepaint)
  : OnRepaint(std::move(onRepaint)), panel_(panel)
{
}

void TView3DOptions::Assign(const TPersistent* source)
{
  auto s = dynamic_cast<const TView3DOptions*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  elevation_ = s->elevation_;
  fontZoom_ = s->fontZoom_;
  horizOffset_ = s->horizOffset_;
  orthoAngle_ = s->orthoAngle_;
  orthogonal_ = s->orthogonal_;
  perspective_ = s->perspective_;
  rotation_ = s->rotation_;
  tilt_ = s->tilt_;
  vertOffset_ = s->vertOffset_;
  zoom_ = s->zoom_;
  zoomText_ = s->zoomText_;
}

void TView3DOptions::Repaint()
{
  if (OnRepaint) OnRepaint();
}

int32_t TView3DOptions::GetElevation() const { return Round32(elevation_); }
int32_t TView3DOptions::GetRotation() const { return Round32(rotation_); }

void TView3DOptions::SetElevationFloat(double v) { if (Store(elevation_, v)) Repaint(); }

void TView3DOptions::SetRotationFloat(double v) { if (Store(rotation_, v)) Repaint(); }

void TView3DOptions::SetFontZoom(int32_t v) { if (Store(fontZoom_, v)) Repaint(); }
void TView3DOptions::SetOrthoAngle(int32_t v) { if (Store(orthoAngle_, v)) Repaint(); }
void TView3DOptions::SetOrthogonal(bool v) { if (Store(orthogonal_, v)) Repaint(); }
void TView3DOptions::SetPerspective(int32_t v) { if (Store(perspective_, v)) Repaint(); }
void TView3DOptions::SetTilt(int32_t v) { if (Store(tilt_, v)) Repaint(); }
void TView3DOptions::SetZoomText(bool v) { if (Store(zoomText_, v)) Repaint(); }

void TView3DOptions::SetHorizOffset(int32_t v)
{
  if (Store(horizOffset_, v)) {
    Repaint();
    if (OnScrolled) OnScrolled(true);
  }
}

void TView3DOptions::SetVertOffset(int32_t v)
{
  if (Store(vertOffset_, v)) {
    Repaint();
    if (OnScrolled) OnScrolled(false);
  }
}

void TView3DOptions::SetZoom(int32_t v)
{
  if (zoom_ != v) {
    if (OnZoomChanged) OnZoomChanged(v);
    zoom_ = v;
    Repaint();
  }
}

double TView3DOptions::CalcOrthoRatio() const
{
  if (!orthogonal_) return 1.0;
  int32_t a = orthoAngle_;
  if (a >= 90) a = 180 - a;
  // The tangent of 45 degrees in doubles falls short of 1 by one unit in the last place.
  if (a == 45) return 1.0;
  return std::tan(a * 0.017453292519943295);
}
