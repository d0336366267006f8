#pragma once
// Device-context services the chart canvas needs beyond TCanvas: clip regions combined the GDI
// way, the path bracket (text outlines), the text colour of two-colour patterns and ROP2 codes.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/Graphics.h"

// A region in device pixels.
class TGdiRegion {
public:
  TGdiRegion();
  ~TGdiRegion();
  TGdiRegion(const TGdiRegion& other);
  TGdiRegion& operator=(const TGdiRegion& other);
  static TGdiRegion FromRect(const TRect& r);
  static TGdiRegion FromEllipse(const TRect& r);
  // Corner ellipse of w x h pixels.
  static TGdiRegion FromRoundRect(const TRect& r, int32_t w, int32_t h);
  // Alternate fill.
  static TGdiRegion FromPolygon(std::span<const TPoint> points);
  bool Empty() const;
  bool Contains(int32_t x, int32_t y) const;
  TRect BoundingRect() const;
  struct Impl;
  std::unique_ptr<Impl> impl;
};

enum TRegionCombine { rcAnd, rcXor, rcCopy };

namespace GdiExtra {
// The clip region in force; false when the canvas has none.
bool GetClipRegion(TCanvas* canvas, TGdiRegion& out);
// Selects a copy of region as the clip region; nullptr removes clipping.
void SelectClipRegion(TCanvas* canvas, const TGdiRegion* region);
// Combines region with the clip region in force (no clip region counts as the whole surface).
void CombineClipRegion(TCanvas* canvas, const TGdiRegion& region, TRegionCombine mode);

// Path bracket: figures and text drawn between BeginPath and EndPath are recorded, not drawn.
void BeginPath(TCanvas* canvas);
void EndPath(TCanvas* canvas);
// Records text at (X, Y) placed by the text alignment into the open path.
void TextOutPath(TCanvas* canvas, int32_t x, int32_t y, const std::string& text);
void StrokeAndFillPath(TCanvas* canvas);
void StrokePath(TCanvas* canvas);
// Replaces the path by the area its stroke with the current pen covers.
void WidenPath(TCanvas* canvas);
// The path's inside combined with the clip region; the path is used up.
void SelectClipPath(TCanvas* canvas, TRegionCombine mode);

// Text colour (the colour of text and of the set bits of two-colour patterns).
void SetTextColor(TCanvas* canvas, TColor color);
TColor GetTextColor(TCanvas* canvas);
// Raster operation (R2_ code 1..16) of the pen and fills.
void SetRop2(TCanvas* canvas, int32_t rop2);
}  // namespace GdiExtra
