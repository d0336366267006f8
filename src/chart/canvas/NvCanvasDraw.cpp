// Text, clipping, gradient fills and solids of the GDI canvas.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "chart/canvas/NvCanvas.h"
#include "chart/canvas/NvCanvasBlend.h"
#include "platform/Gdi.h"

namespace {

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
  if (c == 0) return -1;
  return CheckedInt32(RoundHalfAway(double(a) * double(b) / double(c)));
}

int64_t Cross(TPoint a, TPoint b, TPoint c)
{
  // (a - b) x (c - b)
  return (int64_t{a.x} - b.x) * (int64_t{c.y} - b.y) - (int64_t{c.x} - b.x) * (int64_t{a.y} - b.y);
}

// Twice the signed area of a projected polygon (screen coordinates, Y down).
int64_t Shoelace(std::span<const TPoint> p)
{
  int64_t sum = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const TPoint a = p[i], b = p[(i + 1) % p.size()];
    sum += int64_t{a.x} * b.y - int64_t{b.x} * a.y;
  }
  return sum;
}

// A quadrilateral faces the viewer: (P3 - P2) x (P1 - P2) > 0.
bool Facing(const TFourPoints& p) { return Cross(p[3], p[2], p[1]) > 0; }

// Restores the font's size, orientation and quality when it goes out of scope.
class FontState {
public:
  explicit FontState(TFont* f)
    : f_(f), height_(f->GetHeight()), orientation_(f->GetOrientation()), quality_(f->GetQuality())
  {
  }
  ~FontState()
  {
    if (f_->GetHeight() != height_) f_->SetHeight(height_);
    if (f_->GetOrientation() != orientation_) f_->SetOrientation(orientation_);
    if (f_->GetQuality() != quality_) f_->SetQuality(quality_);
  }

private:
  TFont* f_;
  int32_t height_, orientation_;
  TFontQuality quality_;
};

}  // namespace

// ---- Text ----

TRect TNuvCanvas3D::TextRectAt(int32_t x, int32_t y, const std::string& text)
{
  const int32_t w = TextWidth(text), h = TextHeight(text);
  const uint32_t align = GetTextAlign() & ~TA_BOTTOM;
  if ((align & TA_CENTER) == TA_CENTER) return {x - w / 2, y, x + w / 2, y + h};
  if ((align & TA_CENTER) == TA_RIGHT) return {x - w, y, x, y + h};
  return {x, y, x + w, y + h};
}

void TNuvCanvas3D::TextOutPlain(int32_t x, int32_t y, const std::string& text)
{
  referenceCanvas_->TextOut(x, y, text);
}

void TNuvCanvas3D::TextOut(int32_t x, int32_t y, const std::string& text)
{
  TNuvFont* f = currentFont_;
  if (TNuvShadow* sh = f ? f->ShadowOrNull() : nullptr; sh && (sh->GetHorizSize() != 0 || sh->GetVertSize() != 0)) {
    int32_t sx = x, sy = y;
    if (sh->GetHorizSize() >= 0) sx = AddChecked(x, sh->GetHorizSize()); else x = SubChecked(x, sh->GetHorizSize());
    if (sh->GetVertSize() >= 0) sy = AddChecked(y, sh->GetVertSize()); else y = SubChecked(y, sh->GetVertSize());
    TNuvBlend* blend = nullptr;
    if (sh->GetTransparency() > 0) blend = BeginBlending(TextRectAt(sx, sy, text), sh->GetTransparency());
    ::SetTextColor(referenceCanvas_, sh->GetColor());
    TextOutPlain(sx, sy, text);
    if (blend) EndBlending(blend);
  }
  ::SetTextColor(referenceCanvas_, font_->GetColor());

  TChartHiddenPen* outline = f ? f->OutLineOrNull() : nullptr;
  TNuvFontGradient* gradient = f ? f->GradientOrNull() : nullptr;
  const bool hasOutline = outline && outline->GetVisible();
  const bool hasGradient = gradient && gradient->GetVisible();
  if (!hasOutline && !hasGradient) {
    TextOutPlain(x, y, text);
    return;
  }
  TextOutChartFont(x, y, text);
}

void TNuvCanvas3D::TextOutChartFont(int32_t x, int32_t y, const std::string& text)
{
  TNuvFont* f = currentFont_;
  TChartHiddenPen* outline = f->OutLineOrNull();
  TNuvFontGradient* gradient = f->GradientOrNull();
  const bool hasOutline = outline && outline->GetVisible();
  const bool hasGradient = gradient && gradient->GetVisible();
  const TColor color = font_->GetColor();
  TCanvas* dc = referenceCanvas_;

  auto buildPath = [&] {
    ::BeginPath(dc);
    ::TextOut(dc, x, y, text);
    ::EndPath(dc);
  };
  if (hasOutline)
    AssignVisiblePen(outline);
  else
    pen_->SetStyle(psClear);
  brush_->SetBitmap(nullptr);
  brush_->SetStyle(bsSolid);
  brush_->SetColor(color);
  SetBackMode(cbmTransparent);
  buildPath();
  if (hasGradient) {
    if (gradient->GetOutline()) ::WidenPath(dc);
    SaveClip();
    ::SelectClipPath(dc, RGN_AND);
    gradient->Draw(this, TextRectAt(x, y, text));
    UnClipRectangle();
    if (gradient->GetOutline()) return;
    if (hasOutline) {
      buildPath();
      brush_->SetStyle(bsClear);
    }
  }
  if (hasOutline) {
    if (color != clNone)
      ::StrokeAndFillPath(dc);
    else
      ::StrokePath(dc);
  }
}

int32_t TNuvCanvas3D::TextWidth(const std::string& text)
{
  int32_t w = referenceCanvas_->TextWidth(text);
  if (currentFont_ && currentFont_->ShadowOrNull()) w = AddChecked(w, std::abs(currentFont_->ShadowOrNull()->GetHorizSize()));
  return w;
}

int32_t TNuvCanvas3D::TextHeight(const std::string& text)
{
  int32_t h = referenceCanvas_->TextHeight(text);
  if (currentFont_ && currentFont_->ShadowOrNull()) h = AddChecked(h, std::abs(currentFont_->ShadowOrNull()->GetVertSize()));
  return h;
}

namespace {
std::string ToUtf8(const std::wstring& w)
{
  std::string s;
  for (wchar_t wc : w) {
    uint32_t c = static_cast<uint32_t>(wc);
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | ((c >> 18) & 0x07));
      s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}
}  // namespace

int32_t TNuvCanvas3D::WideTextWidth(const std::wstring& text) { return TextWidth(ToUtf8(text)); }
int32_t TNuvCanvas3D::WideTextHeight(const std::wstring& text) { return TextHeight(ToUtf8(text)); }

void TNuvCanvas3D::RotateLabel(int32_t x, int32_t y, const std::string& text, double angle)
{
  while (angle >= 360) angle -= 360;
  brush_->SetStyle(bsClear);
  FontState saved(font_);
  const int32_t size = font_->GetSize();
  font_->SetOrientation(Round32(angle * 10));
  font_->SetQuality(fqAntialiased);
  if (zoomText_ && zoomFactor_ != 1.0 && zoomFactor_ != 0)
    font_->SetHeight(-MulDiv(std::max(1, Round32(size * zoomFactor_)), TFont::PixelsPerInch, 72));
  TextOut(x, y, text);
}

void TNuvCanvas3D::TextOut3D(int32_t x, int32_t y, int32_t z, const std::string& text)
{
  TPoint p = Calculate3DPosition(x, y, z);
  if (zoomText_ && zoomFactor_ != 1.0 && zoomFactor_ != 0) {
    const int32_t size = font_->GetSize();
    const int32_t s = std::max(1, Round32(size * zoomFactor_));
    if (s != size) {
      FontState saved(font_);
      font_->SetHeight(-MulDiv(s, TFont::PixelsPerInch, 72));
      TextOut(p.x, p.y, text);
      return;
    }
  }
  TextOut(p.x, p.y, text);
}

// ---- Clipping ----

void TNuvCanvas3D::SaveClip()
{
  if (!savedClip_) savedClip_ = std::make_unique<TRegion>();
  hasSavedClip_ = ::GetClipRgn(referenceCanvas_, *savedClip_) == 1;
}

namespace {
// The rectangle in device coordinates.
TRect ToDevice(TCanvas* dc, const TRect& r)
{
  TPoint p[2] = {{r.Left, r.Top}, {r.Right, r.Bottom}};
  ::LPtoDP(dc, p, 2);
  return {p[0].x, p[0].y, p[1].x, p[1].y};
}
}  // namespace

void TNuvCanvas3D::ClipRectangle(const TRect& rect)
{
  SaveClip();
  TRegion r = ::CreateRectRgnIndirect(ToDevice(referenceCanvas_, rect));
  ::ExtSelectClipRgn(referenceCanvas_, &r, RGN_AND);
}

void TNuvCanvas3D::ClipRoundRectangle(const TRect& rect, int32_t roundSize)
{
  SaveClip();
  const TRect d = ToDevice(referenceCanvas_, rect);
  TRegion r = ::CreateRoundRectRgn(d.Left, d.Top, d.Right, d.Bottom, roundSize, roundSize);
  ::ExtSelectClipRgn(referenceCanvas_, &r, RGN_AND);
}

void TNuvCanvas3D::ClipEllipse(const TRect& rect, bool inverted)
{
  if (inverted) {
    TRegion r = ::CreateEllipticRgnIndirect(rect);
    ::ExtSelectClipRgn(referenceCanvas_, &r, RGN_XOR);
    return;
  }
  SaveClip();
  TRegion r = ::CreateEllipticRgnIndirect(ToDevice(referenceCanvas_, rect));
  ::ExtSelectClipRgn(referenceCanvas_, &r, RGN_AND);
}

void TNuvCanvas3D::ClipPolygon(std::span<const TPoint> points)
{
  SaveClip();
  std::vector<TPoint> p(points.begin(), points.end());
  ::LPtoDP(referenceCanvas_, p.data(), static_cast<int>(p.size()));
  TRegion r = ::CreatePolygonRgn(p.data(), static_cast<int>(p.size()), ALTERNATE);
  ::ExtSelectClipRgn(referenceCanvas_, &r, RGN_AND);
}

void TNuvCanvas3D::UnClipRectangle()
{
  if (hasSavedClip_ && savedClip_)
    ::SelectClipRgn(referenceCanvas_, savedClip_.get());
  else
    ::SelectClipRgn(referenceCanvas_, nullptr);
  hasSavedClip_ = false;
}

void TNuvCanvas3D::ClipCube(const TRect& rect, int32_t minZ, int32_t maxZ)
{
  if (!is3D_) {
    ClipRectangle({rect.Left + 1, rect.Top + 1, rect.Right, rect.Bottom - 1});
    return;
  }
  std::vector<TPoint> p;
  for (int32_t z : {minZ, maxZ})
    for (int32_t y : {rect.Top, rect.Bottom})
      for (int32_t x : {rect.Left, rect.Right}) p.push_back(Calculate3DPosition(x, y, z));
  // Convex hull: start at the smallest point, sort the rest by angle, drop wrong turns.
  auto lowest = std::min_element(p.begin(), p.end(), [](TPoint a, TPoint b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  std::iter_swap(p.begin(), lowest);
  const TPoint o = p[0];
  std::sort(p.begin() + 1, p.end(), [o](TPoint a, TPoint b) {
    int64_t c = (int64_t{a.x} - o.x) * (int64_t{b.y} - o.y) - (int64_t{a.y} - o.y) * (int64_t{b.x} - o.x);
    if (c != 0) return c > 0;
    return std::abs(a.x - o.x) + std::abs(a.y - o.y) < std::abs(b.x - o.x) + std::abs(b.y - o.y);
  });
  std::vector<TPoint> hull;
  for (TPoint q : p) {
    while (hull.size() >= 2) {
      TPoint a = hull[hull.size() - 2], b = hull.back();
      int64_t c = (int64_t{b.x} - a.x) * (int64_t{q.y} - a.y) - (int64_t{b.y} - a.y) * (int64_t{q.x} - a.x);
      if (c > 0) break;
      hull.pop_back();
    }
    hull.push_back(q);
  }
  ClipPolygon(hull);
}

// ---- Gradient fill ----

void TNuvCanvas3D::GradientFill(const TRect& rect, TColor startColor, TColor endColor, TGradientDirection direction,
                                int32_t balance)
{
  const TRect r = OrientRectangle(rect);
  if (direction == gdRadial) {
    TCustomNuvGradient g;
    g.DrawRadial(this, r, startColor, endColor);
    return;
  }
  if (direction == gdBottomTop || direction == gdRightLeft || direction == gdFromCenter ||
      direction == gdFromTopLeft || direction == gdFromBottomLeft)
    std::swap(startColor, endColor);
  const TColor s = ColorToRGB(startColor), e = ColorToRGB(endColor);
  const int32_t w = r.Width(), h = r.Height();
  const double power = 0.5 + 0.015 * balance;

  auto component = [&](int sc, int ec, int32_t i, int32_t n) -> uint8_t {
    int64_t v = balance == 50 ? sc + (int64_t{ec} - sc) * i / n
                              : sc + RoundHalfEven((ec - sc) * std::pow((1.0 + i) / (1.0 + n), power));
    if (v < 0 || v > 255) throw ERangeError("Colour component out of range");
    return static_cast<uint8_t>(v);
  };
  auto stepColor = [&](int32_t i, int32_t n) {
    return RGB(component(GetRValue(s), GetRValue(e), i, n), component(GetGValue(s), GetGValue(e), i, n),
               component(GetBValue(s), GetBValue(e), i, n));
  };

  // Fills with PATCOPY semantics; the brush is restored afterwards.
  TBitmap* oldBitmap = brush_->GetBitmap();
  const TBrushStyle oldStyle = brush_->GetStyle();
  const TColor oldColor = brush_->GetColor();
  brush_->SetBitmap(nullptr);
  brush_->SetStyle(bsSolid);
  TColor current = 0xFFFFFFFFu;
  auto fill = [&](const TRect& band, TColor c) {
    if (c != current) {
      if (NuvSetDCBrushColor)
        NuvSetDCBrushColor(referenceCanvas_, c);
      else
        brush_->SetColor(c);
      current = c;
    }
    referenceCanvas_->FillRect(band);
  };

  switch (direction) {
    case gdTopBottom:
    case gdBottomTop: {
      const int32_t b = std::min(h, 256), n = b - 1;
      if (n < 1) break;
      for (int32_t i = 0; i < b; ++i)
        fill({r.Left, r.Bottom - static_cast<int32_t>(int64_t{i + 1} * h / b), r.Right,
              r.Bottom - static_cast<int32_t>(int64_t{i} * h / b)},
             stepColor(i, n));
      break;
    }
    case gdLeftRight:
    case gdRightLeft: {
      const int32_t b = std::min(w, 256), n = b - 1;
      if (n < 1) break;
      for (int32_t i = 0; i < b; ++i)
        fill({r.Right - static_cast<int32_t>(int64_t{i + 1} * w / b), r.Top,
              r.Right - static_cast<int32_t>(int64_t{i} * w / b), r.Bottom},
             stepColor(i, n));
      break;
    }
    case gdFromCenter: {
      const int32_t n = std::max(1, w / 2 + h / 2);
      // The ramp runs over the outlines there are, so the innermost one takes the centre colour
      // also when the shorter half ends long before the longer one.
      const int32_t last = std::max(0, (std::min(w, h) - 1) / 2);
      for (int32_t k = 0;; ++k) {
        const int32_t ix = std::min(k, w / 2), iy = std::min(k, h / 2);
        const TRect o{r.Left + ix, r.Top + iy, r.Right - ix, r.Bottom - iy};
        if (o.IsEmpty()) break;
        const int32_t step = last > 0 ? static_cast<int32_t>(int64_t{std::min(k, last)} * n / last) : n;
        const TColor c = stepColor(step, n);
        fill({o.Left, o.Top, o.Right, o.Top + 1}, c);
        fill({o.Left, o.Bottom - 1, o.Right, o.Bottom}, c);
        fill({o.Left, o.Top, o.Left + 1, o.Bottom}, c);
        fill({o.Right - 1, o.Top, o.Right, o.Bottom}, c);
        if (ix == w / 2 && iy == h / 2) break;
      }
      break;
    }
    case gdFromTopLeft:
    case gdFromBottomLeft: {
      // Squares from the far corner inwards: pixel (dx, dy) from the corner takes step 2 * max(dx, dy).
      const int32_t n = std::max(1, w + h);
      const bool top = direction == gdFromTopLeft;
      for (int32_t k = std::max(w, h) - 1; k >= 0; --k) {
        const int32_t sx = std::min(w, k + 1), sy = std::min(h, k + 1);
        const TRect sq = top ? TRect{r.Left, r.Top, r.Left + sx, r.Top + sy}
                             : TRect{r.Left, r.Bottom - sy, r.Left + sx, r.Bottom};
        fill(sq, stepColor(std::min(2 * k, n), n));
      }
      break;
    }
    case gdDiagonalUp:
    case gdDiagonalDown: {
      const int32_t big = std::max(w, h), small = std::min(w, h);
      const int32_t total = big + small;
      const int32_t n = std::max(1, std::min(255, total - 1));
      if (w <= 0 || h <= 0) break;
      TPen saved;
      saved.Assign(pen_);
      pen_->SetStyle(psSolid);
      pen_->SetWidth(1);
      pen_->SetMode(pmCopy);
      pen_->SetGeometric(false);
      const bool up = direction == gdDiagonalUp;
      for (int32_t k = 0; k < w + h - 1; ++k) {
        // Pixels with dx + dy = k from the corner.
        const int32_t dx0 = std::max(0, k - (h - 1)), dx1 = std::min(k, w - 1);
        const int32_t x0 = r.Left + dx0, x1 = r.Left + dx1;
        const int32_t y0 = up ? r.Bottom - 1 - (k - dx0) : r.Top + (k - dx0);
        const int32_t y1 = up ? r.Bottom - 1 - (k - dx1) : r.Top + (k - dx1);
        pen_->SetColor(stepColor(static_cast<int32_t>(int64_t{n} * k / total), n));
        MoveTo(x0, y0);
        LineTo(x1 + 1, up ? y1 + 1 : y1 - 1);
      }
      pen_->Assign(&saved);
      break;
    }
    default:
      break;
  }
  brush_->SetColor(oldColor);
  brush_->SetStyle(oldStyle);
  brush_->SetBitmap(oldBitmap);
}

// ---- Solids ----

void TNuvCanvas3D::Cube(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t z0, int32_t z1,
                        bool darkSides)
{
  CubeFaces(left, right, top, bottom, z0, z1, darkSides);
}

void TNuvCanvas3D::CubeFaces(int32_t l, int32_t r, int32_t t, int32_t b, int32_t z0, int32_t z1, bool darkSides)
{
  const bool clear = brush_->GetStyle() == bsClear && !brush_->GetBitmap();
  const TColor base = brush_->GetStyle() == bsSolid ? brush_->GetColor() : GetBackColor();
  auto paint = [&](int32_t quantity) {
    if (clear) return;
    if (quantity == 0) ApplyDarkColor(base, 0); else ApplyDarkColor(base, quantity);
  };
  SetFour({l, t, z0}, {r, t, z0}, {r, b, z0}, {l, b, z0});
  if (!clear && !Facing(iPoints_)) SetFour({l, t, z1}, {r, t, z1}, {r, b, z1}, {l, b, z1});
  paint(0);
  PolygonFour();
  SetFour({r, t, z0}, {r, t, z1}, {r, b, z1}, {r, b, z0});
  if (clear || Facing(iPoints_)) {
    paint(darkSides ? DarkColorQuantity : 0);
    PolygonFour();
  }
  SetFour({l, t, z0}, {l, t, z1}, {l, b, z1}, {l, b, z0});
  if (clear || Cross(iPoints_[3], iPoints_[0], iPoints_[1]) > 0) {
    paint(darkSides ? DarkColorQuantity : 0);
    PolygonFour();
  }
  SetFour({l, t, z0}, {r, t, z0}, {r, t, z1}, {l, t, z1});
  if (clear || Cross(iPoints_[0], iPoints_[1], iPoints_[2]) > 0) {
    paint(darkSides ? DarkerColorQuantity : 0);
    PolygonFour();
  }
  SetFour({l, b, z0}, {l, b, z1}, {r, b, z1}, {r, b, z0});
  if (clear || Cross(iPoints_[3], iPoints_[2], iPoints_[1]) < 0) {
    paint(darkSides ? DarkerColorQuantity : 0);
    PolygonFour();
  }
  if (!clear && brush_->GetStyle() == bsSolid) brush_->SetColor(base);
}

void TNuvCanvas3D::EllipseWithZ(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t z)
{
  if (isOrthogonal_) {
    TPoint a = Calculate3DPosition(x1, y1, z), b = Calculate3DPosition(x2, y2, z);
    Ellipse(a.x, a.y, b.x, b.y);
    return;
  }
  if (!is3D_) {
    Ellipse(x1, y1, x2 + 1, y2 + 1);
    return;
  }
  const int32_t xc = static_cast<int32_t>((int64_t{x1} + x2) / 2), yc = static_cast<int32_t>((int64_t{y1} + y2) / 2);
  const int32_t rx = (x2 - x1) / 2, ry = (y2 - y1) / 2;
  const double a = 2 * std::numbers::pi / 63;
  std::vector<TPoint> p(64);
  for (int i = 0; i < 64; ++i)
    p[i] = Calculate3DPositionFloat(xc + rx * std::sin(i * a), yc + ry * std::cos(i * a), z);
  if (brush_->GetStyle() != bsClear || brush_->GetBitmap()) {
    const TPenStyle old = pen_->GetStyle();
    pen_->SetStyle(psClear);
    const TPoint c = Calculate3DPosition(xc, yc, z);
    for (int i = 0; i < 63; ++i) {
      TPoint tri[3] = {c, p[i], p[i + 1]};
      Polygon(tri);
    }
    pen_->SetStyle(old);
  }
  if (pen_->GetStyle() != psClear) Polyline(p);
}

void TNuvCanvas3D::Cylinder(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                            int32_t z1, bool dark3D)
{
  ConeBody(vertical, left, top, right, bottom, z0, z1, dark3D, 100);
}

void TNuvCanvas3D::Cone(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                        int32_t z1, bool dark3D, int32_t conePercent)
{
  ConeBody(vertical, left, top, right, bottom, z0, z1, dark3D, conePercent);
}

void TNuvCanvas3D::ConeBody(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                            int32_t z1, bool dark3D, int32_t conePercent)
{
  const TColor base = brush_->GetStyle() == bsSolid ? brush_->GetColor() : GetBackColor();
  const double zc = (double(z0) + z1) / 2, rz = (double(z1) - z0) / 2;
  const double k = conePercent / 100.0;
  // Ring i of an end: 17 points, the last equal to the first. The cone narrows towards the
  // top (vertical) or the left (horizontal), as on the OpenGL canvas. Horizontal rings run the
  // other way round, so that the sides keep the turn that tells a seen side.
  std::vector<TPoint> ringA(17), ringB(17);
  for (int i = 0; i <= 16; ++i) {
    const double ang = 2 * std::numbers::pi * i / 16;
    const double c = std::cos(ang), s = vertical ? std::sin(ang) : -std::sin(ang);
    const int32_t z = Round32(zc + rz * s);
    const int32_t zk = Round32(zc + rz * k * s);
    if (vertical) {
      const double xc = (double(left) + right) / 2, rx = (double(right) - left) / 2;
      ringA[i] = Calculate3DPositionFloat(xc + rx * c, bottom, z);
      ringB[i] = Calculate3DPositionFloat(xc + rx * k * c, top, zk);
    } else {
      const double yc = (double(top) + bottom) / 2, ry = (double(bottom) - top) / 2;
      ringA[i] = Calculate3DPositionFloat(right, yc + ry * c, z);
      ringB[i] = Calculate3DPositionFloat(left, yc + ry * k * c, zk);
    }
  }
  // Side shades go to the brush colour, or to the back colour of a hatched or pattern brush.
  int32_t shade = 0;
  for (int i = 1; i < 16; ++i) {
    TPoint q[4] = {ringA[i], ringA[i + 1], ringB[i + 1], ringB[i]};
    if (!IsNegativeCross(q[0], q[1], q[2])) {
      if (dark3D) ApplyDarkColor(base, (256 / (2 * CylinderSides)) * shade);
      Polygon(q);
    }
    ++shade;
  }
  {
    TPoint q[4] = {ringA[0], ringA[1], ringB[1], ringB[0]};
    if (!IsNegativeCross(q[0], q[1], q[2])) {
      if (dark3D) ApplyDarkColor(base, 0);
      Polygon(q);
    }
  }
  // End covers: only the one seen from the viewer (both as outlines with a clear brush).
  if (dark3D) ApplyDarkColor(base, DarkerColorQuantity);
  const bool clear = brush_->GetStyle() == bsClear && !brush_->GetBitmap();
  std::vector<TPoint> coverA(ringA.begin(), ringA.end() - 1), coverB(ringB.begin(), ringB.end() - 1);
  // The faces of the bounding cube at the two ends decide which cover is seen.
  auto P = [this](int32_t x, int32_t y, int32_t z) { return Calculate3DPosition(x, y, z); };
  bool seenA, seenB;
  if (vertical) {
    seenB = Cross(P(left, top, z0), P(right, top, z0), P(right, top, z1)) > 0;
    TFourPoints bq{P(left, bottom, z0), P(left, bottom, z1), P(right, bottom, z1), P(right, bottom, z0)};
    seenA = Cross(bq[3], bq[2], bq[1]) < 0;
  } else {
    seenA = Facing({P(right, top, z0), P(right, top, z1), P(right, bottom, z1), P(right, bottom, z0)});
    seenB = Cross(P(left, bottom, z0), P(left, top, z0), P(left, top, z1)) > 0;
  }
  if (clear || seenA) Polygon(coverA);
  if (clear || seenB) Polygon(coverB);
  if (dark3D) ApplyDarkColor(base, 0);
}

void TNuvCanvas3D::Pyramid(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                           int32_t z1, bool darkSides)
{
  const TColor base = brush_->GetStyle() == bsSolid ? brush_->GetColor() : GetBackColor();
  const int32_t zm = static_cast<int32_t>((int64_t{z0} + z1) / 2);
  auto side = [&](TPoint3D a, TPoint3D b, TPoint3D apex, bool always, bool invert, int32_t quantity) {
    TPoint p[3] = {Calculate3DPosition(a.x, a.y, a.z), Calculate3DPosition(b.x, b.y, b.z),
                   Calculate3DPosition(apex.x, apex.y, apex.z)};
    bool facing = !IsNegativeCross(p[0], p[1], p[2]);
    if (invert) facing = !facing;
    if (always || facing) {
      if (quantity) ApplyDarkColor(base, quantity); else ApplyDarkColor(base, 0);
      Polygon(p);
    }
  };
  if (vertical) {
    const int32_t xm = static_cast<int32_t>((int64_t{left} + right) / 2);
    if (top != bottom) {
      const bool inv = top >= bottom;
      const TPoint3D apex{xm, top, zm};
      side({left, bottom, z0}, {right, bottom, z0}, apex, true, inv, 0);
      side({right, bottom, z1}, {left, bottom, z1}, apex, false, inv, 0);
      side({right, bottom, z0}, {right, bottom, z1}, apex, false, inv, darkSides ? DarkColorQuantity : 0);
      side({left, bottom, z1}, {left, bottom, z0}, apex, false, inv, darkSides ? DarkColorQuantity : 0);
    }
    // The base faces down, away from an apex above it.
    SetFour({left, bottom, z0}, {right, bottom, z0}, {right, bottom, z1}, {left, bottom, z1});
    const int64_t turn = Shoelace(iPoints_);
    if (top == bottom || (top < bottom ? turn > 0 : turn < 0)) {
      ApplyDarkColor(base, darkSides ? DarkerColorQuantity : 0);
      PolygonFour();
    }
  } else {
    const int32_t ym = static_cast<int32_t>((int64_t{top} + bottom) / 2);
    if (left != right) {
      const bool inv = left >= right;
      const TPoint3D apex{right, ym, zm};
      side({left, bottom, z0}, {left, top, z0}, apex, true, inv, 0);
      side({left, top, z1}, {left, bottom, z1}, apex, false, inv, 0);
      side({left, top, z0}, {left, top, z1}, apex, false, inv, darkSides ? DarkerColorQuantity : 0);
      side({left, bottom, z1}, {left, bottom, z0}, apex, false, inv, darkSides ? DarkerColorQuantity : 0);
    }
    SetFour({left, top, z0}, {left, top, z1}, {left, bottom, z1}, {left, bottom, z0});
    const int64_t turn = Shoelace(iPoints_);
    if (left == right || (left < right ? turn < 0 : turn > 0)) {
      ApplyDarkColor(base, darkSides ? DarkColorQuantity : 0);
      PolygonFour();
    }
  }
  if (brush_->GetStyle() == bsSolid) brush_->SetColor(base);
}

void TNuvCanvas3D::PyramidTrunc(const TRect& r, int32_t startZ, int32_t endZ, int32_t truncX, int32_t truncZ)
{
  const int32_t xm = static_cast<int32_t>((int64_t{r.Left} + r.Right) / 2);
  const int32_t zm = static_cast<int32_t>((int64_t{startZ} + endZ) / 2);
  // Base at Bottom, top face at Top.
  const TPoint3D b0{r.Left, r.Bottom, startZ}, b1{r.Right, r.Bottom, startZ}, b2{r.Right, r.Bottom, endZ},
      b3{r.Left, r.Bottom, endZ};
  const TPoint3D t0{xm - truncX, r.Top, zm - truncZ}, t1{xm + truncX, r.Top, zm - truncZ},
      t2{xm + truncX, r.Top, zm + truncZ}, t3{xm - truncX, r.Top, zm + truncZ};
  // Each face listed bottom-left, bottom-right, top-right, top-left as seen from outside: it is
  // seen when its projection turns that way round.
  const bool clear = brush_->GetStyle() == bsClear && !brush_->GetBitmap();
  const bool flat = truncX == 0 && startZ == endZ;
  auto face = [&](TPoint3D a, TPoint3D b, TPoint3D c, TPoint3D d, bool always = false) {
    SetFour(a, b, c, d);
    if (always || clear || Shoelace(iPoints_) < 0) PolygonFour();
  };
  if (flat) {
    face(b0, b1, t1, t0, true);
    return;
  }
  face(b0, b3, b2, b1);
  face(b0, b1, t1, t0);
  face(b3, b0, t0, t3);
  face(b2, b3, t3, t2);
  face(b1, b2, t2, t1);
  face(t0, t1, t2, t3);
}

void TNuvCanvas3D::Pie3D(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, int32_t z0, int32_t z1,
                         double startAngle, double endAngle, bool darkSides, bool drawSides, int32_t donutPercent,
                         TCustomNuvGradient* gradient)
{
  const double degrees = std::fabs(endAngle - startAngle) * 180.0 / std::numbers::pi;
  const int32_t count = std::min(94, Round32(degrees / 2)) + 2;
  const TColor base = brush_->GetStyle() == bsSolid ? brush_->GetColor() : GetBackColor();
  const double ixr = donutPercent > 0 ? donutPercent * xRadius * 0.01 : 0;
  const double iyr = donutPercent > 0 ? donutPercent * yRadius * 0.01 : 0;
  std::vector<TPoint> o0(count), o1(count), i0(count), i1(count);
  for (int32_t k = 0; k < count; ++k) {
    const double a = startAngle + (endAngle - startAngle) * k / (count - 1);
    const double c = std::cos(a), s = std::sin(a);
    o0[k] = Calculate3DPositionFloat(xCenter + xRadius * c, yCenter - yRadius * s, z0);
    o1[k] = Calculate3DPositionFloat(xCenter + xRadius * c, yCenter - yRadius * s, z1);
    i0[k] = Calculate3DPositionFloat(xCenter + ixr * c, yCenter - iyr * s, z0);
    i1[k] = Calculate3DPositionFloat(xCenter + ixr * c, yCenter - iyr * s, z1);
  }
  const int32_t shade = darkSides ? PieSideColorQuantity : 0;
  const bool clear = brush_->GetStyle() == bsClear && !brush_->GetBitmap();
  // Faces are drawn only when they face the viewer, judged by the turn of their projected corners.
  if (donutPercent > 0) {
    ApplyDarkColor(base, shade);
    for (int32_t k = 0; k + 1 < count; ++k) {
      TPoint q[4] = {i0[k], i0[k + 1], i1[k + 1], i1[k]};
      if (clear || Shoelace(q) < 0) Polygon(q);
    }
  }
  if (drawSides) {
    const TPoint c0 = Calculate3DPosition(xCenter, yCenter, z0), c1 = Calculate3DPosition(xCenter, yCenter, z1);
    auto sideFace = [&](int32_t k, bool startSide) {
      const TPoint in0 = donutPercent > 0 ? i0[k] : c0, in1 = donutPercent > 0 ? i1[k] : c1;
      TPoint q[4] = {in0, o0[k], o1[k], in1};
      const int64_t turn = Shoelace(q);
      if (!clear && (startSide ? turn <= 0 : turn >= 0)) return;
      ApplyDarkColor(base, shade);
      Polygon(q);
    };
    sideFace(0, endAngle >= startAngle);
    sideFace(count - 1, endAngle < startAngle);
  }
  // Cover: the front one when it faces the viewer, else the back one.
  auto coverAt = [&](const std::vector<TPoint>& outer, const std::vector<TPoint>& inner, int32_t z) {
    std::vector<TPoint> cover(outer.begin(), outer.end());
    if (donutPercent > 0)
      cover.insert(cover.end(), inner.rbegin(), inner.rend());
    else
      cover.push_back(Calculate3DPosition(xCenter, yCenter, z));
    return cover;
  };
  std::vector<TPoint> cover = coverAt(o0, i0, z0);
  const bool ccw = endAngle >= startAngle;
  if (!clear && (Shoelace(cover) < 0) != ccw) cover = coverAt(o1, i1, z1);
  ApplyDarkColor(base, 0);
  if (gradient) {
    ClipPolygon(cover);
    TRect b;
    PolygonBounds(cover, static_cast<int32_t>(cover.size()), b);
    gradient->Draw(this, b);
    UnClipRectangle();
    const TBrushStyle old = brush_->GetStyle();
    brush_->SetStyle(bsClear);
    Polygon(cover);
    brush_->SetStyle(old);
  } else {
    Polygon(cover);
  }
  // Outer band over the part of the arc facing the viewer.
  ApplyDarkColor(base, shade);
  for (int32_t k = 0; k + 1 < count; ++k) {
    TPoint q[4] = {o0[k], o0[k + 1], o1[k + 1], o1[k]};
    if (clear || (Shoelace(q) > 0) == ccw) Polygon(q);
  }
  if (brush_->GetStyle() == bsSolid) brush_->SetColor(base);
}

void TNuvCanvas3D::Donut(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, double startAngle,
                         double endAngle, double holePercent)
{
  // One path: the outer arc counter-clockwise, the inner arc back clockwise.
  TCanvas* dc = referenceCanvas_;
  auto at = [&](int32_t rx, int32_t ry, double a) {
    return TPoint{Round32(xCenter + rx * std::cos(a)), Round32(yCenter - ry * std::sin(a))};
  };
  const int32_t ixr = Round32(xRadius * holePercent / 100.0), iyr = Round32(yRadius * holePercent / 100.0);
  const TPoint outerStart = at(xRadius, yRadius, startAngle), outerEnd = at(xRadius, yRadius, endAngle);
  const TPoint innerStart = at(ixr, iyr, startAngle), innerEnd = at(ixr, iyr, endAngle);
  // A whole ring has its inner arc start where it ends; it still needs the hole.
  const bool wholeRing = (ixr > 0 || iyr > 0) && std::fabs(endAngle - startAngle) >= 2 * std::numbers::pi - 1e-9;
  ::BeginPath(dc);
  ::MoveToEx(dc, outerStart.x, outerStart.y, nullptr);
  ::ArcTo(dc, xCenter - xRadius, yCenter - yRadius, xCenter + xRadius, yCenter + yRadius, outerStart.x, outerStart.y,
          outerEnd.x, outerEnd.y);
  ::LineTo(dc, innerEnd.x, innerEnd.y);
  if (innerStart != innerEnd || wholeRing) {
    ::SetArcDirection(dc, AD_CLOCKWISE);
    ::ArcTo(dc, xCenter - ixr, yCenter - iyr, xCenter + ixr, yCenter + iyr, innerEnd.x, innerEnd.y, innerStart.x,
            innerStart.y);
    ::SetArcDirection(dc, AD_COUNTERCLOCKWISE);
  }
  ::LineTo(dc, outerStart.x, outerStart.y);
  ::EndPath(dc);
  ::StrokeAndFillPath(dc);
}

void TNuvCanvas3D::Arrow(bool filled, TPoint fromPoint, TPoint toPoint, int32_t headWidth, int32_t headHeight,
                         int32_t z, int32_t arrowPercent)
{
  const double dx = double(toPoint.x) - fromPoint.x, dy = double(toPoint.y) - fromPoint.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length == 0) return;
  const double head = std::min<double>(headHeight, RoundHalfEven(length));
  const double ux = dx / length, uy = dy / length;
  const double nx = -uy, ny = ux;
  const double half = headWidth / 2.0, shaft = half * arrowPercent / 100.0;
  auto at = [&](double along, double across) {
    const double x = fromPoint.x + ux * along + nx * across, y = fromPoint.y + uy * along + ny * across;
    return Calculate3DPosition(Round32(x), Round32(y), z);
  };
  const double baseAt = length - head;
  if (!filled) {
    const TPoint a = at(0, 0), tip = at(length, 0), l = at(baseAt, half), r = at(baseAt, -half);
    MoveTo(a.x, a.y);
    LineTo(tip.x, tip.y);
    MoveTo(l.x, l.y);
    LineTo(tip.x, tip.y);
    MoveTo(r.x, r.y);
    LineTo(tip.x, tip.y);
    return;
  }
  TPoint p[7] = {at(0, shaft), at(baseAt, shaft), at(baseAt, half), at(length, 0),
                 at(baseAt, -half), at(baseAt, -shaft), at(0, -shaft)};
  Polygon(p);
}
