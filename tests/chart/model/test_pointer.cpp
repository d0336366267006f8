// The series pointer: its box, the margins it asks for, refused sizes, and the pixels of its
// shapes drawn on a bitmap.
#include <gtest/gtest.h>

#include <climits>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NvCanvas.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEnginePointer.h"
#include "chart/model/NvEngineTypes.h"

namespace {

struct Surface {
  TBitmap bmp;
  TNuvCanvas3D c;
  explicit Surface(int w = 60, int h = 60)
  {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
    c.SetBufferedDisplay(false);
    c.InitWindow(bmp.Canvas(), nullptr, clWhite, false, {0, 0, w, h});
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
};

void Draw(TSeriesPointer& p, Surface& s, int x, int y, TColor color, TSeriesPointerStyle style)
{
  p.PrepareCanvas(&s.c, color);
  p.DrawPointer(&s.c, false, x, y, p.GetHorizSize(), p.GetVertSize(), color, style);
}

TEST(PointerGeometry, BoxCentredOrStandingOnThePoint)
{
  const TRect centred = PointerBox(50, 100, 4, 4, false);
  EXPECT_EQ(centred.Left, 46);
  EXPECT_EQ(centred.Right, 54);
  EXPECT_EQ(centred.Top, 96);
  EXPECT_EQ(centred.Bottom, 104);
  const TRect above = PointerBox(50, 100, 4, 4, true);
  EXPECT_EQ(above.Top, 92);
  EXPECT_EQ(above.Bottom, 100);
  // Huge sizes at the pixel limits stay inside the integer range, with room for an edge pixel.
  const TRect huge = PointerBox(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, true);
  EXPECT_LT(huge.Right, INT32_MAX);
  EXPECT_GT(huge.Top, INT32_MIN);
  EXPECT_LE(huge.Left, huge.Right);
}

TEST(PointerGeometry, MarginsOnlyWhenVisibleAndInflating)
{
  TSeriesPointer p(nullptr);
  int32_t l = 0, r = 0, t = 0, b = 0;
  p.CalcHorizMargins(l, r);
  p.CalcVerticalMargins(t, b);
  EXPECT_EQ(l, 5);
  EXPECT_EQ(r, 5);
  EXPECT_EQ(t, 5);
  EXPECT_EQ(b, 5);
  // Larger margins already asked for are kept.
  l = 9;
  p.CalcHorizMargins(l, r);
  EXPECT_EQ(l, 9);

  p.SetInflateMargins(false);
  l = r = 0;
  p.CalcHorizMargins(l, r);
  EXPECT_EQ(l + r, 0);
  p.SetInflateMargins(true);
  p.SetVisible(false);
  t = b = 0;
  p.CalcVerticalMargins(t, b);
  EXPECT_EQ(t + b, 0);
}

TEST(PointerGeometry, MarginsOfTheLargestSizeStayInTheIntegerRange)
{
  TSeriesPointer p(nullptr);
  p.SetHorizSize(INT32_MAX);
  p.SetVertSize(INT32_MAX - 1);
  int32_t l = 0, r = 0, t = 0, b = 0;
  p.CalcHorizMargins(l, r);
  p.CalcVerticalMargins(t, b);
  EXPECT_EQ(l, INT32_MAX);
  EXPECT_EQ(r, INT32_MAX);
  EXPECT_EQ(t, INT32_MAX);
  EXPECT_EQ(b, INT32_MAX);
}

TEST(PointerGeometry, SizesBelowOneAreRefusedAndKept)
{
  TSeriesPointer p(nullptr);
  p.SetHorizSize(6);
  try {
    p.SetHorizSize(0);
    FAIL() << "size 0 accepted";
  } catch (const ChartException& e) {
    EXPECT_EQ(std::string(e.what()), "Pointer size must be greater than zero");
  }
  EXPECT_EQ(p.GetHorizSize(), 6);
  EXPECT_THROW(p.SetVertSize(-3), ChartException);
  EXPECT_EQ(p.GetVertSize(), 4);
}

TEST(PointerDrawing, RectangleInPointColourWithDefaultBrush)
{
  Surface s;
  TSeriesPointer p(nullptr);
  p.SetColor(clDefault);
  p.GetPen()->SetColor(clBlack);
  Draw(p, s, 30, 30, clRed, psRectangle);
  // Box 26..34 both ways, frame included, right and bottom edges too.
  EXPECT_EQ(s.At(26, 26), clBlack);
  EXPECT_EQ(s.At(34, 34), clBlack);
  EXPECT_EQ(s.At(35, 30), clWhite);
  EXPECT_EQ(s.At(30, 35), clWhite);
  EXPECT_EQ(s.At(30, 30), clRed);
  EXPECT_EQ(s.Count(clRed), 7 * 7);
}

TEST(PointerDrawing, OwnBrushColourWinsAndHatchIsBlackOnPointColour)
{
  Surface own;
  TSeriesPointer p(nullptr);
  p.SetColor(clBlue);
  p.GetPen()->SetVisible(false);
  Draw(p, own, 30, 30, clRed, psRectangle);
  EXPECT_EQ(own.At(30, 30), clBlue);
  EXPECT_EQ(own.Count(clRed), 0);

  Surface hatched;
  p.SetColor(clDefault);
  p.GetBrush()->SetStyle(bsCross);
  Draw(p, hatched, 30, 30, clRed, psRectangle);
  EXPECT_GT(hatched.Count(clBlack), 0);
  EXPECT_GT(hatched.Count(clRed), 0);
  EXPECT_EQ(hatched.At(10, 10), clWhite);
}

TEST(PointerDrawing, SmallDotIgnoresSizesAndNothingDrawsNothing)
{
  Surface dot;
  TSeriesPointer p(nullptr);
  p.SetHorizSize(10);
  p.SetVertSize(10);
  Draw(p, dot, 20, 25, clGreen, psSmallDot);
  EXPECT_EQ(dot.At(20, 25), clGreen);
  EXPECT_EQ(dot.Count(clWhite), 60 * 60 - 1);

  Surface none;
  Draw(p, none, 20, 25, clGreen, psNothing);
  EXPECT_EQ(none.Count(clWhite), 60 * 60);
}

TEST(PointerDrawing, ShapesStayInsideTheirBox)
{
  for (TSeriesPointerStyle style : {psCircle, psTriangle, psDownTriangle, psCross, psDiagCross, psStar, psDiamond,
                                    psLeftTriangle, psRightTriangle}) {
    Surface s;
    TSeriesPointer p(nullptr);
    p.GetPen()->SetColor(clBlack);
    Draw(p, s, 30, 30, clRed, style);
    int inside = 0, outside = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x) {
        if (s.At(x, y) == clWhite) continue;
        (x >= 26 && x <= 35 && y >= 26 && y <= 35 ? inside : outside)++;
      }
    EXPECT_GT(inside, 4) << "style " << style;
    EXPECT_EQ(outside, 0) << "style " << style;
  }
  // The up triangle's apex is at the top centre, the down triangle's at the bottom centre.
  Surface up, down;
  TSeriesPointer p(nullptr);
  p.GetPen()->SetColor(clBlack);
  Draw(p, up, 30, 30, clRed, psTriangle);
  Draw(p, down, 30, 30, clRed, psDownTriangle);
  EXPECT_NE(up.At(26, 34), clWhite);
  EXPECT_EQ(up.At(26, 26), clWhite);
  EXPECT_NE(down.At(26, 26), clWhite);
  EXPECT_EQ(down.At(26, 34), clWhite);
}

TEST(PointerDrawing, CopiedMarkersMatchDrawnOnesPixelForPixelWithinTheClip)
{
  // Surface a copies each marker's picture; b (marked as recording a metafile) draws every one.
  Surface a(120, 90), b(120, 90);
  b.c.SetMetafiling(true);
  for (Surface* s : {&a, &b}) s->c.ClipRectangle({10, 8, 100, 80});
  TSeriesPointer p(nullptr);
  p.SetColor(clDefault);
  uint32_t seed = 7;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
  const TColor colours[] = {clRed, clBlue, clLime, clFuchsia, clTeal};
  for (int i = 0; i < 300; ++i) {
    const int x = next(130) - 5, y = next(100) - 5, h = 1 + next(6), v = 1 + next(6);
    const TColor color = colours[next(5)];
    p.GetPen()->SetVisible(next(4) != 0);
    p.SetAboveOnly(next(5) == 0);
    for (Surface* s : {&a, &b}) {
      p.PrepareCanvas(&s->c, color);
      p.DrawPointer(&s->c, false, x, y, h, v, color, psRectangle);
    }
  }
  int differ = 0, outside = 0;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) {
      differ += a.At(x, y) != b.At(x, y);
      if ((x < 10 || x >= 100 || y < 8 || y >= 80) && a.At(x, y) != clWhite) ++outside;
    }
  EXPECT_EQ(differ, 0);
  EXPECT_EQ(outside, 0);
  EXPECT_LT(a.Count(clWhite), 120 * 90 - 1000);
}

TEST(PointerDrawing, TransparencyBlendsWithWhatIsBeneath)
{
  Surface s;
  TSeriesPointer p(nullptr);
  p.GetPen()->SetVisible(false);
  p.SetColor(clBlack);
  p.SetTransparency(50);
  Draw(p, s, 30, 30, clBlack, psRectangle);
  const TColor c = s.At(30, 30);
  EXPECT_GT(GetRValue(c), 100);
  EXPECT_LT(GetRValue(c), 160);
}

}  // namespace
