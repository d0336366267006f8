#pragma once
// Device-context functions with the GDI's names and rules, over TCanvas: the canvas is the
// device context. Regions are values that own their data (no DeleteObject needed).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Graphics.h"

using HDC = TCanvas*;

constexpr TColor CLR_INVALID = 0xFFFFFFFFu;

// ---- Regions (device pixels) ----
constexpr int RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
constexpr int ALTERNATE = 1, WINDING = 2;

class TRegion {
public:
  TRegion();
  ~TRegion();
  TRegion(const TRegion& other);
  TRegion& operator=(const TRegion& other);
  bool IsEmpty() const;
  bool Contains(int32_t x, int32_t y) const;
  // Bounding box, right and bottom exclusive.
  TRect Bounds() const;
  // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
  int Kind() const;
  bool operator==(const TRegion& other) const;

  struct Data;
  Data& data() const { return *d_; }

private:
  std::unique_ptr<Data> d_;
};

// Rectangles, ellipses and round rectangles take their box with the right and bottom edge excluded.
TRegion CreateRectRgn(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
TRegion CreateRectRgnIndirect(const TRect& r);
TRegion CreateEllipticRgn(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
TRegion CreateEllipticRgnIndirect(const TRect& r);
// w, h: size of the corner ellipses.
TRegion CreateRoundRectRgn(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t w, int32_t h);
TRegion CreatePolygonRgn(const TPoint* points, int count, int fillMode);
// dest := a <mode> b (RGN_COPY copies a); returns the kind of the result.
int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, int mode);
int OffsetRgn(TRegion& r, int32_t dx, int32_t dy);
bool PtInRegion(const TRegion& r, int32_t x, int32_t y);
int GetRgnBox(const TRegion& r, TRect& box);
bool EqualRgn(const TRegion& a, const TRegion& b);

// Clipping of a device context. nullptr removes the clip region.
int SelectClipRgn(HDC dc, const TRegion* rgn);
int ExtSelectClipRgn(HDC dc, const TRegion* rgn, int mode);
// 1 with a copy of the clip region in rgn, 0 when there is none, -1 on error.
int GetClipRgn(HDC dc, TRegion& rgn);
int GetClipBox(HDC dc, TRect& box);
int IntersectClipRect(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int ExcludeClipRect(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// ---- Paths: figures and text drawn between BeginPath and EndPath are recorded, not drawn ----
constexpr int AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;
bool BeginPath(HDC dc);
bool EndPath(HDC dc);
bool AbortPath(HDC dc);
bool CloseFigure(HDC dc);
// The following use up the path.
bool StrokePath(HDC dc);
bool FillPath(HDC dc);
bool StrokeAndFillPath(HDC dc);
TRegion PathToRegion(HDC dc);
bool SelectClipPath(HDC dc, int mode);
// Replaces the path by the outline of its stroke with the current pen.
bool WidenPath(HDC dc);
// A line from the current position to the arc's start, the arc in the arc direction; the current
// position moves to the arc's end.
bool ArcTo(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
int SetArcDirection(HDC dc, int direction);
int GetArcDirection(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
bool MoveToEx(HDC dc, int32_t x, int32_t y, TPoint* old);
bool LineTo(HDC dc, int32_t x, int32_t y);

// ---- Pens ----
constexpr uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
                   PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0xF,
                   PS_ENDCAP_ROUND = 0, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
                   PS_JOIN_ROUND = 0, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
                   PS_COSMETIC = 0, PS_GEOMETRIC = 0x10000, PS_TYPE_MASK = 0xF0000;
constexpr uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2;
struct TLogBrush {
  uint32_t lbStyle = BS_SOLID;
  TColor lbColor = clBlack;
  uintptr_t lbHatch = 0;
};
// Makes pen what the GDI's extended pen of these arguments is (style, caps, joins, width, colour of
// a solid brush, user dash lengths). False, leaving pen unchanged, when the arguments are invalid:
// a cosmetic pen wider than 1 or with caps/joins, PS_ALTERNATE on a geometric pen, PS_USERSTYLE
// without 1..16 lengths.
bool ExtCreatePen(TPen* pen, uint32_t style, uint32_t width, const TLogBrush& brush, uint32_t styleCount = 0,
                  const uint32_t* styles = nullptr);

// ---- Device-context values ----
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5, R2_NOT = 6,
              R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12,
              R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
// Setters return the previous value.
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
TColor SetTextColor(HDC dc, TColor c);
TColor GetTextColor(HDC dc);
TColor SetBkColor(HDC dc, TColor c);
TColor GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
uint32_t SetTextAlign(HDC dc, uint32_t flags);
uint32_t GetTextAlign(HDC dc);
int32_t SetTextCharacterExtra(HDC dc, int32_t extra);
int32_t GetTextCharacterExtra(HDC dc);
// The canvas's brush (pen) becomes solid in the colour, leaving the background settings alone.
TColor SetDCBrushColor(HDC dc, TColor c);
TColor SetDCPenColor(HDC dc, TColor c);
bool SetBrushOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old);

// ---- Pixels and blocks ----
constexpr uint32_t BLACKNESS = 0x00000042, NOTSRCERASE = 0x001100A6, NOTSRCCOPY = 0x00330008, SRCERASE = 0x00440328,
                   DSTINVERT = 0x00550009, PATINVERT = 0x005A0049, SRCINVERT = 0x00660046, SRCAND = 0x008800C6,
                   MERGEPAINT = 0x00BB0226, MERGECOPY = 0x00C000CA, SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086,
                   PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, WHITENESS = 0x00FF0062;
// The colour set, or CLR_INVALID outside the surface or clip.
TColor SetPixel(HDC dc, int32_t x, int32_t y, TColor c);
TColor GetPixel(HDC dc, int32_t x, int32_t y);
// Raster operations combine the brush pattern, the source and the destination bit by bit.
bool PatBlt(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop);
bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, uint32_t rop);
// Negative extents mirror; stretching takes the nearest source pixel.
bool StretchBlt(HDC dest, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, uint32_t rop);
struct TBlendFunction {
  uint8_t BlendOp = 0;  // AC_SRC_OVER
  uint8_t BlendFlags = 0;
  uint8_t SourceConstantAlpha = 255;
  uint8_t AlphaFormat = 0;  // no per-pixel alpha
};
// dest := src * alpha / 255 + dest * (255 - alpha) / 255 per component, constant alpha only.
bool AlphaBlend(HDC dest, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, TBlendFunction blend);

// ---- Text ----
struct TTextMetric {
  int32_t tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
  int32_t tmAveCharWidth = 0, tmMaxCharWidth = 0, tmWeight = 400, tmOverhang = 0;
  uint8_t tmItalic = 0, tmUnderlined = 0, tmStruckOut = 0, tmPitchAndFamily = 0, tmCharSet = 1;
};
bool GetTextMetrics(HDC dc, TTextMetric& tm);
// Width (with the character extra) and cell height of the text in the current font.
bool GetTextExtentPoint32(HDC dc, const std::string& text, TSize& size);
// Text at (x, y) by the text alignment, in the text colour; OPAQUE fills its cell with the
// background colour. Inside a path bracket the glyph outlines join the path.
bool TextOut(HDC dc, int32_t x, int32_t y, const std::string& text);

constexpr uint32_t DT_TOP = 0, DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8,
                   DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
                   DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_END_ELLIPSIS = 0x8000;
// Formatted text in r; returns the height of the text. DT_CALCRECT only measures: r's right and
// bottom become the text's extent. '&' marks the next character (underlined; "&&" is '&') unless
// DT_NOPREFIX. Without DT_NOCLIP the text is clipped to r.
int DrawText(HDC dc, const std::string& text, TRect& r, uint32_t format);

// ---- Mapping of logical to device coordinates ----
constexpr int MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
bool SetWindowOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old);
bool SetWindowExtEx(HDC dc, int32_t cx, int32_t cy, TSize* old);
bool SetViewportOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old);
bool SetViewportExtEx(HDC dc, int32_t cx, int32_t cy, TSize* old);
bool LPtoDP(HDC dc, TPoint* points, int count);
bool DPtoLP(HDC dc, TPoint* points, int count);

constexpr int HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14,
              LOGPIXELSX = 88, LOGPIXELSY = 90;
// Sizes in millimetres or pixels of the canvas's device at 96 pixels per inch.
int GetDeviceCaps(HDC dc, int index);
