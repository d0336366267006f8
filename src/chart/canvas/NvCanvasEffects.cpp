#include "chart/canvas/NvCanvasEffects.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "chart/canvas/NvCanvas.h"
#include "chart/canvas/NvCanvasBlend.h"

// ---- TNuvShadow ----

TNuvShadow::TNuvShadow(TNotifyEvent onChange) : OnChange(std::move(onChange)) {}

TNuvShadow::~TNuvShadow() { delete blend_; }

void TNuvShadow::Changed()
{
  if (OnChange) OnChange(this);
}

void TNuvShadow::Assign(const TPersistent* source)
{
  auto s = dynamic_cast<const TNuvShadow*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  color_ = s->color_;
  horizSize_ = s->horizSize_;
  smooth_ = s->smooth_;
  transparency_ = s->transparency_;
  vertSize_ = s->vertSize_;
}

void TNuvShadow::SetColor(TColor v) { if (Store(color_, v)) Changed(); }
void TNuvShadow::SetHorizSize(int32_t v) { if (Store(horizSize_, v)) Changed(); }
void TNuvShadow::SetVertSize(int32_t v) { if (Store(vertSize_, v)) Changed(); }
void TNuvShadow::SetSmooth(bool v) { if (Store(smooth_, v)) Changed(); }
void TNuvShadow::SetTransparency(TNuvTransparency v) { if (Store(transparency_, v)) Changed(); }

void TNuvShadow::SetSize(int32_t v)
{
  bool a = Store(horizSize_, v);
  bool b = Store(vertSize_, v);
  if (a || b) Changed();
}

namespace {
// Sizes may hold any integer: an edge moved by one saturates instead of wrapping round.
int32_t Saturate(int64_t v)
{
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

TRect MovedBy(const TRect& r, int32_t h, int32_t v)
{
  return TRect{Saturate(int64_t{r.Left} + h), Saturate(int64_t{r.Top} + v), Saturate(int64_t{r.Right} + h),
               Saturate(int64_t{r.Bottom} + v)};
}

// Of size lines drawn from edge outwards, those up to the far side of the canvas's drawing
// rectangle (the others fall outside it).
int32_t LinesOnCanvas(int32_t size, int32_t edge, int32_t canvasEnd, int32_t canvasExtent)
{
  const int64_t room = std::max<int64_t>(0, int64_t{std::max(canvasEnd, canvasExtent)} - edge) + 1;
  return static_cast<int32_t>(std::min<int64_t>(size, room));
}
}  // namespace

bool TNuvShadow::Prepare(TCanvas3D* canvas, const TRect& rect, int32_t z)
{
  if (!Visible()) return false;
  canvas->Brush()->SetBitmap(nullptr);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color_);
  canvas->Pen()->SetStyle(psClear);
  if (transparency_ > 0) {
    const TRect moved = MovedBy(rect, horizSize_, vertSize_);
    delete blend_;
    blend_ = nullptr;
    blend_ = canvas->BeginBlending(canvas->CalcRect3DBounds(moved, z), transparency_);
    blending_ = true;
  }
  return true;
}

void TNuvShadow::Finish(TCanvas3D* canvas)
{
  // Ends whatever the canvas returned, a blend object or none.
  if (blending_) {
    blending_ = false;
    TNuvBlend* b = blend_;
    blend_ = nullptr;
    canvas->EndBlending(b);
  }
}

namespace {
// Ends a shadow's blending when its drawing throws.
template <class F>
class TFinishOnThrow {
public:
  explicit TFinishOnThrow(F f) : f_(f) {}
  ~TFinishOnThrow()
  {
    if (std::uncaught_exceptions() > count_) {
      try {
        f_();
      } catch (...) {
      }
    }
  }
  TFinishOnThrow(const TFinishOnThrow&) = delete;
  TFinishOnThrow& operator=(const TFinishOnThrow&) = delete;

private:
  F f_;
  int count_ = std::uncaught_exceptions();
};
}  // namespace

void TNuvShadow::DrawRect(TCanvas3D* canvas, const TRect& rect, int32_t z)
{
  if (!Prepare(canvas, rect, z)) return;
  TFinishOnThrow guard([&] { Finish(canvas); });
  const bool front = canvas->GetFrontPlaneCount() > 0;
  const TRect& r = rect;
  const int32_t h = horizSize_, v = vertSize_;
  if (!smooth_ || GetSize() < 2) {
    if (front) {
      // The parts of the moved rectangle outside the shape.
      const TRect m = MovedBy(r, h, v);
      if (v != 0) {
        TRect s = v > 0 ? TRect{m.Left, r.Bottom, m.Right, m.Bottom} : TRect{m.Left, m.Top, m.Right, r.Top};
        canvas->FillRect(OrientRectangle(s));
      }
      if (h != 0) {
        TRect s = h > 0 ? TRect{r.Right, m.Top, m.Right, m.Bottom} : TRect{m.Left, m.Top, r.Left, m.Bottom};
        canvas->FillRect(OrientRectangle(s));
      }
    } else {
      const TRect m = MovedBy(r, h, v);
      canvas->RectangleWithZ({m.Left, r.Bottom, m.Right, m.Bottom}, z);
      canvas->RectangleWithZ({r.Right, m.Top, m.Right, m.Bottom}, z);
    }
  } else {
    // Soft shadow: lines brightening towards white.
    TColor c = ColorToRGB(color_);
    const double grey = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3.0;
    auto step = [grey](int32_t size) { return size == 0 ? 0 : Round32((255 - grey) / size); };
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    TColor col = c;
    int32_t s = step(v);
    const TRect& drawn = canvas->GetBounds();
    const TRect m = MovedBy(r, h, v);
    const int32_t vLines = front ? LinesOnCanvas(v, r.Bottom, drawn.Bottom, drawn.Height()) : v;
    for (int32_t i = 1; i <= vLines; ++i) {
      canvas->Pen()->SetColor(col);
      const int32_t y = Saturate(int64_t{r.Bottom} + i - 1);
      if (front) {
        canvas->HorizLine(m.Left, m.Right, y);
        canvas->Pixel(m.Right, y, col);
      } else {
        canvas->HorizLine3D(m.Left, m.Right, y, z);
        canvas->Pixel3D(m.Right, y, z, col);
      }
      col = BrightenColor(col, s);
    }
    col = c;
    s = step(h);
    const int32_t hLines = front ? LinesOnCanvas(h, r.Right, drawn.Right, drawn.Width()) : h;
    for (int32_t i = 1; i <= hLines; ++i) {
      canvas->Pen()->SetColor(col);
      const int32_t x = Saturate(int64_t{r.Right} + i - 1);
      if (front) {
        canvas->VertLine(x, m.Top, m.Bottom);
        canvas->Pixel(x, m.Bottom, col);
      } else {
        canvas->VertLine3D(x, m.Top, m.Bottom, z);
        canvas->Pixel3D(x, m.Bottom, z, col);
      }
      col = BrightenColor(col, s);
    }
  }
  Finish(canvas);
}

void TNuvShadow::DrawEllipse(TCanvas3D* canvas, const TRect& rect, int32_t z)
{
  if (!Prepare(canvas, rect, z)) return;
  TFinishOnThrow guard([&] { Finish(canvas); });
  const TRect moved = MovedBy(rect, horizSize_, vertSize_);
  if (smooth_) {
    TRect r = canvas->CalcRect3D(moved, z);
    canvas->ClipEllipse(r);
    TCustomNuvGradient g;
    g.DrawRadial(canvas, r, DarkenColor(color_, 128), BrightenColor(color_, 32));
    canvas->UnClipRectangle();
  } else {
    canvas->EllipseWithZ(moved.Left, moved.Top, moved.Right, moved.Bottom, z);
  }
  Finish(canvas);
}

// ---- Gradients ----

TCustomNuvGradient::TCustomNuvGradient(TNotifyEvent onChange) : OnChange(std::move(onChange)) {}

void TCustomNuvGradient::Changed()
{
  if (OnChange) OnChange(this);
}

void TCustomNuvGradient::Assign(const TPersistent* source)
{
  auto s = dynamic_cast<const TCustomNuvGradient*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  balance_ = s->balance_;
  direction_ = s->direction_;
  endColor_ = s->endColor_;
  midColor_ = s->midColor_;
  radialX_ = s->radialX_;
  radialY_ = s->radialY_;
  startColor_ = s->startColor_;
  visible_ = s->visible_;
  midColorUsed_ = s->midColorUsed_;
}

void TCustomNuvGradient::SetBalance(int32_t v) { if (Store(balance_, v)) Changed(); }
void TCustomNuvGradient::SetDirection(TGradientDirection v) { if (Store(direction_, v)) Changed(); }
void TCustomNuvGradient::SetEndColor(TColor v) { if (Store(endColor_, v)) Changed(); }
void TCustomNuvGradient::SetRadialX(int32_t v) { if (Store(radialX_, v)) Changed(); }
void TCustomNuvGradient::SetRadialY(int32_t v) { if (Store(radialY_, v)) Changed(); }
void TCustomNuvGradient::SetStartColor(TColor v) { if (Store(startColor_, v)) Changed(); }
void TCustomNuvGradient::SetVisible(bool v) { if (Store(visible_, v)) Changed(); }

void TCustomNuvGradient::SetMidColor(TColor v)
{
  if (v == clNone) {
    if (midColorUsed_) {
      midColorUsed_ = false;
      Changed();
    }
    return;
  }
  bool a = Store(midColor_, v);
  bool b = Store(midColorUsed_, true);
  if (a || b) Changed();
}

void TCustomNuvGradient::EnableMidColor()
{
  midColorUsed_ = true;
  Changed();
}

namespace {
TColor Grey(TColor c)
{
  c = ColorToRGB(c);
  uint8_t g = static_cast<uint8_t>((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
  return RGB(g, g, g);
}
}  // namespace

void TCustomNuvGradient::Draw(TCanvas3D* canvas, const TRect& rect, int32_t roundSize)
{
  TColor start = startColor_, mid = midColor_, end = endColor_;
  if (canvas->GetMonochrome()) {
    start = Grey(start);
    mid = Grey(mid);
    end = Grey(end);
  }
  if (roundSize > 0) canvas->ClipRoundRectangle(rect, roundSize);
  const TRect r = OrientRectangle(rect);
  if (direction_ == gdRadial) {
    canvas->ClipRectangle(r);
    DrawRadial(canvas, r, start, end);
    canvas->UnClipRectangle();
  } else if (!midColorUsed_ || direction_ == gdDiagonalUp || direction_ == gdDiagonalDown) {
    canvas->GradientFill(r, start, end, direction_, balance_);
  } else {
    const int32_t midY = (r.Top + r.Bottom) / 2, midX = (r.Left + r.Right) / 2;
    const TRect upper{r.Left, r.Top, r.Right, midY}, lower{r.Left, midY, r.Right, r.Bottom};
    const TRect left{r.Left, r.Top, midX, r.Bottom}, right{midX, r.Top, r.Right, r.Bottom};
    switch (direction_) {
      case gdTopBottom:
        canvas->GradientFill(upper, mid, end, gdTopBottom, 50);
        canvas->GradientFill(lower, start, mid, gdTopBottom, 50);
        break;
      case gdBottomTop:
        canvas->GradientFill(upper, start, mid, gdBottomTop, 50);
        canvas->GradientFill(lower, mid, end, gdBottomTop, 50);
        break;
      case gdLeftRight:
        canvas->GradientFill(left, mid, end, gdLeftRight, 50);
        canvas->GradientFill(right, start, mid, gdLeftRight, 50);
        break;
      case gdRightLeft:
        canvas->GradientFill(left, start, mid, gdRightLeft, 50);
        canvas->GradientFill(right, mid, end, gdRightLeft, 50);
        break;
      default:
        canvas->GradientFill(r, start, end, direction_, 50);
        break;
    }
  }
  if (roundSize > 0) canvas->UnClipRectangle();
}

void TCustomNuvGradient::DrawRadial(TCanvas3D* canvas, const TRect& rect, TColor startColor, TColor endColor)
{
  const TRect r = OrientRectangle(rect);
  const int32_t w = r.Width(), h = r.Height();
  int32_t n = std::min(255, std::max(w, h));
  if ((w & 1) || (h & 1)) --n;
  const double cx = (double(r.Left) + r.Right) * 0.5 + radialX_ + 1;
  const double cy = (double(r.Top) + r.Bottom) * 0.5 + radialY_ + 1;
  const TPenStyle oldStyle = canvas->Pen()->GetStyle();
  const TColor oldColor = canvas->Brush()->GetColor();
  canvas->Pen()->SetStyle(psClear);
  canvas->Brush()->SetBitmap(nullptr);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(endColor);
  canvas->FillRect(r);
  const TColor s = ColorToRGB(startColor), e = ColorToRGB(endColor);
  if (n > 0) {
    for (int32_t i = n; i >= 0; --i) {
      auto mix = [&](uint8_t a, uint8_t b) { return static_cast<uint8_t>(a + (int(b) - int(a)) * i / n); };
      canvas->Brush()->SetColor(RGB(mix(GetRValue(s), GetRValue(e)), mix(GetGValue(s), GetGValue(e)),
                                    mix(GetBValue(s), GetBValue(e))));
      const double dx = i * w / (2.0 * n), dy = i * h / (2.0 * n);
      canvas->Ellipse(Round32(cx - dx), Round32(cy - dy), Round32(cx + dx), Round32(cy + dy));
    }
  }
  canvas->Pen()->SetStyle(oldStyle);
  canvas->Brush()->SetColor(oldColor);
}

void TCustomNuvGradient::DrawPolygon(TCanvas3D* canvas, const TFourPoints& points)
{
  canvas->ClipPolygon(points);
  TRect r;
  PolygonBounds(points, 4, r);
  Draw(canvas, r);
  canvas->UnClipRectangle();
}

void TCustomNuvGradient::DrawPolygonWithZ(TCanvas3D* canvas, const TFourPoints& points, int32_t z)
{
  TFourPoints p;
  for (int i = 0; i < 4; ++i) p[i] = canvas->Calculate3DPosition(points[i].x, points[i].y, z);
  DrawPolygon(canvas, p);
}

void TNuvFontGradient::Assign(const TPersistent* source)
{
  if (auto s = dynamic_cast<const TNuvFontGradient*>(source)) outline_ = s->outline_;
  TNuvGradient::Assign(source);
}

void TNuvFontGradient::SetOutline(bool v) { if (Store(outline_, v)) Changed(); }

// ---- TNuvFont ----

namespace {
// Set by the canvas unit's start-up from its own file's initialisation: made before it.
__attribute__((init_priority(200))) std::string defaultFontName;
constinit int32_t defaultFontSize = 8;
}  // namespace

const std::string& NuvDefaultFontName() { return defaultFontName; }
int32_t NuvDefaultFontSize() { return defaultFontSize; }
void SetNuvDefaultFont(const std::string& name, int32_t size)
{
  defaultFontName = name;
  defaultFontSize = size;
}

TNuvFont::TNuvFont(TNotifyEvent onChange)
{
  SetColor(clBlack);
  SetCharset(DEFAULT_CHARSET);
  if (!NuvDefaultFontName().empty()) SetName(NuvDefaultFontName());
  SetSize(NuvDefaultFontSize());
  OnChange = std::move(onChange);
}

TNuvFont::~TNuvFont()
{
  const std::vector<TNuvCanvas*> holders = std::move(canvases_);
  canvases_.clear();
  canvas_ = nullptr;
  for (TNuvCanvas* c : holders)
    if (c->GetCurrentFont() == this) c->SetCurrentFont(nullptr);
}

void TNuvFont::SetCanvas(TNuvCanvas* c)
{
  canvas_ = c;
  if (c && std::find(canvases_.begin(), canvases_.end(), c) == canvases_.end()) canvases_.push_back(c);
}

void TNuvFont::DetachCanvas(TNuvCanvas* c)
{
  canvases_.erase(std::remove(canvases_.begin(), canvases_.end(), c), canvases_.end());
  if (canvas_ == c) canvas_ = nullptr;
}

void TNuvFont::SubChanged(TObject*) { Changed(); }

void TNuvFont::Assign(const TPersistent* source)
{
  if (auto f = dynamic_cast<const TNuvFont*>(source)) {
    if (f->gradient_) GetGradient()->Assign(f->gradient_.get()); else gradient_.reset();
    interCharSize_ = f->interCharSize_;
    if (f->outLine_) GetOutLine()->Assign(f->outLine_.get()); else outLine_.reset();
    if (f->shadow_) GetShadow()->Assign(f->shadow_.get()); else shadow_.reset();
  }
  TFont::Assign(source);
}

TNuvFontGradient* TNuvFont::GetGradient()
{
  if (!gradient_) gradient_ = std::make_unique<TNuvFontGradient>([this](TObject* s) { SubChanged(s); });
  return gradient_.get();
}

void TNuvFont::SetGradient(const TNuvFontGradient* v)
{
  if (v) GetGradient()->Assign(v); else gradient_.reset();
}

TChartHiddenPen* TNuvFont::GetOutLine()
{
  if (!outLine_) outLine_ = std::make_unique<TChartHiddenPen>([this](TObject* s) { SubChanged(s); });
  return outLine_.get();
}

void TNuvFont::SetOutLine(const TChartPen* v)
{
  if (v) GetOutLine()->Assign(v); else outLine_.reset();
}

TNuvShadow* TNuvFont::GetShadow()
{
  if (!shadow_) shadow_ = std::make_unique<TNuvShadow>([this](TObject* s) { SubChanged(s); });
  return shadow_.get();
}

void TNuvFont::SetShadow(const TNuvShadow* v)
{
  if (v) GetShadow()->Assign(v); else shadow_.reset();
}

void TNuvFont::SetInterCharSize(int32_t v)
{
  if (Store(interCharSize_, v)) {
    if (OnChange) OnChange(this);
  }
}
