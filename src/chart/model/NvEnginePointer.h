#pragma once
// The series pointer: the marker drawn at a point by point-like series (and at the start of a
// mark's callout arrow): one of twelve shapes of a half-width and half-height, flat or solid in
// 3-D, filled with the point colour or its own brush, with optional gradient and transparency.
// The pointer belongs to its series (or callout) and asks the chart for margins so that markers
// at the plot edges are not cut.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

#include "chart/canvas/NuvShapes.h"

class TChartSeries;
class TPointerStamps;

enum TSeriesPointerStyle {
  psRectangle,
  psCircle,
  psTriangle,
  psDownTriangle,
  psCross,
  psDiagCross,
  psStar,
  psDiamond,
  psSmallDot,
  psNothing,
  psLeftTriangle,
  psRightTriangle
};

// The box of one marker at (x, y) with half sizes h and v: centred on the point, or, with
// aboveOnly, standing on it (top y - 2v, bottom y). Its sides are computed in 64 bits and held
// inside the 32-bit range with room for the one pixel the shapes add at their edges.
inline TRect PointerBox(int32_t x, int32_t y, int32_t h, int32_t v, bool aboveOnly)
{
  auto pixel = [](int64_t p) {
    return static_cast<int32_t>(std::clamp<int64_t>(p, int64_t{INT32_MIN} + 2, int64_t{INT32_MAX} - 2));
  };
  TRect r;
  r.Left = pixel(int64_t{x} - h);
  r.Right = pixel(int64_t{x} + h);
  r.Top = pixel(aboveOnly ? int64_t{y} - 2 * int64_t{v} : int64_t{y} - v);
  r.Bottom = pixel(aboveOnly ? int64_t{y} : int64_t{y} + v);
  return r;
}

class TSeriesPointer : public TNuvCustomShapeBrushPen {
public:
  // A pointer of series (may be nullptr); it takes the series' chart as its parent chart.
  explicit TSeriesPointer(TChartSeries* series);
  ~TSeriesPointer() override;
  TSeriesPointer(const TSeriesPointer&) = delete;
  TSeriesPointer& operator=(const TSeriesPointer&) = delete;

  void Assign(const TPersistent* source) override;

  bool GetAboveOnly() const { return aboveOnly_; }
  void SetAboveOnly(bool v);
  bool GetDark3D() const { return dark3D_; }
  void SetDark3D(bool v);
  bool GetDraw3D() const { return draw3D_; }
  void SetDraw3D(bool v);
  TNuvGradient* GetGradient() const { return gradient_.get(); }
  void SetGradient(const TNuvGradient* v);
  bool GetInflateMargins() const { return inflateMargins_; }
  void SetInflateMargins(bool v);
  TChartSeries* GetParentSeries() const { return parentSeries_; }
  TSeriesPointerStyle GetStyle() const { return style_; }
  void SetStyle(TSeriesPointerStyle v);
  TNuvTransparency GetTransparency() const { return transparency_; }
  void SetTransparency(TNuvTransparency v);
  // Half sizes in pixels; below 1 raises ChartException "Pointer size must be greater than zero".
  int32_t GetHorizSize() const { return horizSize_; }
  void SetHorizSize(int32_t v);
  int32_t GetVertSize() const { return vertSize_; }
  void SetVertSize(int32_t v);
  // The brush colour.
  TColor GetColor() const;
  void SetColor(TColor v);

  // Margins the series asks for: when visible and inflating, at least size + 1.
  void CalcHorizMargins(int32_t& left, int32_t& right) const;
  void CalcVerticalMargins(int32_t& top, int32_t& bottom) const;

  // Pen and brush for one marker in point colour color.
  void PrepareCanvas(TCanvas3D* canvas, TColor color);
  // Draws one marker (the canvas already prepared).
  void DrawPointer(TCanvas3D* canvas, bool is3D, int32_t x, int32_t y, int32_t horizSize, int32_t vertSize,
                   TColor color, TSeriesPointerStyle style);
  // DrawPointer on the parent chart's canvas with the chart's 3-D flag and this pointer's sizes.
  void Draw(int32_t x, int32_t y, TColor color, TSeriesPointerStyle style);
  void Draw(int32_t x, int32_t y, TColor color) { Draw(x, y, color, style_); }
  // The small bitmap that a marker of half sizes h and v in style is copied from on canvas (as
  // prepared now), when such a marker is stamped rather than drawn; nullptr otherwise. It stays
  // valid until the pointer stamps a marker of another look.
  TBitmap* StampFor(TCanvas3D* canvas, bool is3D, int32_t h, int32_t v, TSeriesPointerStyle style);

protected:
  // The depths of the parent series (0 without one).
  int32_t StartZ() const;
  int32_t MiddleZ() const;
  int32_t EndZ() const;
  void Changed();

private:
  void DrawShape(TCanvas3D* canvas, bool is3D, int32_t x, int32_t y, const TRect& box, TColor color,
                 TSeriesPointerStyle style);
  void FillGradient(TCanvas3D* canvas, bool is3D, int32_t x, int32_t y, const TRect& box, TSeriesPointerStyle style);
  // A flat, opaque rectangle marker on a bitmap canvas is drawn once into a small bitmap of its
  // look and copied for every point (the same pixels as drawing it each time); false when the
  // marker or the canvas does not allow that.
  bool DrawStamped(TCanvas3D* canvas, bool is3D, const TRect& box, TSeriesPointerStyle style);

  bool dark3D_ = true;
  bool draw3D_ = true;
  std::unique_ptr<TNuvGradient> gradient_;
  bool inflateMargins_ = true;
  TChartSeries* parentSeries_ = nullptr;
  TSeriesPointerStyle style_ = psRectangle;
  TNuvTransparency transparency_ = 0;
  bool aboveOnly_ = false;
  int32_t vertSize_ = 4;
  int32_t horizSize_ = 4;
  std::unique_ptr<TPointerStamps> stamps_;
};
