// Pixels drawn by the GDI chart canvas on bitmaps.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "chart/canvas/NvCanvas.h"
#include "chart/canvas/NvCanvasBlend.h"
#include "chart/canvas/NuvResources.h"

namespace {

// A white bitmap with a 2-D chart canvas drawing straight on it.
struct Surface {
  TBitmap bmp;
  TNuvCanvas3D c;
  explicit Surface(int w = 100, int h = 100, TView3DOptions* view = nullptr, bool is3D = false)
  {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
    c.SetBufferedDisplay(false);
    c.InitWindow(bmp.Canvas(), view, clWhite, is3D, {0, 0, w, h});
    c.ViewPort(100, {0, 0, w, h}, {0, 0, w, h});
  }
  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF; }
  int Count(TColor color)
  {
    int n = 0;
    for (int y = 0; y < bmp.GetHeight(); ++y)
      for (int x = 0; x < bmp.GetWidth(); ++x) n += At(x, y) == color;
    return n;
  }
  void Fill(TColor color)
  {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(color);
    c.FillRect({0, 0, bmp.GetWidth(), bmp.GetHeight()});
  }
};

int Lum(TColor c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

TEST(CanvasShapes, RectangleAndEllipseCoverage)
{
  Surface s;
  s.c.Pen()->SetColor(clBlack);
  s.c.Brush()->SetColor(clRed);
  s.c.Rectangle(10, 10, 20, 20);
  // Outline on 10 and 19; right and bottom edges excluded.
  EXPECT_EQ(s.At(10, 10), clBlack);
  EXPECT_EQ(s.At(19, 19), clBlack);
  EXPECT_EQ(s.At(20, 15), clWhite);
  EXPECT_EQ(s.At(15, 20), clWhite);
  EXPECT_EQ(s.At(15, 15), clRed);
  EXPECT_EQ(s.Count(clRed) + s.Count(clBlack), 100);

  // On a 2-D canvas EllipseWithZ covers one more pixel to the right and below than Ellipse.
  Surface a, e;
  for (Surface* t : {&a, &e}) {
    t->c.Pen()->SetStyle(psClear);
    t->c.Brush()->SetColor(clBlue);
  }
  a.c.Ellipse(10, 10, 30, 30);
  e.c.EllipseWithZ(10, 10, 30, 30, 0);
  auto extent = [](Surface& t) {
    TRect r{1000, 1000, -1, -1};
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x)
        if (t.At(x, y) == clBlue) r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x), std::max(r.Bottom, y)};
    return r;
  };
  TRect ra = extent(a), re = extent(e);
  EXPECT_EQ(ra.Left, 10);
  EXPECT_EQ(ra.Top, 10);
  EXPECT_EQ(re, (TRect{ra.Left, ra.Top, ra.Right + 1, ra.Bottom + 1}));
  EXPECT_EQ(a.At(11, 11), clWhite);  // corners outside
  EXPECT_EQ(a.At(20, 20), clBlue);
}

TEST(CanvasPens, HiddenChartPenDrawsNoOutline)
{
  Surface s;
  TChartPen pen;
  pen.SetColor(clRed);
  pen.SetWidth(3);
  pen.Hide();
  s.c.AssignVisiblePen(&pen);
  s.c.Brush()->SetStyle(bsClear);
  s.c.Rectangle(10, 10, 50, 50);
  EXPECT_EQ(s.Count(clRed), 0);

  // A platform pen is copied whatever its kind.
  TPen plain;
  plain.SetColor(clRed);
  s.c.AssignVisiblePen(&plain);
  s.c.Line(0, 5, 50, 5);
  EXPECT_EQ(s.At(20, 5), clRed);
}

TEST(CanvasPens, DashedAndSmallDotPens)
{
  Surface s(200, 40);
  TChartPen dots;
  dots.SetColor(clBlack);
  dots.SetSmallDots(true);
  s.c.AssignVisiblePen(&dots);
  s.c.Line(0, 5, 100, 5);
  // Every other pixel.
  int on = 0;
  for (int x = 0; x < 100; ++x) on += s.At(x, 5) == clBlack;
  EXPECT_EQ(on, 50);
  for (int x = 1; x < 99; ++x) EXPECT_NE(s.At(x, 5) == clBlack, s.At(x + 1, 5) == clBlack) << x;

  dots.SetSmallSpace(3);  // one pixel, then a gap of four
  s.c.AssignVisiblePen(&dots);
  s.c.Line(0, 15, 100, 15);
  on = 0;
  for (int x = 0; x < 100; ++x) on += s.At(x, 15) == clBlack;
  EXPECT_EQ(on, 20);

  TChartPen dash;
  dash.SetStyle(psDash);
  dash.SetColor(clBlue);
  s.c.AssignVisiblePen(&dash);
  s.c.SetBackMode(cbmTransparent);
  s.c.Line(0, 25, 200, 25);
  int blue = 0, gaps = 0;
  for (int x = 0; x < 200; ++x) {
    blue += s.At(x, 25) == clBlue;
    gaps += s.At(x, 25) == clWhite;
  }
  EXPECT_GT(blue, 80);
  EXPECT_GT(gaps, 30);

  // A wide pen with a flat end style does not reach past the line's ends.
  TChartPen wide;
  wide.SetWidth(6);
  wide.SetColor(clRed);
  wide.SetEndStyle(esFlat);
  s.c.AssignVisiblePen(&wide);
  s.c.Line(150, 8, 190, 8);
  EXPECT_EQ(s.At(170, 8), clRed);
  EXPECT_NE(s.At(146, 8), clRed);
}

TEST(CanvasBrushes, HatchBackgroundAndTransparentMarker)
{
  Surface s(60, 30);
  s.c.Pen()->SetStyle(psClear);
  TChartBrush hatch;
  hatch.SetStyle(bsCross);
  s.c.AssignBrushColor(&hatch, clRed, clYellow);
  s.c.Rectangle(0, 0, 30, 30);
  EXPECT_GT(s.Count(clRed), 20);
  EXPECT_GT(s.Count(clYellow), 200);  // hatch background painted
  EXPECT_EQ(s.Count(clWhite), 60 * 30 - s.Count(clRed) - s.Count(clYellow) - 0);

  Surface t(30, 30);
  t.c.Pen()->SetStyle(psClear);
  t.c.AssignBrushColor(&hatch, clRed, clTransparentBack);
  t.c.Rectangle(0, 0, 30, 30);
  EXPECT_GT(t.Count(clRed), 20);
  EXPECT_EQ(t.Count(clRed) + t.Count(clWhite), 900);  // background left as it was

  // Monochrome canvases fill in white.
  Surface m(10, 10);
  m.c.SetMonochrome(true);
  TChartBrush solid;
  m.Fill(clBlack);
  m.c.AssignBrushColor(&solid, clRed, clRed);
  m.c.Pen()->SetStyle(psClear);
  m.c.Rectangle(0, 0, 11, 11);
  EXPECT_EQ(m.Count(clWhite), 100);
}

TEST(CanvasBrushes, PatternBrushesColouredByFillAndBack)
{
  // Pattern 2 is a checker board: half fill colour, half background.
  Surface s(16, 16);
  s.c.Pen()->SetStyle(psClear);
  TChartBrush brush;
  brush.SetStyleValue(FirstPatternStyle + 1);
  s.c.AssignBrushColor(&brush, clBlue, clYellow);
  s.c.Rectangle(0, 0, 17, 17);
  EXPECT_EQ(s.Count(clBlue), 128);
  EXPECT_EQ(s.Count(clYellow), 128);

  // With the transparent marker the background bits leave the picture alone.
  Surface t(16, 16);
  t.Fill(clLime);
  t.c.Pen()->SetStyle(psClear);
  t.c.AssignBrushColor(&brush, clBlack, clTransparentBack);
  t.c.Rectangle(0, 0, 17, 17);
  EXPECT_EQ(t.Count(clBlack), 128);
  EXPECT_EQ(t.Count(clLime), 128);
  // The masking ends when the next chart pen is selected: a solid fill paints its own colour.
  TChartBrush solid;
  TChartPen pen;
  pen.SetColor(clRed);
  t.Fill(clLime);
  t.c.AssignBrushColor(&solid, clBlue, clBlue);
  t.c.AssignVisiblePen(&pen);
  t.c.Rectangle(0, 0, 16, 16);
  EXPECT_EQ(t.At(8, 8), clBlue);
  EXPECT_EQ(t.At(0, 8), clRed);

  TBitmap b;
  EXPECT_THROW(LoadPatternBitmap(NuvPatternCount, b), EResNotFound);
  LoadPatternBitmap(0, b);
  EXPECT_EQ(b.GetWidth(), 8);
  EXPECT_EQ(b.GetTransparentColor() & 0xFFFFFF, clWhite);
}

TEST(CanvasBrushes, ImageBrushTilesThePicture)
{
  TChartBrush brush;
  TPicture pic;
  TBitmap* tile = pic.Bitmap();
  tile->SetPixelFormat(pf24bit);
  tile->SetSize(2, 1);
  tile->Canvas()->SetPixel(0, 0, clRed);
  tile->Canvas()->SetPixel(1, 0, clBlue);
  brush.SetImage(&pic);
  Surface s(20, 20);
  s.c.Pen()->SetStyle(psClear);
  s.c.AssignBrush(&brush, clBlack);
  s.c.Rectangle(0, 0, 21, 21);
  EXPECT_EQ(s.Count(clRed), 200);
  EXPECT_EQ(s.Count(clBlue), 200);
  EXPECT_NE(s.At(0, 5), s.At(1, 5));

  // A monochrome canvas draws gradients in greys.
  Surface m(20, 20);
  m.c.SetMonochrome(true);
  TNuvGradient g;
  g.SetStartColor(clRed);
  g.SetEndColor(clRed);
  g.Draw(&m.c, {0, 0, 20, 20});
  EXPECT_EQ(m.At(10, 10), RGB(85, 85, 85));
}

TEST(CanvasGradients, DirectionsMidColourAndBalance)
{
  Surface s(100, 100);
  TNuvGradient g;
  g.SetVisible(true);
  g.Draw(&s.c, {0, 0, 100, 100});
  // Default: end colour (yellow) at the top, start colour (white) at the bottom.
  EXPECT_EQ(s.At(50, 0), TColor(0x00FFFF));
  EXPECT_EQ(s.At(50, 99), clWhite);
  EXPECT_EQ(s.At(0, 50), s.At(99, 50));

  g.SetStartColor(clBlack);
  g.SetEndColor(clWhite);
  g.SetDirection(gdBottomTop);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_EQ(s.At(50, 0), clBlack);
  EXPECT_EQ(s.At(50, 99), clWhite);

  g.SetDirection(gdLeftRight);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_EQ(s.At(0, 50), clWhite);
  EXPECT_EQ(s.At(99, 50), clBlack);  // step 0 at the right edge
  g.SetDirection(gdRightLeft);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_EQ(s.At(0, 50), clBlack);
  EXPECT_EQ(s.At(99, 50), clWhite);

  // Mid colour: top-bottom goes end, mid, start from top to bottom.
  g.SetDirection(gdTopBottom);
  g.SetMidColor(clRed);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_EQ(s.At(50, 0), clWhite);
  EXPECT_EQ(s.At(50, 99), clBlack);
  EXPECT_EQ(s.At(50, 50), clRed);
  EXPECT_EQ(s.At(50, 49), clRed);

  // Balance bends the ramp: at 50 the middle is mid-grey, above 50 the ramp stays dark longer.
  g.SetMidColor(clNone);
  g.SetDirection(gdTopBottom);
  g.Draw(&s.c, {0, 0, 100, 100});
  const int even = GetRValue(s.At(50, 50));
  EXPECT_NEAR(even, 128, 4);
  g.SetBalance(90);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_LT(GetRValue(s.At(50, 50)), even - 40);
  g.SetBalance(10);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_GT(GetRValue(s.At(50, 50)), even + 20);
}

TEST(CanvasGradients, BandsAndOtherDirections)
{
  // A rectangle one pixel high gets no vertical bands.
  Surface s(50, 50);
  s.c.GradientFill({0, 10, 50, 11}, clBlack, clRed, gdTopBottom);
  EXPECT_EQ(s.Count(clWhite), 2500);

  // Monotonic ramp over 300 rows (256 bands).
  Surface t(10, 300);
  t.c.GradientFill({0, 0, 10, 300}, clBlack, clWhite, gdTopBottom);
  for (int y = 1; y < 300; ++y) EXPECT_GE(GetRValue(t.At(5, y - 1)), GetRValue(t.At(5, y)));
  // 1000 rows: 256 bands, one per grey level.
  Surface k(4, 1000);
  k.c.GradientFill({0, 0, 4, 1000}, clBlack, clWhite, gdTopBottom);
  std::set<TColor> levels;
  for (int y = 0; y < 1000; ++y) levels.insert(k.At(2, y));
  EXPECT_EQ(levels.size(), 256u);

  Surface c(60, 60);
  c.c.GradientFill({0, 0, 60, 60}, clBlack, clWhite, gdFromCenter);
  EXPECT_GT(Lum(c.At(0, 0)), 700);      // edge: end colour
  EXPECT_LT(Lum(c.At(30, 30)), 40);     // centre: start colour
  EXPECT_EQ(c.At(10, 30), c.At(49, 30));
  EXPECT_EQ(c.At(30, 30), clBlack);
  // A long flat rectangle reaches the centre colour too, and its edge keeps the end colour.
  Surface f(200, 20);
  f.c.GradientFill({0, 0, 200, 20}, clRed, clBlue, gdFromCenter);
  EXPECT_EQ(f.At(100, 10), clRed);
  EXPECT_EQ(f.At(0, 0), clBlue);
  EXPECT_EQ(f.At(199, 19), clBlue);
  EXPECT_EQ(f.At(5, 10), f.At(194, 10));

  Surface d(60, 60);
  d.c.GradientFill({0, 0, 60, 60}, clBlack, clWhite, gdDiagonalDown);
  EXPECT_LT(Lum(d.At(0, 0)), 20);
  EXPECT_GT(Lum(d.At(59, 59)), 700);
  EXPECT_EQ(d.At(10, 20), d.At(20, 10));
  EXPECT_EQ(d.Count(clWhite) < 10, true);  // covered without holes
  Surface u(60, 60);
  u.c.GradientFill({0, 0, 60, 60}, clBlack, clWhite, gdDiagonalUp);
  EXPECT_LT(Lum(u.At(0, 59)), 20);
  EXPECT_GT(Lum(u.At(59, 0)), 700);

  Surface tl(60, 60);
  tl.c.GradientFill({0, 0, 60, 60}, clBlack, clWhite, gdFromTopLeft);
  EXPECT_GT(Lum(tl.At(0, 0)), Lum(tl.At(59, 59)));
  Surface bl(60, 60);
  bl.c.GradientFill({0, 0, 60, 60}, clBlack, clWhite, gdFromBottomLeft);
  EXPECT_GT(Lum(bl.At(0, 59)), Lum(bl.At(59, 0)));

  // Without the per-canvas brush colour function the fill is the same.
  Surface a(40, 40), b(40, 40);
  a.c.GradientFill({0, 0, 40, 40}, clBlue, clYellow, gdLeftRight);
  auto saved = NuvSetDCBrushColor;
  NuvSetDCBrushColor = nullptr;
  b.c.GradientFill({0, 0, 40, 40}, clBlue, clYellow, gdLeftRight);
  NuvSetDCBrushColor = saved;
  for (int x = 0; x < 40; ++x) EXPECT_EQ(a.At(x, 20), b.At(x, 20));
}

TEST(CanvasGradients, RadialFromCentre)
{
  Surface s(101, 101);
  TNuvGradient g;
  g.SetDirection(gdRadial);
  g.SetStartColor(clRed);
  g.SetEndColor(clBlue);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_EQ(s.At(50, 50), clRed);
  EXPECT_EQ(s.At(0, 0), clBlue);
  EXPECT_EQ(s.At(100, 100), clWhite);  // clipped to the rectangle
  // Colour changes monotonically from the centre outwards.
  for (int x = 52; x < 95; ++x) EXPECT_GE(GetBValue(s.At(x, 50)), GetBValue(s.At(x - 1, 50)));
  g.SetRadialX(20);
  g.Draw(&s.c, {0, 0, 100, 100});
  EXPECT_EQ(s.At(70, 50), clRed);
}

TEST(CanvasShadows, HardSmoothAndNone)
{
  Surface s(100, 100);
  TNuvShadow sh;
  sh.SetColor(clBlack);
  sh.Draw(&s.c, {10, 10, 50, 50});
  EXPECT_EQ(s.Count(clWhite), 10000);  // size 0: nothing

  sh.SetSmooth(false);
  sh.SetHorizSize(5);
  sh.SetVertSize(4);
  s.c.FrontPlaneBegin();
  sh.Draw(&s.c, {10, 10, 50, 50});
  s.c.FrontPlaneEnd();
  EXPECT_EQ(s.At(52, 30), clBlack);  // right strip
  EXPECT_EQ(s.At(30, 52), clBlack);  // strip below
  EXPECT_EQ(s.At(30, 30), clWhite);  // not under the shape
  EXPECT_EQ(s.At(12, 52), clWhite);  // moved right by the horizontal size
  EXPECT_EQ(s.At(16, 52), clBlack);

  Surface t(100, 100);
  TNuvShadow soft;
  soft.SetColor(clBlack);
  soft.SetSize(6);
  t.c.FrontPlaneBegin();
  soft.Draw(&t.c, {10, 10, 50, 50});
  t.c.FrontPlaneEnd();
  // Lines brighten away from the shape.
  EXPECT_EQ(t.At(30, 50), clBlack);
  EXPECT_GT(Lum(t.At(30, 55)), Lum(t.At(30, 51)));
  EXPECT_GT(Lum(t.At(55, 30)), Lum(t.At(51, 30)));
  EXPECT_LT(Lum(t.At(30, 55)), 765);
  // Drawn at depth the lines also get their end pixels.
  Surface d(100, 100);
  soft.Draw(&d.c, {10, 10, 50, 50});
  EXPECT_EQ(d.At(56, 50), clBlack);
  EXPECT_EQ(d.At(55, 56), d.At(55, 30));
  // The brightening step is (255 - average component) / size, rounded; the average is not
  // truncated first: (255 - 252.33) / 2 rounds to 1 where (255 - 252) / 2 would give 2.
  Surface e(60, 60);
  TNuvShadow pale;
  pale.SetColor(RGB(255, 255, 247));
  pale.SetVertSize(2);
  e.c.FrontPlaneBegin();
  pale.Draw(&e.c, {10, 10, 30, 30});
  e.c.FrontPlaneEnd();
  EXPECT_EQ(e.At(20, 30), RGB(255, 255, 247));
  EXPECT_EQ(e.At(20, 31), RGB(255, 255, 248));

  // A smooth shadow of size 1 is drawn hard.
  Surface u(60, 60);
  TNuvShadow one;
  one.SetColor(clRed);
  one.SetSize(1);
  u.c.FrontPlaneBegin();
  one.Draw(&u.c, {10, 10, 30, 30});
  u.c.FrontPlaneEnd();
  EXPECT_EQ(u.At(20, 30), clRed);
  EXPECT_EQ(u.At(30, 20), clRed);

  // Transparent shadow: half-way between shadow and background.
  Surface v(60, 60);
  TNuvShadow half;
  half.SetColor(clBlack);
  half.SetSmooth(false);
  half.SetSize(6);
  half.SetTransparency(50);
  v.c.FrontPlaneBegin();
  half.Draw(&v.c, {10, 10, 30, 30});
  v.c.FrontPlaneEnd();
  EXPECT_NEAR(GetRValue(v.At(20, 33)), 127, 3);
}

TEST(CanvasText, ShadowOffsetsAndRotation)
{
  Surface s(200, 100);
  TNuvFont font;
  font.SetColor(clBlack);
  font.SetSize(20);
  font.GetShadow()->SetColor(clRed);
  font.GetShadow()->SetHorizSize(-2);
  font.GetShadow()->SetVertSize(3);
  s.c.AssignFont(&font);
  s.c.SetBackMode(cbmTransparent);
  s.c.TextOut(20, 20, "I");
  // Shadow 3 pixels lower at the given X; text 2 pixels to the right.
  int shadowLeft = 1000, textLeft = 1000, shadowTop = 1000, textTop = 1000;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      if (s.At(x, y) == clRed) shadowLeft = std::min(shadowLeft, x), shadowTop = std::min(shadowTop, y);
      if (s.At(x, y) == clBlack) textLeft = std::min(textLeft, x), textTop = std::min(textTop, y);
    }
  ASSERT_LT(shadowLeft, 1000);
  ASSERT_LT(textLeft, 1000);
  EXPECT_EQ(textLeft - shadowLeft, 2);
  EXPECT_EQ(shadowTop - textTop, 3);
  // Measures include the shadow sizes.
  TBitmap plain;
  plain.Canvas()->Font()->Assign(&font);
  EXPECT_EQ(s.c.TextWidth("Hello"), plain.Canvas()->TextWidth("Hello") + 2);
  EXPECT_EQ(s.c.TextHeight("Hello"), plain.Canvas()->TextHeight("Hello") + 3);

  // Rotated by 90 degrees: the text runs upwards from the point, to its right.
  Surface r(100, 200);
  TNuvFont f2;
  f2.SetSize(14);
  r.c.AssignFont(&f2);
  r.c.RotateLabel(50, 150, "HHHHHH", 450);  // 450 is 90
  int minY = 1000, maxY = -1, minX = 1000, maxX = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 100; ++x)
      if (r.At(x, y) == clBlack) {
        minY = std::min(minY, y), maxY = std::max(maxY, y);
        minX = std::min(minX, x), maxX = std::max(maxX, x);
      }
  ASSERT_GE(maxY, 0);
  EXPECT_LE(maxY, 151);
  EXPECT_LT(minY, 110);
  EXPECT_GE(minX, 49);
  EXPECT_LT(maxX - minX, 25);
  EXPECT_EQ(r.c.Font()->GetOrientation(), 0);  // the temporary font is gone
}

TEST(CanvasText, TextTakesTheFontColourAfterAPatternBrush)
{
  Surface s(100, 40);
  TNuvFont font;
  font.SetSize(16);
  font.SetColor(clRed);
  s.c.AssignFont(&font);
  TChartBrush pattern;
  pattern.SetStyleValue(FirstPatternStyle + 1);
  s.c.AssignBrushColor(&pattern, clBlue, clYellow);  // the text colour becomes blue here
  s.c.SetBackMode(cbmTransparent);
  s.c.TextOut(5, 5, "Text");
  EXPECT_GT(s.Count(clRed), 20);
  EXPECT_EQ(s.Count(clBlue), 0);
}

TEST(CanvasText, GradientOutlineFillsOnlyTheWidenedOutline)
{
  Surface s(200, 80);
  TNuvFont font;
  font.SetSize(36);
  font.SetStyle(fsBold);
  font.SetColor(clBlack);
  font.GetGradient()->SetVisible(true);
  font.GetGradient()->SetStartColor(clRed);
  font.GetGradient()->SetEndColor(clRed);
  s.c.AssignFont(&font);
  s.c.TextOut(10, 10, "HI");
  EXPECT_GT(s.Count(clRed), 100);
  EXPECT_EQ(s.Count(clBlack), 0);
  EXPECT_EQ(s.Count(clRed) + s.Count(clWhite), 200 * 80);

  // A visible outline pen strokes the glyphs.
  Surface o(200, 80);
  TNuvFont f2;
  f2.SetSize(36);
  f2.SetColor(clYellow);
  f2.GetOutLine()->Show();
  f2.GetOutLine()->SetColor(clBlue);
  o.c.AssignFont(&f2);
  o.c.TextOut(10, 10, "HI");
  EXPECT_GT(o.Count(clBlue), 50);
  EXPECT_GT(o.Count(clYellow), 20);
}

TEST(CanvasClipping, TheThirdClipDoesNotNest)
{
  Surface s(100, 100);
  s.c.ClipRectangle({10, 10, 90, 90});
  s.c.ClipRectangle({20, 20, 80, 80});
  s.c.ClipRectangle({30, 30, 70, 70});
  s.c.UnClipRectangle();  // back to the second clip
  s.Fill(clRed);
  EXPECT_EQ(s.At(20, 20), clRed);
  EXPECT_EQ(s.At(19, 50), clWhite);
  s.c.UnClipRectangle();  // no clipping at all, not the first clip
  s.Fill(clBlue);
  EXPECT_EQ(s.At(5, 5), clBlue);
  EXPECT_EQ(s.At(95, 95), clBlue);

  Surface e(100, 100);
  e.c.ClipEllipse({0, 0, 100, 100});
  e.Fill(clRed);
  e.c.UnClipRectangle();
  EXPECT_EQ(e.At(50, 50), clRed);
  EXPECT_EQ(e.At(2, 2), clWhite);

  Surface i(100, 100);
  i.c.ClipEllipse({0, 0, 100, 100}, true);  // inverted: outside the ellipse
  i.Fill(clRed);
  EXPECT_EQ(i.At(50, 50), clWhite);
  EXPECT_EQ(i.At(2, 2), clRed);
  i.c.UnClipRectangle();

  Surface p(100, 100);
  TPoint tri[3] = {{0, 0}, {99, 0}, {0, 99}};
  p.c.ClipPolygon(tri);
  p.Fill(clRed);
  p.c.UnClipRectangle();
  EXPECT_EQ(p.At(10, 10), clRed);
  EXPECT_EQ(p.At(90, 90), clWhite);

  Surface r(100, 100);
  r.c.ClipRoundRectangle({0, 0, 100, 100}, 40);
  r.Fill(clRed);
  r.c.UnClipRectangle();
  EXPECT_EQ(r.At(1, 1), clWhite);
  EXPECT_EQ(r.At(50, 1), clRed);
}

TEST(CanvasPens, XorTwiceRestoresThePicture)
{
  Surface s(60, 60);
  s.c.GradientFill({0, 0, 60, 60}, clNavy, clYellow, gdLeftRight);
  std::vector<TColor> before;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) before.push_back(s.At(x, y));
  TChartPen pen;
  pen.SetColor(clWhite);
  pen.SetMode(pmXor);
  pen.SetWidth(3);
  for (int pass = 0; pass < 2; ++pass) {
    s.c.AssignVisiblePen(&pen);
    s.c.Line(5, 5, 55, 40);
    s.c.Line(5, 50, 55, 50);
    if (pass == 0) {
      EXPECT_NE(s.At(5, 50), before[50 * 60 + 5]);
    }
  }
  size_t k = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) EXPECT_EQ(s.At(x, y), before[k++]) << x << "," << y;
}

TEST(CanvasShapes, Frame3DAndCubeFromTheFront)
{
  Surface s(50, 50);
  TRect r{10, 10, 40, 40};
  s.c.Frame3D(r, clWhite, clBlack, 2);
  EXPECT_EQ(r, (TRect{12, 12, 38, 38}));
  Surface f(50, 50);
  TRect q{10, 10, 40, 40};
  f.c.Frame3D(q, clRed, clBlue, 1);
  EXPECT_EQ(f.At(10, 20), clRed);
  EXPECT_EQ(f.At(20, 10), clRed);
  EXPECT_EQ(f.At(39, 20), clBlue);
  EXPECT_EQ(f.At(20, 39), clBlue);

  // Elevation 0, rotation 0: only the front face of a cube shows.
  TView3DOptions v(nullptr);
  v.SetOrthogonal(false);
  v.SetElevation(0);
  v.SetRotation(0);
  v.SetPerspective(0);
  Surface c(100, 100, &v, true);
  c.c.Pen()->SetStyle(psClear);
  c.c.Brush()->SetColor(clRed);
  c.c.Cube(20, 60, 20, 60, 0, 30);
  EXPECT_EQ(c.Count(clRed), 40 * 40);
  EXPECT_EQ(c.Count(clWhite) + c.Count(clRed), 10000);

  // In the default view the top and one side are drawn darker.
  TView3DOptions d(nullptr);
  d.SetOrthogonal(false);
  Surface e(200, 200, &d, true);
  e.c.Pen()->SetStyle(psClear);
  e.c.Brush()->SetColor(RGB(200, 200, 200));
  e.c.Cube(60, 140, 60, 140, 0, 60);
  EXPECT_GT(e.Count(RGB(200, 200, 200)), 3000);
  EXPECT_GT(e.Count(RGB(136, 136, 136)), 100);  // top face, darkened by 64
  EXPECT_GT(e.Count(RGB(72, 72, 72)), 100);     // a side face, darkened by 128
}

TEST(CanvasShapes, SolidsDrawInsideTheirProjection)
{
  TView3DOptions v(nullptr);
  v.SetOrthogonal(false);
  Surface s(200, 200, &v, true);
  s.c.Pen()->SetStyle(psClear);
  s.c.Brush()->SetColor(clRed);
  s.c.Cylinder(true, 60, 40, 140, 160, 20, 80, false);
  EXPECT_GT(s.Count(clRed), 5000);
  Surface p(200, 200, &v, true);
  p.c.Pen()->SetStyle(psClear);
  p.c.Brush()->SetColor(clRed);
  p.c.Pyramid(true, 60, 40, 140, 160, 20, 80, false);
  EXPECT_GT(p.Count(clRed), 3000);
  Surface pie(200, 200, &v, true);
  pie.c.Pen()->SetStyle(psClear);
  pie.c.Brush()->SetColor(clRed);
  pie.c.Pie3D(100, 100, 60, 60, 0, 20, 0, 3.14159, false, true);
  EXPECT_GT(pie.Count(clRed), 4000);
  EXPECT_EQ(pie.At(100, 150), clWhite);  // the lower half stays empty

  Surface d(200, 200);
  d.c.Pen()->SetStyle(psClear);
  d.c.Brush()->SetColor(clBlue);
  d.c.Donut(100, 100, 80, 80, 0, 2 * 3.14159265358979, 50);
  EXPECT_EQ(d.At(100, 100), clWhite);  // the hole
  EXPECT_EQ(d.At(160, 100), clBlue);

  Surface a(200, 200);
  a.c.Brush()->SetColor(clBlue);
  a.c.Pen()->SetColor(clBlue);
  a.c.Arrow(true, {20, 100}, {180, 100}, 40, 30, 0, 50);
  EXPECT_EQ(a.At(100, 100), clBlue);
  EXPECT_EQ(a.At(100, 115), clWhite);  // shaft half as wide as the head
  EXPECT_EQ(a.At(100, 108), clBlue);
  EXPECT_EQ(a.At(155, 112), clBlue);
  Surface none(50, 50);
  none.c.Arrow(true, {20, 20}, {20, 20}, 10, 10, 0, 50);
  EXPECT_EQ(none.Count(clWhite), 2500);
}

// Shades of round solids fall on the hatch background when the brush is not solid.
TEST(CanvasShapes, CylinderShadesHatchBackgrounds)
{
  TView3DOptions v(nullptr);
  v.SetOrthogonal(false);
  Surface s(200, 200, &v, true);
  s.c.Pen()->SetStyle(psClear);
  TChartBrush hatch;
  hatch.SetStyle(bsCross);
  s.c.AssignBrushColor(&hatch, clRed, clYellow);
  s.c.Cylinder(true, 60, 40, 140, 160, 20, 80, true);
  EXPECT_GT(s.Count(DarkenColor(clYellow, DarkerColorQuantity)), 100);  // the cover
  int shadedSides = 0;
  for (int k = 1; k < CylinderSides; ++k) shadedSides += s.Count(DarkenColor(clYellow, 8 * k));
  EXPECT_GT(shadedSides, 100);
}

// A ring sector: the outer arc and the inner arc, run back the other way, make one figure.
TEST(CanvasShapes, DonutIsTheSectorLessTheHole)
{
  const double pi = 3.14159265358979;
  Surface ring(200, 200);
  ring.c.Pen()->SetStyle(psClear);
  ring.c.Brush()->SetColor(clBlue);
  ring.c.Donut(100, 100, 80, 80, 0, pi / 2, 50);
  EXPECT_EQ(ring.At(100 + 56, 100 - 10), clBlue);
  EXPECT_EQ(ring.At(100 + 20, 100 - 20), clWhite);  // the hole
  EXPECT_EQ(ring.At(100 - 60, 100 - 10), clWhite);  // outside the sector
  EXPECT_EQ(ring.At(100 + 10, 100 + 60), clWhite);
  EXPECT_EQ(ring.At(100 + 40, 100 - 40), clBlue);  // between the arcs at 45 degrees
}

TEST(CanvasShapes, RoundSolidsHideTheirFarFaces)
{
  // Seen from above: a pie's far rim shows as a darker band, the near rim does not.
  TView3DOptions v(nullptr);
  v.SetOrthogonal(false);
  v.SetPerspective(0);
  Surface s(200, 200, &v, true);
  s.c.Pen()->SetStyle(psClear);
  s.c.Brush()->SetColor(RGB(200, 100, 200));
  s.c.Pie3D(100, 100, 60, 60, 0, 30, 0, 2 * 3.14159265358979, true, true);
  const TPoint nearFront = s.c.Calculate3DPosition(100, 160, 0), farFront = s.c.Calculate3DPosition(100, 40, 0);
  const TPoint farBack = s.c.Calculate3DPosition(100, 40, 30);
  ASSERT_LT(farBack.y, farFront.y - 2);
  EXPECT_EQ(s.At(farFront.x, (farFront.y + farBack.y) / 2), RGB(168, 68, 168));  // band, darkened by 32
  EXPECT_EQ(s.At(nearFront.x, nearFront.y + 3), clWhite);
  EXPECT_EQ(s.At(100, 100), RGB(200, 100, 200));

  // A cylinder seen from above shows its top cover, darkened by 64, and not its bottom one.
  Surface c(200, 200, &v, true);
  c.c.Pen()->SetStyle(psClear);
  c.c.Brush()->SetColor(RGB(100, 200, 100));
  c.c.Cylinder(true, 60, 40, 140, 160, 20, 80, true);
  const TPoint top = c.c.Calculate3DPosition(100, 40, 50), bottom = c.c.Calculate3DPosition(100, 160, 50);
  EXPECT_EQ(c.At(top.x, top.y), RGB(36, 136, 36));
  EXPECT_NE(c.At(bottom.x, bottom.y - 3), RGB(36, 136, 36));
}

TEST(CanvasBlend, ZeroKeepsAndHundredRestores)
{
  for (bool buffered : {false, true}) {
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(60, 60);
    TNuvCanvas3D c;
    c.SetBufferedDisplay(buffered);
    c.InitWindow(target.Canvas(), nullptr, clWhite, false, {0, 0, 60, 60});
    c.Brush()->SetColor(clWhite);
    c.FillRect({0, 0, 60, 60});
    for (int t : {0, 100, 50}) {
      TNuvBlend* b = c.BeginBlending({40, 40, 10, 10}, t);  // ordered first
      EXPECT_EQ(b->GetBounds(), (TRect{10, 10, 40, 40}));
      c.Brush()->SetColor(clBlack);
      c.FillRect({0, 0, 60, 60});
      c.EndBlending(b);
      TColor inside = c.GetPixel(20, 20) & 0xFFFFFF;
      if (t == 0) {
        EXPECT_EQ(inside, clBlack);
      } else if (t == 100) {
        EXPECT_EQ(inside, clWhite);
      } else if (t == 50) {
        EXPECT_NEAR(GetGValue(inside), 127, 2);
      }
      EXPECT_EQ(c.GetPixel(5, 5) & 0xFFFFFF, clBlack);
      c.Brush()->SetColor(clWhite);
      c.FillRect({0, 0, 60, 60});
    }
    TNuvBlend left(&c, {-30, 0, -10, 10});
    EXPECT_EQ(left.GetBounds().Left, 0);
    EXPECT_EQ(left.GetBounds().Right, 1);
    c.SetMetafiling(true);
    TNuvBlend* b = c.BeginBlending({0, 0, 60, 60}, 100);
    c.Brush()->SetColor(clBlack);
    c.FillRect({0, 0, 60, 60});
    c.EndBlending(b);
    EXPECT_EQ(c.GetPixel(30, 30) & 0xFFFFFF, clBlack);  // no blending into metafiles
    c.SetMetafiling(false);
  }
}

TEST(CanvasBuffering, OffScreenBitmapShownAndReused)
{
  TBitmap screen;
  screen.SetSize(80, 60);
  TNuvCanvas3D c;
  TRect r = c.InitWindow(screen.Canvas(), nullptr, clWhite, false, {10, 10, 50, 40});
  EXPECT_EQ(r, (TRect{0, 0, 40, 30}));
  ASSERT_NE(c.GetBitmap(), nullptr);
  c.Brush()->SetColor(clRed);
  c.FillRect(r);
  EXPECT_EQ(screen.Canvas()->GetPixel(20, 20) & 0xFFFFFF, clWhite);
  EXPECT_FALSE(c.ReDrawBitmap());
  c.ShowImage(screen.Canvas(), screen.Canvas(), {10, 10, 50, 40});
  EXPECT_EQ(screen.Canvas()->GetPixel(10, 10) & 0xFFFFFF, clRed);
  EXPECT_EQ(screen.Canvas()->GetPixel(49, 39) & 0xFFFFFF, clRed);
  EXPECT_EQ(screen.Canvas()->GetPixel(50, 40) & 0xFFFFFF, clWhite);
  EXPECT_TRUE(c.ReDrawBitmap());
  c.Invalidate();
  EXPECT_FALSE(c.ReDrawBitmap());
  c.SetBufferedDisplay(false);
  EXPECT_EQ(c.GetBitmap(), nullptr);
}

TEST(CanvasText, ChartFontLifetimeAndZoom)
{
  Surface a(50, 50), b(50, 50);
  {
    TNuvFont font;
    font.GetShadow()->SetHorizSize(5);
    a.c.AssignFont(&font);
    b.c.AssignFont(&font);
    EXPECT_EQ(a.c.GetCurrentFont(), &font);
    EXPECT_EQ(b.c.GetCurrentFont(), &font);
  }
  // Both canvases forgot the destroyed font: measuring no longer adds its shadow.
  EXPECT_EQ(a.c.GetCurrentFont(), nullptr);
  EXPECT_EQ(b.c.GetCurrentFont(), nullptr);
  EXPECT_EQ(a.c.TextWidth("W"), a.bmp.Canvas()->TextWidth("W"));

  // Font zoom scales the selected size.
  TNuvFont f;
  f.SetSize(10);
  a.c.SetFontZoom(200);
  a.c.AssignFont(&f);
  EXPECT_EQ(a.c.Font()->GetSize(), 20);
  a.c.SetMonochrome(true);
  f.SetColor(clRed);
  a.c.AssignFont(&f);
  EXPECT_EQ(a.c.Font()->GetColor(), clBlack);

  // Projected text is scaled by the zoom and the font comes back afterwards.
  TView3DOptions v(nullptr);
  v.SetOrthogonal(true);
  v.SetZoom(200);
  Surface z(200, 100, &v, true);
  TNuvFont g;
  g.SetSize(10);
  z.c.AssignFont(&g);
  const int32_t h = z.c.Font()->GetHeight();
  z.c.TextOut3D(60, 40, 0, "Zoomed");  // projected to (20, 30)
  EXPECT_EQ(z.c.Font()->GetHeight(), h);
  int black = z.Count(clBlack);
  Surface n(200, 100);
  n.c.AssignFont(&g);
  n.c.TextOut(10, 10, "Zoomed");
  EXPECT_GT(black, 2 * n.Count(clBlack));
}

TEST(CanvasText, AFontOfOtherPixelsPerInchIsDrawnAtItsOwnHeight)
{
  // Two fonts of one pixel height: one with its size in points taken at 72 pixels per inch.
  TNuvFont own;
  own.SetColor(clBlack);
  own.SetPixelsPerInch(72);
  own.SetHeight(-16);
  ASSERT_EQ(own.GetSize(), 16);
  TNuvFont screen;
  screen.SetColor(clBlack);
  screen.SetHeight(-16);
  ASSERT_EQ(screen.GetSize(), 12);

  // The font keeps its own pixels per inch and size; the canvas takes its height at its own.
  Surface a(50, 50);
  const int32_t canvasPixelsPerInch = a.c.Font()->GetPixelsPerInch();
  a.c.AssignFont(&own);
  EXPECT_EQ(own.GetPixelsPerInch(), 72);
  EXPECT_EQ(own.GetSize(), 16);
  EXPECT_EQ(own.GetHeight(), -16);
  EXPECT_EQ(a.c.Font()->GetHeight(), -16);
  EXPECT_EQ(a.c.Font()->GetPixelsPerInch(), canvasPixelsPerInch);
  EXPECT_EQ(a.c.Font()->GetSize(), 12);
  // Sizes set on the canvas afterwards are taken at the canvas' pixels per inch.
  a.c.ResetState();
  TFont reset;
  reset.SetPixelsPerInch(canvasPixelsPerInch);
  reset.SetSize(NuvDefaultFontSize());
  EXPECT_EQ(a.c.Font()->GetHeight(), reset.GetHeight());

  // The font zoom and zoomed projected text scale both fonts alike.
  Surface b(50, 50);
  a.c.SetFontZoom(110);
  b.c.SetFontZoom(110);
  a.c.AssignFont(&own);
  b.c.AssignFont(&screen);
  EXPECT_EQ(a.c.Font()->GetHeight(), b.c.Font()->GetHeight());
  TView3DOptions v(nullptr);
  v.SetOrthogonal(true);
  v.SetZoom(200);
  Surface za(200, 100, &v, true), zb(200, 100, &v, true);
  za.c.AssignFont(&own);
  zb.c.AssignFont(&screen);
  za.c.TextOut3D(60, 40, 0, "Zoomed");
  zb.c.TextOut3D(60, 40, 0, "Zoomed");
  ASSERT_GT(zb.Count(clBlack), 0);
  EXPECT_EQ(za.Count(clBlack), zb.Count(clBlack));
}

TEST(CanvasShapes, ClearCubeOutlinesAndPicturesAtDepth)
{
  // A clear brush draws every face as an outline.
  TView3DOptions v(nullptr);
  Surface s(200, 200, &v, true);
  s.c.Brush()->SetStyle(bsClear);
  s.c.Pen()->SetColor(clRed);
  s.c.Cube(60, 140, 60, 140, 0, 60);
  TPoint backCorner = s.c.Calculate3DPosition(60, 140, 60);  // hidden behind a solid cube
  EXPECT_EQ(s.At(backCorner.x, backCorner.y), clRed);
  EXPECT_EQ(s.Count(clWhite) + s.Count(clRed), 40000);

  // A bitmap drawn pixel by pixel at a depth, in a front view.
  TBitmap pic;
  pic.SetPixelFormat(pf24bit);
  pic.SetSize(2, 2);
  pic.Canvas()->SetPixel(0, 0, clRed);
  pic.Canvas()->SetPixel(1, 0, clLime);
  pic.Canvas()->SetPixel(0, 1, clBlue);
  pic.Canvas()->SetPixel(1, 1, clYellow);
  TView3DOptions front(nullptr);
  front.SetOrthogonal(false);
  front.SetElevation(0);
  front.SetRotation(0);
  front.SetPerspective(0);
  Surface p(100, 100, &front, true);
  p.c.StretchDraw3D({10, 10, 50, 50}, &pic, 20);
  EXPECT_EQ(p.At(20, 20), clRed);
  EXPECT_EQ(p.At(40, 20), clLime);
  EXPECT_EQ(p.At(20, 40), clBlue);
  EXPECT_EQ(p.At(40, 40), clYellow);
  EXPECT_EQ(p.At(60, 60), clWhite);

  // Pie shadow: a radial gradient, darkest in the middle, inside the moved ellipse.
  Surface e(100, 100);
  TNuvShadow sh;
  sh.SetColor(clGray);
  sh.SetSize(10);
  sh.DrawEllipse(&e.c, {10, 10, 70, 70}, 0);
  EXPECT_LT(Lum(e.At(50, 50)), Lum(e.At(25, 50)));
  EXPECT_EQ(e.At(12, 12), clWhite);
  EXPECT_EQ(e.At(5, 5), clWhite);
}

}  // namespace

namespace {

// Red pixels of column x (or of row y when byRow).
int RedInColumn(Surface& s, int x)
{
  int n = 0;
  for (int y = 0; y < s.bmp.GetHeight(); ++y) n += s.At(x, y) == clRed;
  return n;
}

int RedInRow(Surface& s, int y)
{
  int n = 0;
  for (int x = 0; x < s.bmp.GetWidth(); ++x) n += s.At(x, y) == clRed;
  return n;
}

}  // namespace

// The same solids as on the OpenGL canvas: a horizontal cone narrows to the left, a truncated
// pyramid's top spans the middle +- TruncX.
TEST(CanvasShapes, ConeNarrowsLeftAndTruncatedPyramidTopSpansTheMiddle)
{
  Surface s(320, 240);
  s.c.Pen()->SetStyle(psClear);
  s.c.Brush()->SetColor(clRed);
  s.c.Cone(false, 60, 80, 260, 160, 0, 80, false, 0);
  EXPECT_LT(RedInColumn(s, 70), 20);
  EXPECT_GT(RedInColumn(s, 250), 70);
  Surface v(320, 240);
  v.c.Pen()->SetStyle(psClear);
  v.c.Brush()->SetColor(clRed);
  v.c.Cone(true, 80, 60, 160, 200, 0, 80, false, 0);
  EXPECT_LT(RedInRow(v, 70), 20);
  EXPECT_GT(RedInRow(v, 190), 70);

  Surface p(320, 240);
  p.c.Pen()->SetStyle(psClear);
  p.c.Brush()->SetColor(clRed);
  p.c.PyramidTrunc(Rect(110, 80, 210, 160), 0, 20, 10, 10);
  EXPECT_EQ(p.At(160, 82), clRed);
  EXPECT_EQ(p.At(130, 82), clWhite);
  EXPECT_NEAR(double(RedInRow(p, 81)) / RedInRow(p, 159), 0.2, 0.08);
}
