#pragma once
// Inside of the graphics layer, shared by its .cpp files only (includes Qt).
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QTransform>

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/Graphics.h"

struct TCanvas::TGdiState {
  // Clip region in device pixels; used when the canvas HasClip().
  QRegion clip;
  // Path bracket: while open, figures are recorded instead of drawn.
  bool pathOpen = false;
  bool pathReady = false;
  // Lines and polygons run through pixel indices and curves through pixel centres, as when drawn
  // directly; centredPath holds the same figures with every point on pixel centres, for the pens
  // that are stroked about pixel centres (wider than one pixel).
  QPainterPath path, centredPath;
  // Recording into both paths; a figure is given in pixel indices unless onCentres.
  void PathMoveTo(QPointF p);
  void PathLineTo(QPointF p, bool onCentres = false);
  void PathAdd(const QPainterPath& figure, bool onCentres);
  void PathConnect(const QPainterPath& figure, bool onCentres);
  void PathClear();
  TPoint brushOrigin;
  // Device-context values that follow the pen, brush and font when those change.
  TColor textColor = clBlack;
  int rop2 = 13;
  struct Seen {
    TBrushStyle brushStyle = bsSolid;
    TColor brushColor = clWhite;
    const TBitmap* brushBitmap = nullptr;
    TColor fontColor = clWindowText;
  } seen;
  // The pen changed since it was last selected: selecting it sets the raster operation from its mode.
  bool penChanged = false;
  // Logical to device mapping.
  int mapMode = 1;  // MM_TEXT
  TPoint windowOrg, viewportOrg;
  TSize windowExt{1, 1}, viewportExt{1, 1};
  int arcDirection = 1;  // counter-clockwise
  int polyFillMode = 1;  // alternate
  QTransform Mapping() const;
};

namespace gfx {

// Coordinates are kept within 24 bits, the range the painter rasterises exactly, so that sizes and
// differences of figures never overflow; anything beyond lies far outside every surface.
constexpr int32_t kCoordLimit = (1 << 23) - 1;
inline int32_t ClampCoord(int32_t v) { return v < -kCoordLimit ? -kCoordLimit : v > kCoordLimit ? kCoordLimit : v; }
template <typename... T>
void ClampCoords(T&... v)
{
  ((v = ClampCoord(v)), ...);
}
inline TRect ClampRect(const TRect& r)
{
  return TRect{ClampCoord(r.Left), ClampCoord(r.Top), ClampCoord(r.Right), ClampCoord(r.Bottom)};
}
// points, or a copy of them within the limits.
inline const std::vector<TPoint>& ClampPoints(const std::vector<TPoint>& points, std::vector<TPoint>& copy)
{
  bool inside = true;
  for (const TPoint& p : points) inside = inside && p.x == ClampCoord(p.x) && p.y == ClampCoord(p.y);
  if (inside) return points;
  copy = points;
  for (TPoint& p : copy) ClampCoords(p.x, p.y);
  return copy;
}

QColor ToQColor(TColor c);
TColor FromQRgb(QRgb rgb);

// GDI ROP2 code (1..16) of a pen mode.
int Rop2OfMode(TPenMode mode);
TPenMode ModeOfRop2(int rop2);
// Applies a ROP2 code to two 24-bit values.
uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dest);
// Applies the ternary raster operation (its index byte) to pattern, source and destination.
uint32_t ApplyRop3(uint8_t index, uint32_t pat, uint32_t src, uint32_t dest);

// Effective pen width in pixels (at least 1).
int PenWidth(const TPen& pen);
bool PenVisible(const TPen& pen);
QPen MakeQPen(const TPen& pen);
bool PenDashed(const TPen& pen);

// Qt font for a font at 96 pixels per inch, aliased and mapped to an installed family.
QFont MakeQFont(const TFont& font);
// Width in pixels of a text and its length in UTF-16 units (each takes the extra character spacing).
struct TTextAdvance {
  int width = 0, units = 0;
};
// The pixels an unrotated text lights, as runs of a row relative to its cell's top-left; exact
// when every one of them is either lit or untouched (aliased glyphs) and all lie in the frame
// they were found in. Texts drawn again and again (axis labels) are drawn from it.
struct TTextMask {
  struct Run {
    int32_t y, x0, x1;
  };
  bool exact = false;
  std::vector<Run> runs;
};
// A resolved font, its metrics and the advances of the texts measured with it so far.
struct TFontRecord {
  explicit TFontRecord(const QFont& f) : font(f), metrics(f), ascent(metrics.ascent()), descent(metrics.descent()) {}
  TTextAdvance Advance(const std::string& text);
  // The mask of text, found once.
  const TTextMask& Mask(const std::string& text);
  QFont font;
  QFontMetrics metrics;
  // The metrics' ascent and descent (asked for with every text).
  int ascent, descent;
  std::unordered_map<std::string, TTextAdvance> advances;
  std::unordered_map<std::string, TTextMask> masks;
};
// The record of a font; it stays valid until the next call.
TFontRecord& FontRecord(const TFont& font);
QString MapFamily(const std::string& name);

// Fills path with the canvas's brush (hatch background by the background mode and colour).
void FillWithBrush(TCanvas& canvas, QPainter& p, const QPainterPath& path);
// Strokes path with the canvas's pen (dash gaps filled when the background mode is OPAQUE).
// Points of path are pixel indices, or pixel centres when centred.
void StrokeWithPen(TCanvas& canvas, QPainter& p, const QPainterPath& path, bool centred = false);
// The brush as a Qt brush (solid, hatch or pattern); background not included.
QBrush MakeQBrush(TCanvas& canvas);

// Reads and writes a pixel of an RGB32 or BGR888 image as 0x00RRGGBB.
uint32_t ReadRgb(const QImage& img, int x, int y);
void WriteRgb(QImage& img, int x, int y, uint32_t rgb);

enum class ArcKind { Arc, Pie, Chord };
// Arc, pie or chord of the ellipse in the box from the radial through (x3, y3) to that through (x4, y4).
QPainterPath ArcPath(ArcKind kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                     int32_t y4, bool clockwise);

// Axis-aligned one-pixel lines and solid rectangles are written straight into 32-bit pixels
// (cleared only by tests, to compare with what the painter draws).
inline bool DirectPixels = true;

// Block transfer with a raster operation from an image (or none) into the canvas.
void BlockTransfer(TCanvas& dest, const TRect& destRect, const QImage* source, const TRect& srcRect, uint32_t rop);
// The same through the general path (rows fetched with stretching and mirroring, any clip region).
void BlockTransferRows(TCanvas& dest, const TRect& destRect, const QImage* source, const TRect& srcRect, uint32_t rop);

// The whole content of a metafile on disk, and writing one; EInOutError names the file on failure.
std::string ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::string& bytes);

}  // namespace gfx
