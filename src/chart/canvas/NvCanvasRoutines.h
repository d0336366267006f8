#pragma once
// Free routines of the chart canvas: points and rectangles, the face test of projected solids,
// colour shading, smooth bitmap stretching and the functions bound at start-up.
#include <cstdint>
#include <span>

#include "platform/Graphics.h"
#include "platform/Types.h"

TPoint MakePoint(int32_t x, int32_t y);
TRect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
// Edges included.
bool PointInRectXY(const TRect& rect, int32_t x, int32_t y);
bool PointInRect(const TRect& rect, TPoint p);
TRect OrientRectangle(const TRect& rect);
void RectSize(const TRect& rect, int32_t& width, int32_t& height);
void RectCenter(const TRect& rect, int32_t& x, int32_t& y);
bool IsNegativeCross(TPoint p0, TPoint p1, TPoint p2);
// Of the first three points.
bool IsNegativeCrossArray(std::span<const TPoint> points);
// Bounds of the first Count points, Right and Bottom increased by 1.
void PolygonBounds(std::span<const TPoint> points, int32_t count, TRect& rect);
// The point Distance pixels from ToP back towards FromP.
void PointAtDistance(TPoint fromP, TPoint toP, int32_t distance, TPoint& p);
double Hypotenuse(double a, double b);
void SwapInteger(int32_t& a, int32_t& b);
void SwapDouble(double& a, double& b);

// Each RGB component minus / plus Quantity, kept in 0..255 (system colours turned to RGB first).
TColor DarkenColor(TColor color, int32_t quantity);
TColor BrightenColor(TColor color, int32_t quantity);

// Resamples the whole Source into the whole Dest (whose size the caller sets); Narrow selects
// the triangle filter, otherwise the three-lobed Lanczos filter.
void SmoothStretch(TBitmap* source, TBitmap* dest);
void SmoothStretchMode(TBitmap* source, TBitmap* dest, bool narrow);

// Functions bound at start-up; each null when absent. Tests may clear them to use the fallbacks.
// Constant-alpha blend of Source over Dest at (X, Y): Alpha 0..255 of the source.
using TAlphaBlendProc = void (*)(TBitmap* dest, int32_t x, int32_t y, TBitmap* source, uint8_t alpha);
extern TAlphaBlendProc NuvAlphaBlend;
// True when blending may use NuvAlphaBlend.
extern bool NuvCanUseAlphaBlend;
// Changes the fill colour of the canvas without making a new brush object.
using TSetDCColorProc = void (*)(TCanvas* canvas, TColor color);
extern TSetDCColorProc NuvSetDCBrushColor;
extern TSetDCColorProc NuvSetDCPenColor;

// Start-up and shut-down of the canvas unit (counted: only the first start-up and the last
// shut-down do the work). Start-up runs automatically when the program starts.
void NvCanvasStartup();
void NvCanvasShutdown();
