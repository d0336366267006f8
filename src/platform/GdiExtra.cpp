#include "platform/GdiExtra.h"

#include <QPainterPathStroker>
#include <QPolygon>

#include "platform/GraphicsPrivate.h"

struct TGdiRegion::Impl {
  QRegion region;
};

TGdiRegion::TGdiRegion() : impl(std::make_unique<Impl>()) {}
TGdiRegion::~TGdiRegion() = default;
TGdiRegion::TGdiRegion(const TGdiRegion& other) : impl(std::make_unique<Impl>(*other.impl)) {}
TGdiRegion& TGdiRegion::operator=(const TGdiRegion& other)
{
  *impl = *other.impl;
  return *this;
}

namespace {
QRect NormRect(const TRect& r)
{
  int l = std::min(r.Left, r.Right), t = std::min(r.Top, r.Bottom);
  return QRect(l, t, std::abs(r.Width()), std::abs(r.Height()));
}

// Applies the state's region to an active painter.
void Apply(TCanvas* canvas)
{
  QPainter* p = canvas->Painter();
  if (!p) return;
  if (canvas->HasClip())
    p->setClipRegion(canvas->GdiState()->clip);
  else
    p->setClipping(false);
}

QRegion Whole(TCanvas* canvas)
{
  TSize s = canvas->DeviceSize();
  return QRegion(0, 0, std::max(0, s.cx), std::max(0, s.cy));
}

void SetRegion(TCanvas* canvas, const QRegion& region)
{
  // SetClipRect marks the canvas as clipped; the exact region replaces its rectangle.
  QRect b = region.boundingRect();
  canvas->SetClipRect({b.left(), b.top(), b.left() + b.width(), b.top() + b.height()});
  canvas->GdiState()->clip = region;
  Apply(canvas);
}
}  // namespace

TGdiRegion TGdiRegion::FromRect(const TRect& r)
{
  TGdiRegion g;
  g.impl->region = QRegion(NormRect(r));
  return g;
}

TGdiRegion TGdiRegion::FromEllipse(const TRect& r)
{
  TGdiRegion g;
  QRect q = NormRect(r);
  if (!q.isEmpty()) g.impl->region = QRegion(q, QRegion::Ellipse);
  return g;
}

TGdiRegion TGdiRegion::FromRoundRect(const TRect& r, int32_t w, int32_t h)
{
  TGdiRegion g;
  QRect q = NormRect(r);
  if (q.isEmpty()) return g;
  QPainterPath path;
  path.addRoundedRect(QRectF(q), w / 2.0, h / 2.0);
  g.impl->region = QRegion(path.toFillPolygon().toPolygon(), Qt::OddEvenFill) & QRegion(q);
  return g;
}

TGdiRegion TGdiRegion::FromPolygon(std::span<const TPoint> points)
{
  TGdiRegion g;
  QPolygon poly;
  for (const TPoint& p : points) poly << QPoint(p.x, p.y);
  g.impl->region = QRegion(poly, Qt::OddEvenFill);
  return g;
}

bool TGdiRegion::Empty() const { return impl->region.isEmpty(); }
bool TGdiRegion::Contains(int32_t x, int32_t y) const { return impl->region.contains(QPoint(x, y)); }
TRect TGdiRegion::BoundingRect() const
{
  QRect b = impl->region.boundingRect();
  return {b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
}

namespace GdiExtra {

bool GetClipRegion(TCanvas* canvas, TGdiRegion& out)
{
  if (!canvas->HasClip()) return false;
  out.impl->region = canvas->GdiState()->clip;
  return true;
}

void SelectClipRegion(TCanvas* canvas, const TGdiRegion* region)
{
  if (!region) {
    canvas->ClearClip();
    Apply(canvas);
    return;
  }
  SetRegion(canvas, region->impl->region);
}

void CombineClipRegion(TCanvas* canvas, const TGdiRegion& region, TRegionCombine mode)
{
  QRegion current = canvas->HasClip() ? canvas->GdiState()->clip : Whole(canvas);
  switch (mode) {
    case rcAnd: current &= region.impl->region; break;
    case rcXor: current ^= region.impl->region; break;
    case rcCopy: current = region.impl->region; break;
  }
  SetRegion(canvas, current);
}

void BeginPath(TCanvas* canvas)
{
  auto* s = canvas->GdiState();
  s->path = QPainterPath();
  s->pathOpen = true;
  s->pathReady = false;
}

void EndPath(TCanvas* canvas)
{
  auto* s = canvas->GdiState();
  s->pathOpen = false;
  s->pathReady = true;
}

namespace {
QPainterPath TakePath(TCanvas* canvas)
{
  auto* s = canvas->GdiState();
  QPainterPath p = s->pathReady ? s->path : QPainterPath();
  s->path = QPainterPath();
  s->pathReady = false;
  return p;
}
}  // namespace

void TextOutPath(TCanvas* canvas, int32_t x, int32_t y, const std::string& text)
{
  auto* s = canvas->GdiState();
  if (!s->pathOpen || text.empty()) return;
  QFont qf = gfx::MakeQFont(*canvas->Font());
  QFontMetrics fm(qf);
  QString str = QString::fromStdString(text);
  const int extra = canvas->GetTextCharacterExtra();
  int width = fm.horizontalAdvance(str) + extra * static_cast<int>(str.size());
  int ascent = fm.ascent(), height = fm.ascent() + fm.descent();
  uint32_t align = canvas->GetTextAlign();
  int dx = 0, dy = 0;
  if ((align & TA_CENTER) == TA_CENTER) dx = -width / 2;
  else if ((align & TA_CENTER) == TA_RIGHT) dx = -width;
  if ((align & TA_BASELINE) == TA_BASELINE) dy = -ascent;
  else if ((align & TA_BASELINE) == TA_BOTTOM) dy = -height;
  int cx = x + dx;
  for (const QChar ch : str) {
    s->path.addText(QPointF(cx, y + dy + ascent), qf, QString(ch));
    cx += fm.horizontalAdvance(ch) + extra;
  }
}

void StrokeAndFillPath(TCanvas* canvas)
{
  QPainterPath path = TakePath(canvas);
  path.setFillRule(Qt::OddEvenFill);
  canvas->Paint([&](QPainter& p) {
    gfx::FillWithBrush(*canvas, p, path);
    gfx::StrokeWithPen(*canvas, p, path);
  });
}

void StrokePath(TCanvas* canvas)
{
  QPainterPath path = TakePath(canvas);
  canvas->Paint([&](QPainter& p) { gfx::StrokeWithPen(*canvas, p, path); });
}

void WidenPath(TCanvas* canvas)
{
  auto* s = canvas->GdiState();
  if (!s->pathReady) return;
  QPainterPathStroker stroker;
  stroker.setWidth(std::max(1, gfx::PenWidth(*canvas->Pen())));
  s->path = stroker.createStroke(s->path);
}

void SelectClipPath(TCanvas* canvas, TRegionCombine mode)
{
  QPainterPath path = TakePath(canvas);
  path.setFillRule(Qt::OddEvenFill);
  TGdiRegion r;
  for (const QPolygonF& poly : path.toFillPolygons()) r.impl->region ^= QRegion(poly.toPolygon(), Qt::OddEvenFill);
  CombineClipRegion(canvas, r, mode);
}

void SetTextColor(TCanvas* canvas, TColor color) { canvas->Font()->SetColor(color); }
TColor GetTextColor(TCanvas* canvas) { return canvas->Font()->GetColor(); }

void SetRop2(TCanvas* canvas, int32_t rop2) { canvas->Pen()->SetMode(gfx::ModeOfRop2(rop2)); }

}  // namespace GdiExtra
