#include "chart/canvas/NvCanvas.h"

#include <algorithm>
#include <limits>
#include <cmath>

#include "chart/canvas/NuvResources.h"
#include "chart/canvas/NvCanvasBlend.h"
#include "platform/Gdi.h"

TNuvHtmlTextOut NuvHtmlTextOut;

namespace {
constexpr double DegToRad = 0.017453292519943295;

// The image of a brush as a bitmap; another kind of graphic is drawn into a shared bitmap, so the
// brush's own picture is left as it is.
TBitmap* ImageBitmap(TGraphic* graphic)
{
  if (auto* b = dynamic_cast<TBitmap*>(graphic)) return b;
  static TBitmap* drawn = new TBitmap;
  drawn->SetSize(graphic->GetWidth(), graphic->GetHeight());
  graphic->Draw(drawn->Canvas(), {0, 0, graphic->GetWidth(), graphic->GetHeight()});
  return drawn;
}

// The one pattern bitmap shared by every canvas.
TBitmap* PatternBitmap()
{
  static TBitmap* bitmap = new TBitmap;
  return bitmap;
}
}  // namespace

// ---- TNuvCanvas ----

TNuvCanvas::TNuvCanvas() = default;

TNuvCanvas::~TNuvCanvas() { SetCurrentFont(nullptr); }

void TNuvCanvas::SetCurrentFont(TNuvFont* f)
{
  if (currentFont_ == f) return;
  TNuvFont* old = currentFont_;
  currentFont_ = f;
  if (old) old->DetachCanvas(this);
  if (f) f->SetCanvas(this);
}

void TNuvCanvas::AttachCanvas(TCanvas* canvas)
{
  referenceCanvas_ = canvas;
  font_ = canvas ? canvas->Font() : nullptr;
  pen_ = canvas ? canvas->Pen() : nullptr;
  brush_ = canvas ? canvas->Brush() : nullptr;
}

void TNuvCanvas::ResetState()
{
  pen_->SetColor(clBlack);
  pen_->SetWidth(1);
  pen_->SetStyle(psSolid);
  brush_->SetBitmap(nullptr);
  brush_->SetColor(clWhite);
  brush_->SetStyle(bsSolid);
  font_->SetColor(clBlack);
  font_->SetStyle(0);
  font_->SetCharset(1);
  if (!NuvDefaultFontName().empty()) font_->SetName(NuvDefaultFontName());
  font_->SetSize(NuvDefaultFontSize());
  SetBackColor(clWhite);
  SetBackMode(cbmTransparent);
  SetTextAlign(0);
}

void TNuvCanvas::AssignBrush(TChartBrush* brush, TColor color) { AssignBrushColor(brush, color, brush->GetColor()); }

void TNuvCanvas::AssignBrushColor(TChartBrush* brush, TColor color, TColor backColor)
{
  TCanvas* dc = referenceCanvas_;
  const TColor fill = GetMonochrome() ? clWhite : color;
  const int32_t style = brush->GetStyleValue();
  if (style < FirstPatternStyle) {
    TPicture* image = brush->HasImage() ? brush->GetImage() : nullptr;
    if (image && image->GetGraphic() && !image->GetGraphic()->Empty()) {
      brush_->SetBitmap(ImageBitmap(image->GetGraphic()));
      ::SetTextColor(dc, fill);
      SetBackMode(cbmOpaque);
      SetBackColor(backColor);
    } else {
      if (brush_->GetBitmap()) brush_->SetBitmap(nullptr);
      if (brush_->GetColor() != fill) brush_->SetColor(fill);
      if (brush_->GetStyle() != brush->GetStyle()) brush_->SetStyle(brush->GetStyle());
      if (backColor == clTransparentBack) {
        SetBackMode(cbmTransparent);
      } else {
        SetBackMode(cbmOpaque);
        SetBackColor(backColor);
      }
    }
  } else {
    TBitmap* pattern = PatternBitmap();
    LoadPatternBitmap(style - FirstPatternStyle, *pattern);
    pattern->SetMonochrome(true);
    pattern->SetTransparentMode(tmFixed);
    pattern->SetTransparentColor(clWhite);
    pattern->SetTransparent(true);
    brush_->SetBitmap(nullptr);
    brush_->SetBitmap(pattern);
    SetBackMode(cbmTransparent);
    if (backColor != clTransparentBack)
      SetBackColor(backColor);
    else {
      // Mask: white bits leave the picture as it is.
      SetBackColor(clWhite);
      ::SetROP2(dc, R2_MASKPEN);
    }
    ::SetTextColor(dc, fill);
  }
}

void TNuvCanvas::AssignFont(TNuvFont* font)
{
  // The canvas takes the font's height in pixels and keeps its own pixels per inch, so that sizes
  // in points read and set on the canvas are the canvas'; the font keeps its own.
  const int32_t pixelsPerInch = font_->GetPixelsPerInch();
  font_->Assign(font);
  font_->SetPixelsPerInch(pixelsPerInch);
  if (fontZoom_ != 100.0) font_->SetSize(Round32(font_->GetSize() * fontZoom_ * 0.01));
  if (GetMonochrome()) font_->SetColor(clBlack);
  if (referenceCanvas_ && referenceCanvas_->GetTextCharacterExtra() != font->GetInterCharSize())
    referenceCanvas_->SetTextCharacterExtra(font->GetInterCharSize());
  SetCurrentFont(font);
  font->SetCanvas(this);
}

void TNuvCanvas::TextOutFormatted(int32_t x, int32_t y, const std::string& text, bool isHtml)
{
  if (isHtml && NuvHtmlTextOut)
    NuvHtmlTextOut(this, x, y, text);
  else
    TextOut(x, y, text);
}

void TNuvCanvas::ApplyDarkColor(TColor color, int32_t quantity)
{
  TColor c = DarkenColor(color, quantity);
  if (brush_->GetStyle() == bsSolid && !brush_->GetBitmap()) {
    if (brush_->GetColor() != c) brush_->SetColor(c);
  } else {
    SetBackColor(c);
  }
}

void TNuvCanvas::DrawRepeated(std::span<const TPoint> points, TGraphic* graphic)
{
  for (const TPoint& p : points) Draw(p.x, p.y, graphic);
}

int32_t Frame3DCount(const TRect& rect, int32_t width)
{
  // Past the rectangle's larger side the frames would lie outside it: they are not drawn.
  const int64_t span = std::max<int64_t>(int64_t{rect.Right} - rect.Left, int64_t{rect.Bottom} - rect.Top) + 2;
  return static_cast<int32_t>(std::clamp<int64_t>(width, 0, std::max<int64_t>(span, 0)));
}

void DeflateRestOfFrame3D(TRect& rect, int32_t width, int32_t framesDrawn)
{
  const int64_t rest = int64_t{width} - framesDrawn;
  if (rest <= 0) return;
  auto hold = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  };
  rect = TRect{hold(rect.Left + rest), hold(rect.Top + rest), hold(rect.Right - rest), hold(rect.Bottom - rest)};
}

// ---- TCanvas3D ----

TRect TCanvas3D::CalcRect3D(const TRect& r, int32_t z)
{
  TPoint a = Calculate3DPosition(r.Left, r.Top, z);
  TPoint b = Calculate3DPosition(r.Right, r.Bottom, z);
  return {a.x, a.y, b.x, b.y};
}

bool TCanvas3D::IsDepthPlaneFacing(const TRect& r, int32_t z)
{
  const TPoint a = Calculate3DPosition(r.Left, r.Top, z);
  const TPoint b = Calculate3DPosition(r.Right, r.Top, z);
  const TPoint d = Calculate3DPosition(r.Left, r.Bottom, z);
  // Unprojected, the corners turn clockwise on the screen (y down); seen from behind the other way.
  return static_cast<int64_t>(b.x - a.x) * (d.y - a.y) - static_cast<int64_t>(b.y - a.y) * (d.x - a.x) < 0;
}

TFourPoints TCanvas3D::RectCorners3D(const TRect& r, int32_t z)
{
  return {Calculate3DPosition(r.Left, r.Top, z), Calculate3DPosition(r.Right, r.Top, z),
          Calculate3DPosition(r.Right, r.Bottom, z), Calculate3DPosition(r.Left, r.Bottom, z)};
}

TRect TCanvas3D::CalcRect3DBounds(const TRect& r, int32_t z)
{
  TFourPoints p = RectCorners3D(r, z);
  TRect out;
  PolygonBounds(p, 4, out);
  return out;
}

void TCanvas3D::StretchDraw3D(const TRect& rect, TGraphic* graphic, int32_t z)
{
  if (!graphic || graphic->Empty()) return;
  TBitmap temp;
  TBitmap* bmp = dynamic_cast<TBitmap*>(graphic);
  if (!bmp) {
    temp.SetPixelFormat(pf24bit);
    temp.SetSize(graphic->GetWidth(), graphic->GetHeight());
    graphic->Draw(temp.Canvas(), {0, 0, graphic->GetWidth(), graphic->GetHeight()});
    bmp = &temp;
  } else {
    bmp->SetPixelFormat(pf24bit);
  }
  const int32_t w = bmp->GetWidth(), h = bmp->GetHeight();
  const double dx = double(rect.Width()) / w, dy = double(rect.Height()) / h;
  TPenStyle oldPen = Pen()->GetStyle();
  Pen()->SetStyle(psClear);
  Brush()->SetBitmap(nullptr);
  Brush()->SetStyle(bsSolid);
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* line = bmp->ScanLine(row);
    const int32_t y0 = rect.Top + Round32(row * dy), y1 = rect.Top + Round32((row + 1) * dy);
    for (int32_t col = 0; col < w; ++col) {
      const uint8_t* p = line + 3 * col;
      TColor c = RGB(p[2], p[1], p[0]);
      if (NuvSetDCBrushColor)
        NuvSetDCBrushColor(GetReferenceCanvas(), c);
      else
        Brush()->SetColor(c);
      const int32_t x0 = rect.Left + Round32(col * dx), x1 = rect.Left + Round32((col + 1) * dx);
      TPoint q[4] = {Calculate3DPosition(x0, y0, z), Calculate3DPosition(x1, y0, z), Calculate3DPosition(x1, y1, z),
                     Calculate3DPosition(x0, y1, z)};
      Polygon(q);
    }
  }
  Pen()->SetStyle(oldPen);
}

// ---- TNuvCanvas3D: state, projection, buffering ----

TNuvCanvas3D::TNuvCanvas3D() = default;

TNuvCanvas3D::~TNuvCanvas3D() { DeleteBitmap(); }

TColor TNuvCanvas3D::GetBackColor() { return referenceCanvas_->GetBkColor(); }
int32_t TNuvCanvas3D::GetBackMode() { return referenceCanvas_->GetBkMode(); }
TColor TNuvCanvas3D::GetPixel(int32_t x, int32_t y) { return referenceCanvas_->GetPixel(x, y); }
uint32_t TNuvCanvas3D::GetTextAlign() { return referenceCanvas_->GetTextAlign(); }
void TNuvCanvas3D::SetBackColor(TColor color) { referenceCanvas_->SetBkColor(ColorToRGB(color)); }
void TNuvCanvas3D::SetBackMode(int32_t mode) { referenceCanvas_->SetBkMode(mode); }
void TNuvCanvas3D::SetTextAlign(uint32_t flags) { referenceCanvas_->SetTextAlign(flags); }
void TNuvCanvas3D::Pixel(int32_t x, int32_t y, TColor color) { referenceCanvas_->SetPixel(x, y, ColorToRGB(color)); }

void TNuvCanvas3D::SetMonochrome(bool value)
{
  if (monochrome_ != value) {
    monochrome_ = value;
    bitmapInvalid_ = true;
    if (view3DOptions_) view3DOptions_->Repaint();
  }
}

void TNuvCanvas3D::SetBufferedDisplay(bool value)
{
  if (bufferedDisplay_ == value) return;
  bufferedDisplay_ = value;
  if (!value) {
    if (!keepBitmap_) DeleteBitmap();
    bitmapInvalid_ = true;
  } else if (bitmap_) {
    AttachCanvas(bitmap_->Canvas());
  }
}

namespace {
// Raster operation of each pen mode.
int Rop2OfPenMode(TPenMode mode)
{
  static constexpr int table[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
  const int i = static_cast<int>(mode);
  return i >= 0 && i < 16 ? table[i] : 13;
}
}  // namespace

void TNuvCanvas3D::AssignVisiblePenColor(TPen* pen, TColor color)
{
  SelectChartPen(pen, color);
  // Selecting a pen sets the raster operation from its mode, ending e.g. the masking of a
  // pattern brush on a transparent background.
  ::SetROP2(referenceCanvas_, Rop2OfPenMode(pen_->GetMode()));
}

void TNuvCanvas3D::SelectChartPen(TPen* pen, TColor color)
{
  const TColor c = monochrome_ ? clBlack : color;
  auto* cp = dynamic_cast<TChartPen*>(pen);
  if (cp && !cp->GetVisible()) {
    pen_->SetStyle(psClear);
    return;
  }
  if (cp) {
    if (cp->GetSmallDots()) {
      pen_->SetColor(c);
      pen_->SetWidth(1);
      if (cp->GetSmallSpace() >= 1) {
        pen_->SetGeometric(true);
        pen_->SetUserStyle({1u, static_cast<uint32_t>(cp->GetSmallSpace()) + 1u});
        pen_->SetStyle(psUserStyle);
      } else {
        pen_->SetGeometric(false);
        pen_->SetStyle(psAlternate);
      }
      pen_->SetMode(cp->GetMode());
      return;
    }
    pen_->Assign(cp);
    pen_->SetColor(c);
    if (cp->GetWidth() < 2) {
      pen_->SetGeometric(false);
      return;
    }
    pen_->SetGeometric(true);
    switch (cp->GetEndStyle()) {
      case esRound:
        pen_->SetEndCap(pecRound);
        pen_->SetJoin(pjRound);
        break;
      case esSquare:
        pen_->SetEndCap(pecSquare);
        pen_->SetJoin(pjBevel);
        break;
      case esFlat:
        pen_->SetEndCap(pecFlat);
        pen_->SetJoin(pjMiter);
        break;
    }
    return;
  }
  pen_->Assign(pen);
  pen_->SetColor(c);
}

TNuvBlend* TNuvCanvas3D::BeginBlending(const TRect& r, TNuvTransparency transparency)
{
  blendTransparency_ = transparency;
  auto* blend = new TNuvBlend(this, r);
  blend->SetTransparency(transparency);
  return blend;
}

void TNuvCanvas3D::EndBlending(TNuvBlend* blend)
{
  if (!blend) return;
  // Each blend mixes with its own transparency, also when another one began inside it.
  std::unique_ptr<TNuvBlend> owned(blend);
  owned->DoBlend(owned->GetTransparency());
}

TRect TNuvCanvas3D::InitWindow(TCanvas* destCanvas, TView3DOptions* view3DOptions, TColor, bool is3D,
                               const TRect& rect)
{
  bounds_ = rect;
  view3DOptions_ = view3DOptions;
  if (view3DOptions) fontZoom_ = view3DOptions->GetFontZoom();
  is3D_ = is3D;
  isOrthogonal_ = false;
  zoomFactor_ = 1.0;
  if (is3D && view3DOptions) {
    isOrthogonal_ = view3DOptions->GetOrthogonal();
    if (isOrthogonal_) {
      int32_t a = view3DOptions->GetOrthoAngle();
      if (a < 90) {
        orthoFactorX_ = 1.0;
      } else {
        orthoFactorX_ = -1.0;
        a = 180 - a;
      }
      const double s = std::sin(a * DegToRad), c = std::cos(a * DegToRad);
      orthoFactorY_ = c > 0.01 ? s / c : 1.0;
    }
    zoomFactor_ = view3DOptions->GetZoom() * 0.01;
    zoomText_ = view3DOptions->GetZoomText();
  }
  CalcTrigValues();
  if (bufferedDisplay_) {
    if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
    bitmap_->SetSize(rect.Width(), rect.Height());
    AttachCanvas(bitmap_->Canvas());
    return {0, 0, rect.Width(), rect.Height()};
  }
  AttachCanvas(destCanvas);
  return rect;
}

void TNuvCanvas3D::CalcTrigValues()
{
  if (isOrthogonal_) return;
  long double e = 0, r = 0, t = 0;
  if (view3DOptions_) {
    e = -view3DOptions_->GetElevationFloat();
    r = -view3DOptions_->GetRotationFloat();
    t = view3DOptions_->GetTilt();
  }
  hasPerspective_ = false;
  perspectiveFactor_ = 0;
  sinE_ = std::sin(e * DegToRad);
  cosE_ = std::cos(e * DegToRad);
  sinR_ = std::sin(r * DegToRad);
  cosR_ = std::cos(r * DegToRad);
  sinT_ = std::sin(t * DegToRad);
  cosT_ = std::cos(t * DegToRad);
  hasTilt_ = t != 0;
  d0_ = double(cosR_ * sinT_);
  d1_ = std::max(double(cosR_ * cosT_), 1e-5);
  d2_ = std::max(double(sinE_ * sinR_ * sinT_ + cosE_ * cosT_), 1e-5);
  d3_ = double(cosT_ * sinE_ * sinR_ - cosE_ * sinT_);
  d4_ = double(cosE_ * sinR_ * sinT_ - cosT_ * sinE_);
  d5_ = double(cosE_ * cosT_ * sinR_ + sinE_ * sinT_);
}

void TNuvCanvas3D::Assign(TCanvas3D* source) { SetMonochrome(source->GetMonochrome()); }

void TNuvCanvas3D::ViewPort(int32_t depth, const TRect& bounds, const TRect&)
{
  xCenter_ = AddChecked(static_cast<int32_t>((int64_t{bounds.Left} + bounds.Right) / 2), Round32(rotationCenter_.x));
  yCenter_ = AddChecked(static_cast<int32_t>((int64_t{bounds.Top} + bounds.Bottom) / 2), Round32(rotationCenter_.y));
  zCenter_ = Round32(depth * 0.5 + rotationCenter_.z);
  xCenterOffset_ = xCenter_;
  yCenterOffset_ = yCenter_;
  if (view3DOptions_) {
    xCenterOffset_ = AddChecked(xCenterOffset_, view3DOptions_->GetHorizOffset());
    yCenterOffset_ = AddChecked(yCenterOffset_, view3DOptions_->GetVertOffset());
    hasPerspective_ = view3DOptions_->GetPerspective() > 0;
    if (hasPerspective_)
      perspectiveFactor_ = view3DOptions_->GetPerspective() * zoomFactor_ * 0.006666666666666667 /
                           std::max(1, bounds.Width());
  }
}

void TNuvCanvas3D::Rotate3D(long double xs, long double ys, long double zs, long double& a, long double& b,
                            long double& f) const
{
  const long double t = zs * cosR_ - xs * sinR_;
  f = zoomFactor_;
  if (hasPerspective_) f = zoomFactor_ / ((cosE_ * t + ys * sinE_) * perspectiveFactor_ + 1);
  a = xs * cosR_ + zs * sinR_;
  b = ys * cosE_ - sinE_ * t;
}

TPoint TNuvCanvas3D::Calculate3DPosition(int32_t x, int32_t y, int32_t z)
{
  if (isOrthogonal_) {
    const double dx = double(SubChecked(x, xCenter_)), dy = double(SubChecked(y, yCenter_));
    return {AddChecked(xCenterOffset_, Round32((z * orthoFactorX_ + dx) * zoomFactor_)),
            AddChecked(yCenterOffset_, Round32((dy - z * orthoFactorY_) * zoomFactor_))};
  }
  if (!is3D_) return {x, y};
  const long double xs = SubChecked(x, xCenter_), ys = SubChecked(y, yCenter_), zs = SubChecked(z, zCenter_);
  long double a, b, f;
  Rotate3D(xs, ys, zs, a, b, f);
  if (hasTilt_)
    return {AddChecked(xCenterOffset_, Round32(double((cosT_ * a - sinT_ * b) * f))),
            AddChecked(yCenterOffset_, Round32(double((cosT_ * b + sinT_ * a) * f)))};
  return {AddChecked(xCenterOffset_, Round32(double(a * f))), AddChecked(yCenterOffset_, Round32(double(b * f)))};
}

TPoint TNuvCanvas3D::Calculate3DPositionFloat(double x, double y, int32_t z)
{
  if (isOrthogonal_) {
    return {AddChecked(xCenterOffset_, Round32((z * orthoFactorX_ + (x - xCenter_)) * zoomFactor_)),
            AddChecked(yCenterOffset_, Round32(((y - yCenter_) - z * orthoFactorY_) * zoomFactor_))};
  }
  if (!is3D_) return {Round32(x), Round32(y)};
  const long double xs = x - xCenter_, ys = y - yCenter_, zs = SubChecked(z, zCenter_);
  long double a, b, f;
  Rotate3D(xs, ys, zs, a, b, f);
  return {AddChecked(xCenterOffset_, Round32(double((cosT_ * a - sinT_ * b) * f))),
          AddChecked(yCenterOffset_, Round32(double((cosT_ * b + sinT_ * a) * f)))};
}

void TNuvCanvas3D::Calculate2DPosition(int32_t& x, int32_t& y, int32_t z)
{
  if (zoomFactor_ == 0) return;
  const double inv = 1.0 / zoomFactor_;
  if (isOrthogonal_) {
    x = AddChecked(Round32((x - double(xCenterOffset_)) * inv - z * orthoFactorX_), xCenter_);
    y = AddChecked(Round32((y - double(yCenterOffset_)) * inv + z * orthoFactorY_), yCenter_);
    return;
  }
  if (!is3D_ || d2_ == 0 || d1_ == 0) return;
  // The exact inverse of the projection without perspective: undo the tilt, then solve the
  // rotation for x and the elevation for y at the known depth.
  const long double cR = cosR_, sR = sinR_, cE = cosE_, sE = sinE_;
  if (std::fabs(double(cR)) < 1e-5 || std::fabs(double(cE)) < 1e-5) return;
  const long double u = (double(x) - xCenterOffset_) * inv, v = (double(y) - yCenterOffset_) * inv;
  const long double a = cosT_ * u + sinT_ * v, b = cosT_ * v - sinT_ * u;
  const long double zs = double(z) - zCenter_;
  const long double xs = (a - zs * sR) / cR;
  const long double ys = (b - sE * sR * xs + sE * cR * zs) / cE;
  x = AddChecked(Round32(double(xs)), xCenter_);
  y = AddChecked(Round32(double(ys)), yCenter_);
}

void TNuvCanvas3D::ShowImage(TCanvas* destCanvas, TCanvas* defaultCanvas, const TRect& rect)
{
  if (bufferedDisplay_ && bitmap_ && destCanvas) destCanvas->Draw(rect.Left, rect.Top, bitmap_.get());
  bitmapInvalid_ = false;
  AttachCanvas(defaultCanvas);
}

bool TNuvCanvas3D::ReDrawBitmap()
{
  if (bitmapInvalid_ || !bitmap_) return false;
  referenceCanvas_->Draw(0, 0, bitmap_.get());
  return true;
}

void TNuvCanvas3D::DeleteBitmap()
{
  if (bitmap_ && referenceCanvas_ == bitmap_->Canvas()) AttachCanvas(nullptr);
  bitmap_.reset();
}

void TNuvCanvas3D::TransferBitmap(int32_t x, int32_t y, TCanvas* canvas)
{
  if (!bitmap_ || !canvas) return;
  const uint32_t old = canvas->GetCopyMode();
  canvas->SetCopyMode(cmSrcCopy);
  canvas->CopyRect({x, y, x + bitmap_->GetWidth(), y + bitmap_->GetHeight()}, bitmap_->Canvas(),
                   {0, 0, bitmap_->GetWidth(), bitmap_->GetHeight()});
  canvas->SetCopyMode(old);
}

void TNuvCanvas3D::DisableRotation()
{
  savedIs3D_ = is3D_;
  is3D_ = false;
}

void TNuvCanvas3D::EnableRotation() { is3D_ = savedIs3D_; }

void TNuvCanvas3D::FrontPlaneBegin()
{
  if (frontPlaneCount_ == 0) DisableRotation();
  ++frontPlaneCount_;
}

void TNuvCanvas3D::FrontPlaneEnd()
{
  --frontPlaneCount_;
  if (frontPlaneCount_ == 0) EnableRotation();
}

// ---- Plain 2-D operations ----

void TNuvCanvas3D::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
  referenceCanvas_->Arc(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TNuvCanvas3D::Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
  referenceCanvas_->Pie(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TNuvCanvas3D::Draw(int32_t x, int32_t y, TGraphic* graphic)
{
  if (graphic && !graphic->Empty()) referenceCanvas_->Draw(x, y, graphic);
}

void TNuvCanvas3D::DrawRepeated(std::span<const TPoint> points, TGraphic* graphic)
{
  if (graphic && !graphic->Empty()) referenceCanvas_->DrawRepeated(points, graphic);
}

void TNuvCanvas3D::StretchDraw(const TRect& rect, TGraphic* graphic)
{
  if (graphic) referenceCanvas_->StretchDraw(rect, graphic);
}

void TNuvCanvas3D::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { referenceCanvas_->Ellipse(x1, y1, x2, y2); }
void TNuvCanvas3D::FillRect(const TRect& r) { referenceCanvas_->FillRect(r); }
void TNuvCanvas3D::LineTo(int32_t x, int32_t y) { referenceCanvas_->LineTo(x, y); }
void TNuvCanvas3D::MoveTo(int32_t x, int32_t y) { referenceCanvas_->MoveTo(x, y); }
void TNuvCanvas3D::Rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { referenceCanvas_->Rectangle(x0, y0, x1, y1); }

void TNuvCanvas3D::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3)
{
  referenceCanvas_->RoundRect(x1, y1, x2, y2, x3, y3);
}

void TNuvCanvas3D::HorizLine(int32_t x0, int32_t x1, int32_t y) { Line(x0, y, x1, y); }
void TNuvCanvas3D::VertLine(int32_t x, int32_t y0, int32_t y1) { Line(x, y0, x, y1); }
void TNuvCanvas3D::EraseBackground(const TRect& rect) { FillRect(rect); }

void TNuvCanvas3D::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
  MoveTo(x0, y0);
  LineTo(x1, y1);
}

void TNuvCanvas3D::Polyline(std::span<const TPoint> points)
{
  referenceCanvas_->Polyline(std::vector<TPoint>(points.begin(), points.end()));
}

void TNuvCanvas3D::Polygon(std::span<const TPoint> points)
{
  referenceCanvas_->Polygon(std::vector<TPoint>(points.begin(), points.end()));
}

void TNuvCanvas3D::Frame3D(TRect& rect, TColor topColor, TColor bottomColor, int32_t width)
{
  pen_->SetWidth(1);
  pen_->SetStyle(psSolid);
  rect.Right -= 1;
  rect.Bottom -= 1;
  const int32_t frames = Frame3DCount(rect, width);
  for (int32_t i = 0; i < frames; ++i) {
    pen_->SetColor(topColor);
    TPoint a[3] = {{rect.Left, rect.Bottom}, {rect.Left, rect.Top}, {rect.Right, rect.Top}};
    Polyline(a);
    pen_->SetColor(bottomColor);
    TPoint b[3] = {{rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left - 1, rect.Bottom}};
    Polyline(b);
    InflateRect(rect, -1, -1);
  }
  DeflateRestOfFrame3D(rect, width, frames);
  rect.Right += 1;
  rect.Bottom += 1;
}

// ---- Projected operations ----

TColor TNuvCanvas3D::GetPixel3D(int32_t x, int32_t y, int32_t z)
{
  TPoint p = Calculate3DPosition(x, y, z);
  return GetPixel(p.x, p.y);
}

void TNuvCanvas3D::Pixel3D(int32_t x, int32_t y, int32_t z, TColor color)
{
  TPoint p = Calculate3DPosition(x, y, z);
  if (pen_->GetWidth() != 1) {
    MoveTo(p.x, p.y);
    LineTo(p.x, p.y);
  } else {
    Pixel(p.x, p.y, color);
  }
}

void TNuvCanvas3D::MoveTo3D(int32_t x, int32_t y, int32_t z)
{
  TPoint p = Calculate3DPosition(x, y, z);
  MoveTo(p.x, p.y);
}

void TNuvCanvas3D::LineTo3D(int32_t x, int32_t y, int32_t z)
{
  TPoint p = Calculate3DPosition(x, y, z);
  LineTo(p.x, p.y);
}

void TCanvas3D::LineWithZ(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t z)
{
  MoveTo3D(x0, y0, z);
  LineTo3D(x1, y1, z);
}

void TCanvas3D::HorizLine3D(int32_t x0, int32_t x1, int32_t y, int32_t z) { LineWithZ(x0, y, x1, y, z); }
void TCanvas3D::VertLine3D(int32_t x, int32_t y0, int32_t y1, int32_t z) { LineWithZ(x, y0, x, y1, z); }

void TCanvas3D::VertLines3D(std::span<const int32_t> xs, int32_t y0, int32_t y1, int32_t z)
{
  for (int32_t x : xs) VertLine3D(x, y0, y1, z);
}

void TCanvas3D::HorizLines3D(std::span<const int32_t> ys, int32_t x0, int32_t x1, int32_t z)
{
  for (int32_t y : ys) HorizLine3D(x0, x1, y, z);
}

void TNuvCanvas3D::HorizLines3D(std::span<const int32_t> ys, int32_t x0, int32_t x1, int32_t z)
{
  if (!is3D_ && !isOrthogonal_ && referenceCanvas_) referenceCanvas_->HorizLines(ys, x0, x1);
  else TCanvas3D::HorizLines3D(ys, x0, x1, z);
}

void TNuvCanvas3D::VertLines3D(std::span<const int32_t> xs, int32_t y0, int32_t y1, int32_t z)
{
  // Flat, the points are the pixels: the platform canvas draws the lines together.
  if (!is3D_ && !isOrthogonal_ && referenceCanvas_) referenceCanvas_->VertLines(xs, y0, y1);
  else TCanvas3D::VertLines3D(xs, y0, y1, z);
}

void TCanvas3D::ZLine3D(int32_t x, int32_t y, int32_t z0, int32_t z1)
{
  MoveTo3D(x, y, z0);
  LineTo3D(x, y, z1);
}

void TNuvCanvas3D::SetFour(TPoint3D a, TPoint3D b, TPoint3D c, TPoint3D d)
{
  iPoints_ = {Calculate3DPosition(a.x, a.y, a.z), Calculate3DPosition(b.x, b.y, b.z),
              Calculate3DPosition(c.x, c.y, c.z), Calculate3DPosition(d.x, d.y, d.z)};
}

void TNuvCanvas3D::PolygonFour() { Polygon(iPoints_); }

void TNuvCanvas3D::Plane3D(TPoint p0, TPoint p1, int32_t z0, int32_t z1)
{
  SetFour({p0.x, p0.y, z1}, {p1.x, p1.y, z1}, {p1.x, p1.y, z0}, {p0.x, p0.y, z0});
  PolygonFour();
}

void TNuvCanvas3D::PlaneWithZ(TPoint p1, TPoint p2, TPoint p3, TPoint p4, int32_t z)
{
  SetFour({p1.x, p1.y, z}, {p2.x, p2.y, z}, {p3.x, p3.y, z}, {p4.x, p4.y, z});
  PolygonFour();
}

void TNuvCanvas3D::PlaneFour3D(const TFourPoints& points, int32_t z0, int32_t z1)
{
  iPoints_ = {Calculate3DPositionFloat(points[0].x, points[0].y, z0),
              Calculate3DPositionFloat(points[1].x, points[1].y, z0),
              Calculate3DPositionFloat(points[2].x, points[2].y, z1),
              Calculate3DPositionFloat(points[3].x, points[3].y, z1)};
  PolygonFour();
}

void TNuvCanvas3D::PolygonWithZ(std::span<const TPoint> points, int32_t z)
{
  std::vector<TPoint> p(points.size());
  for (size_t i = 0; i < points.size(); ++i) p[i] = Calculate3DPosition(points[i].x, points[i].y, z);
  Polygon(p);
}

void TNuvCanvas3D::PolylineWithZ(std::span<const TPoint> points, int32_t z)
{
  std::vector<TPoint> p(points.size());
  for (size_t i = 0; i < points.size(); ++i) p[i] = Calculate3DPosition(points[i].x, points[i].y, z);
  Polyline(p);
}

void TNuvCanvas3D::RectangleWithZ(const TRect& rect, int32_t z)
{
  SetFour({rect.Left, rect.Top, z}, {rect.Right, rect.Top, z}, {rect.Right, rect.Bottom, z},
          {rect.Left, rect.Bottom, z});
  PolygonFour();
}

void TNuvCanvas3D::RectangleY(int32_t left, int32_t y, int32_t right, int32_t z0, int32_t z1)
{
  SetFour({left, y, z0}, {right, y, z0}, {right, y, z1}, {left, y, z1});
  PolygonFour();
}

void TNuvCanvas3D::RectangleZ(int32_t x, int32_t top, int32_t bottom, int32_t z0, int32_t z1)
{
  SetFour({x, top, z0}, {x, top, z1}, {x, bottom, z1}, {x, bottom, z0});
  PolygonFour();
}

void TNuvCanvas3D::TriangleWithZ(TPoint p1, TPoint p2, TPoint p3, int32_t z)
{
  TPoint p[3] = {Calculate3DPosition(p1.x, p1.y, z), Calculate3DPosition(p2.x, p2.y, z),
                 Calculate3DPosition(p3.x, p3.y, z)};
  Polygon(p);
}

void TNuvCanvas3D::Triangle3D(const TPoint3D& p0, const TPoint3D& p1, const TPoint3D& p2, TColor color0, TColor,
                              TColor)
{
  TPoint p[3] = {Calculate3DPosition(p0.x, p0.y, p0.z), Calculate3DPosition(p1.x, p1.y, p1.z),
                 Calculate3DPosition(p2.x, p2.y, p2.z)};
  if (brush_->GetStyle() != bsClear) SetBrushColorIfChanged(color0);
  Polygon(p);
}

void TNuvCanvas3D::SetBrushColorIfChanged(TColor color)
{
  if (brush_->GetColor() != color) brush_->SetColor(color);
}

void TNuvCanvas3D::CircleWithZ(int32_t xCenter, int32_t yCenter, double radius, int32_t z)
{
  const int32_t r = Round32(radius);
  EllipseWithZ(xCenter - r, yCenter - r, xCenter + r, yCenter + r, z);
}

void TNuvCanvas3D::RotateLabel3D(int32_t x, int32_t y, int32_t z, const std::string& text, double angle)
{
  TPoint p = Calculate3DPosition(x, y, z);
  RotateLabel(p.x, p.y, text, angle);
}
