#include "platform/Graphics.h"

#include <QFontMetrics>
#include <QTransform>

#include <algorithm>
#include <array>
#include <atomic>
#include <unordered_map>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdlib>
#include <typeinfo>

#include "platform/GraphicsPrivate.h"
#include "platform/Metafile.h"
#include "platform/PlaceableMetafile.h"

// ---------------------------------------------------------------------------------------------
// Pens, brushes, fonts

void TGraphicsObject::Changed()
{
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor v) { Change(color_, v); }

void TPen::SetWidth(int32_t v) { Change(width_, v); }

void TPen::SetStyle(TPenStyle v) { Change(style_, v); }

void TPen::SetMode(TPenMode v) { Change(mode_, v); }

void TPen::SetEndCap(TPenEndCap v) { Change(endCap_, v); }

void TPen::SetJoin(TPenJoin v) { Change(join_, v); }

void TPen::SetGeometric(bool v) { Change(geometric_, v); }

void TPen::SetUserStyle(const std::vector<uint32_t>& v) { Change(userStyle_, v); }

void TPen::Assign(const TPersistent* source)
{
  if (auto* p = dynamic_cast<const TPen*>(source)) {
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    endCap_ = p->endCap_;
    join_ = p->join_;
    geometric_ = p->geometric_;
    userStyle_ = p->userStyle_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::SetColor(TColor v)
{
  if (color_ == v && style_ != bsClear) return;
  color_ = v;
  // A clear brush given a colour becomes solid.
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle v) { Change(style_, v); }

void TBrush::SetBitmap(TBitmap* v)
{
  if (!v && !bitmap_) return;
  bitmap_ = v;
  // Setting the same bitmap again takes its current pixels.
  if (v) {
    auto copy = std::make_shared<TBitmap>();
    copy->Assign(v);
    pattern_ = std::move(copy);
  } else {
    pattern_.reset();
  }
  Changed();
}

void TBrush::Assign(const TPersistent* source)
{
  if (auto* b = dynamic_cast<const TBrush*>(source)) {
    color_ = b->color_;
    style_ = b->style_;
    bitmap_ = b->bitmap_;
    pattern_ = b->pattern_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

namespace {
// Multiplies and divides with rounding half away from zero, as the system's MulDiv.
int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
  return RoundAway32(static_cast<double>(a) * b / c);
}
}  // namespace

void TFont::SetName(const std::string& v) { Change(name_, v); }

int32_t TFont::GetSize() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int32_t v) { SetHeight(-MulDiv(v, pixelsPerInch_, 72)); }

void TFont::SetPixelsPerInch(int32_t v)
{
  if (v < 1) throw ERangeError("Range check error");
  Change(pixelsPerInch_, v);
}

void TFont::SetHeight(int32_t v) { Change(height_, v); }

void TFont::SetColor(TColor v) { Change(color_, v); }

void TFont::SetStyle(TFontStyles v) { Change(style_, v); }

void TFont::SetOrientation(int32_t v) { Change(orientation_, v); }

void TFont::SetPitch(TFontPitch v) { Change(pitch_, v); }

void TFont::SetCharset(uint8_t v) { Change(charset_, v); }

void TFont::SetQuality(TFontQuality v) { Change(quality_, v); }

void TFont::Assign(const TPersistent* source)
{
  if (auto* f = dynamic_cast<const TFont*>(source)) {
    name_ = f->name_;
    height_ = f->height_;
    color_ = f->color_;
    style_ = f->style_;
    orientation_ = f->orientation_;
    pitch_ = f->pitch_;
    charset_ = f->charset_;
    quality_ = f->quality_;
    pixelsPerInch_ = f->pixelsPerInch_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// Helpers

namespace gfx {

QColor ToQColor(TColor c)
{
  c = ColorToRGB(c);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQRgb(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

int Rop2OfMode(TPenMode mode)
{
  static constexpr int codes[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
  return codes[mode];
}

TPenMode ModeOfRop2(int rop2)
{
  for (int m = pmBlack; m <= pmNotXor; ++m)
    if (Rop2OfMode(static_cast<TPenMode>(m)) == rop2) return static_cast<TPenMode>(m);
  return pmCopy;
}

uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dest)
{
  // Bit (P << 1 | D) of code - 1 gives each result bit.
  unsigned t = static_cast<unsigned>(rop2 - 1) & 15u;
  uint32_t r = 0;
  if (t & 1) r |= ~pen & ~dest;
  if (t & 2) r |= ~pen & dest;
  if (t & 4) r |= pen & ~dest;
  if (t & 8) r |= pen & dest;
  return r & 0xFFFFFFu;
}

uint32_t ApplyRop3(uint8_t index, uint32_t pat, uint32_t src, uint32_t dest)
{
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!(index & (1u << i))) continue;
    uint32_t p = (i & 4) ? pat : ~pat;
    uint32_t s = (i & 2) ? src : ~src;
    uint32_t d = (i & 1) ? dest : ~dest;
    r |= p & s & d;
  }
  return r & 0xFFFFFFu;
}

uint32_t ReadRgb(const QImage& img, int x, int y)
{
  if (img.format() == QImage::Format_BGR888) {
    const uchar* p = img.constScanLine(y) + 3 * x;
    return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
  }
  if (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32 ||
      img.format() == QImage::Format_ARGB32_Premultiplied)
    return reinterpret_cast<const QRgb*>(img.constScanLine(y))[x] & 0xFFFFFFu;
  return img.pixel(x, y) & 0xFFFFFFu;
}

void WriteRgb(QImage& img, int x, int y, uint32_t rgb)
{
  if (img.format() == QImage::Format_BGR888) {
    uchar* p = img.scanLine(y) + 3 * x;
    p[0] = rgb & 0xFF;
    p[1] = (rgb >> 8) & 0xFF;
    p[2] = (rgb >> 16) & 0xFF;
    return;
  }
  if (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32 ||
      img.format() == QImage::Format_ARGB32_Premultiplied) {
    reinterpret_cast<QRgb*>(img.scanLine(y))[x] = 0xFF000000u | rgb;
    return;
  }
  img.setPixel(x, y, 0xFF000000u | rgb);
}

int PenWidth(const TPen& pen) { return std::max(1, pen.GetWidth()); }

bool PenVisible(const TPen& pen) { return pen.GetStyle() != psClear && pen.GetMode() != pmNop; }

namespace {
// Dash lengths of the cosmetic styles, in pixels.
QList<qreal> DashesOf(const TPen& pen)
{
  switch (pen.GetStyle()) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    case psAlternate: return {1, 1};
    case psUserStyle: {
      QList<qreal> d;
      for (uint32_t v : pen.GetUserStyle()) d.append(std::max<qreal>(v, 0.0001));
      if (d.isEmpty()) return {};
      if (d.size() % 2) d += d;
      return d;
    }
    default: return {};
  }
}
}  // namespace

bool PenDashed(const TPen& pen)
{
  if (pen.GetStyle() == psSolid || pen.GetStyle() == psInsideFrame || pen.GetStyle() == psClear) return false;
  // A simple pen wider than one pixel draws solid; only geometric pens dash when wide.
  if (PenWidth(pen) > 1 && !pen.GetGeometric()) return false;
  // (DashesOf is empty only for a user style without lengths.)
  return pen.GetStyle() != psUserStyle || !pen.GetUserStyle().empty();
}

QPen MakeQPen(const TPen& pen)
{
  if (!PenVisible(pen)) return QPen(Qt::NoPen);
  int w = PenWidth(pen);
  QPen q(ToQColor(pen.GetColor()));
  q.setWidth(w);
  q.setCosmetic(false);
  if (w <= 1) {
    // One-pixel lines leave out their last pixel.
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
  } else if (pen.GetGeometric()) {
    q.setCapStyle(pen.GetEndCap() == pecRound ? Qt::RoundCap : pen.GetEndCap() == pecSquare ? Qt::SquareCap : Qt::FlatCap);
    q.setJoinStyle(pen.GetJoin() == pjRound ? Qt::RoundJoin : pen.GetJoin() == pjBevel ? Qt::BevelJoin : Qt::MiterJoin);
  } else {
    q.setCapStyle(Qt::RoundCap);
    q.setJoinStyle(Qt::RoundJoin);
  }
  if (PenDashed(pen)) {
    QList<qreal> d;
    bool widthUnits = pen.GetGeometric() && pen.GetStyle() >= psDash && pen.GetStyle() <= psDashDotDot;
    if (widthUnits) {
      // Dashes of a geometric pen grow with its width.
      switch (pen.GetStyle()) {
        case psDash: d = {3, 1}; break;
        case psDot: d = {1, 1}; break;
        case psDashDot: d = {3, 1, 1, 1}; break;
        default: d = {3, 1, 1, 1, 1, 1}; break;
      }
    } else {
      // Qt measures dashes in pen widths; the pen's lengths are pixels.
      d = DashesOf(pen);
      for (auto& v : d) v /= w;
    }
    q.setDashPattern(d);
  }
  return q;
}

QString MapFamily(const std::string& name)
{
  QString n = QString::fromStdString(name).trimmed();
  QString l = n.toLower();
  if (l == "arial" || l == "helvetica" || l == "arial narrow") return QStringLiteral("Liberation Sans");
  if (l == "times new roman" || l == "times") return QStringLiteral("Liberation Serif");
  if (l == "courier new" || l == "courier") return QStringLiteral("Liberation Mono");
  if (l == "tahoma" || l == "verdana" || l == "ms sans serif" || l == "small fonts" || l == "microsoft sans serif" ||
      l == "segoe ui" || l.isEmpty() || l == "default")
    return QStringLiteral("DejaVu Sans");
  return n;
}

namespace {
QFont ResolveQFont(const TFont& font);
}  // namespace

TFontRecord& FontRecord(const TFont& font)
{
  // Resolving a font (and a positive cell height) costs font-database work: keep the answers.
  thread_local std::unordered_map<std::string, std::unique_ptr<TFontRecord>> cache;
  // The fonts asked for last, and their records: a chart asks for its few fonts in turn, again
  // and again while it draws.
  struct Recent {
    std::string name;
    int32_t height = 0;
    TFontStyles style = 0;
    TFontPitch pitch = fpDefault;
    TFontRecord* record = nullptr;
  };
  thread_local std::array<Recent, 4> recent;
  for (size_t i = 0; i < recent.size(); ++i) {
    const Recent& r = recent[i];
    if (r.record && r.height == font.GetHeight() && r.style == font.GetStyle() && r.pitch == font.GetPitch() &&
        r.name == font.GetName()) {
      // Move it to the front.
      std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(i), recent.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return *recent[0].record;
    }
  }
  std::string key = font.GetName() + '\x1f' + std::to_string(font.GetHeight()) + '\x1f' +
                    std::to_string(font.GetStyle()) + '\x1f' + std::to_string(font.GetPitch());
  auto it = cache.find(key);
  if (it == cache.end()) {
    if (cache.size() > 512) {
      cache.clear();
      recent = {};
    }
    it = cache.emplace(key, std::make_unique<TFontRecord>(ResolveQFont(font))).first;
  }
  std::rotate(recent.begin(), recent.end() - 1, recent.end());
  recent[0] = Recent{font.GetName(), font.GetHeight(), font.GetStyle(), font.GetPitch(), it->second.get()};
  return *recent[0].record;
}

QFont MakeQFont(const TFont& font) { return FontRecord(font).font; }

TTextAdvance TFontRecord::Advance(const std::string& text)
{
  auto it = advances.find(text);
  if (it != advances.end()) return it->second;
  // Axis labels and legend texts come back every frame: shaping them once is enough.
  if (advances.size() > 4096) advances.clear();
  const QString s = QString::fromStdString(text);
  const TTextAdvance a{metrics.horizontalAdvance(s), static_cast<int>(s.size())};
  advances.emplace(text, a);
  return a;
}

const TTextMask& TFontRecord::Mask(const std::string& text)
{
  auto it = masks.find(text);
  if (it != masks.end()) return it->second;
  if (masks.size() > 4096) masks.clear();
  TTextMask mask;
  // Drawn as TextOut draws it, in a frame wide enough for overhanging glyphs.
  const QString s = QString::fromStdString(text);
  const int height = ascent + descent;
  const int margin = height + 8, width = Advance(text).width;
  const int64_t pixels = int64_t{width + 2 * margin} * (height + 2 * margin);
  if (!text.empty() && width >= 0 && pixels <= (1 << 22)) {
    QImage frame(width + 2 * margin, height + 2 * margin, QImage::Format_ARGB32_Premultiplied);
    frame.fill(0);
    {
      QPainter p(&frame);
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setRenderHint(QPainter::TextAntialiasing, false);
      p.setRenderHint(QPainter::SmoothPixmapTransform, false);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      p.setFont(font);
      p.setPen(QColor(0, 0, 0));
      p.drawText(QPoint(margin, margin + ascent), s);
    }
    mask.exact = true;
    for (int y = 0; y < frame.height() && mask.exact; ++y) {
      const QRgb* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
      for (int x = 0; x < frame.width(); ++x) {
        const int a = qAlpha(row[x]);
        if (a == 0) continue;
        const bool edge = x == 0 || y == 0 || x == frame.width() - 1 || y == frame.height() - 1;
        if (a != 255 || edge) {
          mask.exact = false;
          break;
        }
        int end = x + 1;
        while (end < frame.width() && qAlpha(row[end]) == 255) ++end;
        mask.runs.push_back({y - margin, x - margin, end - margin});
        x = end - 1;
      }
    }
    if (!mask.exact) mask.runs.clear();
  }
  return masks.emplace(text, std::move(mask)).first->second;
}

namespace {
QFont ResolveQFont(const TFont& font)
{
  QFont f(MapFamily(font.GetName()));
  f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  f.setHintingPreference(QFont::PreferFullHinting);
  f.setKerning(false);
  f.setBold(font.GetStyle() & fsBold);
  f.setItalic(font.GetStyle() & fsItalic);
  f.setUnderline(font.GetStyle() & fsUnderline);
  f.setStrikeOut(font.GetStyle() & fsStrikeOut);
  if (font.GetPitch() == fpFixed) f.setFixedPitch(true);
  // Heights beyond 65535 pixels (only hostile files give them) are held there.
  int h = std::clamp(font.GetHeight(), -65535, 65535);
  if (h < 0) {
    f.setPixelSize(std::max(1, -h));
  } else {
    // Positive height: the cell height (ascent + descent) in pixels.
    int cell = h == 0 ? 16 : h;
    f.setPixelSize(std::max(1, cell));
    for (int i = 0; i < 8; ++i) {
      QFontMetrics fm(f);
      int got = fm.ascent() + fm.descent();
      if (got <= cell || f.pixelSize() <= 1) break;
      f.setPixelSize(std::max(1, f.pixelSize() - std::max(1, (got - cell) * f.pixelSize() / got)));
    }
  }
  return f;
}
}  // namespace

QBrush MakeQBrush(TCanvas& canvas)
{
  TBrush* b = canvas.Brush();
  if (const TBitmap* bmp = b->GetBitmap() ? b->Pattern() : nullptr) {
    QImage img = bmp->Image().convertToFormat(QImage::Format_RGB32);
    if (bmp->GetMonochrome()) {
      // A two-colour pattern draws its black bits in the text colour and white bits in the background colour.
      QRgb fg = ToQColor(canvas.GetTextColor()).rgb();
      QRgb bg = ToQColor(canvas.GetBkColor()).rgb();
      for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) row[x] = (row[x] & 0xFFFFFF) ? bg : fg;
      }
    }
    return QBrush(img);
  }
  QColor c = ToQColor(b->GetColor());
  switch (b->GetStyle()) {
    case bsClear: return QBrush(Qt::NoBrush);
    case bsSolid: return QBrush(c);
    case bsHorizontal: return QBrush(c, Qt::HorPattern);
    case bsVertical: return QBrush(c, Qt::VerPattern);
    case bsFDiagonal: return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(c, Qt::BDiagPattern);
    case bsCross: return QBrush(c, Qt::CrossPattern);
    case bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
  }
  return QBrush(c);
}

void FillWithBrush(TCanvas& canvas, QPainter& p, const QPainterPath& path)
{
  TBrush* b = canvas.Brush();
  if (!b->GetBitmap() && b->GetStyle() == bsClear) return;
  QBrush brush = MakeQBrush(canvas);
  bool hatch = !b->GetBitmap() && b->GetStyle() != bsSolid;
  TPoint o = canvas.GdiState()->brushOrigin;
  p.setBrushOrigin(o.x, o.y);
  if (hatch && canvas.GetBkMode() == OPAQUE) p.fillPath(path, ToQColor(canvas.GetBkColor()));
  p.fillPath(path, brush);
}

void StrokeWithPen(TCanvas& canvas, QPainter& p, const QPainterPath& path, bool centred)
{
  TPen* pen = canvas.Pen();
  if (!PenVisible(*pen)) return;
  QPen q = MakeQPen(*pen);
  p.setBrush(Qt::NoBrush);
  // Figures run through pixel indices; a one-pixel pen lights the pixel at each index, while a
  // wide pen is a filled outline sampled at pixel centres, so it is centred by half a pixel.
  if (q.width() > 1 && !centred) p.translate(0.5, 0.5);
  // (A path drops a line to its own end point, leaving a lone move.)
  if (q.width() > 1 && q.capStyle() != Qt::FlatCap && path.elementCount() == 1) {
    // A line of no length still shows the wide pen's end cap: a dot.
    QPointF c = path.elementAt(0);
    double r = q.width() / 2.0;
    QPainterPath dot;
    if (q.capStyle() == Qt::RoundCap) dot.addEllipse(c, r, r);
    else dot.addRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
    p.fillPath(dot, q.color());
    return;
  }
  if (PenDashed(*pen) && canvas.GetBkMode() == OPAQUE) {
    QPen back = q;
    back.setStyle(Qt::SolidLine);
    back.setColor(ToQColor(canvas.GetBkColor()));
    p.strokePath(path, back);
  }
  p.strokePath(path, q);
}

namespace {
// Source index of destination index d when dsize pixels show ssize (nearest pixel centre).
int Pick(int d, int dsize, int ssize, bool mirror)
{
  int k = static_cast<int>((static_cast<int64_t>(2 * d + 1) * ssize) / (2 * static_cast<int64_t>(dsize)));
  return mirror ? ssize - 1 - k : k;
}
}  // namespace

namespace {
bool Quads(QImage::Format f)
{
  return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

// A plain copy of 32-bit pixels onto 32-bit pixels at the same size, unmirrored, read wholly from
// inside the source, within no clip or a rectangular one (small stamps copied thousands of times
// a frame): rows are written straight, nothing is allocated. False when the block is not such a copy.
bool CopyBlockDirect(TCanvas& dest, QImage& img, const TRect& dr, const QImage* source, const TRect& sr, uint32_t rop)
{
  // (Called for every marker of a chart: plain integer work, few calls into the image.)
  if (rop != 0x00CC0020 || !source || source == &img || source->isNull() || img.format() != QImage::Format_RGB32 ||
      !Quads(source->format()))
    return false;
  const int dw = dr.Width(), dh = dr.Height();
  if (dw == 0 || dh == 0 || sr.Width() != dw || sr.Height() != dh) return false;
  const QRegion* clip = dest.HasClip() ? &dest.GdiState()->clip : nullptr;
  if (clip && clip->rectCount() != 1) return false;
  const int x0 = std::min(dr.Left, dr.Right), y0 = std::min(dr.Top, dr.Bottom);
  // The visible block, right and bottom exclusive.
  int left = std::max(x0, 0), top = std::max(y0, 0);
  int right = std::min(x0 + std::abs(dw), img.width()), bottom = std::min(y0 + std::abs(dh), img.height());
  if (clip) {
    const QRect c = clip->boundingRect();
    left = std::max(left, c.left());
    top = std::max(top, c.top());
    right = std::min(right, c.right() + 1);
    bottom = std::min(bottom, c.bottom() + 1);
  }
  if (left >= right || top >= bottom) return true;
  const int sx = std::min(sr.Left, sr.Right) + left - x0, sy = std::min(sr.Top, sr.Bottom) + top - y0;
  const int n = right - left, rows = bottom - top;
  if (sx < 0 || sy < 0 || sx + n > source->width() || sy + rows > source->height()) return false;
  const QRect visible(left, top, n, rows);
  dest.Release();
  uchar* out = img.bits() + static_cast<qsizetype>(visible.top()) * img.bytesPerLine();
  const qsizetype outStride = img.bytesPerLine();
  const uchar* in = source->constBits() + static_cast<qsizetype>(sy) * source->bytesPerLine();
  const qsizetype inStride = source->bytesPerLine();
  for (int j = 0; j < rows; ++j, out += outStride, in += inStride) {
    QRgb* o = reinterpret_cast<QRgb*>(out) + visible.left();
    const QRgb* i = reinterpret_cast<const QRgb*>(in) + sx;
    for (int k = 0; k < n; ++k) o[k] = 0xFF000000u | i[k];
  }
  dest.Drawn();
  return true;
}
}  // namespace

void BlockTransfer(TCanvas& dest, const TRect& destRect, const QImage* source, const TRect& srcRect, uint32_t rop)
{
  QImage* img = dest.Image();
  if (img && !img->isNull() && CopyBlockDirect(dest, *img, ClampRect(destRect), source, ClampRect(srcRect), rop)) return;
  BlockTransferRows(dest, destRect, source, srcRect, rop);
}

void BlockTransferRows(TCanvas& dest, const TRect& destRect, const QImage* source, const TRect& srcRect, uint32_t rop)
{
  QImage* img = dest.Image();
  if (!img || img->isNull()) return;
  const TRect dr = ClampRect(destRect), sr = ClampRect(srcRect);
  int dw = dr.Width(), dh = dr.Height();
  if (dw == 0 || dh == 0) return;
  uint8_t index = (rop >> 16) & 0xFF;
  bool usesSrc = ((index >> 2) & 0x33) != (index & 0x33);
  bool usesPat = ((index >> 4) & 0x0F) != (index & 0x0F);
  int x0 = std::min(dr.Left, dr.Right), y0 = std::min(dr.Top, dr.Bottom);
  int w = std::abs(dw), h = std::abs(dh);
  // Only the part of the block on the surface (and in the clip) is worked out.
  QRect visible = QRect(x0, y0, w, h) & QRect(0, 0, img->width(), img->height());
  if (dest.HasClip()) visible &= dest.GdiState()->clip.boundingRect();
  if (visible.isEmpty()) return;
  // Source pixels at the destination size (nearest pixel), mirrored by negative extents.
  const QImage* from = source;
  int sy = 0, sh = 0;
  bool my = false, unitColumns = false;
  std::vector<int> cols;
  if (usesSrc) {
    if (!source || source->isNull()) return;
    int sx = std::min(sr.Left, sr.Right);
    sy = std::min(sr.Top, sr.Bottom);
    int sw = std::abs(sr.Width());
    sh = std::abs(sr.Height());
    if (sw == 0 || sh == 0) return;
    bool mx = (sr.Width() < 0) != (dw < 0);
    my = (sr.Height() < 0) != (dh < 0);
    cols.resize(visible.width());
    for (int i = 0; i < visible.width(); ++i) cols[i] = sx + Pick(visible.left() + i - x0, w, sw, mx);
    unitColumns = sw == w && !mx;
  }
  // Source row j of the visible block, columns [i0, i1), as opaque 0xFFRRGGBB; pixels outside the source read as black.
  // Whole frames go through here: rows are read directly rather than pixel by pixel.
  auto fetch = [&](int j, int i0, int i1, QRgb* out) {
    const int row = sy + Pick(visible.top() + j - y0, h, sh, my);
    if (row < 0 || row >= from->height()) {
      std::fill(out, out + (i1 - i0), 0xFF000000u);
      return;
    }
    const QImage::Format fmt = from->format();
    const bool quads = fmt == QImage::Format_RGB32 || fmt == QImage::Format_ARGB32 ||
                       fmt == QImage::Format_ARGB32_Premultiplied;
    const int fw = from->width();
    const uchar* line = from->constScanLine(row);
    if (unitColumns && i0 < i1 && cols[i0] >= 0 && cols[i1 - 1] < fw) {
      // Unstretched and unmirrored, all inside the source: a straight run.
      const int n = i1 - i0;
      if (quads) {
        const QRgb* in = reinterpret_cast<const QRgb*>(line) + cols[i0];
        for (int i = 0; i < n; ++i) out[i] = 0xFF000000u | in[i];
        return;
      }
      if (fmt == QImage::Format_BGR888) {
        const uchar* in = line + 3 * cols[i0];
        for (int i = 0; i < n; ++i, in += 3) out[i] = 0xFF000000u | (uint32_t(in[2]) << 16) | (uint32_t(in[1]) << 8) | in[0];
        return;
      }
    }
    for (int i = i0; i < i1; ++i) {
      const int c = cols[i];
      uint32_t rgb = 0;
      if (c >= 0 && c < fw) {
        if (quads) rgb = reinterpret_cast<const QRgb*>(line)[c] & 0xFFFFFFu;
        else if (fmt == QImage::Format_BGR888) rgb = (uint32_t(line[3 * c + 2]) << 16) | (uint32_t(line[3 * c + 1]) << 8) | line[3 * c];
        else rgb = ReadRgb(*from, c, row);
      }
      out[i - i0] = 0xFF000000u | rgb;
    }
  };
  const QImage::Format destFormat = img->format();
  if (rop == 0x00CC0020 && (destFormat == QImage::Format_RGB32 || destFormat == QImage::Format_BGR888)) {
    // A plain copy onto pixels of a known layout: written straight into the rows, within the clip.
    dest.Release();
    QRegion clip = dest.HasClip() ? dest.GdiState()->clip : QRegion(0, 0, img->width(), img->height());
    clip &= QRegion(visible);
    std::vector<QRgb> buf(visible.width());
    const int vx = visible.left(), vy = visible.top();
    for (const QRect& r : clip) {
      const int n = r.width();
      for (int y = r.top(); y <= r.bottom(); ++y) {
        uchar* line = img->scanLine(y);
        if (destFormat == QImage::Format_RGB32) {
          fetch(y - vy, r.left() - vx, r.left() - vx + n, reinterpret_cast<QRgb*>(line) + r.left());
        } else {
          fetch(y - vy, r.left() - vx, r.left() - vx + n, buf.data());
          uchar* o = line + 3 * r.left();
          for (int i = 0; i < n; ++i, o += 3) {
            const QRgb v = buf[i];
            o[0] = v & 0xFF;
            o[1] = (v >> 8) & 0xFF;
            o[2] = (v >> 16) & 0xFF;
          }
        }
      }
    }
    dest.Drawn();
    return;
  }
  QImage src;
  if (usesSrc) {
    src = QImage(visible.size(), QImage::Format_RGB32);
    for (int j = 0; j < visible.height(); ++j) fetch(j, 0, visible.width(), reinterpret_cast<QRgb*>(src.scanLine(j)));
  }
  if (rop == 0x00CC0020 || rop == 0x00F00021) {
    // Plain copies of the source or the brush go through the painter.
    QPainter* p = dest.Painter();
    if (!p) return;
    p->save();
    p->resetTransform();
    p->setCompositionMode(QPainter::CompositionMode_Source);
    if (rop == 0x00CC0020) {
      p->drawImage(visible.topLeft(), src);
    } else {
      TPoint o = dest.GdiState()->brushOrigin;
      p->setBrushOrigin(o.x, o.y);
      TBrush* b = dest.Brush();
      if (!b->GetBitmap() && b->GetStyle() != bsSolid) p->fillRect(visible, ToQColor(dest.GetBkColor()));
      if (b->GetBitmap() || b->GetStyle() != bsClear) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->fillRect(visible, MakeQBrush(dest));
      }
    }
    p->restore();
    dest.Drawn();
    return;
  }
  // Pattern: the brush painted over the block, aligned to the brush origin.
  QImage pat;
  if (usesPat) {
    pat = QImage(visible.size(), QImage::Format_RGB32);
    pat.fill(ToQColor(dest.GetBkColor()));
    QPainter pp(&pat);
    pp.translate(-visible.left(), -visible.top());
    QPainterPath whole;
    whole.addRect(visible);
    TBrush* b = dest.Brush();
    if (b->GetBitmap() || b->GetStyle() != bsClear) {
      TPoint o = dest.GdiState()->brushOrigin;
      pp.setBrushOrigin(o.x, o.y);
      pp.fillPath(whole, MakeQBrush(dest));
    }
  }
  dest.Release();
  QRegion clip = dest.HasClip() ? dest.GdiState()->clip : QRegion(0, 0, img->width(), img->height());
  clip &= QRegion(visible);
  const int vx = visible.left(), vy = visible.top();
  for (const QRect& r : clip) {
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) {
        uint32_t s = usesSrc ? reinterpret_cast<const QRgb*>(src.constScanLine(y - vy))[x - vx] & 0xFFFFFF : 0;
        uint32_t p = usesPat ? reinterpret_cast<const QRgb*>(pat.constScanLine(y - vy))[x - vx] & 0xFFFFFF : 0;
        WriteRgb(*img, x, y, ApplyRop3(index, p, s, ReadRgb(*img, x, y)));
      }
  }
  dest.Drawn();
}

}  // namespace gfx

using namespace gfx;

// ---------------------------------------------------------------------------------------------
// Canvas

TCanvas::TCanvas()
    : state_(std::make_unique<TGdiState>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()),
      font_(std::make_unique<TFont>())
{
  state_->textColor = font_->GetColor();
  state_->seen.fontColor = font_->GetColor();
  pen_->OnChange = [this](TObject*) { state_->penChanged = true; };
}

TCanvas::~TCanvas() { Release(); }

void TCanvas::SetDevice(QPaintDevice* device, QImage* image)
{
  Release();
  device_ = device;
  image_ = image;
}

namespace {
QPointF ToCentre(QPointF p) { return p + QPointF(0.5, 0.5); }
}  // namespace

void TCanvas::TGdiState::PathMoveTo(QPointF p)
{
  path.moveTo(p);
  centredPath.moveTo(ToCentre(p));
}

void TCanvas::TGdiState::PathLineTo(QPointF p, bool onCentres)
{
  path.lineTo(onCentres ? p - QPointF(0.5, 0.5) : p);
  centredPath.lineTo(onCentres ? p : ToCentre(p));
}

void TCanvas::TGdiState::PathAdd(const QPainterPath& figure, bool onCentres)
{
  path.addPath(figure);
  centredPath.addPath(onCentres ? figure : figure.translated(0.5, 0.5));
}

void TCanvas::TGdiState::PathConnect(const QPainterPath& figure, bool onCentres)
{
  path.connectPath(figure);
  centredPath.connectPath(onCentres ? figure : figure.translated(0.5, 0.5));
}

void TCanvas::TGdiState::PathClear()
{
  path = QPainterPath();
  centredPath = QPainterPath();
}

QTransform TCanvas::TGdiState::Mapping() const
{
  double sx = 1.0, sy = 1.0;
  if (mapMode != 1 && windowExt.cx != 0 && windowExt.cy != 0) {
    sx = static_cast<double>(viewportExt.cx) / windowExt.cx;
    sy = static_cast<double>(viewportExt.cy) / windowExt.cy;
  }
  // device = (logical - window origin) * scale + viewport origin
  return QTransform(sx, 0, 0, sy, viewportOrg.x - windowOrg.x * sx, viewportOrg.y - windowOrg.y * sy);
}

void TCanvas::Release()
{
  if (painter_ && painter_->isActive()) painter_->end();
}

QPainter* TCanvas::Painter()
{
  if (!device_) return nullptr;
  if (image_ && image_->isNull()) return nullptr;
  if (!painter_) painter_ = std::make_unique<QPainter>();
  if (!painter_->isActive()) {
    if (!painter_->begin(device_)) return nullptr;
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (hasClip_) painter_->setClipRegion(state_->clip);
    painter_->setWorldTransform(state_->Mapping());
  }
  return painter_.get();
}

TSize TCanvas::DeviceSize() const
{
  if (image_) return {image_->width(), image_->height()};
  if (device_) return {device_->width(), device_->height()};
  return {0, 0};
}

TRect TCanvas::GetClipRect()
{
  TSize s = DeviceSize();
  TRect all = Rect(0, 0, s.cx, s.cy);
  if (!hasClip_) return all;
  QRect b = state_->clip.boundingRect();
  TRect c = Rect(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
  TRect r;
  IntersectRect(r, c, all);
  return r;
}

void TCanvas::SetClipRect(const TRect& given)
{
  const TRect r = ClampRect(given);
  hasClip_ = true;
  clip_ = r;
  state_->clip = QRegion(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  ApplyDeviceState();
}

void TCanvas::ClearClip()
{
  hasClip_ = false;
  clip_ = {};
  state_->clip = QRegion();
  ApplyDeviceState();
}

void TCanvas::ApplyDeviceState()
{
  if (!painter_ || !painter_->isActive()) return;
  // The clip region is in device pixels: set it before the mapping.
  painter_->setWorldTransform(QTransform());
  if (hasClip_) painter_->setClipRegion(state_->clip);
  else painter_->setClipping(false);
  painter_->setWorldTransform(state_->Mapping());
}

void TCanvas::SyncState() const
{
  auto& seen = state_->seen;
  if (brush_->GetStyle() != seen.brushStyle || brush_->GetColor() != seen.brushColor ||
      brush_->GetBitmap() != seen.brushBitmap) {
    seen.brushStyle = brush_->GetStyle();
    seen.brushColor = brush_->GetColor();
    seen.brushBitmap = brush_->GetBitmap();
    // Selecting a changed brush: opaque background in its colour when solid, else transparent.
    if (seen.brushStyle == bsSolid && !seen.brushBitmap) {
      bkColor_ = seen.brushColor;
      bkMode_ = OPAQUE;
    } else {
      bkMode_ = TRANSPARENT;
    }
  }
  if (font_->GetColor() != seen.fontColor) {
    seen.fontColor = font_->GetColor();
    state_->textColor = seen.fontColor;
  }
  if (state_->penChanged) {
    state_->penChanged = false;
    state_->rop2 = Rop2OfMode(pen_->GetMode());
  }
}

int TCanvas::GetBkMode() const
{
  SyncState();
  return bkMode_;
}

void TCanvas::SetBkMode(int mode)
{
  SyncState();
  bkMode_ = mode;
}

TColor TCanvas::GetBkColor() const
{
  SyncState();
  return ColorToRGB(bkColor_);
}

void TCanvas::SetBkColor(TColor c)
{
  SyncState();
  bkColor_ = c;
}

TColor TCanvas::GetTextColor() const
{
  SyncState();
  return ColorToRGB(state_->textColor);
}

void TCanvas::SetTextColor(TColor c)
{
  SyncState();
  state_->textColor = c;
}

int TCanvas::GetROP2() const
{
  SyncState();
  return state_->rop2;
}

void TCanvas::SetROP2(int rop2)
{
  SyncState();
  if (rop2 >= 1 && rop2 <= 16) state_->rop2 = rop2;
}

void TCanvas::PreparePen() { SyncState(); }

void TCanvas::PrepareBrush() { SyncState(); }

void TCanvas::PrepareFont() { SyncState(); }

void TCanvas::Paint(const std::function<void(QPainter&)>& draw)
{
  if (!HasDevice()) return;
  SyncState();
  int rop = state_->rop2;
  if (rop == 11) return;  // no operation
  if (rop == 13 || !image_) {
    QPainter* p = Painter();
    if (!p) return;
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setOpacity(1.0);
    draw(*p);
    p->restore();
    Drawn();
    return;
  }
  if (image_->isNull()) return;
  // Draw onto a clear layer, then merge each covered pixel with the raster operation.
  QImage layer(image_->size(), QImage::Format_ARGB32);
  layer.fill(0);
  {
    QPainter lp(&layer);
    lp.setRenderHint(QPainter::Antialiasing, false);
    lp.setRenderHint(QPainter::TextAntialiasing, false);
    if (hasClip_) lp.setClipRegion(state_->clip);
    lp.setWorldTransform(state_->Mapping());
    draw(lp);
  }
  Release();
  for (int y = 0; y < layer.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
    for (int x = 0; x < layer.width(); ++x) {
      if (qAlpha(row[x]) < 128) continue;
      WriteRgb(*image_, x, y, ApplyRop2(rop, row[x] & 0xFFFFFF, ReadRgb(*image_, x, y)));
    }
  }
  Drawn();
}

void TCanvas::Drawn()
{
  if (!mono_ || !image_ || image_->isNull()) return;
  Release();
  for (int y = 0; y < image_->height(); ++y)
    for (int x = 0; x < image_->width(); ++x)
      if (ReadRgb(*image_, x, y) != 0xFFFFFFu) WriteRgb(*image_, x, y, 0);
}

namespace {
// A figure's point: pixel indices.
QPointF C(int32_t x, int32_t y) { return QPointF(x, y); }
// A corner of a curved figure's box: curves are traced through pixel centres.
QPointF CC(int32_t x, int32_t y) { return QPointF(x + 0.5, y + 0.5); }

void Normalize(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2)
{
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
}
}  // namespace

void TCanvas::MoveTo(int32_t x, int32_t y)
{
  ClampCoords(x, y);
  penPos_ = {x, y};
  if (state_->pathOpen) state_->PathMoveTo(C(x, y));
}

namespace {
// Dash lengths of a one-pixel pen in pixels (the pattern MakeQPen gives it): whether each pixel of
// a period is on. False when the lengths are not whole pixels.
bool PixelDashes(const TPen& pen, std::array<bool, 64>& on, int& period)
{
  period = 1;
  on[0] = true;
  if (!gfx::PenDashed(pen)) return true;
  period = 0;
  auto add = [&](std::initializer_list<int> lengths) {
    bool dash = true;
    for (int d : lengths) {
      for (int n = 0; n < d; ++n) on[period++] = dash;
      dash = !dash;
    }
  };
  if (pen.GetGeometric() && pen.GetStyle() >= psDash && pen.GetStyle() <= psDashDotDot) {
    switch (pen.GetStyle()) {
      case psDash: add({3, 1}); break;
      case psDot: add({1, 1}); break;
      case psDashDot: add({3, 1, 1, 1}); break;
      default: add({3, 1, 1, 1, 1, 1}); break;
    }
    return true;
  }
  switch (pen.GetStyle()) {
    case psDash: add({18, 6}); return true;
    case psDot: add({3, 3}); return true;
    case psDashDot: add({9, 6, 3, 6}); return true;
    case psDashDotDot: add({9, 3, 3, 3, 3, 3}); return true;
    case psAlternate: add({1, 1}); return true;
    default: break;
  }
  // A user style: whole lengths only, an odd list taken twice (as DashesOf gives it).
  const QList<qreal> dashes = DashesOf(pen);
  for (qsizetype k = 0; k < dashes.size(); ++k) {
    const qreal d = dashes[k];
    if (d < 1 || d != std::floor(d) || period + d > 64) return false;
    for (int n = 0; n < d; ++n) on[period++] = k % 2 == 0;
  }
  return period > 0;
}

// The pixel value of a colour on a 32-bit surface (as the painter stores an opaque colour).
inline QRgb OpaquePixel(TColor c)
{
  c = ColorToRGB(c);
  return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

// The bitmap's 32-bit pixels when the canvas draws into them without mapping: what the straight
// writers below need. Null otherwise.
QImage* UnmappedRgb32(TCanvas& canvas)
{
  if (!gfx::DirectPixels) return nullptr;
  QImage* img = canvas.Image();
  if (!img || img->isNull() || img->format() != QImage::Format_RGB32) return nullptr;
  const TCanvas::TGdiState& state = *canvas.GdiState();
  if (state.mapMode != 1 || state.windowOrg != TPoint{} || state.viewportOrg != TPoint{}) return nullptr;
  return img;
}

// The surface's rectangle cut by the clip; false for a clip of several rectangles.
bool ClipArea(TCanvas& canvas, const QImage& img, QRect& area)
{
  area = QRect(0, 0, img.width(), img.height());
  if (!canvas.HasClip()) return true;
  const QRegion& clip = canvas.GdiState()->clip;
  if (clip.rectCount() > 1) return false;
  area &= clip.boundingRect();
  return true;
}

// The surface when the pen is a visible one-pixel pen in copy mode over unmapped 32-bit pixels.
QImage* OnePixelPenSurface(TCanvas& canvas)
{
  QImage* img = UnmappedRgb32(canvas);
  if (!img || canvas.GetROP2() != 13) return nullptr;
  const TPen& pen = *canvas.Pen();
  return gfx::PenVisible(pen) && gfx::PenWidth(pen) == 1 ? img : nullptr;
}

// A one-pixel pen's dashes and the pixel values of its dashes and gaps (gaps are left alone
// unless the background mode is opaque).
struct TLineInk {
  std::array<bool, 64> on;
  int period = 1;
  QRgb ink = 0, bk = 0;
  bool back = false;
  // False for a dash pattern that is not whole pixels.
  bool Read(TCanvas& canvas)
  {
    const TPen& pen = *canvas.Pen();
    if (!PixelDashes(pen, on, period)) return false;
    ink = OpaquePixel(pen.GetColor());
    back = period > 1 && canvas.GetBkMode() == OPAQUE;
    bk = back ? OpaquePixel(canvas.GetBkColor()) : 0;
    return true;
  }
  bool Writes(int index) const { return on[index] || back; }
  QRgb Colour(int index) const { return on[index] ? ink : bk; }
};

// An axis-aligned line of a one-pixel pen painted over 32-bit pixels, wholly on the surface,
// within no clip or a rectangular one, without mapping: its pixels written straight. The painter
// lights the same ones: from the lower end up to, not including, the higher one, with the dashes
// counted from the line's start (the pixel before it when it runs backwards). False when the
// line is not such a line.
bool LineDirect(TCanvas& canvas, TPoint from, TPoint to)
{
  if ((from.x != to.x && from.y != to.y) || from == to) return false;
  QImage* img = OnePixelPenSurface(canvas);
  if (!img) return false;
  const bool horizontal = from.y == to.y;
  const int lo = horizontal ? std::min(from.x, to.x) : std::min(from.y, to.y);
  const int hi = horizontal ? std::max(from.x, to.x) : std::max(from.y, to.y);
  const QRect line = horizontal ? QRect(lo, from.y, hi - lo, 1) : QRect(from.x, lo, 1, hi - lo);
  // Lines reaching off the surface are clipped by the painter with its own dash phase.
  if (!img->rect().contains(line)) return false;
  QRect area;
  if (!ClipArea(canvas, *img, area)) return false;
  TLineInk ink;
  if (!ink.Read(canvas)) return false;
  const int period = ink.period;
  const QRect visible = line & area;
  canvas.Release();
  if (!visible.isEmpty()) {
    const bool forward = horizontal ? from.x < to.x : from.y < to.y;
    const int start = horizontal ? from.x : from.y;
    const int first = horizontal ? visible.left() : visible.top();
    const int count = horizontal ? visible.width() : visible.height();
    uchar* bits = img->bits();
    const qsizetype bpl = img->bytesPerLine();
    QRgb* p = reinterpret_cast<QRgb*>(bits + visible.top() * bpl) + visible.left();
    const qsizetype step = horizontal ? 1 : bpl / 4;
    // Dash index of the first pixel; the pixels k, k + period, ... share a dash index.
    const int phase = (forward ? first - start : start - 1 - first) % period;
    if (period == 1 && horizontal) {
      std::fill(p, p + count, ink.ink);
    } else {
      for (int k = 0; k < period && k < count; ++k) {
        const int index = forward ? (phase + k) % period : ((phase - k) % period + period) % period;
        if (!ink.Writes(index)) continue;
        const QRgb colour = ink.Colour(index);
        for (int j = k; j < count; j += period) p[j * step] = colour;
      }
    }
  }
  canvas.Drawn();
  return true;
}
}  // namespace

namespace {
// The surface and the part of it (clip) that solid one-pixel outlines are written straight into:
// 32-bit pixels, copy mode, no mapping, no clip or a rectangular one, a visible solid pen of one
// pixel. Null when the canvas is not in that state.
QImage* SolidOutlineTarget(TCanvas& canvas, QRect& area)
{
  QImage* img = UnmappedRgb32(canvas);
  if (!img || canvas.GetROP2() != 13) return nullptr;
  const TPen& pen = *canvas.Pen();
  if (!gfx::PenVisible(pen) || gfx::PenWidth(pen) != 1 || gfx::PenDashed(pen)) return nullptr;
  return ClipArea(canvas, *img, area) ? img : nullptr;
}

// The pixels of an axis-aligned one-pixel line (lower end up to, not including, the higher one),
// or an empty rectangle when the segment is not axis-aligned.
QRect SegmentPixels(TPoint a, TPoint b)
{
  if ((a.x != b.x && a.y != b.y) || a == b) return {};
  return a.y == b.y ? QRect(std::min(a.x, b.x), a.y, std::abs(b.x - a.x), 1)
                    : QRect(a.x, std::min(a.y, b.y), 1, std::abs(b.y - a.y));
}

void FillPixels(QImage& img, const QRect& r, QRgb colour)
{
  if (r.isEmpty()) return;
  uchar* bits = img.bits();
  const qsizetype bpl = img.bytesPerLine();
  for (int y = r.top(); y <= r.bottom(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(bits + y * bpl);
    std::fill(row + r.left(), row + r.right() + 1, colour);
  }
}

// A polyline of axis-aligned segments in a solid one-pixel pen: the pixels written
// straight. The painter lights each segment as a line of its own, and the pixel of every joint
// (the first point too when the polyline comes back to it). False when the polyline is not of
// that kind.
bool PolylineDirect(TCanvas& canvas, const std::vector<TPoint>& points)
{
  QRect area;
  QImage* img = SolidOutlineTarget(canvas, area);
  if (!img) return false;
  // The painter clips figures reaching further off the surface, which moves their joints.
  const QRect near(-1, -1, img->width() + 2, img->height() + 2);
  for (const TPoint& p : points)
    if (!near.contains(p.x, p.y)) return false;
  std::vector<QRect> runs(points.size() - 1);
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    runs[i] = SegmentPixels(points[i], points[i + 1]);
    // (Segments of one pixel follow other rules.)
    if (runs[i].width() + runs[i].height() < 3) return false;
  }
  canvas.Release();
  const QRgb ink = gfx::ToQColor(canvas.Pen()->GetColor()).rgb();
  for (const QRect& r : runs) FillPixels(*img, r & area, ink);
  for (size_t i = 1; i + 1 < points.size(); ++i) FillPixels(*img, QRect(points[i].x, points[i].y, 1, 1) & area, ink);
  if (points.size() > 2 && points.front() == points.back())
    FillPixels(*img, QRect(points[0].x, points[0].y, 1, 1) & area, ink);
  canvas.Drawn();
  return true;
}

// A rectangle (normalized, at least two pixels each way) in a solid
// one-pixel pen and a solid or clear brush: the inside filled and the outline (all four sides)
// written straight. False when the rectangle is not of that kind.
bool RectangleDirect(TCanvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  QRect area;
  QImage* img = SolidOutlineTarget(canvas, area);
  if (!img || x2 - x1 < 2 || y2 - y1 < 2) return false;
  const TBrush& brush = *canvas.Brush();
  if (brush.GetBitmap() || (brush.GetStyle() != bsSolid && brush.GetStyle() != bsClear)) return false;
  const QRect outline(x1, y1, x2 - x1, y2 - y1);
  if (!QRect(-1, -1, img->width() + 2, img->height() + 2).contains(outline.adjusted(0, 0, -1, -1))) return false;
  canvas.Release();
  if (brush.GetStyle() == bsSolid) FillPixels(*img, outline.adjusted(1, 1, -1, -1) & area, gfx::ToQColor(brush.GetColor()).rgb());
  const QRgb ink = gfx::ToQColor(canvas.Pen()->GetColor()).rgb();
  for (const QRect& side : {QRect(x1, y1, x2 - x1, 1), QRect(x1, y2 - 1, x2 - x1, 1), QRect(x1, y1, 1, y2 - y1),
                            QRect(x2 - 1, y1, 1, y2 - y1)})
    FillPixels(*img, side & area, ink);
  canvas.Drawn();
  return true;
}
}  // namespace

namespace {
// Lines of wide pens drawn again and again at the same places (a chart's axis lines, frame after
// frame): the painter's pixels for such a line depend on its place, its pen and the surface's size,
// so they are found once by painting the line alone on a scratch surface of that size, and then
// written straight. A line is painted as usual the first time it is seen.
struct TWideLineKey {
  TPoint from, to;
  int width, cap, join, surfaceWidth, surfaceHeight;
  bool geometric;
  friend bool operator==(const TWideLineKey&, const TWideLineKey&) = default;
};
struct TWideLineKeyHash {
  size_t operator()(const TWideLineKey& k) const
  {
    size_t h = 0;
    for (int v : {k.from.x, k.from.y, k.to.x, k.to.y, k.width, k.cap, k.join, k.surfaceWidth, k.surfaceHeight,
                  int(k.geometric)})
      h = h * 1000003u ^ static_cast<size_t>(static_cast<uint32_t>(v));
    return h;
  }
};
struct TWideLinePixels {
  bool found = false, exact = false;
  std::vector<QRect> runs;
};

bool WideLineRepeated(TCanvas& canvas, TPoint from, TPoint to)
{
  if (!gfx::DirectPixels || from == to) return false;
  QImage* img = canvas.Image();
  if (!img || img->isNull() || img->format() != QImage::Format_RGB32 || canvas.GetROP2() != 13) return false;
  const TPen& pen = *canvas.Pen();
  const int width = gfx::PenWidth(pen);
  if (!gfx::PenVisible(pen) || width < 2 || width > 64 || gfx::PenDashed(pen)) return false;
  const TCanvas::TGdiState& state = *canvas.GdiState();
  if (state.mapMode != 1 || state.windowOrg != TPoint{} || state.viewportOrg != TPoint{}) return false;
  // (The painter rasterizes a figure that a clip cuts another way.)
  const int reach = width + 2;
  const QRect box(QPoint(std::min(from.x, to.x) - reach, std::min(from.y, to.y) - reach),
                  QPoint(std::max(from.x, to.x) + reach, std::max(from.y, to.y) + reach));
  if (canvas.HasClip() && (state.clip.rectCount() > 1 || !state.clip.boundingRect().contains(box))) return false;
  thread_local std::unordered_map<TWideLineKey, TWideLinePixels, TWideLineKeyHash> lines;
  const TWideLineKey key{from, to, width, pen.GetEndCap(), pen.GetJoin(), img->width(), img->height(), pen.GetGeometric()};
  auto it = lines.find(key);
  if (it == lines.end()) {
    if (lines.size() > 256) lines.clear();
    lines.emplace(key, TWideLinePixels{});
    return false;
  }
  TWideLinePixels& pixels = it->second;
  if (!pixels.found) {
    pixels.found = true;
    // The line alone, in the same place on a clear surface of the same size.
    thread_local QImage scratch;
    if (scratch.size() != img->size()) scratch = QImage(img->size(), QImage::Format_ARGB32_Premultiplied);
    if (scratch.isNull()) return false;
    const QRect frame = box & scratch.rect();
    for (int y = frame.top(); y <= frame.bottom(); ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(scratch.scanLine(y));
      std::fill(row + frame.left(), row + frame.right() + 1, 0u);
    }
    {
      QPainter p(&scratch);
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setRenderHint(QPainter::TextAntialiasing, false);
      p.setRenderHint(QPainter::SmoothPixmapTransform, false);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      p.setOpacity(1.0);
      QPainterPath path;
      path.moveTo(from.x, from.y);
      path.lineTo(to.x, to.y);
      gfx::StrokeWithPen(canvas, p, path);
    }
    pixels.exact = true;
    for (int y = frame.top(); y <= frame.bottom() && pixels.exact; ++y) {
      const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
      for (int x = frame.left(); x <= frame.right(); ++x) {
        const int a = qAlpha(row[x]);
        if (a == 0) continue;
        // A pixel at the frame's edge may belong to a line reaching further.
        const bool edge = (x == frame.left() && frame.left() > 0) || (x == frame.right() && frame.right() < scratch.width() - 1) ||
                          (y == frame.top() && frame.top() > 0) || (y == frame.bottom() && frame.bottom() < scratch.height() - 1);
        if (a != 255 || edge) {
          pixels.exact = false;
          break;
        }
        int end = x + 1;
        while (end <= frame.right() && qAlpha(row[end]) == 255) ++end;
        pixels.runs.push_back(QRect(x, y, end - x, 1));
        x = end - 1;
      }
    }
    if (!pixels.exact) pixels.runs.clear();
  }
  if (!pixels.exact) return false;
  QRect area(0, 0, img->width(), img->height());
  if (canvas.HasClip()) area &= state.clip.boundingRect();
  canvas.Release();
  const QRgb ink = OpaquePixel(pen.GetColor());
  for (const QRect& r : pixels.runs) FillPixels(*img, r & area, ink);
  canvas.Drawn();
  return true;
}
}  // namespace

void TCanvas::LineTo(int32_t x, int32_t y)
{
  ClampCoords(x, y);
  TPoint from = penPos_;
  penPos_ = {x, y};
  if (state_->pathOpen) {
    if (state_->path.elementCount() == 0) state_->PathMoveTo(C(from.x, from.y));
    state_->PathLineTo(C(x, y));
    return;
  }
  PreparePen();
  PrepareBrush();
  if (HasDevice() && (LineDirect(*this, from, {x, y}) || WideLineRepeated(*this, from, {x, y}))) return;
  QPainterPath path;
  path.moveTo(C(from.x, from.y));
  path.lineTo(C(x, y));
  Paint([&](QPainter& p) { StrokeWithPen(*this, p, path); });
}

namespace {
// The surface for one-pixel lines from lo to hi (along the surface's height when vertical, its
// width otherwise) at the places across it, with the clip's area and the pen's ink. Null when the
// writers below do not take such lines.
QImage* LineSetSurface(TCanvas& canvas, std::span<const int32_t> places, int lo, int hi, bool vertical, QRect& area,
                       TLineInk& ink)
{
  if (lo == hi || canvas.GdiState()->pathOpen) return nullptr;
  QImage* img = OnePixelPenSurface(canvas);
  if (!img) return nullptr;
  const int along = vertical ? img->height() : img->width(), across = vertical ? img->width() : img->height();
  if (lo < 0 || hi > along) return nullptr;
  for (int32_t place : places)
    if (place < 0 || place >= across) return nullptr;
  if (!ClipArea(canvas, *img, area) || !ink.Read(canvas)) return nullptr;
  return img;
}

// Vertical one-pixel lines from y0 to y1 at each of xs, as LineDirect writes each, written row
// by row (each row's pixels of all lines together). False when some line is not of that kind.
bool VertLinesDirect(TCanvas& canvas, std::span<const int32_t> xs, int32_t y0, int32_t y1)
{
  const int lo = std::min(y0, y1), hi = std::max(y0, y1);
  QRect area;
  TLineInk ink;
  QImage* img = LineSetSurface(canvas, xs, lo, hi, true, area, ink);
  if (!img) return false;
  const int period = ink.period;
  canvas.Release();
  std::vector<int32_t> columns;
  for (int32_t x : xs)
    if (x >= area.left() && x <= area.right()) columns.push_back(x);
  const int top = std::max(lo, area.top()), bottom = std::min(hi, area.bottom() + 1);
  if (!columns.empty() && top < bottom) {
    const bool forward = y0 < y1;
    uchar* bits = img->bits();
    const qsizetype bpl = img->bytesPerLine();
    for (int y = top; y < bottom; ++y) {
      // The dash index of this row's pixels, counted from the lines' start.
      const int index = (forward ? y - y0 : y0 - 1 - y) % period;
      if (!ink.Writes(index)) continue;
      const QRgb colour = ink.Colour(index);
      QRgb* row = reinterpret_cast<QRgb*>(bits + y * bpl);
      for (int32_t x : columns) row[x] = colour;
    }
  }
  canvas.Drawn();
  return true;
}
}  // namespace

namespace {
// Horizontal one-pixel lines from x0 to x1 at each of ys, as LineDirect writes each: the row of
// one line worked out once and copied. False when some line is not of that kind.
bool HorizLinesDirect(TCanvas& canvas, std::span<const int32_t> ys, int32_t x0, int32_t x1)
{
  const int lo = std::min(x0, x1), hi = std::max(x0, x1);
  QRect area;
  TLineInk ink;
  QImage* img = LineSetSurface(canvas, ys, lo, hi, false, area, ink);
  if (!img) return false;
  const int period = ink.period;
  canvas.Release();
  const int left = std::max(lo, area.left()), right = std::min(hi, area.right() + 1);
  if (left < right) {
    const bool forward = x0 < x1;
    uchar* bits = img->bits();
    const qsizetype bpl = img->bytesPerLine();
    // Solid lines are fills; of dashed ones, the pixels of one line that are written and their
    // colours (dash indices counted from the lines' start).
    const bool solid = period == 1;
    std::vector<QRgb> colours;
    std::vector<int32_t> lit;
    if (!solid) {
      int index = (forward ? left - x0 : x0 - 1 - left) % period;
      for (int x = left; x < right; ++x) {
        if (ink.Writes(index)) {
          lit.push_back(x);
          colours.push_back(ink.Colour(index));
        }
        // The next pixel's dash index.
        if (forward) index = index + 1 == period ? 0 : index + 1;
        else index = index == 0 ? period - 1 : index - 1;
      }
    }
    for (int32_t y : ys) {
      if (y < area.top() || y > area.bottom()) continue;
      QRgb* row = reinterpret_cast<QRgb*>(bits + y * bpl);
      if (solid) std::fill(row + left, row + right, ink.ink);
      else
        for (size_t k = 0; k < lit.size(); ++k) row[lit[k]] = colours[k];
    }
  }
  canvas.Drawn();
  return true;
}
}  // namespace

void TCanvas::HorizLines(std::span<const int32_t> ys, int32_t x0, int32_t x1)
{
  if (ys.empty()) return;
  // Only this canvas itself: a derived one (a recording canvas) keeps its own calls.
  if (typeid(*this) == typeid(TCanvas) && HasDevice() && x0 == ClampCoord(x0) && x1 == ClampCoord(x1)) {
    PreparePen();
    PrepareBrush();
    if (HorizLinesDirect(*this, ys, x0, x1)) {
      penPos_ = {x1, ys.back()};
      return;
    }
  }
  for (int32_t y : ys) {
    MoveTo(x0, y);
    LineTo(x1, y);
  }
}

void TCanvas::VertLines(std::span<const int32_t> xs, int32_t y0, int32_t y1)
{
  if (xs.empty()) return;
  // Only this canvas itself: a derived one (a recording canvas) keeps its own calls.
  if (typeid(*this) == typeid(TCanvas) && HasDevice() && y0 == ClampCoord(y0) && y1 == ClampCoord(y1)) {
    PreparePen();
    PrepareBrush();
    if (VertLinesDirect(*this, xs, y0, y1)) {
      penPos_ = {xs.back(), y1};
      return;
    }
  }
  for (int32_t x : xs) {
    MoveTo(x, y0);
    LineTo(x, y1);
  }
}

void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  ClampCoords(x1, y1, x2, y2);
  Normalize(x1, y1, x2, y2);
  if (state_->pathOpen) {
    QPainterPath r;
    r.addRect(QRectF(C(x1, y1), C(x2 - 1, y2 - 1)));
    state_->PathAdd(r, false);
    return;
  }
  PreparePen();
  PrepareBrush();
  if (HasDevice() && RectangleDirect(*this, x1, y1, x2, y2)) return;
  bool pen = PenVisible(*pen_);
  Paint([&](QPainter& p) {
    if (!pen) {
      // Without an outline the filled area ends one pixel short on the right and bottom.
      QPainterPath f;
      f.addRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
      FillWithBrush(*this, p, f);
      return;
    }
    int w = PenWidth(*pen_);
    double inset = (pen_->GetStyle() == psInsideFrame && w > 1) ? (w - 1) / 2.0 : 0.0;
    QRectF line(QPointF(x1 + inset, y1 + inset), QPointF(x2 - 1 - inset, y2 - 1 - inset));
    QPainterPath f;
    f.addRect(x1, y1, x2 - x1, y2 - y1);
    FillWithBrush(*this, p, f);
    QPainterPath s;
    s.addRect(line);
    StrokeWithPen(*this, p, s);
  });
}

namespace {
// A rectangle in a solid brush over 32-bit pixels, within no clip or a rectangular one, without
// mapping: its pixels (those the painter fills) written straight. False when it is not such a fill.
bool FillRectDirect(TCanvas& canvas, const TRect& n)
{
  QImage* img = UnmappedRgb32(canvas);
  if (!img) return false;
  const TBrush& brush = *canvas.Brush();
  if (brush.GetBitmap() || brush.GetStyle() != bsSolid) return false;
  QRect area;
  if (!ClipArea(canvas, *img, area)) return false;
  const int left = std::max(n.Left, area.left()), top = std::max(n.Top, area.top());
  const int right = std::min(n.Right, area.right() + 1), bottom = std::min(n.Bottom, area.bottom() + 1);
  canvas.Release();
  if (left < right && top < bottom) {
    const QRgb colour = gfx::ToQColor(brush.GetColor()).rgb();
    uchar* bits = img->bits();
    const qsizetype bpl = img->bytesPerLine();
    for (int y = top; y < bottom; ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(bits + y * bpl);
      std::fill(row + left, row + right, colour);
    }
  }
  canvas.Drawn();
  return true;
}
}  // namespace

void TCanvas::FillRect(const TRect& r)
{
  TRect n = ClampRect(r);
  Normalize(n.Left, n.Top, n.Right, n.Bottom);
  PrepareBrush();
  if (HasDevice() && FillRectDirect(*this, n)) return;
  QPainterPath f;
  f.addRect(n.Left, n.Top, n.Width(), n.Height());
  // FillRect ignores the pen mode.
  if (!HasDevice()) return;
  QPainter* p = Painter();
  if (!p) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setOpacity(1.0);
  FillWithBrush(*this, *p, f);
  p->restore();
  Drawn();
}

void TCanvas::FrameRect(const TRect& r)
{
  TRect n = ClampRect(r);
  Normalize(n.Left, n.Top, n.Right, n.Bottom);
  if (n.IsEmpty() || !HasDevice()) return;
  PrepareBrush();
  // A one-pixel frame in the brush.
  QPainterPath f;
  f.addRect(n.Left, n.Top, n.Width(), n.Height());
  if (n.Width() > 2 && n.Height() > 2) f.addRect(n.Left + 1, n.Top + 1, n.Width() - 2, n.Height() - 2);
  f.setFillRule(Qt::OddEvenFill);
  QPainter* p = Painter();
  if (!p) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setOpacity(1.0);
  FillWithBrush(*this, *p, f);
  p->restore();
  Drawn();
}

namespace {
QPainterPath EllipsePath(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  QPainterPath e;
  e.addEllipse(QRectF(CC(x1, y1), CC(x2 - 1, y2 - 1)));
  return e;
}
}  // namespace

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  ClampCoords(x1, y1, x2, y2);
  Normalize(x1, y1, x2, y2);
  if (state_->pathOpen) {
    state_->PathAdd(EllipsePath(x1, y1, x2, y2), true);
    return;
  }
  PreparePen();
  PrepareBrush();
  bool pen = PenVisible(*pen_);
  Paint([&](QPainter& p) {
    if (!pen) {
      QPainterPath f;
      f.addEllipse(QRectF(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
      FillWithBrush(*this, p, f);
      return;
    }
    int w = PenWidth(*pen_);
    QPainterPath e = EllipsePath(x1, y1, x2, y2);
    if (pen_->GetStyle() == psInsideFrame && w > 1) {
      // The whole pen stays inside the box.
      double inset = (w - 1) / 2.0;
      e = QPainterPath();
      e.addEllipse(QRectF(CC(x1, y1), CC(x2 - 1, y2 - 1)).adjusted(inset, inset, -inset, -inset));
    }
    FillWithBrush(*this, p, e);
    StrokeWithPen(*this, p, e, true);
  });
}

void TCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3)
{
  ClampCoords(x1, y1, x2, y2, x3, y3);
  Normalize(x1, y1, x2, y2);
  QRectF box(CC(x1, y1), CC(x2 - 1, y2 - 1));
  QPainterPath rr;
  rr.addRoundedRect(box, std::min<double>(std::abs(x3), box.width()) / 2.0,
                    std::min<double>(std::abs(y3), box.height()) / 2.0);
  if (state_->pathOpen) {
    state_->PathAdd(rr, true);
    return;
  }
  PreparePen();
  PrepareBrush();
  Paint([&](QPainter& p) {
    FillWithBrush(*this, p, rr);
    StrokeWithPen(*this, p, rr, true);
  });
}

namespace {
QPainterPath PolyPath(const std::vector<TPoint>& pts, bool close)
{
  QPainterPath path;
  if (pts.empty()) return path;
  path.moveTo(C(pts[0].x, pts[0].y));
  for (size_t i = 1; i < pts.size(); ++i) path.lineTo(C(pts[i].x, pts[i].y));
  if (close) path.closeSubpath();
  path.setFillRule(Qt::OddEvenFill);
  return path;
}
}  // namespace

void TCanvas::Polygon(const std::vector<TPoint>& given)
{
  std::vector<TPoint> copy;
  const std::vector<TPoint>& points = ClampPoints(given, copy);
  if (points.size() < 2) return;
  QPainterPath path = PolyPath(points, true);
  if (state_->pathOpen) {
    state_->PathAdd(path, false);
    return;
  }
  PreparePen();
  PrepareBrush();
  Paint([&](QPainter& p) {
    FillWithBrush(*this, p, path);
    StrokeWithPen(*this, p, path);
  });
}

void TCanvas::Polyline(const std::vector<TPoint>& given)
{
  std::vector<TPoint> copy;
  const std::vector<TPoint>& points = ClampPoints(given, copy);
  if (points.size() < 2) return;
  QPainterPath path = PolyPath(points, false);
  if (state_->pathOpen) {
    state_->PathAdd(path, false);
    return;
  }
  PreparePen();
  PrepareBrush();
  if (HasDevice() && PolylineDirect(*this, points)) return;
  Paint([&](QPainter& p) { StrokeWithPen(*this, p, path); });
}

void TCanvas::PolyBezier(const std::vector<TPoint>& given)
{
  std::vector<TPoint> copy;
  const std::vector<TPoint>& points = ClampPoints(given, copy);
  if (points.size() < 4) return;
  QPainterPath path;
  path.moveTo(C(points[0].x, points[0].y));
  for (size_t i = 1; i + 2 < points.size(); i += 3)
    path.cubicTo(C(points[i].x, points[i].y), C(points[i + 1].x, points[i + 1].y), C(points[i + 2].x, points[i + 2].y));
  if (state_->pathOpen) {
    state_->PathAdd(path, false);
    return;
  }
  PreparePen();
  PrepareBrush();
  Paint([&](QPainter& p) { StrokeWithPen(*this, p, path); });
}

namespace gfx {
QPainterPath ArcPath(ArcKind kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                     int32_t y4, bool clockwise)
{
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  QRectF box(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 - 0.5, y2 - 0.5));
  QPointF c = box.center();
  double a = box.width() / 2.0, b = box.height() / 2.0;
  // Parametric angle of the point where the radial through (x, y) meets the ellipse.
  auto param = [&](int32_t x, int32_t y) {
    double dx = x + 0.5 - c.x(), dy = c.y() - (y + 0.5);
    double t = std::atan2(dy * a, dx * b) * 180.0 / M_PI;
    return t;
  };
  double t1 = param(x3, y3), t2 = param(x4, y4);
  double sweep = t2 - t1;
  while (sweep <= 0) sweep += 360.0;
  while (sweep > 360.0) sweep -= 360.0;
  if (clockwise) sweep = sweep >= 360.0 ? -360.0 : sweep - 360.0;
  QPainterPath path;
  if (kind == ArcKind::Pie) {
    path.moveTo(c);
    path.arcTo(box, t1, sweep);
    path.closeSubpath();
  } else {
    path.arcMoveTo(box, t1);
    path.arcTo(box, t1, sweep);
    if (kind == ArcKind::Chord) path.closeSubpath();
  }
  return path;
}
}  // namespace gfx

void TCanvas::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
  ClampCoords(x1, y1, x2, y2, x3, y3, x4, y4);
  QPainterPath path = ArcPath(ArcKind::Arc, x1, y1, x2, y2, x3, y3, x4, y4, state_->arcDirection == 2);
  if (state_->pathOpen) {
    state_->PathAdd(path, true);
    return;
  }
  PreparePen();
  PrepareBrush();
  Paint([&](QPainter& p) { StrokeWithPen(*this, p, path, true); });
}

void TCanvas::Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
  ClampCoords(x1, y1, x2, y2, x3, y3, x4, y4);
  QPainterPath path = ArcPath(ArcKind::Pie, x1, y1, x2, y2, x3, y3, x4, y4, state_->arcDirection == 2);
  if (state_->pathOpen) {
    state_->PathAdd(path, true);
    return;
  }
  PreparePen();
  PrepareBrush();
  Paint([&](QPainter& p) {
    FillWithBrush(*this, p, path);
    StrokeWithPen(*this, p, path, true);
  });
}

void TCanvas::Chord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
  ClampCoords(x1, y1, x2, y2, x3, y3, x4, y4);
  QPainterPath path = ArcPath(ArcKind::Chord, x1, y1, x2, y2, x3, y3, x4, y4, state_->arcDirection == 2);
  if (state_->pathOpen) {
    state_->PathAdd(path, true);
    return;
  }
  PreparePen();
  PrepareBrush();
  Paint([&](QPainter& p) {
    FillWithBrush(*this, p, path);
    StrokeWithPen(*this, p, path, true);
  });
}

// ---------------------------------------------------------------------------------------------
// Text

namespace {
// An unrotated text without extra spacing on this plain canvas's 32-bit pixels, unmapped, within no
// clip or a rectangular one: its cell (when opaque) and its glyph pixels written straight from the
// text's mask, the pixels the painter gives. False when the text is not of that kind.
bool TextDirect(TCanvas& canvas, gfx::TFontRecord& record, int32_t left, int32_t top, int width, int height,
                const std::string& text)
{
  if (!gfx::DirectPixels || typeid(canvas) != typeid(TCanvas) || canvas.GetTextCharacterExtra() != 0 ||
      canvas.Font()->GetOrientation() != 0)
    return false;
  QImage* img = UnmappedRgb32(canvas);
  QRect area;
  if (!img || !ClipArea(canvas, *img, area)) return false;
  const gfx::TTextMask& mask = record.Mask(text);
  if (!mask.exact) return false;
  const bool opaque = canvas.GetBkMode() == OPAQUE;
  const QRgb back = gfx::ToQColor(canvas.GetBkColor()).rgb(), ink = gfx::ToQColor(canvas.GetTextColor()).rgb();
  canvas.Release();
  if (!area.isEmpty()) {
    const int aLeft = area.left(), aTop = area.top(), aRight = area.right() + 1, aBottom = area.bottom() + 1;
    uchar* bits = img->bits();
    const qsizetype bpl = img->bytesPerLine();
    if (opaque) {
      const int l = std::max(left, aLeft), r = static_cast<int>(std::min<int64_t>(int64_t{left} + width, aRight));
      const int t = std::max(top, aTop), b = static_cast<int>(std::min<int64_t>(int64_t{top} + height, aBottom));
      for (int y = t; y < b && l < r; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(bits + y * bpl);
        std::fill(row + l, row + r, back);
      }
    }
    for (const gfx::TTextMask::Run& run : mask.runs) {
      const int64_t y = int64_t{top} + run.y;
      if (y < aTop || y >= aBottom) continue;
      const int l = static_cast<int>(std::max<int64_t>(int64_t{left} + run.x0, aLeft));
      const int r = static_cast<int>(std::min<int64_t>(int64_t{left} + run.x1, aRight));
      if (l >= r) continue;
      QRgb* row = reinterpret_cast<QRgb*>(bits + y * bpl);
      std::fill(row + l, row + r, ink);
    }
  }
  canvas.Drawn();
  return true;
}
}  // namespace

void TCanvas::TextOut(int32_t x, int32_t y, const std::string& text)
{
  ClampCoords(x, y);
  PrepareFont();
  gfx::TFontRecord& record = gfx::FontRecord(*font_);
  const QFontMetrics& fm = record.metrics;
  const gfx::TTextAdvance advance = record.Advance(text);
  int width = advance.width + charExtra_ * advance.units;
  int ascent = record.ascent, height = record.ascent + record.descent;
  uint32_t align = textAlign_;
  bool updateCp = align & TA_UPDATECP;
  if (updateCp) {
    x = penPos_.x;
    y = penPos_.y;
  }
  int dx = 0;
  if ((align & TA_CENTER) == TA_CENTER) dx = -width / 2;
  else if ((align & TA_CENTER) == TA_RIGHT) dx = -width;
  int dy = 0;
  if ((align & TA_BASELINE) == TA_BASELINE) dy = -ascent;
  else if ((align & TA_BASELINE) == TA_BOTTOM) dy = -height;
  double angle = font_->GetOrientation() / 10.0;
  if (updateCp) {
    int adv = (align & TA_CENTER) == TA_CENTER ? 0 : (align & TA_CENTER) == TA_RIGHT ? -width : width;
    double rad = angle * M_PI / 180.0;
    penPos_.x += RoundAway32(adv * std::cos(rad));
    penPos_.y -= RoundAway32(adv * std::sin(rad));
  }
  if (text.empty()) return;
  if (!state_->pathOpen && TextDirect(*this, record, x + dx, y + dy, width, height, text)) return;
  const QString s = QString::fromStdString(text);
  const QFont qf = record.font;
  if (state_->pathOpen) {
    // Inside a path bracket the glyph outlines join the path.
    QPainterPath glyphs;
    if (charExtra_ == 0) {
      glyphs.addText(QPointF(dx, dy + ascent), qf, s);
    } else {
      int cx = dx;
      for (const QChar ch : s) {
        glyphs.addText(QPointF(cx, dy + ascent), qf, QString(ch));
        cx += fm.horizontalAdvance(ch) + charExtra_;
      }
    }
    QTransform t;
    t.translate(x, y);
    t.rotate(-angle);
    state_->PathAdd(t.map(glyphs), false);
    return;
  }
  if (!HasDevice()) return;
  bool opaque = bkMode_ == OPAQUE;
  QColor bk = ToQColor(bkColor_);
  QColor fg = ToQColor(state_->textColor);
  int extra = charExtra_;
  // Text ignores the raster operation.
  QPainter* painter = Painter();
  if (!painter) return;
  painter->save();
  painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter->setOpacity(1.0);
  [&](QPainter& p) {
    p.translate(x, y);
    if (angle != 0) p.rotate(-angle);
    if (opaque) p.fillRect(QRect(dx, dy, width, height), bk);
    p.setFont(qf);
    p.setPen(fg);
    if (extra == 0) {
      p.drawText(QPoint(dx, dy + ascent), s);
    } else {
      int cx = dx;
      for (const QChar ch : s) {
        p.drawText(QPoint(cx, dy + ascent), QString(ch));
        cx += fm.horizontalAdvance(ch) + extra;
      }
    }
  }(*painter);
  painter->restore();
  Drawn();
}

void TCanvas::TextRect(const TRect& given, int32_t x, int32_t y, const std::string& text)
{
  const TRect r = ClampRect(given);
  ClampCoords(x, y);
  bool had = hasClip_;
  QRegion old = state_->clip;
  QRegion rr(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  hasClip_ = true;
  state_->clip = had ? (old & rr) : rr;
  ApplyDeviceState();
  PrepareFont();
  if (bkMode_ == OPAQUE && HasDevice()) {
    QPainter* p = Painter();
    if (p) p->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(bkColor_));
  }
  TextOut(x, y, text);
  hasClip_ = had;
  state_->clip = old;
  ApplyDeviceState();
  Drawn();
}

TSize TCanvas::TextExtent(const std::string& text)
{
  gfx::TFontRecord& record = gfx::FontRecord(*font_);
  const gfx::TTextAdvance advance = record.Advance(text);
  return {advance.width + charExtra_ * advance.units, record.ascent + record.descent};
}

// ---------------------------------------------------------------------------------------------
// Images

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic)
{
  if (!graphic || graphic->Empty()) return;
  ClampCoords(x, y);
  graphic->Draw(this, Rect(x, y, ClampCoord(static_cast<int32_t>(std::min<int64_t>(int64_t{x} + graphic->GetWidth(), kCoordLimit))),
                           ClampCoord(static_cast<int32_t>(std::min<int64_t>(int64_t{y} + graphic->GetHeight(), kCoordLimit)))));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic)
{
  if (!graphic || graphic->Empty()) return;
  graphic->Draw(this, ClampRect(r));
}

namespace {
// n pixels from in to out (distinct buffers); stamps are narrow, so short rows take two
// overlapping block moves rather than a loop.
inline void CopyPixels(QRgb* out, const QRgb* in, int n)
{
  if (n >= 4 && n <= 8) {
    std::memcpy(out, in, 16);
    std::memcpy(out + n - 4, in + n - 4, 16);
  } else if (n < 4) {
    for (int k = 0; k < n; ++k) out[k] = in[k];
  } else {
    std::memcpy(out, in, static_cast<size_t>(n) * sizeof(QRgb));
  }
}

// A whole square stamp of n x n pixels (rows of n) onto the rows at out.
using StampCopy = void (*)(uchar* out, qsizetype stride, const QRgb* in);
template <int n>
void CopySquare(uchar* out, qsizetype stride, const QRgb* in)
{
  for (int y = 0; y < n; ++y, out += stride, in += n) std::memcpy(out, in, n * sizeof(QRgb));
}

// DrawRepeated of an opaque 32-bit bitmap onto a plain canvas's 32-bit pixels in copy mode,
// within no clip or a rectangular one: the clip and the mode checked once, each block's visible
// part written straight into the rows (the pixels Draw gives point by point). False when the
// drawing is not of that kind.
bool StampDirect(TCanvas& canvas, QImage& img, std::span<const TPoint> points, TGraphic* graphic)
{
  auto* bmp = dynamic_cast<TBitmap*>(graphic);
  if (!bmp || bmp->GetTransparent() || bmp->Empty() || canvas.GetCopyMode() != cmSrcCopy) return false;
  if (img.isNull() || img.format() != QImage::Format_RGB32) return false;
  const QImage& src = bmp->Image();
  if (&src == &img || !Quads(src.format())) return false;
  QRect area(0, 0, img.width(), img.height());
  if (canvas.HasClip()) {
    const QRegion& clip = canvas.GdiState()->clip;
    if (clip.rectCount() > 1) return false;
    area &= clip.boundingRect();
  }
  const int w = src.width(), h = src.height();
  canvas.Release();
  if (area.isEmpty()) return true;
  // The stamp's pixels as they land: opaque.
  std::vector<QRgb> stamp(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    for (int x = 0; x < w; ++x) stamp[static_cast<size_t>(y) * w + x] = 0xFF000000u | line[x];
  }
  const int aLeft = area.left(), aTop = area.top(), aRight = area.right() + 1, aBottom = area.bottom() + 1;
  uchar* const outBits = img.bits();
  const qsizetype outStride = img.bytesPerLine();
  // Blocks wholly inside the area (nearly all markers) are copied whole; square stamps of the
  // common marker sizes with their size known to the compiler.
  StampCopy copy = nullptr;
  if (w == h) {
    switch (w) {
      case 3: copy = &CopySquare<3>; break;
      case 4: copy = &CopySquare<4>; break;
      case 5: copy = &CopySquare<5>; break;
      case 6: copy = &CopySquare<6>; break;
      case 7: copy = &CopySquare<7>; break;
      case 8: copy = &CopySquare<8>; break;
      case 9: copy = &CopySquare<9>; break;
      case 11: copy = &CopySquare<11>; break;
      default: break;
    }
  }
  const bool narrow = w >= 4 && w <= 8 && h <= 16;
  const TPoint* previous = nullptr;
  for (const TPoint& p : points) {
    // The same block again at the same place changes nothing.
    if (previous && p == *previous) continue;
    previous = &p;
    const bool inside = p.x >= aLeft && p.y >= aTop && p.x <= aRight - w && p.y <= aBottom - h;
    if (inside && copy) {
      copy(outBits + static_cast<qsizetype>(p.y) * outStride + static_cast<qsizetype>(p.x) * sizeof(QRgb), outStride,
           stamp.data());
      continue;
    }
    if (inside && narrow) {
      uchar* out = outBits + static_cast<qsizetype>(p.y) * outStride + static_cast<qsizetype>(p.x) * sizeof(QRgb);
      const QRgb* in = stamp.data();
      for (int y = 0; y < h; ++y, out += outStride, in += w) {
        std::memcpy(out, in, 16);
        std::memcpy(out + (w - 4) * sizeof(QRgb), in + w - 4, 16);
      }
      continue;
    }
    // Draw's clamping to the coordinate limits leaves such a far block off every surface.
    if (p.x < -kCoordLimit || p.y < -kCoordLimit || p.x > kCoordLimit - w || p.y > kCoordLimit - h) continue;
    const int left = std::max(p.x, aLeft), top = std::max(p.y, aTop);
    const int right = std::min(p.x + w, aRight), bottom = std::min(p.y + h, aBottom);
    if (left >= right || top >= bottom) continue;
    const int n = right - left;
    uchar* out = outBits + static_cast<qsizetype>(top) * outStride + static_cast<qsizetype>(left) * sizeof(QRgb);
    const QRgb* in = stamp.data() + static_cast<size_t>(top - p.y) * w + (left - p.x);
    for (int y = top; y < bottom; ++y, out += outStride, in += w) CopyPixels(reinterpret_cast<QRgb*>(out), in, n);
  }
  return true;
}
}  // namespace

void TCanvas::DrawRepeated(std::span<const TPoint> points, TGraphic* graphic)
{
  if (!graphic || graphic->Empty() || points.empty()) return;
  // Only this canvas itself: a derived one (a recording canvas) keeps its own Draw.
  if (gfx::DirectPixels && typeid(*this) == typeid(TCanvas) && image_ && !mono_ &&
      StampDirect(*this, *image_, points, graphic))
    return;
  for (const TPoint& p : points) Draw(p.x, p.y, graphic);
}

void TCanvas::CopyRect(const TRect& givenDest, TCanvas* source, const TRect& givenSrc)
{
  const TRect dest = ClampRect(givenDest), src = ClampRect(givenSrc);
  if (!HasDevice()) return;
  const QImage* img = source ? source->Image() : nullptr;
  QImage copy;
  if (img && img == image_) {
    copy = img->copy();
    img = &copy;
  }
  if (!image_) {
    // A device without pixels of its own (a printer page): copy the source straight.
    QPainter* p = Painter();
    if (p && img) p->drawImage(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), *img,
                               QRect(src.Left, src.Top, src.Width(), src.Height()));
    return;
  }
  BlockTransfer(*this, dest, img, src, copyMode_);
}

namespace {
TPoint ToDevice(const TCanvas::TGdiState& s, int32_t x, int32_t y)
{
  if (s.mapMode == 1 && s.windowOrg == TPoint{} && s.viewportOrg == TPoint{}) return {x, y};
  QPointF p = s.Mapping().map(QPointF(x, y));
  // Far points stay far, within the coordinate limits.
  auto clamp = [](double v) { return static_cast<int32_t>(std::clamp(std::round(v), -1.0 * kCoordLimit, 1.0 * kCoordLimit)); };
  return {clamp(p.x()), clamp(p.y())};
}
}  // namespace

TColor TCanvas::GetPixel(int32_t x, int32_t y)
{
  TPoint d = ToDevice(*state_, x, y);
  x = d.x;
  y = d.y;
  if (!image_ || image_->isNull() || x < 0 || y < 0 || x >= image_->width() || y >= image_->height())
    return 0xFFFFFFFFu;
  if (hasClip_ && !state_->clip.contains(QPoint(x, y))) return 0xFFFFFFFFu;
  uint32_t rgb = ReadRgb(*image_, x, y);
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void TCanvas::SetPixel(int32_t x, int32_t y, TColor color)
{
  if (!HasDevice()) return;
  TPoint d = ToDevice(*state_, x, y);
  if (hasClip_ && !state_->clip.contains(QPoint(d.x, d.y))) return;
  if (image_) {
    x = d.x;
    y = d.y;
    if (image_->isNull() || x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return;
    Release();
    TColor c = ColorToRGB(color);
    WriteRgb(*image_, x, y, (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c));
    Drawn();
    return;
  }
  if (QPainter* p = Painter()) p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
}

// ---------------------------------------------------------------------------------------------
// Graphics

void TGraphic::Changed()
{
  if (OnChange) OnChange(this);
}

namespace {
std::atomic<uint64_t> nextBitmapId{1};

QImage::Format QtFormat(TPixelFormat f) { return f == pf24bit ? QImage::Format_BGR888 : QImage::Format_RGB32; }
}  // namespace

TBitmap::TBitmap() : image_(std::make_unique<QImage>()), canvas_(std::make_unique<TCanvas>()), id_(nextBitmapId++)
{
  canvas_->SetDevice(image_.get(), image_.get());
}

TBitmap::~TBitmap() { canvas_->Release(); }

int32_t TBitmap::GetWidth() const { return image_->width(); }
int32_t TBitmap::GetHeight() const { return image_->height(); }

void TBitmap::SetWidth(int32_t w) { SetSize(w, GetHeight()); }
void TBitmap::SetHeight(int32_t h) { SetSize(GetWidth(), h); }

void TBitmap::SetSize(int32_t w, int32_t h)
{
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == GetWidth() && h == GetHeight()) return;
  canvas_->Release();
  if (w == 0 || h == 0) {
    *image_ = QImage();
  } else {
    QImage next(w, h, QtFormat(format_));
    if (next.isNull()) throw Exception("Out of system resources");
    next.fill(Qt::white);
    if (!image_->isNull()) {
      int cw = std::min(w, image_->width()), ch = std::min(h, image_->height());
      int bpp = image_->depth() / 8;
      for (int y = 0; y < ch; ++y) std::copy_n(image_->constScanLine(y), cw * bpp, next.scanLine(y));
    }
    *image_ = next;
  }
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat f)
{
  if (f == format_) return;
  canvas_->Release();
  format_ = f;
  canvas_->SetMonochromeDevice(f == pf1bit);
  if (!image_->isNull()) {
    QImage next = image_->convertToFormat(QtFormat(f));
    if (f == pf1bit) {
      // Two colours: dark pixels black, the rest white.
      for (int y = 0; y < next.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(next.scanLine(y));
        for (int x = 0; x < next.width(); ++x) row[x] = qGray(row[x]) < 128 ? 0xFF000000u : 0xFFFFFFFFu;
      }
    }
    *image_ = next;
  }
  Changed();
}

void TBitmap::SetMonochrome(bool v)
{
  if (v) SetPixelFormat(pf1bit);
  else if (format_ == pf1bit) SetPixelFormat(pfDevice);
}

TCanvas* TBitmap::Canvas() { return canvas_.get(); }

uint8_t* TBitmap::ScanLine(int32_t row)
{
  if (row < 0 || row >= GetHeight()) throw EInvalidGraphic("Scan line index out of range");
  canvas_->Release();
  return image_->scanLine(row);
}

TColor TBitmap::GetTransparentColor() const
{
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  if (image_->isNull()) return clDefault;
  uint32_t rgb = ReadRgb(*image_, 0, image_->height() - 1);
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void TBitmap::SetTransparentColor(TColor c)
{
  transparentColor_ = c;
  transparentMode_ = c == clDefault ? tmAuto : tmFixed;
  Changed();
}

QImage& TBitmap::Image()
{
  canvas_->Release();
  return *image_;
}

const QImage& TBitmap::Image() const { return *image_; }

void TBitmap::Draw(TCanvas* canvas, const TRect& r)
{
  if (!canvas || Empty()) return;
  canvas_->Release();
  if (!GetTransparent()) {
    QImage* target = canvas->Image();
    if (target) {
      QImage self;
      const QImage* src = image_.get();
      if (target == image_.get()) {
        self = image_->copy();
        src = &self;
      }
      gfx::BlockTransfer(*canvas, r, src, Rect(0, 0, GetWidth(), GetHeight()), canvas->GetCopyMode());
      return;
    }
  }
  // Onto a device without pixels of its own, or keyed out: through the painter.
  QImage img = image_->convertToFormat(QImage::Format_ARGB32);
  if (GetTransparent()) {
    TColor tc = ColorToRGB(GetTransparentColor());
    QRgb key = ToQColor(tc).rgb() & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < img.width(); ++x)
        if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
    }
  }
  QPainter* p = canvas->Painter();
  if (!p) return;
  QRect dr(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::abs(r.Width()), std::abs(r.Height()));
  p->drawImage(dr, img.mirrored(r.Width() < 0, r.Height() < 0));
  canvas->Drawn();
}

namespace {
void Put16(std::string& s, uint16_t v)
{
  s.push_back(char(v & 0xFF));
  s.push_back(char(v >> 8));
}
void Put32(std::string& s, uint32_t v)
{
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
uint32_t Get32(const std::string& s, size_t at)
{
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}
uint16_t Get16(const std::string& s, size_t at)
{
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}
}  // namespace

void TBitmap::SaveToFile(const std::string& fileName)
{
  canvas_->Release();
  int w = GetWidth(), h = GetHeight();
  int bits = format_ == pf24bit ? 24 : format_ == pf1bit ? 1 : 32;
  uint32_t stride = ((static_cast<uint32_t>(w) * bits + 31) / 32) * 4;
  uint32_t palette = bits == 1 ? 8 : 0;
  uint32_t offset = 14 + 40 + palette;
  uint32_t imageSize = stride * static_cast<uint32_t>(h);
  std::string out;
  out.reserve(offset + imageSize);
  out += "BM";
  Put32(out, offset + imageSize);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(h));  // positive height: rows stored bottom-up
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(bits));
  Put32(out, 0);  // uncompressed
  Put32(out, imageSize);
  Put32(out, 3780);  // 96 pixels per inch in pixels per metre
  Put32(out, 3780);
  Put32(out, bits == 1 ? 2 : 0);
  Put32(out, 0);
  if (bits == 1) {
    Put32(out, 0x00000000);
    Put32(out, 0x00FFFFFF);
  }
  for (int y = h - 1; y >= 0; --y) {
    std::string row(stride, '\0');
    for (int x = 0; x < w; ++x) {
      uint32_t rgb = ReadRgb(*image_, x, y);
      if (bits == 1) {
        if (rgb & 0xFFFFFF) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
      } else {
        size_t at = static_cast<size_t>(x) * (bits / 8);
        row[at] = char(rgb & 0xFF);
        row[at + 1] = char((rgb >> 8) & 0xFF);
        row[at + 2] = char((rgb >> 16) & 0xFF);
      }
    }
    out += row;
  }
  gfx::WriteFileBytes(fileName, out);
}

void TGraphic::LoadFromBytes(const std::string&)
{
  throw EInvalidGraphic("This kind of picture cannot be read from bytes");
}

void TBitmap::LoadFromFile(const std::string& fileName)
{
  FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw EInOutError("Cannot open file \"" + fileName + "\"");
  std::string data;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
  std::fclose(f);
  LoadFromBytes(data);
}

void TBitmap::LoadFromBytes(const std::string& data)
{
  QImage img;
  TPixelFormat fmt = pfDevice;
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    // The file header (14 bytes) and a whole information header: the 12-byte core header
    // (16-bit width and height, bit count at 24, no compression) or one of the later ones (32-bit
    // width and height, bit count at 28, compression at 30). A header of another size is refused.
    if (data.size() < 18) throw EInvalidGraphic("Bitmap image is not valid");
    const uint32_t headerSize = Get32(data, 14);
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 64 && headerSize != 108 && headerSize != 124)
      throw EInvalidGraphic("Bitmap image is not valid");
    if (data.size() < 14 + headerSize) throw EInvalidGraphic("Bitmap image is not valid");
    const uint16_t bits = Get16(data, core ? 24 : 28);
    fmt = bits == 1 ? pf1bit : bits == 24 ? pf24bit : bits == 32 ? pf32bit : bits == 8 ? pf8bit : bits == 4 ? pf4bit : pfDevice;
    // The size fields must agree with the data before the decoder sees them.
    uint32_t offset = Get32(data, 10);
    if (offset > data.size()) throw EInvalidGraphic("Bitmap image is not valid");
    // A size the pixel data cannot fill is refused before the decoder allocates the image:
    // uncompressed rows must be present (one row short is tolerated when there are two or more;
    // a single row must be whole), and a run-length code expands at most 255 pixels per two
    // bytes (the end-of-picture escape may leave the rest).
    const int64_t width = core ? int64_t{static_cast<int16_t>(Get16(data, 18))}
                               : int64_t{static_cast<int32_t>(Get32(data, 18))};
    const int64_t height = core ? int64_t{static_cast<int16_t>(Get16(data, 20))}
                                : int64_t{static_cast<int32_t>(Get32(data, 22))};
    const uint64_t w = static_cast<uint64_t>(std::abs(width));
    const uint64_t h = static_cast<uint64_t>(std::abs(height));
    const uint32_t compression = core ? 0 : Get32(data, 30);
    const uint64_t available = data.size() - offset;
    if (compression == 0 || compression == 3) {
      const uint64_t stride = (w * std::max<uint16_t>(bits, 1) + 31) / 32 * 4;
      const uint64_t rows = h > 1 ? h - 1 : h;
      if (rows > 0 && stride > available / rows) throw EInvalidGraphic("Bitmap image is not valid");
    } else if (w * h > 128 * (available + 2) + 65536) {
      throw EInvalidGraphic("Bitmap image is not valid");
    }
    img.loadFromData(reinterpret_cast<const uchar*>(data.data()), static_cast<int>(data.size()), "BMP");
  } else {
    img.loadFromData(reinterpret_cast<const uchar*>(data.data()), static_cast<int>(data.size()));
    if (!img.isNull()) fmt = img.hasAlphaChannel() ? pf32bit : pf24bit;
  }
  if (img.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
  // Two colours other than black and white are kept: such a file is no monochrome bitmap.
  if (fmt == pf1bit)
    for (QRgb c : img.colorTable())
      if ((c & 0xFFFFFF) != 0 && (c & 0xFFFFFF) != 0xFFFFFF) fmt = pf24bit;
  canvas_->Release();
  format_ = fmt;
  canvas_->SetMonochromeDevice(fmt == pf1bit);
  *image_ = img.convertToFormat(QtFormat(fmt));
  Changed();
}

void TBitmap::Assign(const TPersistent* source)
{
  if (!source) {
    SetSize(0, 0);
    return;
  }
  if (auto* b = dynamic_cast<const TBitmap*>(source)) {
    if (b == this) return;
    canvas_->Release();
    b->canvas_->Release();
    format_ = b->format_;
    canvas_->SetMonochromeDevice(format_ == pf1bit);
    *image_ = b->image_->copy();
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    SetTransparent(b->GetTransparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// Picture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed()
{
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

TBitmap* TPicture::Bitmap()
{
  if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
  SetGraphic(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(graphic_.get());
}

namespace {
// A copy of a graphic of a kind this picture knows, or nullptr.
std::unique_ptr<TGraphic> CopyGraphic(const TGraphic* g)
{
  if (auto* b = dynamic_cast<const TBitmap*>(g)) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(b);
    return copy;
  }
  if (auto* f = dynamic_cast<const TFormatMetafile*>(g)) {
    auto copy = std::make_unique<TFormatMetafile>();
    copy->Assign(f);
    copy->SetEnhanced(f->GetEnhanced());
    return copy;
  }
  if (auto* m = dynamic_cast<const TMetafile*>(g)) {
    auto copy = std::make_unique<TMetafile>();
    copy->Assign(m);
    return copy;
  }
  return nullptr;
}

std::string LowerExtension(const std::string& fileName)
{
  size_t dot = fileName.find_last_of('.');
  size_t slash = fileName.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = fileName.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}
}  // namespace

void TPicture::LoadFromFile(const std::string& fileName)
{
  // Metafiles by their extension; everything else is read as a bitmap.
  std::string ext = LowerExtension(fileName);
  std::unique_ptr<TGraphic> g;
  if (ext == ".emf") g = std::make_unique<TMetafile>();
  else if (ext == ".wmf") g = std::make_unique<TFormatMetafile>();  // placeable or enhanced content
  else g = std::make_unique<TBitmap>();
  g->LoadFromFile(fileName);
  SetGraphic(std::move(g));
}

void TPicture::SaveToFile(const std::string& fileName)
{
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(const TPersistent* source)
{
  if (!source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<const TPicture*>(source)) {
    if (p == this) return;
    SetGraphic(CopyGraphic(p->graphic_.get()));
    return;
  }
  if (auto* g = dynamic_cast<const TGraphic*>(source)) {
    auto copy = CopyGraphic(g);
    if (!copy) throw EConvertError("Cannot assign a graphic of this kind to a picture");
    SetGraphic(std::move(copy));
    return;
  }
  TPersistent::Assign(source);
}
