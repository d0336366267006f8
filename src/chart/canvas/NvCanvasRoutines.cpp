#include "chart/canvas/NvCanvasRoutines.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NvCanvasButtons.h"
#include "chart/canvas/NvCanvasEffects.h"
#include "platform/Gdi.h"

TPoint MakePoint(int32_t x, int32_t y) { return {x, y}; }
TRect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }

bool PointInRectXY(const TRect& rect, int32_t x, int32_t y)
{
  return rect.Left <= x && x <= rect.Right && rect.Top <= y && y <= rect.Bottom;
}

bool PointInRect(const TRect& rect, TPoint p) { return PointInRectXY(rect, p.x, p.y); }

TRect OrientRectangle(const TRect& rect)
{
  TRect r = rect;
  if (r.Left > r.Right) std::swap(r.Left, r.Right);
  if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
  return r;
}

void RectSize(const TRect& rect, int32_t& width, int32_t& height)
{
  width = SubChecked(rect.Right, rect.Left);
  height = SubChecked(rect.Bottom, rect.Top);
}

void RectCenter(const TRect& rect, int32_t& x, int32_t& y)
{
  x = static_cast<int32_t>((int64_t{rect.Left} + rect.Right) / 2);
  y = static_cast<int32_t>((int64_t{rect.Top} + rect.Bottom) / 2);
}

bool IsNegativeCross(TPoint p0, TPoint p1, TPoint p2)
{
  int64_t v = (int64_t{p0.x} - p1.x) * (int64_t{p2.y} - p1.y) - (int64_t{p2.x} - p1.x) * (int64_t{p0.y} - p1.y);
  return v < 0;
}

bool IsNegativeCrossArray(std::span<const TPoint> points)
{
  return points.size() >= 3 && IsNegativeCross(points[0], points[1], points[2]);
}

void PolygonBounds(std::span<const TPoint> points, int32_t count, TRect& rect)
{
  count = std::min<int32_t>(count, static_cast<int32_t>(points.size()));
  if (count <= 0) {
    rect = {};
    return;
  }
  rect = {points[0].x, points[0].y, points[0].x, points[0].y};
  for (int32_t i = 1; i < count; ++i) {
    rect.Left = std::min(rect.Left, points[i].x);
    rect.Right = std::max(rect.Right, points[i].x);
    rect.Top = std::min(rect.Top, points[i].y);
    rect.Bottom = std::max(rect.Bottom, points[i].y);
  }
  rect.Right = AddChecked(rect.Right, 1);
  rect.Bottom = AddChecked(rect.Bottom, 1);
}

void PointAtDistance(TPoint fromP, TPoint toP, int32_t distance, TPoint& p)
{
  if (toP.x == fromP.x) {
    p.x = toP.x;
    p.y = toP.y >= fromP.y ? SubChecked(toP.y, distance) : AddChecked(toP.y, distance);
    return;
  }
  double a = std::atan2(double(toP.y) - fromP.y, double(toP.x) - fromP.x);
  p.x = SubChecked(toP.x, Round32(distance * std::cos(a)));
  p.y = SubChecked(toP.y, Round32(distance * std::sin(a)));
}

double Hypotenuse(double a, double b) { return std::sqrt(a * a + b * b); }
void SwapInteger(int32_t& a, int32_t& b) { std::swap(a, b); }
void SwapDouble(double& a, double& b) { std::swap(a, b); }

TColor DarkenColor(TColor color, int32_t quantity)
{
  TColor c = ColorToRGB(color);
  auto f = [quantity](int v) { return static_cast<uint8_t>(std::clamp(v - quantity, 0, 255)); };
  return RGB(f(GetRValue(c)), f(GetGValue(c)), f(GetBValue(c)));
}

TColor BrightenColor(TColor color, int32_t quantity)
{
  TColor c = ColorToRGB(color);
  auto f = [quantity](int v) { return static_cast<uint8_t>(std::clamp(v + quantity, 0, 255)); };
  return RGB(f(GetRValue(c)), f(GetGValue(c)), f(GetBValue(c)));
}

// ---- Smooth stretching ----

namespace {

double Sinc(double t) { return t == 0 ? 1.0 : std::sin(t) / t; }

double Lanczos3(double x)
{
  x = std::fabs(x);
  if (x == 0) return 1.0;
  if (x >= 3.0) return 0.0;
  return Sinc(std::numbers::pi * x) * Sinc(std::numbers::pi * x / 3.0);
}

double Triangle(double x)
{
  x = std::fabs(x);
  return x < 1.0 ? 1.0 - x : 0.0;
}

struct Contributor {
  int32_t pixel;
  int32_t weight;
};

// Mirrors an index outside 0..size-1 back into the source; very wide filters (large shrink
// factors, sources of two or three pixels) may need more than one reflection, and the result
// is always kept inside the source.
int32_t MirrorIndex(int64_t j, int32_t size)
{
  if (size == 1) return 0;
  const int64_t period = 2 * int64_t{size};
  for (int guard = 0; guard < 4 && (j < 0 || j >= size); ++guard) {
    if (j < 0) j = -j;
    if (j >= size) j = period - 1 - j;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(j, 0, size - 1));
}

std::vector<std::vector<Contributor>> Contributors(int32_t destSize, int32_t srcSize, bool narrow)
{
  const double support = narrow ? 1.0 : 3.0;
  auto filter = narrow ? Triangle : Lanczos3;
  const double scale = double(destSize - 1) / double(srcSize - 1);
  std::vector<std::vector<Contributor>> list(destSize);
  for (int32_t i = 0; i < destSize; ++i) {
    const double center = i / scale;
    auto& c = list[i];
    if (scale < 1.0) {
      const double width = support / scale;
      const int64_t lo = static_cast<int64_t>(std::floor(center - width));
      const int64_t hi = static_cast<int64_t>(std::ceil(center + width));
      for (int64_t j = lo; j <= hi; ++j) {
        int32_t w = static_cast<int32_t>(RoundHalfEven(1024.0 * scale * filter((center - double(j)) * scale)));
        if (w != 0) c.push_back({MirrorIndex(j, srcSize), w});
      }
    } else {
      const int64_t lo = static_cast<int64_t>(std::floor(center - support));
      const int64_t hi = static_cast<int64_t>(std::ceil(center + support));
      for (int64_t j = lo; j <= hi; ++j) {
        int32_t w = static_cast<int32_t>(RoundHalfEven(1024.0 * filter(center - double(j))));
        if (w != 0) c.push_back({MirrorIndex(j, srcSize), w});
      }
    }
  }
  return list;
}

inline uint8_t Clip1024(int64_t sum)
{
  if (sum >= 256 * 1024) return 255;
  if (sum < 0) return 0;
  return static_cast<uint8_t>(sum / 1024);
}

}  // namespace

void SmoothStretch(TBitmap* source, TBitmap* dest) { SmoothStretchMode(source, dest, false); }

void SmoothStretchMode(TBitmap* source, TBitmap* dest, bool narrow)
{
  if (!source || !dest) return;
  if (source->GetWidth() < 2 || source->GetHeight() < 2)
    throw Exception("SmoothStretch: Source bitmap too small");
  if (dest->GetWidth() < 2 || dest->GetHeight() < 2)
    throw Exception("SmoothStretch: Destination bitmap too small");
  source->SetPixelFormat(pf24bit);
  dest->SetPixelFormat(pf24bit);
  const int32_t sw = source->GetWidth(), sh = source->GetHeight();
  const int32_t dw = dest->GetWidth(), dh = dest->GetHeight();

  TBitmap work;
  work.SetPixelFormat(pf24bit);
  work.SetSize(dw, sh);

  {
    auto contrib = Contributors(dw, sw, narrow);
    for (int32_t y = 0; y < sh; ++y) {
      const uint8_t* src = source->ScanLine(y);
      uint8_t* dst = work.ScanLine(y);
      for (int32_t x = 0; x < dw; ++x) {
        int64_t b = 0, g = 0, r = 0;
        for (const auto& c : contrib[x]) {
          const uint8_t* p = src + 3 * c.pixel;
          b += int64_t{c.weight} * p[0];
          g += int64_t{c.weight} * p[1];
          r += int64_t{c.weight} * p[2];
        }
        dst[3 * x] = Clip1024(b);
        dst[3 * x + 1] = Clip1024(g);
        dst[3 * x + 2] = Clip1024(r);
      }
    }
  }
  {
    auto contrib = Contributors(dh, sh, narrow);
    std::vector<const uint8_t*> rows(sh);
    for (int32_t y = 0; y < sh; ++y) rows[y] = work.ScanLine(y);
    for (int32_t y = 0; y < dh; ++y) {
      uint8_t* dst = dest->ScanLine(y);
      for (int32_t x = 0; x < 3 * dw; ++x) {
        int64_t sum = 0;
        for (const auto& c : contrib[y]) sum += int64_t{c.weight} * rows[c.pixel][x];
        dst[x] = Clip1024(sum);
      }
    }
  }
}

// ---- Bound functions ----

namespace {

void PlatformAlphaBlend(TBitmap* dest, int32_t x, int32_t y, TBitmap* source, uint8_t alpha)
{
  if (source->GetPixelFormat() != pf24bit) source->SetPixelFormat(pf24bit);
  const TPixelFormat f = dest->GetPixelFormat();
  if (f != pf24bit && f != pf32bit && f != pfDevice) dest->SetPixelFormat(pf24bit);
  const int bpp = dest->GetPixelFormat() == pf24bit ? 3 : 4;
  const int32_t w = std::min(source->GetWidth(), dest->GetWidth() - x);
  const int32_t h = std::min(source->GetHeight(), dest->GetHeight() - y);
  if (x < 0 || y < 0 || w <= 0 || h <= 0) return;
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* s = source->ScanLine(row);
    uint8_t* d = dest->ScanLine(row + y) + bpp * x;
    for (int32_t i = 0; i < w; ++i)
      for (int k = 0; k < 3; ++k) {
        uint8_t& t = d[bpp * i + k];
        t = static_cast<uint8_t>((s[3 * i + k] * alpha + t * (255 - alpha) + 127) / 255);
      }
  }
}

void PlatformSetBrushColor(TCanvas* canvas, TColor color) { ::SetDCBrushColor(canvas, color); }

void PlatformSetPenColor(TCanvas* canvas, TColor color) { ::SetDCPenColor(canvas, color); }

int startupCount = 0;

}  // namespace

TAlphaBlendProc NuvAlphaBlend = nullptr;
bool NuvCanUseAlphaBlend = false;
TSetDCColorProc NuvSetDCBrushColor = nullptr;
TSetDCColorProc NuvSetDCPenColor = nullptr;

void NvCanvasStartup()
{
  if (startupCount++ > 0) return;
  NuvConstStartup();
  // Made now, so that it outlives the unit object whose shut-down empties it.
  NuvCustomColors();
  NuvAlphaBlend = PlatformAlphaBlend;
  NuvCanUseAlphaBlend = true;
  int32_t size = 8;
  try {
    size = std::stoi(NuvMsg_DefaultFontSize);
  } catch (...) {
  }
  SetNuvDefaultFont(NuvMsg_DefaultFontName, size);
  NuvSetDCBrushColor = PlatformSetBrushColor;
  NuvSetDCPenColor = PlatformSetPenColor;
}

void NvCanvasShutdown()
{
  if (startupCount == 0 || --startupCount > 0) return;
  NuvAlphaBlend = nullptr;
  NuvCanUseAlphaBlend = false;
  NuvSetDCBrushColor = nullptr;
  NuvSetDCPenColor = nullptr;
  NuvCustomColors().clear();
  SetNuvDefaultFont("", 8);
  NuvConstShutdown();
}

namespace {
struct CanvasUnit {
  CanvasUnit() { NvCanvasStartup(); }
  ~CanvasUnit() { NvCanvasShutdown(); }
  CanvasUnit(const CanvasUnit&) = delete;
  CanvasUnit& operator=(const CanvasUnit&) = delete;
};
CanvasUnit canvasUnit;
}  // namespace
