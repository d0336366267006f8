#include "chart/canvas/NuvProcs.h"

// ---- Zoom pen, brush and settings ----
TNuvZoomPen::TNuvZoomPen(TNotifyEvent onChange) : TChartPen(std::move(onChange)) { SetColor(clWhite); }

TNuvZoomBrush::TNuvZoomBrush(TNotifyEvent onChange) : TChartBrush(std::move(onChange))
{
  SetColor(clWhite);
  SetStyle(bsClear);
}

TNuvZoom::TNuvZoom() = default;
TNuvZoom::~TNuvZoom() = default;

TNuvZoomBrush* TNuvZoom::GetBrush()
{
  if (!brush_) brush_ = std::make_unique<TNuvZoomBrush>();
  return brush_.get();
}

void TNuvZoom::SetBrush(const TNuvZoomBrush* v)
{
  if (!v) brush_.reset();
  else GetBrush()->Assign(v);
}

TNuvZoomPen* TNuvZoom::GetPen()
{
  if (!pen_) pen_ = std::make_unique<TNuvZoomPen>();
  return pen_.get();
}

void TNuvZoom::SetPen(const TNuvZoomPen* v)
{
  if (!v) pen_.reset();
  else GetPen()->Assign(v);
}

void TNuvZoom::Assign(const TPersistent* source)
{
  auto* z = dynamic_cast<const TNuvZoom*>(source);
  if (!z) {
    TZoomPanning::Assign(source);
    return;
  }
  Allow = z->Allow;
  Animated = z->Animated;
  AnimatedSteps = z->AnimatedSteps;
  // The source's brush and pen are copied as they are; reading them would make them on the source.
  SetBrush(z->brush_.get());
  Direction = z->Direction;
  KeyShift = z->KeyShift;
  MinimumPixels = z->MinimumPixels;
  MouseButton = z->MouseButton;
  SetPen(z->pen_.get());
  UpLeftZooms = z->UpLeftZooms;
}

// ---- Back image ----
void TBackImage::Notify()
{
  if (OnChange) OnChange(this);
}

void TBackImage::SetInside(bool v) { if (Store(inside_, v)) Notify(); }

void TBackImage::SetLeft(int32_t v) { if (Store(left_, v)) Notify(); }

void TBackImage::SetTop(int32_t v) { if (Store(top_, v)) Notify(); }

void TBackImage::SetMode(TNuvBackImageMode v) { if (Store(mode_, v)) Notify(); }

void TBackImage::Assign(const TPersistent* source)
{
  if (auto* b = dynamic_cast<const TBackImage*>(source)) {
    inside_ = b->inside_;
    left_ = b->left_;
    top_ = b->top_;
    mode_ = b->mode_;
  }
  TPicture::Assign(source);
}

// ---- Extended panel ----
TCustomNuvPanelExtended::TCustomNuvPanelExtended(TComponent* owner) : TCustomNuvPanel(owner)
{
  zoom_ = std::make_unique<TNuvZoom>();
}

TCustomNuvPanelExtended::~TCustomNuvPanelExtended() = default;

TNuvGradient* TCustomNuvPanelExtended::GetGradient()
{
  if (!gradient_) gradient_ = std::make_unique<TNuvGradient>([this](TObject* s) { CanvasChanged(s); });
  return gradient_.get();
}

void TCustomNuvPanelExtended::SetGradient(const TNuvGradient* v)
{
  if (!v) {
    gradient_.reset();
    Invalidate();
  } else {
    GetGradient()->Assign(v);
  }
}

TBackImage* TCustomNuvPanelExtended::GetBackImage()
{
  if (!backImage_) {
    backImage_ = std::make_unique<TBackImage>();
    backImage_->OnChange = [this](TObject* s) { CanvasChanged(s); };
  }
  return backImage_.get();
}

void TCustomNuvPanelExtended::SetBackImage(const TBackImage* v)
{
  if (!v) {
    backImage_.reset();
    Invalidate();
  } else {
    GetBackImage()->Assign(v);
  }
}

bool TCustomNuvPanelExtended::GetBackImageTransp() const
{
  return backImage_ && backImage_->GetGraphic() && backImage_->GetGraphic()->GetTransparent();
}

void TCustomNuvPanelExtended::SetBackImageTransp(bool v)
{
  if (backImage_ && backImage_->GetGraphic()) {
    backImage_->GetGraphic()->SetTransparent(v);
    Invalidate();
  }
}

bool TCustomNuvPanelExtended::HasBackImage() const { return backImage_ && backImage_->GetGraphic(); }

uint64_t TCustomNuvPanelExtended::GetPalette()
{
  // Bitmaps here are true-colour: there is no palette to hand on.
  return 0;
}

bool TCustomNuvPanelExtended::IsPrintMarginsStored() const
{
  return PrintMargins.Left != 15 || PrintMargins.Top != 15 || PrintMargins.Right != 15 || PrintMargins.Bottom != 15;
}

void TCustomNuvPanelExtended::DrawPanelBackground(TRect rect)
{
  TCanvas3D* c = Canvas();
  c->FrontPlaneBegin();
  if (GetShadow()->GetSize() > 0) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(GetParent() ? GetParent()->GetColor() : GetColor());
    c->EraseBackground(rect);
    rect.Right -= GetShadow()->GetHorizSize();
    rect.Bottom -= GetShadow()->GetVertSize();
    GetShadow()->Draw(c, rect);
  }
  FillPanelRect(rect);
  if (HasBackImage() && !backImage_->GetInside()) DrawBackImage(rect, 0);
  DrawPanelBevels(rect);
  c->FrontPlaneEnd();
}

void TCustomNuvPanelExtended::FillPanelRect(const TRect& rect)
{
  TCanvas3D* c = Canvas();
  c->FrontPlaneBegin();
  if (gradient_ && gradient_->GetVisible()) {
    gradient_->Draw(c, rect, 0);
  } else if ((!Printing || PrintPanelBackground) && GetColor() != clNone) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(GetColor());
    c->FillRect(rect);
  }
  c->FrontPlaneEnd();
}

void TCustomNuvPanelExtended::DrawBackImage(TRect rect, int32_t z)
{
  if (!HasBackImage()) return;
  TCanvas3D* c = Canvas();
  TGraphic* g = backImage_->GetGraphic();
  const bool ortho = GetView3DOptions()->GetOrthogonal();
  auto project = [&](TRect& r) {
    r = c->CalcRect3D(r, z);
    if (!GetView3D()) ++r.Top;
  };
  if (backImage_->GetMode() == pbmStretch) {
    if (z < 1) {
      c->StretchDraw(rect, g);
    } else if (!ortho) {
      c->StretchDraw3D(rect, g, z);
    } else {
      project(rect);
      c->StretchDraw(rect, g);
    }
    return;
  }
  const bool clip = CanClip();
  if (clip) {
    if (z != 0) c->ClipCube(rect, 0, Width3D);
    else c->ClipRectangle(rect);
  }
  try {
    if (z > 0 && ortho) project(rect);
    const int32_t w = rect.Width(), h = rect.Height();
    const int32_t gw = g->GetWidth(), gh = g->GetHeight();
    if (backImage_->GetMode() == pbmTile) {
      if (gw >= 1 && gh >= 1) {
        for (int32_t ty = 0; ty < h; ty += gh)
          for (int32_t tx = 0; tx < w; tx += gw) {
            const int32_t x = rect.Left + tx, y = rect.Top + ty;
            if (z > 0 && !ortho) c->StretchDraw3D(Rect(x, y, x + gw, y + gh), g, z);
            else c->Draw(x, y, g);
          }
      }
    } else {
      FillPanelRect(rect);
      TRect target;
      if (backImage_->GetMode() == pbmCustom) {
        target = Bounds(rect.Left + backImage_->GetLeft(), rect.Top + backImage_->GetTop(), gw, gh);
      } else {
        target = rect;
        InflateRect(target, -((w - gw) / 2), -((h - gh) / 2));
      }
      if (z < 1 || ortho) c->Draw(target.Left, target.Top, g);
      else c->StretchDraw3D(target, g, z);
    }
  } catch (...) {
    if (clip) c->UnClipRectangle();
    throw;
  }
  if (clip) c->UnClipRectangle();
}

void TCustomNuvPanelExtended::DrawZoomBand(const TRect& r)
{
  TCanvas3D* c = Canvas();
  const TColor b = ColorToRGB(GetBackColor()) & 0xFFFFFF;
  const TColor x = 0xFFFFFF - b;
  if (zoom_->HasBrush()) {
    SetBrushCanvas(zoom_->GetBrush()->GetColor() ^ x, zoom_->GetBrush(), b);
  } else {
    c->Brush()->SetStyle(bsClear);
  }
  TNuvZoomPen* pen = zoom_->GetPen();
  pen->SetMode(pmNotXor);
  c->AssignVisiblePenColor(pen, pen->GetColor() ^ x);
  if (!zoom_->HasBrush() || zoom_->GetBrush()->GetStyle() == bsClear) c->SetBackMode(cbmTransparent);
  c->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}

void TCustomNuvPanelExtended::DrawZoomRectangle()
{
  const TRect r = Rect(zoom_->X0, zoom_->Y0, zoom_->X1, zoom_->Y1);
  if (bandShown_ && r == band_) {
    bandShown_ = false;
  } else {
    bandShown_ = true;
    band_ = r;
  }
  DrawZoomBand(r);
  // Show the changed picture without redrawing the chart.
  TCustomControl::Invalidate();
}

void TCustomNuvPanelExtended::PaintOverlay()
{
  if (bandShown_ && zoom_->Active) DrawZoomBand(band_);
  else bandShown_ = false;
}

void TCustomNuvPanelExtended::UndoZoom()
{
  if (OnUndoZoom) OnUndoZoom(this);
  Invalidate();
  Zoomed = false;
}

void TCustomNuvPanelExtended::Assign(const TPersistent* source)
{
  if (auto* p = dynamic_cast<const TCustomNuvPanelExtended*>(source)) {
    SetBackImage(p->backImage_.get());
    SetGradient(p->gradient_.get());
    AllowPanning = p->AllowPanning;
    zoom_->Assign(p->zoom_.get());
  }
  TCustomNuvPanel::Assign(source);
}
