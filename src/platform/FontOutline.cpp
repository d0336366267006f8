#include "platform/FontOutline.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace {
// Outlines are taken at this em size in pixels and scaled to em units, so curves are flattened
// to a small fraction of an em.
constexpr int kOutlineEm = 256;

QFont MakeFont(const std::string& face, int32_t weight, bool italic, int pixelSize)
{
  QFont f(QString::fromStdString(face));
  f.setPixelSize(pixelSize);
  f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  f.setItalic(italic);
  f.setKerning(false);
  return f;
}

constexpr uint16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
}  // namespace

bool GetGlyphOutline(const std::string& face, int32_t weight, bool italic, uint32_t ch, TGlyphOutline& out)
{
  out = {};
  QFont f = MakeFont(face, weight, italic, kOutlineEm);
  const QString text = QString::fromUcs4(reinterpret_cast<const char32_t*>(&ch), 1);
  QFontMetricsF fm(f);
  out.advance = fm.horizontalAdvance(text) / kOutlineEm;
  QPainterPath path;
  path.addText(0, 0, f, text);
  // Y down in Qt; flip to Y up and scale to em units.
  QTransform t;
  t.scale(1.0 / kOutlineEm, -1.0 / kOutlineEm);
  for (const QPolygonF& poly : path.toSubpathPolygons(t)) {
    std::vector<TOutlinePoint> contour;
    contour.reserve(poly.size());
    for (const QPointF& p : poly) {
      if (!contour.empty() && contour.back().x == p.x() && contour.back().y == p.y()) continue;
      contour.push_back({p.x(), p.y()});
    }
    // Closed polygons repeat their first point.
    if (contour.size() > 1 && contour.front().x == contour.back().x && contour.front().y == contour.back().y)
      contour.pop_back();
    if (contour.size() >= 3) out.contours.push_back(std::move(contour));
  }
  return true;
}

bool GetGlyphBitmap(const std::string& face, int32_t weight, bool italic, int32_t pixelHeight, uint32_t ch,
                    TGlyphBitmap& out)
{
  out = {};
  if (pixelHeight <= 0) return false;
  QFont f = MakeFont(face, weight, italic, pixelHeight);
  f.setStyleStrategy(QFont::NoAntialias);
  const QString text = QString::fromUcs4(reinterpret_cast<const char32_t*>(&ch), 1);
  QFontMetricsF fm(f);
  out.advance = std::round(fm.horizontalAdvance(text));
  const QRectF box = fm.boundingRect(text);
  if (box.isEmpty()) return true;
  const int left = static_cast<int>(std::floor(box.left())) - 1;
  const int top = static_cast<int>(std::floor(box.top())) - 1;
  const int w = static_cast<int>(std::ceil(box.right())) + 1 - left;
  const int h = static_cast<int>(std::ceil(box.bottom())) + 1 - top;
  QImage img(w, h, QImage::Format_Grayscale8);
  img.fill(0);
  {
    QPainter p(&img);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QPointF(-left, -top), text);
  }
  out.width = w;
  out.height = h;
  out.xOrigin = -left;
  out.yOrigin = top + h;  // baseline seen from the bottom row
  const int rowBytes = (w + 7) / 8;
  out.bits.assign(static_cast<size_t>(rowBytes) * h, 0);
  for (int y = 0; y < h; ++y) {
    const uchar* src = img.constScanLine(h - 1 - y);
    uint8_t* dst = out.bits.data() + static_cast<size_t>(y) * rowBytes;
    for (int x = 0; x < w; ++x)
      if (src[x] >= 128) dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  }
  return true;
}

uint32_t CodePage1252ToUnicode(uint8_t byte)
{
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

std::string TextToCodePage1252(const std::string& utf8)
{
  std::string out;
  out.reserve(utf8.size());
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (char32_t cp : text.toUcs4()) {
    if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i)
      if (kCp1252High[i] == cp && cp != 0xFFFD) mapped = static_cast<char>(0x80 + i);
    out.push_back(mapped);
  }
  return out;
}
