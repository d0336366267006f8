#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/Gdi.h"
#include "platform/Graphics.h"
#include "platform/GraphicsPrivate.h"

namespace {

bool SamePixels(const QImage& a, const QImage& b)
{
  if (a.size() != b.size() || a.format() != b.format()) return false;
  const int bytes = a.width() * a.depth() / 8;
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.constScanLine(y), b.constScanLine(y), bytes) != 0) return false;
  return true;
}


// Two blank surfaces of one format and size.
void SameSurfaces(TBitmap& a, TBitmap& b, TPixelFormat format, int w, int h)
{
  for (TBitmap* t : {&a, &b}) {
    t->SetPixelFormat(format);
    t->SetSize(w, h);
  }
}

// The same random clip on both surfaces: none (kinds 0 and 1), a rectangle (2) or a rectangle with
// a hole (3). Returns the kind.
template <class Pick>
int RandomClip(Pick& pick, int w, int h, TBitmap& a, TBitmap& b)
{
  const int kind = pick(0, 3);
  const TRect clip = Rect(pick(-5, w), pick(-5, h), pick(0, w + 5), pick(0, h + 5));
  const TRect hole = Rect(pick(0, w), pick(0, h), pick(0, w), pick(0, h));
  for (TBitmap* t : {&a, &b}) {
    if (kind >= 2) t->Canvas()->SetClipRect(clip);
    if (kind == 3) ExcludeClipRect(t->Canvas(), hole.Left, hole.Top, hole.Right, hole.Bottom);
  }
  return kind;
}
}  // namespace

TEST(BlockTransfer, EveryCopyMatchesTheGeneralPathPixelForPixel)
{
  // Random blocks (same-size copies, which take the direct row copy where they can, among
  // stretched, mirrored, partly outside and raster-operation ones) onto two equal surfaces with the
  // same clip: one through the block transfer, one through the general row path.
  std::mt19937 rng(20261207);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const QImage::Format sourceFormats[] = {QImage::Format_RGB32, QImage::Format_ARGB32,
                                          QImage::Format_ARGB32_Premultiplied, QImage::Format_BGR888};
  int direct = 0;
  for (int round = 0; round < 1500; ++round) {
    const int w = pick(1, 40), h = pick(1, 40);
    const TPixelFormat destFormat = pick(0, 5) == 0 ? pf24bit : pf32bit;
    TBitmap a, b;
    for (TBitmap* t : {&a, &b}) {
      t->SetPixelFormat(destFormat);
      t->SetSize(w, h);
    }
    std::uniform_int_distribution<uint32_t> any;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t rgb = any(rng) & 0xFFFFFF;
        gfx::WriteRgb(a.Image(), x, y, rgb);
        gfx::WriteRgb(b.Image(), x, y, rgb);
      }
    QImage source(pick(1, 24), pick(1, 24), sourceFormats[pick(0, 3)]);
    for (int y = 0; y < source.height(); ++y) {
      uchar* line = source.scanLine(y);
      for (int i = 0; i < source.bytesPerLine(); ++i) line[i] = static_cast<uchar>(any(rng));
    }
    // Destination block, then a source block of the same extents most of the time.
    const int dx = pick(-12, w + 4), dy = pick(-12, h + 4);
    int dw = pick(-20, 20), dh = pick(-20, 20);
    if (pick(0, 5) != 0) {
      dw = pick(1, 12);
      dh = pick(1, 12);
    }
    const TRect dr = Rect(dx, dy, dx + dw, dy + dh);
    // Mostly inside the source, now and then partly outside it.
    const bool within = pick(0, 3) != 0;
    const int sx = within ? pick(0, std::max(0, source.width() - std::abs(dw))) : pick(-4, source.width());
    const int sy = within ? pick(0, std::max(0, source.height() - std::abs(dh))) : pick(-4, source.height());
    const bool sameSize = pick(0, 4) != 0;
    const int sw = sameSize ? dw : pick(-16, 16), sh = sameSize ? dh : pick(-16, 16);
    const TRect sr = Rect(sx, sy, sx + sw, sy + sh);
    const uint32_t rop = pick(0, 6) == 0 ? static_cast<uint32_t>(cmSrcInvert) : static_cast<uint32_t>(cmSrcCopy);
    const int clipKind = pick(0, 2);
    const TRect clip = Rect(pick(-5, w), pick(-5, h), pick(0, w + 5), pick(0, h + 5));
    const TRect hole = Rect(pick(0, w), pick(0, h), pick(0, w), pick(0, h));
    for (TBitmap* t : {&a, &b}) {
      if (clipKind >= 1) t->Canvas()->SetClipRect(clip);
      if (clipKind == 2) ExcludeClipRect(t->Canvas(), hole.Left, hole.Top, hole.Right, hole.Bottom);
    }
    const bool simple = clipKind == 0 || a.Canvas()->GdiState()->clip.rectCount() == 1;
    direct += rop == static_cast<uint32_t>(cmSrcCopy) && destFormat == pf32bit &&
              source.format() != QImage::Format_BGR888 && sameSize && simple && sx >= 0 && sy >= 0 &&
              sx + std::abs(dw) <= source.width() && sy + std::abs(dh) <= source.height();
    gfx::BlockTransfer(*a.Canvas(), dr, &source, sr, rop);
    gfx::BlockTransferRows(*b.Canvas(), dr, &source, sr, rop);
    ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
        << "round " << round << " block " << dr.Left << "," << dr.Top << "," << dr.Right << "," << dr.Bottom
        << " from " << sr.Left << "," << sr.Top << "," << sr.Right << "," << sr.Bottom << " clip kind " << clipKind;
  }
  // Enough of the rounds were copies of the simple kind.
  EXPECT_GT(direct, 100);
}

TEST(BlockTransfer, CopyOntoItselfAndOntoAMonochromeSurface)
{
  // A bitmap drawn onto its own canvas, shifted: the block is read before it is written.
  TBitmap b;
  b.SetPixelFormat(pf32bit);
  b.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) b.Canvas()->SetPixel(x, y, RGB(x * 30, y * 30, 7));
  b.Canvas()->Draw(2, 1, &b);
  EXPECT_EQ(b.Canvas()->GetPixel(2, 1), RGB(0, 0, 7));
  EXPECT_EQ(b.Canvas()->GetPixel(7, 7), RGB(150, 180, 7));
  EXPECT_EQ(b.Canvas()->GetPixel(1, 1), RGB(30, 30, 7));
  // A monochrome surface keeps only white and black after a direct copy.
  TBitmap stamp;
  stamp.SetPixelFormat(pf32bit);
  stamp.SetSize(3, 3);
  stamp.Canvas()->Brush()->SetColor(clRed);
  stamp.Canvas()->FillRect(Rect(0, 0, 3, 3));
  stamp.Canvas()->SetPixel(1, 1, clWhite);
  TBitmap mono;
  mono.SetSize(6, 6);
  mono.SetMonochrome(true);
  mono.Canvas()->Draw(1, 1, &stamp);
  EXPECT_EQ(mono.Canvas()->GetPixel(1, 1), clBlack);
  EXPECT_EQ(mono.Canvas()->GetPixel(2, 2), clWhite);
  EXPECT_EQ(mono.Canvas()->GetPixel(0, 0), clWhite);
}

TEST(DirectLines, AxisLinesMatchThePainterPixelForPixel)
{
  // Random lines (mostly across or along a surface, some reaching off it, a few slanted) with
  // random pens, backgrounds and clips: written straight on one surface, painted on the other.
  std::mt19937 rng(7031);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psInsideFrame, psUserStyle, psAlternate};
  const TColor colours[] = {clBlack, clRed, clGray, clSilver, RGB(12, 200, 99), clBlue};
  int straight = 0;
  for (int round = 0; round < 400; ++round) {
    const int w = pick(1, 320), h = pick(1, 60);
    TBitmap a, b;
    for (TBitmap* t : {&a, &b}) {
      t->SetPixelFormat(pick(0, 7) == 0 ? pf24bit : pf32bit);
      t->SetSize(w, h);
    }
    b.SetPixelFormat(a.GetPixelFormat());
    const int clipKind = RandomClip(pick, w, h, a, b);
    for (int line = 0; line < 8; ++line) {
      const TPenStyle style = styles[pick(0, 7)];
      const bool geometric = pick(0, 3) == 0;
      const int width = pick(0, 5) == 0 ? 2 : 1;
      const TPenMode mode = pick(0, 7) == 0 ? pmXor : pmCopy;
      const TColor ink = colours[pick(0, 5)], back = colours[pick(0, 5)];
      const bool opaque = pick(0, 1) == 0;
      std::vector<uint32_t> user;
      for (int k = pick(1, 4); k > 0; --k) user.push_back(static_cast<uint32_t>(pick(0, 7)));
      int x0 = pick(0, w - 1), y0 = pick(0, h - 1), x1 = pick(0, w), y1 = pick(0, h);
      switch (pick(0, 5)) {
        case 0: y1 = y0; break;
        case 1: x1 = x0; break;
        case 2: y1 = y0, x0 = pick(-20, w + 20), x1 = pick(-20, w + 20); break;
        case 3: x1 = x0, y0 = pick(-20, h + 20), y1 = pick(-20, h + 20); break;
        case 4: y1 = y0, x1 = x0 + pick(-1, 1); break;
        default: break;
      }
      const bool inside = std::min(x0, x1) >= 0 && std::max(x0, x1) <= w && std::min(y0, y1) >= 0 && std::max(y0, y1) <= h;
      straight += a.GetPixelFormat() == pf32bit && width == 1 && mode == pmCopy && (x0 == x1) != (y0 == y1) && inside &&
                  style != psUserStyle && !(geometric && style != psSolid && style != psInsideFrame);
      for (bool direct : {true, false}) {
        TCanvas* c = (direct ? a : b).Canvas();
        c->Pen()->SetStyle(style);
        c->Pen()->SetGeometric(geometric);
        c->Pen()->SetWidth(width);
        c->Pen()->SetMode(mode);
        c->Pen()->SetColor(ink);
        if (style == psUserStyle) c->Pen()->SetUserStyle(user);
        c->SetBkColor(back);
        c->SetBkMode(opaque ? OPAQUE : TRANSPARENT);
        gfx::DirectPixels = direct;
        c->MoveTo(x0, y0);
        c->LineTo(x1, y1);
        gfx::DirectPixels = true;
      }
      ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
          << "round " << round << " line " << line << " style " << style << " from " << x0 << "," << y0 << " to " << x1
          << "," << y1 << " clip kind " << clipKind << " surface " << w << "x" << h;
    }
  }
  // Enough of them were lines of the kind written straight.
  EXPECT_GT(straight, 400);
}

TEST(DirectFills, SolidRectanglesMatchThePainterPixelForPixel)
{
  // Random rectangles (some inverted, empty or reaching off the surface) in random brushes and
  // clips: written straight on one surface, painted on the other.
  std::mt19937 rng(4242);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const TBrushStyle styles[] = {bsSolid, bsSolid, bsSolid, bsClear, bsCross, bsFDiagonal};
  const TColor colours[] = {clBlack, clRed, clGray, clSilver, RGB(12, 200, 99), clBlue};
  for (int round = 0; round < 300; ++round) {
    const int w = pick(1, 120), h = pick(1, 90);
    TBitmap a, b;
    const TPixelFormat format = pick(0, 7) == 0 ? pf24bit : pf32bit;
    SameSurfaces(a, b, format, w, h);
    const int clipKind = RandomClip(pick, w, h, a, b);
    for (int fill = 0; fill < 6; ++fill) {
      const TRect r = Rect(pick(-20, w + 20), pick(-20, h + 20), pick(-20, w + 20), pick(-20, h + 20));
      const TBrushStyle style = styles[pick(0, 5)];
      const TColor colour = colours[pick(0, 5)];
      const bool opaque = pick(0, 1) == 0;
      for (bool direct : {true, false}) {
        TCanvas* c = (direct ? a : b).Canvas();
        c->Brush()->SetStyle(style);
        c->Brush()->SetColor(colour);
        c->SetBkMode(opaque ? OPAQUE : TRANSPARENT);
        gfx::DirectPixels = direct;
        c->FillRect(r);
        gfx::DirectPixels = true;
      }
      ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
          << "round " << round << " fill " << fill << " rect " << r.Left << "," << r.Top << "," << r.Right << ","
          << r.Bottom << " clip kind " << clipKind << " surface " << w << "x" << h;
    }
  }
}

namespace {

// A canvas of its own kind: it counts the blocks drawn on it (DrawRepeated must hand it each one).
class TCountingCanvas : public TCanvas {
public:
  int draws = 0;
  void Draw(int32_t x, int32_t y, TGraphic* graphic) override
  {
    ++draws;
    TCanvas::Draw(x, y, graphic);
  }
};

}  // namespace

TEST(RepeatedDraw, StampsMatchOneDrawPerPointPixelForPixel)
{
  // Random stamps at random places (overlapping, partly or wholly off the surface, at the
  // coordinate limits) within random clips and modes: all at once on one surface, one Draw per
  // point on the other.
  std::mt19937 rng(1207);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::uniform_int_distribution<uint32_t> any;
  int direct = 0;
  for (int round = 0; round < 600; ++round) {
    const int w = pick(1, 90), h = pick(1, 70);
    const TPixelFormat format = pick(0, 7) == 0 ? pf24bit : pf32bit;
    TBitmap a, b;
    SameSurfaces(a, b, format, w, h);
    TBitmap stamp;
    stamp.SetPixelFormat(pick(0, 5) == 0 ? pf24bit : pf32bit);
    stamp.SetSize(pick(1, 12), pick(1, 12));
    for (int y = 0; y < stamp.GetHeight(); ++y)
      for (int x = 0; x < stamp.GetWidth(); ++x) gfx::WriteRgb(stamp.Image(), x, y, any(rng) & 0xFFFFFF);
    if (pick(0, 9) == 0) {
      stamp.SetTransparent(true);
      stamp.SetTransparentColor(gfx::FromQRgb(gfx::ReadRgb(stamp.Image(), 0, 0)));
    }
    const int clipKind = RandomClip(pick, w, h, a, b);
    const uint32_t mode = pick(0, 8) == 0 ? static_cast<uint32_t>(cmSrcInvert) : static_cast<uint32_t>(cmSrcCopy);
    for (TBitmap* t : {&a, &b}) t->Canvas()->SetCopyMode(mode);
    std::vector<TPoint> points(static_cast<size_t>(pick(0, 60)));
    for (TPoint& p : points) {
      p = TPoint{pick(-15, w + 3), pick(-15, h + 3)};
      if (pick(0, 30) == 0) p.x = pick(0, 1) ? INT32_MAX - pick(0, 3) : INT32_MIN + pick(0, 3);
      if (pick(0, 30) == 0) p.y = pick(0, 1) ? (1 << 23) - pick(0, 20) : -(1 << 23) - pick(-3, 3);
    }
    direct += format == pf32bit && mode == static_cast<uint32_t>(cmSrcCopy) && !stamp.GetTransparent() &&
              (clipKind < 3 || a.Canvas()->GdiState()->clip.rectCount() <= 1) && !points.empty();
    a.Canvas()->DrawRepeated(points, &stamp);
    for (const TPoint& p : points) b.Canvas()->Draw(p.x, p.y, &stamp);
    ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
        << "round " << round << " surface " << w << "x" << h << " stamp " << stamp.GetWidth() << "x"
        << stamp.GetHeight() << " clip kind " << clipKind << " points " << points.size();
  }
  EXPECT_GT(direct, 250);
}

TEST(RepeatedDraw, ACanvasOfItsOwnKindGetsEveryBlockAndAMonochromeOneStaysTwoColoured)
{
  TBitmap stamp;
  stamp.SetPixelFormat(pf32bit);
  stamp.SetSize(3, 2);
  stamp.Canvas()->Brush()->SetColor(clRed);
  stamp.Canvas()->FillRect(Rect(0, 0, 3, 2));
  const std::vector<TPoint> points = {{1, 1}, {4, 2}, {-2, 0}, {6, 6}};
  // Onto a derived canvas: one Draw per point, the same pixels as a plain canvas gets.
  TBitmap plain;
  plain.SetPixelFormat(pf32bit);
  plain.SetSize(8, 8);
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::white);
  TCountingCanvas counting;
  counting.SetDevice(&image, &image);
  counting.DrawRepeated(points, &stamp);
  plain.Canvas()->DrawRepeated(points, &stamp);
  EXPECT_EQ(counting.draws, 4);
  counting.Release();
  EXPECT_TRUE(SamePixels(image, plain.Image()));
  EXPECT_EQ(plain.Canvas()->GetPixel(5, 3), clRed);
  EXPECT_EQ(plain.Canvas()->GetPixel(0, 0), clRed);
  EXPECT_EQ(plain.Canvas()->GetPixel(0, 5), clWhite);
  // Onto a monochrome surface: every copied pixel turns black.
  TBitmap mono;
  mono.SetSize(8, 8);
  mono.SetMonochrome(true);
  mono.Canvas()->DrawRepeated(points, &stamp);
  EXPECT_EQ(mono.Canvas()->GetPixel(1, 1), clBlack);
  EXPECT_EQ(mono.Canvas()->GetPixel(7, 7), clBlack);
  EXPECT_EQ(mono.Canvas()->GetPixel(0, 3), clWhite);
}

TEST(DirectText, LabelsMatchThePainterPixelForPixel)
{
  // Random texts (numbers, words, overhanging and decorated glyphs) in random fonts, alignments,
  // backgrounds and clips, at random places (partly off the surface): written from their masks on
  // one surface, painted on the other; each text twice, so that the second comes from the cache.
  std::mt19937 rng(9001);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const char* texts[] = {"0",     "12.5", "-3.25E-7", "Resistivity", "jQ|gy_", "W", "1 000", "Wf/ij",
                         "ÄÖü°", "x",    "0.001",    "Depth (m)",   "  ",     "-"};
  const char* names[] = {"Tahoma", "Arial", "Courier New", "Times New Roman"};
  const uint32_t aligns[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_TOP, TA_RIGHT | TA_BOTTOM, TA_LEFT | TA_BASELINE};
  const TColor colours[] = {clBlack, clRed, clNavy, RGB(12, 200, 99), clWindowText};
  int direct = 0;
  for (int round = 0; round < 120; ++round) {
    const int w = pick(20, 160), h = pick(10, 60);
    TBitmap a, b;
    const TPixelFormat format = pick(0, 7) == 0 ? pf24bit : pf32bit;
    for (TBitmap* t : {&a, &b}) {
      t->SetPixelFormat(format);
      t->SetSize(w, h);
      t->Canvas()->Brush()->SetColor(clSilver);
      t->Canvas()->FillRect(Rect(0, 0, w / 2, h));
    }
    const int clipKind = RandomClip(pick, w, h, a, b);
    const std::string name = names[pick(0, 3)];
    const int32_t height = pick(0, 3) == 0 ? pick(8, 30) : -pick(6, 24);
    const TFontStyles style = static_cast<TFontStyles>(pick(0, 3) == 0 ? pick(0, 15) : 0);
    const TColor ink = colours[pick(0, 4)];
    const bool opaque = pick(0, 3) == 0;
    const int rotated = pick(0, 9) == 0 ? 900 : 0;
    const int extra = pick(0, 9) == 0 ? 2 : 0;
    for (int text = 0; text < 6; ++text) {
      const std::string s = texts[pick(0, 13)];
      const int x = pick(-20, w + 5), y = pick(-15, h + 5);
      const uint32_t align = aligns[pick(0, 3)];
      for (int pass = 0; pass < 2; ++pass)
        for (bool fast : {true, false}) {
          TCanvas* c = (fast ? a : b).Canvas();
          c->Font()->SetName(name);
          c->Font()->SetHeight(height);
          c->Font()->SetStyle(style);
          c->Font()->SetColor(ink);
          c->Font()->SetOrientation(rotated);
          c->SetTextCharacterExtra(extra);
          c->SetTextAlign(align);
          c->SetBkColor(clYellow);
          c->SetBkMode(opaque ? OPAQUE : TRANSPARENT);
          gfx::DirectPixels = fast;
          c->TextOut(x + pass, y, s);
          gfx::DirectPixels = true;
        }
      direct += format == pf32bit && rotated == 0 && extra == 0 &&
                (clipKind < 3 || a.Canvas()->GdiState()->clip.rectCount() <= 1);
      ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
          << "round " << round << " text '" << s << "' font " << name << " " << height << " style " << int(style)
          << " at " << x << "," << y << " align " << align << " clip kind " << clipKind;
    }
  }
  EXPECT_GT(direct, 300);
}

TEST(DirectOutlines, PolylinesAndRectanglesMatchThePainterPixelForPixel)
{
  // Random polylines (mostly of axis-aligned segments, turning back, now and then slanted or
  // reaching off the surface) and rectangles (some thin, inverted or off the surface) in random
  // pens, brushes and clips: written straight on one surface, painted on the other.
  std::mt19937 rng(5150);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const TPenStyle penStyles[] = {psSolid, psSolid, psSolid, psInsideFrame, psDot, psClear};
  const TBrushStyle brushStyles[] = {bsSolid, bsSolid, bsClear, bsClear, bsCross};
  const TColor colours[] = {clBlack, clRed, clGray, clSilver, RGB(12, 200, 99), clBlue};
  int straight = 0;
  for (int round = 0; round < 800; ++round) {
    const int w = pick(1, 90), h = pick(1, 70);
    TBitmap a, b;
    const TPixelFormat format = pick(0, 7) == 0 ? pf24bit : pf32bit;
    SameSurfaces(a, b, format, w, h);
    const int clipKind = RandomClip(pick, w, h, a, b);
    for (int figure = 0; figure < 6; ++figure) {
      const TPenStyle penStyle = penStyles[pick(0, 5)];
      const int width = pick(0, 6) == 0 ? 2 : 1;
      const TPenMode mode = pick(0, 9) == 0 ? pmXor : pmCopy;
      const TColor ink = colours[pick(0, 5)], fill = colours[pick(0, 5)];
      const TBrushStyle brushStyle = brushStyles[pick(0, 4)];
      const bool polyline = pick(0, 1) == 0;
      std::vector<TPoint> points;
      TRect r;
      if (polyline) {
        TPoint p{pick(0, w - 1), pick(0, h - 1)};
        points.push_back(p);
        for (int k = pick(1, 6); k > 0; --k) {
          switch (pick(0, 7)) {
            case 0: p = pick(0, 3) ? TPoint{pick(-10, w + 10), pick(-10, h + 10)} : TPoint{pick(-3000, 3000), p.y}; break;
            case 1: break;
            default:
              if (pick(0, 1)) p.x = pick(0, w);
              else p.y = pick(0, h);
          }
          points.push_back(p);
        }
      } else {
        r = Rect(pick(-3, w + 2), pick(-3, h + 2), pick(-3, w + 2), pick(-3, h + 2));
        if (pick(0, 5) == 0) r = Rect(pick(-3000, 10), pick(-3000, 10), pick(0, 3000), pick(0, 3000));
      }
      straight += format == pf32bit && mode == pmCopy && width == 1 && (penStyle == psSolid || penStyle == psInsideFrame);
      for (bool direct : {true, false}) {
        TCanvas* c = (direct ? a : b).Canvas();
        c->Pen()->SetStyle(penStyle);
        c->Pen()->SetWidth(width);
        c->Pen()->SetMode(mode);
        c->Pen()->SetColor(ink);
        c->Brush()->SetStyle(brushStyle);
        c->Brush()->SetColor(fill);
        gfx::DirectPixels = direct;
        if (polyline) c->Polyline(points);
        else c->Rectangle(r);
        gfx::DirectPixels = true;
      }
      ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
          << "round " << round << " figure " << figure << (polyline ? " polyline of " : " rectangle ")
          << (polyline ? points.size() : 0) << " " << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom
          << " pen " << penStyle << " width " << width << " brush " << brushStyle << " clip kind " << clipKind;
    }
  }
  EXPECT_GT(straight, 1000);
}

TEST(DirectLines, GridsOfLinesMatchThePainterPixelForPixel)
{
  // Random sets of vertical or horizontal lines (repeated places, some off the surface, running up or down)
  // in random pens, backgrounds and clips: row by row on one surface, each line painted on the
  // other; the pen ends where the last line ends.
  std::mt19937 rng(8086);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psUserStyle, psAlternate, psClear};
  const TColor colours[] = {clBlack, clRed, clGray, clSilver, RGB(12, 200, 99), clBlue};
  int rowByRow = 0;
  for (int round = 0; round < 400; ++round) {
    const int w = pick(1, 120), h = pick(1, 90);
    TBitmap a, b;
    const TPixelFormat format = pick(0, 7) == 0 ? pf24bit : pf32bit;
    SameSurfaces(a, b, format, w, h);
    const int clipKind = RandomClip(pick, w, h, a, b);
    for (int grid = 0; grid < 4; ++grid) {
      const TPenStyle style = styles[pick(0, 7)];
      const int width = pick(0, 6) == 0 ? 2 : 1;
      const TPenMode mode = pick(0, 9) == 0 ? pmXor : pmCopy;
      const TColor ink = colours[pick(0, 5)], back = colours[pick(0, 5)];
      const bool opaque = pick(0, 1) == 0, geometric = pick(0, 4) == 0;
      std::vector<uint32_t> user;
      for (int k = pick(1, 4); k > 0; --k) user.push_back(static_cast<uint32_t>(pick(0, 7)));
      // Vertical lines at xs from y0 to y1, or horizontal ones at xs (as rows) from y0 to y1 (as columns).
      const bool vertical = pick(0, 1) == 0;
      const int across = vertical ? w : h, along = vertical ? h : w;
      std::vector<int32_t> xs(static_cast<size_t>(pick(1, 12)));
      for (int32_t& x : xs) x = pick(0, 15) == 0 ? pick(-5, across + 5) : pick(0, across - 1);
      if (pick(0, 3) == 0) xs.push_back(xs.front());
      int32_t y0 = pick(0, along), y1 = pick(0, along);
      if (pick(0, 9) == 0) y1 = pick(-20, along + 20);
      rowByRow += format == pf32bit && width == 1 && mode == pmCopy && style != psClear && y0 != y1;
      for (bool direct : {true, false}) {
        TCanvas* c = (direct ? a : b).Canvas();
        c->Pen()->SetStyle(style);
        c->Pen()->SetGeometric(geometric);
        c->Pen()->SetWidth(width);
        c->Pen()->SetMode(mode);
        c->Pen()->SetColor(ink);
        if (style == psUserStyle) c->Pen()->SetUserStyle(user);
        c->SetBkColor(back);
        c->SetBkMode(opaque ? OPAQUE : TRANSPARENT);
        if (direct) {
          if (vertical) c->VertLines(xs, y0, y1);
          else c->HorizLines(xs, y0, y1);
        } else {
          gfx::DirectPixels = false;
          for (int32_t x : xs) {
            if (vertical) c->MoveTo(x, y0), c->LineTo(x, y1);
            else c->MoveTo(y0, x), c->LineTo(y1, x);
          }
          gfx::DirectPixels = true;
        }
      }
      ASSERT_EQ(a.Canvas()->GetPenPos(), b.Canvas()->GetPenPos());
      ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
          << "round " << round << " grid " << grid << " style " << style << " from " << y0 << " to " << y1
          << " lines " << xs.size() << " clip kind " << clipKind << " surface " << w << "x" << h;
    }
  }
  EXPECT_GT(rowByRow, 500);
}

TEST(DirectLines, WideLinesDrawnAgainMatchThePainterPixelForPixel)
{
  // Random lines of wide pens (any direction and place, some near or off the edges, some of no
  // length), each drawn three times in changing colours within random clips: on one surface the
  // later times are written straight, on the other every time is painted.
  std::mt19937 rng(3033);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const TPenStyle styles[] = {psSolid, psSolid, psInsideFrame, psDot};
  const TPenEndCap caps[] = {pecRound, pecSquare, pecFlat};
  const TPenJoin joins[] = {pjRound, pjBevel, pjMiter};
  int repeated = 0;
  for (int round = 0; round < 300; ++round) {
    const int w = pick(1, 200), h = pick(1, 120);
    TBitmap a, b;
    const TPixelFormat format = pick(0, 9) == 0 ? pf24bit : pf32bit;
    for (TBitmap* t : {&a, &b}) {
      t->SetPixelFormat(format);
      t->SetSize(w, h);
    }
    const int clipKind = RandomClip(pick, w, h, a, b);
    for (int line = 0; line < 4; ++line) {
      int x0 = pick(-10, w + 10), y0 = pick(-10, h + 10), x1 = pick(-10, w + 10), y1 = pick(-10, h + 10);
      switch (pick(0, 3)) {
        case 0: y1 = y0; break;
        case 1: x1 = x0; break;
        case 2: x1 = x0 + pick(-1, 1), y1 = y0; break;
        default: break;
      }
      const int width = pick(2, 7);
      const TPenStyle style = styles[pick(0, 3)];
      const bool geometric = pick(0, 2) == 0;
      const TPenEndCap cap = caps[pick(0, 2)];
      const TPenJoin join = joins[pick(0, 2)];
      const TPenMode mode = pick(0, 12) == 0 ? pmXor : pmCopy;
      repeated += format == pf32bit && mode == pmCopy && !(geometric && style == psDot);
      for (int time = 0; time < 3; ++time) {
        const TColor ink = RGB(pick(0, 255), pick(0, 255), pick(0, 255));
        for (bool direct : {true, false}) {
          TCanvas* c = (direct ? a : b).Canvas();
          c->Pen()->SetStyle(style);
          c->Pen()->SetWidth(width);
          c->Pen()->SetGeometric(geometric);
          c->Pen()->SetEndCap(cap);
          c->Pen()->SetJoin(join);
          c->Pen()->SetMode(mode);
          c->Pen()->SetColor(ink);
          gfx::DirectPixels = direct;
          c->MoveTo(x0, y0);
          c->LineTo(x1, y1);
          gfx::DirectPixels = true;
        }
        ASSERT_TRUE(SamePixels(a.Image(), b.Image()))
            << "round " << round << " line " << line << " time " << time << " from " << x0 << "," << y0 << " to "
            << x1 << "," << y1 << " width " << width << " style " << style << " geometric " << geometric
            << " clip kind " << clipKind << " surface " << w << "x" << h;
      }
    }
  }
  EXPECT_GT(repeated, 600);
}
