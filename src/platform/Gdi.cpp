#include "platform/Gdi.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainterPathStroker>
#include <QPolygon>
#include <QRawFont>

#include <algorithm>
#include <cmath>

#include "platform/GraphicsPrivate.h"

using namespace gfx;

// ---------------------------------------------------------------------------------------------
// Regions

struct TRegion::Data {
  QRegion region;
};

TRegion::TRegion() : d_(std::make_unique<Data>()) {}
TRegion::~TRegion() = default;
TRegion::TRegion(const TRegion& other) : d_(std::make_unique<Data>(*other.d_)) {}
TRegion& TRegion::operator=(const TRegion& other)
{
  *d_ = *other.d_;
  return *this;
}

bool TRegion::IsEmpty() const { return d_->region.isEmpty(); }
bool TRegion::Contains(int32_t x, int32_t y) const { return d_->region.contains(QPoint(x, y)); }

TRect TRegion::Bounds() const
{
  if (d_->region.isEmpty()) return {};
  QRect b = d_->region.boundingRect();
  return {b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
}

int TRegion::Kind() const
{
  if (d_->region.isEmpty()) return NULLREGION;
  return d_->region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool TRegion::operator==(const TRegion& other) const { return d_->region == other.d_->region; }

namespace {
QRect BoxOf(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  ClampCoords(x1, y1, x2, y2);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return QRect(x1, y1, x2 - x1, y2 - y1);
}

TRegion FromQ(const QRegion& q)
{
  TRegion r;
  r.data().region = q;
  return r;
}

constexpr double kRegionLimit = 30000.0;

// The part of a polygon inside box (clipped against each edge in turn).
QPolygonF ClipToBox(const QPolygonF& poly, const QRectF& box)
{
  QPolygonF in = poly;
  for (int edge = 0; edge < 4 && !in.isEmpty(); ++edge) {
    auto inside = [&](const QPointF& p) {
      switch (edge) {
        case 0: return p.x() >= box.left();
        case 1: return p.x() <= box.right();
        case 2: return p.y() >= box.top();
        default: return p.y() <= box.bottom();
      }
    };
    auto cross = [&](const QPointF& a, const QPointF& b) {
      double t;
      switch (edge) {
        case 0: t = (box.left() - a.x()) / (b.x() - a.x()); break;
        case 1: t = (box.right() - a.x()) / (b.x() - a.x()); break;
        case 2: t = (box.top() - a.y()) / (b.y() - a.y()); break;
        default: t = (box.bottom() - a.y()) / (b.y() - a.y()); break;
      }
      return a + (b - a) * t;
    };
    QPolygonF out;
    for (int i = 0; i < in.size(); ++i) {
      QPointF cur = in[i], prev = in[(i + in.size() - 1) % in.size()];
      bool ci = inside(cur), pi = inside(prev);
      if (ci) {
        if (!pi) out << cross(prev, cur);
        out << cur;
      } else if (pi) {
        out << cross(prev, cur);
      }
    }
    in = out;
  }
  return in;
}

// The pixels whose centres a filled path covers, as the painter fills it.
QRegion RegionOfPath(const QPainterPath& path)
{
  QRectF bf = path.controlPointRect();
  if (bf.isEmpty()) return QRegion();
  if (bf.width() * bf.height() > 16.0 * 1024 * 1024 || std::abs(bf.left()) > 1e7 || std::abs(bf.top()) > 1e7 ||
      std::abs(bf.right()) > 1e7 || std::abs(bf.bottom()) > 1e7) {
    // Too large to rasterise: build it from the outline polygons, cut to the coordinates any
    // surface can have (the region builder fails beyond them).
    QRegion result;
    Qt::FillRule rule = path.fillRule();
    for (const QPolygonF& poly : path.toFillPolygons()) {
      QPolygonF cut = ClipToBox(poly, QRectF(-kRegionLimit, -kRegionLimit, 2.0 * kRegionLimit, 2.0 * kRegionLimit));
      QPolygon ip;
      for (const QPointF& pt : cut) ip << QPoint(static_cast<int>(std::round(pt.x())), static_cast<int>(std::round(pt.y())));
      if (ip.size() < 3) continue;
      QRegion part(ip, rule);
      result = rule == Qt::OddEvenFill ? result ^ part : result | part;
    }
    return result;
  }
  QRect b = bf.toAlignedRect().adjusted(-1, -1, 1, 1);
  QImage mask(b.size(), QImage::Format_ARGB32);
  mask.fill(0);
  {
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(-b.left(), -b.top());
    p.fillPath(path, Qt::black);
  }
  QRegion result;
  for (int y = 0; y < mask.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    int x = 0;
    while (x < mask.width()) {
      while (x < mask.width() && qAlpha(row[x]) == 0) ++x;
      int start = x;
      while (x < mask.width() && qAlpha(row[x]) != 0) ++x;
      if (x > start) result += QRect(b.left() + start, b.top() + y, x - start, 1);
    }
  }
  return result;
}
}  // namespace

TRegion CreateRectRgn(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { return FromQ(QRegion(BoxOf(x1, y1, x2, y2))); }

TRegion CreateRectRgnIndirect(const TRect& r) { return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom); }

TRegion CreateEllipticRgn(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  QRect box = BoxOf(x1, y1, x2, y2);
  if (box.isEmpty()) return TRegion();
  QPainterPath e;
  e.addEllipse(QRectF(box));
  return FromQ(RegionOfPath(e));
}

TRegion CreateEllipticRgnIndirect(const TRect& r) { return CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom); }

TRegion CreateRoundRectRgn(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t w, int32_t h)
{
  QRect box = BoxOf(x1, y1, x2, y2);
  if (box.isEmpty()) return TRegion();
  QPainterPath rr;
  rr.addRoundedRect(QRectF(box), std::min<double>(std::abs(w), box.width()) / 2.0,
                    std::min<double>(std::abs(h), box.height()) / 2.0);
  return FromQ(RegionOfPath(rr));
}

TRegion CreatePolygonRgn(const TPoint* points, int count, int fillMode)
{
  if (!points || count < 3) return TRegion();
  QPainterPath path;
  path.moveTo(points[0].x, points[0].y);
  for (int i = 1; i < count; ++i) path.lineTo(points[i].x, points[i].y);
  path.closeSubpath();
  path.setFillRule(fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  return FromQ(RegionOfPath(path));
}

int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, int mode)
{
  const QRegion& qa = a.data().region;
  const QRegion& qb = b.data().region;
  QRegion r;
  switch (mode) {
    case RGN_AND: r = qa & qb; break;
    case RGN_OR: r = qa | qb; break;
    case RGN_XOR: r = qa ^ qb; break;
    case RGN_DIFF: r = qa - qb; break;
    case RGN_COPY: r = qa; break;
    default: return RGN_ERROR;
  }
  dest.data().region = r;
  return dest.Kind();
}

int OffsetRgn(TRegion& r, int32_t dx, int32_t dy)
{
  // A move that would carry the region beyond the coordinate limits fails and leaves it alone.
  if (!r.IsEmpty()) {
    const QRect b = r.data().region.boundingRect();
    const int64_t l = int64_t{b.left()} + dx, t = int64_t{b.top()} + dy;
    const int64_t rr = int64_t{b.right()} + dx, bb = int64_t{b.bottom()} + dy;
    if (std::min(l, t) < -kCoordLimit || std::max(rr, bb) > kCoordLimit) return RGN_ERROR;
  }
  r.data().region.translate(dx, dy);
  return r.Kind();
}

bool PtInRegion(const TRegion& r, int32_t x, int32_t y) { return r.Contains(x, y); }

int GetRgnBox(const TRegion& r, TRect& box)
{
  box = r.Bounds();
  return r.Kind();
}

bool EqualRgn(const TRegion& a, const TRegion& b) { return a == b; }

// ---------------------------------------------------------------------------------------------
// Clipping

namespace {
QRegion Whole(HDC dc)
{
  TSize s = dc->DeviceSize();
  return QRegion(0, 0, std::max(0, s.cx), std::max(0, s.cy));
}

int SetClip(HDC dc, const QRegion& region)
{
  QRect b = region.boundingRect();
  dc->SetClipRect({b.left(), b.top(), b.left() + b.width(), b.top() + b.height()});
  dc->GdiState()->clip = region;
  dc->ApplyDeviceState();
  if (region.isEmpty()) return NULLREGION;
  return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// Corners in logical units to device pixels, kept within the coordinate limits.
TRect MapRect(HDC dc, int64_t x1, int64_t y1, int64_t x2, int64_t y2)
{
  const QTransform t = dc->GdiState()->Mapping();
  auto map = [&](int64_t x, int64_t y) {
    const QPointF p = t.map(QPointF(static_cast<double>(x), static_cast<double>(y)));
    auto clamp = [](double v) { return static_cast<int32_t>(std::clamp(std::round(v), -double{kCoordLimit}, double{kCoordLimit})); };
    return TPoint{clamp(p.x()), clamp(p.y())};
  };
  const TPoint a = map(x1, y1), b = map(x2, y2);
  return {a.x, a.y, b.x, b.y};
}

TRect MapBlock(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h)
{
  return MapRect(dc, x, y, int64_t{x} + w, int64_t{y} + h);
}
}  // namespace

int SelectClipRgn(HDC dc, const TRegion* rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }

int ExtSelectClipRgn(HDC dc, const TRegion* rgn, int mode)
{
  if (!dc) return RGN_ERROR;
  if (!rgn) {
    if (mode != RGN_COPY) return RGN_ERROR;
    dc->ClearClip();
    return SIMPLEREGION;
  }
  // Without a clip region the whole surface is the current clip.
  QRegion current = dc->HasClip() ? dc->GdiState()->clip : Whole(dc);
  const QRegion& q = rgn->data().region;
  switch (mode) {
    case RGN_AND: current &= q; break;
    case RGN_OR: current |= q; break;
    case RGN_XOR: current ^= q; break;
    case RGN_DIFF: current -= q; break;
    case RGN_COPY: current = q; break;
    default: return RGN_ERROR;
  }
  return SetClip(dc, current);
}

int GetClipRgn(HDC dc, TRegion& rgn)
{
  if (!dc) return -1;
  if (!dc->HasClip()) return 0;
  rgn.data().region = dc->GdiState()->clip;
  return 1;
}

int GetClipBox(HDC dc, TRect& box)
{
  if (!dc) return RGN_ERROR;
  QRegion r = dc->HasClip() ? dc->GdiState()->clip & Whole(dc) : Whole(dc);
  QRect b = r.boundingRect();
  box = r.isEmpty() ? TRect{} : TRect{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
  // The box in logical coordinates.
  TPoint p[2] = {{box.Left, box.Top}, {box.Right, box.Bottom}};
  DPtoLP(dc, p, 2);
  box = {p[0].x, p[0].y, p[1].x, p[1].y};
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int IntersectClipRect(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  TRect d = MapRect(dc, x1, y1, x2, y2);
  TRegion r = CreateRectRgnIndirect(d);
  return ExtSelectClipRgn(dc, &r, RGN_AND);
}

int ExcludeClipRect(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  TRect d = MapRect(dc, x1, y1, x2, y2);
  TRegion r = CreateRectRgnIndirect(d);
  return ExtSelectClipRgn(dc, &r, RGN_DIFF);
}

// ---------------------------------------------------------------------------------------------
// Paths

namespace {
// Takes the finished path (empty when none); centred receives its pixel-centre copy.
QPainterPath TakePath(HDC dc, bool* ok, QPainterPath* centred = nullptr)
{
  auto* s = dc->GdiState();
  *ok = s->pathReady && !s->pathOpen;
  QPainterPath p = *ok ? s->path : QPainterPath();
  if (centred) *centred = *ok ? s->centredPath : QPainterPath();
  s->PathClear();
  s->pathReady = false;
  p.setFillRule(s->polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  return p;
}

// Strokes a taken path: a wide pen goes about pixel centres, so it takes the centred copy.
void StrokeTaken(HDC dc, QPainter& p, const QPainterPath& path, const QPainterPath& centred)
{
  if (PenWidth(*dc->Pen()) > 1) StrokeWithPen(*dc, p, centred, true);
  else StrokeWithPen(*dc, p, path);
}
}  // namespace

bool BeginPath(HDC dc)
{
  if (!dc) return false;
  auto* s = dc->GdiState();
  s->PathClear();
  s->pathOpen = true;
  s->pathReady = false;
  return true;
}

bool EndPath(HDC dc)
{
  if (!dc || !dc->GdiState()->pathOpen) return false;
  auto* s = dc->GdiState();
  s->pathOpen = false;
  s->pathReady = true;
  return true;
}

bool AbortPath(HDC dc)
{
  if (!dc) return false;
  auto* s = dc->GdiState();
  s->pathOpen = false;
  s->pathReady = false;
  s->PathClear();
  return true;
}

bool CloseFigure(HDC dc)
{
  if (!dc || !dc->GdiState()->pathOpen) return false;
  dc->GdiState()->path.closeSubpath();
  dc->GdiState()->centredPath.closeSubpath();
  return true;
}

bool StrokePath(HDC dc)
{
  bool ok = false;
  if (!dc) return false;
  QPainterPath centred;
  QPainterPath path = TakePath(dc, &ok, &centred);
  if (!ok) return false;
  dc->Paint([&](QPainter& p) { StrokeTaken(dc, p, path, centred); });
  return true;
}

bool FillPath(HDC dc)
{
  bool ok = false;
  if (!dc) return false;
  QPainterPath path = TakePath(dc, &ok);
  if (!ok) return false;
  dc->Paint([&](QPainter& p) { FillWithBrush(*dc, p, path); });
  return true;
}

bool StrokeAndFillPath(HDC dc)
{
  bool ok = false;
  if (!dc) return false;
  QPainterPath centred;
  QPainterPath path = TakePath(dc, &ok, &centred);
  if (!ok) return false;
  dc->Paint([&](QPainter& p) {
    FillWithBrush(*dc, p, path);
    StrokeTaken(dc, p, path, centred);
  });
  return true;
}

TRegion PathToRegion(HDC dc)
{
  bool ok = false;
  if (!dc) return TRegion();
  QPainterPath path = TakePath(dc, &ok);
  if (!ok) return TRegion();
  return FromQ(RegionOfPath(dc->GdiState()->Mapping().map(path)));
}

bool SelectClipPath(HDC dc, int mode)
{
  if (!dc || !dc->GdiState()->pathReady) return false;
  TRegion r = PathToRegion(dc);
  return ExtSelectClipRgn(dc, &r, mode) != RGN_ERROR;
}

bool WidenPath(HDC dc)
{
  if (!dc) return false;
  auto* s = dc->GdiState();
  if (!s->pathReady || s->pathOpen) return false;
  QPen q = MakeQPen(*dc->Pen());
  QPainterPathStroker stroker;
  stroker.setWidth(std::max(1, PenWidth(*dc->Pen())));
  stroker.setCapStyle(q.style() == Qt::NoPen ? Qt::FlatCap : q.capStyle());
  stroker.setJoinStyle(q.style() == Qt::NoPen ? Qt::MiterJoin : q.joinStyle());
  // The outline of what the pen would paint, in device pixels: a wide pen strokes about pixel centres.
  if (PenWidth(*dc->Pen()) > 1) s->path = stroker.createStroke(s->centredPath).simplified();
  else s->path = stroker.createStroke(s->path).simplified();
  s->centredPath = s->path.translated(0.5, 0.5);
  return true;
}

bool ArcTo(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
  if (!dc) return false;
  ClampCoords(x1, y1, x2, y2, x3, y3, x4, y4);
  auto* s = dc->GdiState();
  // The very curve of Arc: traced through pixel centres, while the line to its start runs
  // through pixel indices.
  QPainterPath arc = ArcPath(ArcKind::Arc, x1, y1, x2, y2, x3, y3, x4, y4, s->arcDirection == AD_CLOCKWISE);
  if (arc.elementCount() == 0) return false;
  const QPointF start = arc.elementAt(0);
  const QPointF end = arc.currentPosition() - QPointF(0.5, 0.5);
  const TPoint from = dc->GetPenPos();
  if (s->pathOpen) {
    if (s->path.elementCount() == 0) s->PathMoveTo(QPointF(from.x, from.y));
    s->PathLineTo(start, true);
    s->PathConnect(arc, true);
  } else {
    QPainterPath line;
    line.moveTo(from.x, from.y);
    line.lineTo(start - QPointF(0.5, 0.5));
    dc->Paint([&](QPainter& p) {
      p.save();
      StrokeWithPen(*dc, p, line);
      p.restore();
      StrokeWithPen(*dc, p, arc, true);
    });
  }
  dc->SetPenPos({RoundAway32(end.x()), RoundAway32(end.y())});
  return true;
}

int SetArcDirection(HDC dc, int direction)
{
  if (!dc || (direction != AD_CLOCKWISE && direction != AD_COUNTERCLOCKWISE)) return 0;
  int old = dc->GdiState()->arcDirection;
  dc->GdiState()->arcDirection = direction;
  return old;
}

int GetArcDirection(HDC dc) { return dc ? dc->GdiState()->arcDirection : 0; }

int SetPolyFillMode(HDC dc, int mode)
{
  if (!dc || (mode != ALTERNATE && mode != WINDING)) return 0;
  int old = dc->GdiState()->polyFillMode;
  dc->GdiState()->polyFillMode = mode;
  return old;
}

int GetPolyFillMode(HDC dc) { return dc ? dc->GdiState()->polyFillMode : 0; }

bool MoveToEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
  if (!dc) return false;
  if (old) *old = dc->GetPenPos();
  dc->MoveTo(x, y);
  return true;
}

bool LineTo(HDC dc, int32_t x, int32_t y)
{
  if (!dc) return false;
  dc->LineTo(x, y);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Pens and device-context values

bool ExtCreatePen(TPen* pen, uint32_t style, uint32_t width, const TLogBrush& brush, uint32_t styleCount,
                  const uint32_t* styles)
{
  if (!pen) return false;
  uint32_t type = style & PS_TYPE_MASK;
  uint32_t kind = style & PS_STYLE_MASK;
  uint32_t cap = style & PS_ENDCAP_MASK;
  uint32_t join = style & PS_JOIN_MASK;
  bool geometric = type == PS_GEOMETRIC;
  if (type != PS_GEOMETRIC && type != PS_COSMETIC) return false;
  if (kind > PS_ALTERNATE) return false;
  if (!geometric && (width != 1 || cap != 0 || join != 0)) return false;
  if (geometric && kind == PS_ALTERNATE) return false;
  if (kind == PS_USERSTYLE && (styleCount < 1 || styleCount > 16 || !styles)) return false;
  if (kind != PS_USERSTYLE && styleCount != 0) return false;
  if (width > 0x7FFFFFFFu) return false;
  static constexpr TPenStyle kinds[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot,
                                        psClear, psInsideFrame, psUserStyle, psAlternate};
  pen->SetColor(brush.lbStyle == BS_NULL ? pen->GetColor() : brush.lbColor);
  pen->SetStyle(brush.lbStyle == BS_NULL ? psClear : kinds[kind]);
  pen->SetWidth(static_cast<int32_t>(width));
  pen->SetGeometric(geometric);
  pen->SetEndCap(cap == PS_ENDCAP_SQUARE ? pecSquare : cap == PS_ENDCAP_FLAT ? pecFlat : pecRound);
  pen->SetJoin(join == PS_JOIN_BEVEL ? pjBevel : join == PS_JOIN_MITER ? pjMiter : pjRound);
  pen->SetUserStyle(kind == PS_USERSTYLE ? std::vector<uint32_t>(styles, styles + styleCount) : std::vector<uint32_t>{});
  return true;
}

int SetROP2(HDC dc, int rop2)
{
  if (!dc || rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  int old = dc->GetROP2();
  dc->SetROP2(rop2);
  return old;
}

int GetROP2(HDC dc) { return dc ? dc->GetROP2() : 0; }

TColor SetTextColor(HDC dc, TColor c)
{
  if (!dc) return CLR_INVALID;
  TColor old = dc->GetTextColor();
  dc->SetTextColor(c);
  return old;
}

TColor GetTextColor(HDC dc) { return dc ? dc->GetTextColor() : CLR_INVALID; }

TColor SetBkColor(HDC dc, TColor c)
{
  if (!dc) return CLR_INVALID;
  TColor old = dc->GetBkColor();
  dc->SetBkColor(c);
  return old;
}

TColor GetBkColor(HDC dc) { return dc ? dc->GetBkColor() : CLR_INVALID; }

int SetBkMode(HDC dc, int mode)
{
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = dc->GetBkMode();
  dc->SetBkMode(mode);
  return old;
}

int GetBkMode(HDC dc) { return dc ? dc->GetBkMode() : 0; }

uint32_t SetTextAlign(HDC dc, uint32_t flags)
{
  if (!dc) return 0xFFFFFFFFu;
  uint32_t old = dc->GetTextAlign();
  dc->SetTextAlign(flags);
  return old;
}

uint32_t GetTextAlign(HDC dc) { return dc ? dc->GetTextAlign() : 0xFFFFFFFFu; }

int32_t SetTextCharacterExtra(HDC dc, int32_t extra)
{
  if (!dc) return 0x80000000;
  int32_t old = dc->GetTextCharacterExtra();
  dc->SetTextCharacterExtra(extra);
  return old;
}

int32_t GetTextCharacterExtra(HDC dc) { return dc ? dc->GetTextCharacterExtra() : 0x80000000; }

TColor SetDCBrushColor(HDC dc, TColor c)
{
  if (!dc) return CLR_INVALID;
  // Settle the state first, so that this change of the brush does not touch the background.
  dc->GetBkMode();
  TBrush* b = dc->Brush();
  TColor old = b->GetColor();
  b->SetColor(c);
  if (b->GetStyle() != bsSolid) b->SetStyle(bsSolid);
  auto& seen = dc->GdiState()->seen;
  seen.brushStyle = b->GetStyle();
  seen.brushColor = b->GetColor();
  seen.brushBitmap = b->GetBitmap();
  return old;
}

TColor SetDCPenColor(HDC dc, TColor c)
{
  if (!dc) return CLR_INVALID;
  // Settle the state first: the DC pen colour is no new pen, so the raster operation stays.
  dc->GetROP2();
  TColor old = dc->Pen()->GetColor();
  dc->Pen()->SetColor(c);
  dc->GdiState()->penChanged = false;
  return old;
}

bool SetBrushOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
  if (!dc) return false;
  if (old) *old = dc->GdiState()->brushOrigin;
  dc->GdiState()->brushOrigin = {x, y};
  return true;
}

// ---------------------------------------------------------------------------------------------
// Pixels and blocks

TColor SetPixel(HDC dc, int32_t x, int32_t y, TColor c)
{
  if (!dc) return CLR_INVALID;
  TPoint p{x, y};
  if (!LPtoDP(dc, &p, 1)) return CLR_INVALID;
  TSize s = dc->DeviceSize();
  if (p.x < 0 || p.y < 0 || p.x >= s.cx || p.y >= s.cy) return CLR_INVALID;
  if (dc->HasClip() && !dc->GdiState()->clip.contains(QPoint(p.x, p.y))) return CLR_INVALID;
  dc->SetPixel(x, y, c);
  return ColorToRGB(c);
}

TColor GetPixel(HDC dc, int32_t x, int32_t y) { return dc ? dc->GetPixel(x, y) : CLR_INVALID; }

namespace {
QImage SourceImage(HDC src, HDC dest)
{
  if (!src || !src->Image()) return QImage();
  src->Release();
  // A copy, so that a block can move within one surface.
  return src == dest ? src->Image()->copy() : *src->Image();
}
}  // namespace

bool PatBlt(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop)
{
  if (!dc || !dc->Image()) return false;
  TRect d = MapBlock(dc, x, y, w, h);
  BlockTransfer(*dc, d, nullptr, {}, rop);
  return true;
}

bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, uint32_t rop)
{
  return StretchBlt(dest, x, y, w, h, src, sx, sy, w, h, rop);
}

bool StretchBlt(HDC dest, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, uint32_t rop)
{
  if (!dest) return false;
  TRect d = MapBlock(dest, x, y, w, h);
  uint8_t index = (rop >> 16) & 0xFF;
  bool usesSrc = ((index >> 2) & 0x33) != (index & 0x33);
  if (!usesSrc) {
    if (!dest->Image()) return false;
    BlockTransfer(*dest, d, nullptr, {}, rop);
    return true;
  }
  QImage img = SourceImage(src, dest);
  if (img.isNull()) return false;
  TRect s = MapBlock(src, sx, sy, sw, sh);
  if (!dest->Image()) {
    // A surface without pixels of its own (a printer page) takes a plain copy.
    QPainter* p = dest->Painter();
    if (!p) return false;
    p->save();
    p->resetTransform();
    p->drawImage(QRect(std::min(d.Left, d.Right), std::min(d.Top, d.Bottom), std::abs(d.Width()), std::abs(d.Height())),
                 img.mirrored((d.Width() < 0) != (s.Width() < 0), (d.Height() < 0) != (s.Height() < 0)),
                 QRect(std::min(s.Left, s.Right), std::min(s.Top, s.Bottom), std::abs(s.Width()), std::abs(s.Height())));
    p->restore();
    return true;
  }
  BlockTransfer(*dest, d, &img, s, rop);
  return true;
}

bool AlphaBlend(HDC dest, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, TBlendFunction blend)
{
  if (!dest || !dest->Image() || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
  QImage img = SourceImage(src, dest);
  if (img.isNull()) return false;
  if (sx < 0 || sy < 0 || int64_t{sx} + sw > img.width() || int64_t{sy} + sh > img.height()) return false;
  TRect d = MapBlock(dest, x, y, w, h);
  const int x0 = std::min(d.Left, d.Right), y0 = std::min(d.Top, d.Bottom);
  const int dw = std::abs(d.Width()), dh = std::abs(d.Height());
  if (dw == 0 || dh == 0) return true;
  QImage* out = dest->Image();
  dest->Release();
  unsigned a = blend.SourceConstantAlpha;
  // Only the covered pixels of the surface are worked out; each takes its nearest source pixel.
  QRegion clip = dest->HasClip() ? dest->GdiState()->clip : QRegion(0, 0, out->width(), out->height());
  clip &= QRegion(QRect(x0, y0, dw, dh) & QRect(0, 0, out->width(), out->height()));
  auto pick = [](int i, int dsize, int ssize) {
    return static_cast<int>((static_cast<int64_t>(2 * i + 1) * ssize) / (2 * static_cast<int64_t>(dsize)));
  };
  for (const QRect& r : clip) {
    for (int yy = r.top(); yy <= r.bottom(); ++yy)
      for (int xx = r.left(); xx <= r.right(); ++xx) {
        uint32_t s = ReadRgb(img, sx + pick(xx - x0, dw, sw), sy + pick(yy - y0, dh, sh));
        uint32_t t = ReadRgb(*out, xx, yy);
        uint32_t res = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
          unsigned cs = (s >> shift) & 0xFF, cd = (t >> shift) & 0xFF;
          unsigned v = (cs * a + cd * (255 - a) + 127) / 255;
          res |= v << shift;
        }
        WriteRgb(*out, xx, yy, res);
      }
  }
  dest->Drawn();
  return true;
}

// ---------------------------------------------------------------------------------------------
// Text

namespace {
// The font's own average character width (its OS/2 table) scaled to the pixel size, as the GDI
// reports it; the measured average when the table is missing.
int AverageCharWidth(const QFont& qf, const QFontMetrics& fm)
{
  QRawFont raw = QRawFont::fromFont(qf);
  if (raw.isValid()) {
    QByteArray os2 = raw.fontTable("OS/2");
    if (os2.size() >= 4 && raw.unitsPerEm() > 0) {
      auto avg = static_cast<int16_t>((static_cast<uint8_t>(os2[2]) << 8) | static_cast<uint8_t>(os2[3]));
      if (avg > 0) return std::max(1, RoundAway32(avg * raw.pixelSize() / raw.unitsPerEm()));
    }
  }
  return fm.averageCharWidth();
}
}  // namespace

bool GetTextMetrics(HDC dc, TTextMetric& tm)
{
  if (!dc) return false;
  TFont* f = dc->Font();
  QFont qf = MakeQFont(*f);
  QFontMetrics fm(qf);
  tm = TTextMetric{};
  tm.tmAscent = fm.ascent();
  tm.tmDescent = fm.descent();
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - qf.pixelSize());
  tm.tmExternalLeading = std::max(0, fm.leading());
  tm.tmAveCharWidth = AverageCharWidth(qf, fm);
  tm.tmMaxCharWidth = fm.maxWidth();
  tm.tmWeight = (f->GetStyle() & fsBold) ? 700 : 400;
  tm.tmItalic = (f->GetStyle() & fsItalic) ? 1 : 0;
  tm.tmUnderlined = (f->GetStyle() & fsUnderline) ? 1 : 0;
  tm.tmStruckOut = (f->GetStyle() & fsStrikeOut) ? 1 : 0;
  tm.tmCharSet = f->GetCharset();
  return true;
}

bool GetTextExtentPoint32(HDC dc, const std::string& text, TSize& size)
{
  if (!dc) return false;
  size = dc->TextExtent(text);
  return true;
}

bool TextOut(HDC dc, int32_t x, int32_t y, const std::string& text)
{
  if (!dc) return false;
  dc->TextOut(x, y, text);
  return true;
}

namespace {
constexpr char kUnderlineMark = '\x01';

// Removes the '&' prefix marks ("&&" is one '&'); the character after the last single mark is
// preceded by kUnderlineMark.
std::string StripPrefix(const std::string& s)
{
  std::string out;
  size_t mark = std::string::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') {
        out += '&';
        ++i;
      } else if (i + 1 < s.size()) {
        mark = out.size();
      }
      continue;
    }
    out += s[i];
  }
  if (mark != std::string::npos) out.insert(mark, 1, kUnderlineMark);
  return out;
}

// Takes the underline mark out of line; returns its byte position or npos.
size_t TakeMark(std::string& line)
{
  size_t at = line.find(kUnderlineMark);
  if (at != std::string::npos) line.erase(at, 1);
  return at;
}

// Byte length of the UTF-8 character starting at s[at].
size_t CharLength(const std::string& s, size_t at)
{
  size_t n = 1;
  while (at + n < s.size() && (static_cast<unsigned char>(s[at + n]) & 0xC0) == 0x80) ++n;
  return n;
}

std::vector<std::string> SplitLines(const std::string& s)
{
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      lines.push_back(cur);
      cur.clear();
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (s[i] == '\n') {
      lines.push_back(cur);
      cur.clear();
    } else {
      cur += s[i];
    }
  }
  lines.push_back(cur);
  return lines;
}

// Breaks one line at blanks so that each part fits width; a word wider than width stays whole.
void WrapLine(HDC dc, const std::string& line, int width, std::vector<std::string>& out)
{
  std::string cur;
  size_t i = 0;
  while (i < line.size()) {
    size_t j = line.find(' ', i);
    std::string word = line.substr(i, j == std::string::npos ? std::string::npos : j - i);
    std::string next = cur.empty() ? word : cur + " " + word;
    if (!cur.empty() && dc->TextWidth(next) > width) {
      out.push_back(cur);
      cur = word;
    } else {
      cur = next;
    }
    if (j == std::string::npos) break;
    i = j + 1;
  }
  out.push_back(cur);
}

std::string Ellipsize(HDC dc, const std::string& line, int width)
{
  if (dc->TextWidth(line) <= width) return line;
  std::string s = line;
  while (!s.empty()) {
    // Drop whole UTF-8 characters.
    do s.pop_back();
    while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80);
    if (dc->TextWidth(s + "...") <= width) break;
  }
  return s + "...";
}
}  // namespace

int DrawText(HDC dc, const std::string& text, TRect& r, uint32_t format)
{
  if (!dc) return 0;
  r = ClampRect(r);
  std::string s = (format & DT_NOPREFIX) ? text : StripPrefix(text);
  if (format & DT_WORDBREAK) s.erase(std::remove(s.begin(), s.end(), kUnderlineMark), s.end());
  std::vector<std::string> lines;
  if (format & DT_SINGLELINE) {
    std::string one;
    for (char c : s)
      if (c != '\r' && c != '\n') one += c;
    lines.push_back(one);
  } else {
    for (const std::string& l : SplitLines(s)) {
      if (format & DT_WORDBREAK) WrapLine(dc, l, r.Width(), lines);
      else lines.push_back(l);
    }
  }
  std::vector<size_t> marks(lines.size(), std::string::npos);
  for (size_t i = 0; i < lines.size(); ++i) marks[i] = TakeMark(lines[i]);
  if (format & DT_END_ELLIPSIS)
    for (size_t i = 0; i < lines.size(); ++i) {
      std::string e = Ellipsize(dc, lines[i], r.Width());
      if (e != lines[i]) marks[i] = std::string::npos;
      lines[i] = e;
    }
  TTextMetric tm;
  GetTextMetrics(dc, tm);
  int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  int height = text.empty() ? 0 : lineHeight * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int width = 0;
    for (const auto& l : lines) width = std::max(width, dc->TextWidth(l));
    r.Right = r.Left + width;
    r.Bottom = r.Top + height;
    return height;
  }
  if (text.empty()) return 0;
  int y = r.Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = r.Top + (r.Height() - lineHeight) / 2;
    else if (format & DT_BOTTOM) y = r.Bottom - lineHeight;
  }
  // Clip to the rectangle unless asked not to, and put the clip back afterwards.
  TRegion saved;
  int hadClip = GetClipRgn(dc, saved);
  if (!(format & DT_NOCLIP)) IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  uint32_t align = dc->GetTextAlign();
  dc->SetTextAlign(TA_LEFT | TA_TOP);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    int w = dc->TextWidth(l);
    int x = r.Left;
    if (format & DT_CENTER) x = r.Left + (r.Width() - w) / 2;
    else if (format & DT_RIGHT) x = r.Right - w;
    dc->TextOut(x, y, l);
    if (marks[i] != std::string::npos && marks[i] < l.size()) {
      // The marked character is underlined in the text colour, below the baseline.
      int from = x + dc->TextWidth(l.substr(0, marks[i]));
      int to = from + dc->TextWidth(l.substr(marks[i], CharLength(l, marks[i]))) - dc->GetTextCharacterExtra();
      QPainter* p = dc->Painter();
      if (p && to > from) p->fillRect(QRect(from, y + tm.tmAscent + 1, to - from, 1), ToQColor(dc->GetTextColor()));
    }
    y += lineHeight;
  }
  dc->SetTextAlign(align);
  if (!(format & DT_NOCLIP)) SelectClipRgn(dc, hadClip == 1 ? &saved : nullptr);
  dc->Drawn();
  return height;
}

// ---------------------------------------------------------------------------------------------
// Mapping

int SetMapMode(HDC dc, int mode)
{
  if (!dc || (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC)) return 0;
  int old = dc->GdiState()->mapMode;
  dc->GdiState()->mapMode = mode;
  dc->ApplyDeviceState();
  return old;
}

int GetMapMode(HDC dc) { return dc ? dc->GdiState()->mapMode : 0; }

namespace {

// Sets an origin of the mapping, handing back the previous one.
bool SetOrigin(TCanvas& dc, TPoint& origin, int32_t x, int32_t y, TPoint* old)
{
  if (old) *old = origin;
  origin = {x, y};
  dc.ApplyDeviceState();
  return true;
}

// Sets an extent of the mapping, handing back the previous one.
bool SetExtent(TCanvas& dc, TSize& extent, int32_t cx, int32_t cy, TSize* old)
{
  if (old) *old = extent;
  // Extents only count in the scalable modes; zero is refused.
  if (dc.GdiState()->mapMode == MM_TEXT) return true;
  if (cx == 0 || cy == 0) return false;
  extent = {cx, cy};
  dc.ApplyDeviceState();
  return true;
}

}  // namespace

bool SetWindowOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
  return dc && SetOrigin(*dc, dc->GdiState()->windowOrg, x, y, old);
}

bool SetViewportOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
  return dc && SetOrigin(*dc, dc->GdiState()->viewportOrg, x, y, old);
}

bool SetWindowExtEx(HDC dc, int32_t cx, int32_t cy, TSize* old)
{
  return dc && SetExtent(*dc, dc->GdiState()->windowExt, cx, cy, old);
}

bool SetViewportExtEx(HDC dc, int32_t cx, int32_t cy, TSize* old)
{
  return dc && SetExtent(*dc, dc->GdiState()->viewportExt, cx, cy, old);
}

namespace {
// Maps the points; false, leaving them unchanged, when one lands beyond 32-bit coordinates.
bool MapPoints(const QTransform& t, TPoint* points, int count)
{
  std::vector<TPoint> out(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    const QPointF p = t.map(QPointF(points[i].x, points[i].y));
    if (!(std::abs(p.x()) < 2147483647.0 && std::abs(p.y()) < 2147483647.0)) return false;
    out[i] = {RoundAway32(p.x()), RoundAway32(p.y())};
  }
  std::copy(out.begin(), out.end(), points);
  return true;
}
}  // namespace

bool LPtoDP(HDC dc, TPoint* points, int count)
{
  if (!dc || (!points && count > 0)) return false;
  QTransform t = dc->GdiState()->Mapping();
  return MapPoints(t, points, count);
}

bool DPtoLP(HDC dc, TPoint* points, int count)
{
  if (!dc || (!points && count > 0)) return false;
  bool invertible = false;
  QTransform t = dc->GdiState()->Mapping().inverted(&invertible);
  if (!invertible) return false;
  return MapPoints(t, points, count);
}

int GetDeviceCaps(HDC dc, int index)
{
  if (!dc) return 0;
  TSize s = dc->DeviceSize();
  int dpiX = 96, dpiY = 96;
  if (dc->Device() && !dc->Image()) {
    dpiX = dc->Device()->logicalDpiX();
    dpiY = dc->Device()->logicalDpiY();
  }
  switch (index) {
    case HORZRES: return s.cx;
    case VERTRES: return s.cy;
    case HORZSIZE: return RoundAway32(s.cx * 25.4 / dpiX);
    case VERTSIZE: return RoundAway32(s.cy * 25.4 / dpiY);
    case LOGPIXELSX: return dpiX;
    case LOGPIXELSY: return dpiY;
    case BITSPIXEL: return dc->Image() && dc->Image()->format() == QImage::Format_BGR888 ? 24 : 32;
    case PLANES: return 1;
    default: return 0;
  }
}
