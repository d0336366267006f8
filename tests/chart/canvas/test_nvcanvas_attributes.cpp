// Chart pens, brush, 3-D view options, gradient, shadow and chart font settings; message strings.
#include <gtest/gtest.h>

#include <set>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NvCanvas.h"

namespace {

struct Counter {
  int n = 0;
  TNotifyEvent Handler()
  {
    return [this](TObject*) { ++n; };
  }
};

TEST(ChartPen, SettersNotifyOnlyOnChange)
{
  Counter c;
  TChartPen pen(c.Handler());
  pen.SetVisible(true);
  pen.SetSmallDots(false);
  pen.SetSmallSpace(0);
  pen.SetEndStyle(esRound);
  EXPECT_EQ(c.n, 0);
  pen.Hide();
  pen.SetSmallDots(true);
  pen.SetSmallSpace(2);
  pen.SetEndStyle(esFlat);
  EXPECT_EQ(c.n, 4);
  EXPECT_FALSE(pen.GetVisible());
  pen.Show();
  EXPECT_EQ(c.n, 5);
}

TEST(ChartPen, DefaultsAndStoredRules)
{
  TChartPen pen;
  EXPECT_EQ(pen.GetColor(), clBlack);
  EXPECT_EQ(pen.GetWidth(), 1);
  EXPECT_TRUE(pen.GetVisible());
  EXPECT_FALSE(pen.IsVisibleStored());
  pen.Hide();
  EXPECT_TRUE(pen.IsVisibleStored());

  TChartHiddenPen hidden;
  EXPECT_FALSE(hidden.GetVisible());
  EXPECT_FALSE(hidden.IsVisibleStored());
  hidden.Show();
  EXPECT_TRUE(hidden.IsVisibleStored());

  TDottedGrayPen grid;
  EXPECT_EQ(grid.GetColor(), TColor(0x808080));
  EXPECT_EQ(grid.GetStyle(), psDot);
  EXPECT_EQ(TWhitePen().GetColor(), clWhite);
  EXPECT_EQ(TDarkGrayPen().GetColor(), TColor(0x808080));
}

TEST(ChartPen, AssignCopiesChartSettings)
{
  TChartPen a, b;
  a.SetColor(clRed);
  a.SetWidth(3);
  a.Hide();
  a.SetSmallDots(true);
  a.SetSmallSpace(4);
  a.SetEndStyle(esSquare);
  b.Assign(&a);
  EXPECT_EQ(b.GetColor(), clRed);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_FALSE(b.GetVisible());
  EXPECT_TRUE(b.GetSmallDots());
  EXPECT_EQ(b.GetSmallSpace(), 4);
  EXPECT_EQ(b.GetEndStyle(), esSquare);
}

TEST(ChartBrush, ImageMadeOnFirstReadAndFreedByNil)
{
  Counter c;
  TChartBrush brush(c.Handler());
  EXPECT_EQ(brush.GetColor(), clDefault);
  EXPECT_FALSE(brush.HasImage());
  TPicture* img = brush.GetImage();
  ASSERT_NE(img, nullptr);
  EXPECT_TRUE(brush.HasImage());
  TPicture pic;
  pic.Bitmap()->SetSize(4, 4);
  brush.SetImage(&pic);
  EXPECT_EQ(brush.GetImage()->GetWidth(), 4);
  EXPECT_GE(c.n, 1);
  int before = c.n;
  brush.SetImage(nullptr);
  EXPECT_FALSE(brush.HasImage());
  EXPECT_EQ(c.n, before + 1);
}

TEST(ChartBrush, PatternStylesBeyondPlatformStyles)
{
  TChartBrush brush;
  brush.SetStyleValue(8 + 3);
  EXPECT_TRUE(brush.IsPatternStyle());
  EXPECT_EQ(brush.GetStyleValue(), 11);
  brush.SetStyle(bsCross);
  EXPECT_FALSE(brush.IsPatternStyle());
  EXPECT_EQ(brush.GetStyleValue(), int32_t(bsCross));
}

TEST(View3DOptions, DefaultsRepaintsAndHandlers)
{
  int repaints = 0;
  TView3DOptions v(nullptr, [&] { ++repaints; });
  EXPECT_EQ(v.GetElevation(), 345);
  EXPECT_EQ(v.GetRotation(), 345);
  EXPECT_EQ(v.GetPerspective(), 15);
  EXPECT_EQ(v.GetZoom(), 100);
  EXPECT_EQ(v.GetOrthoAngle(), 45);
  EXPECT_TRUE(v.GetOrthogonal());
  EXPECT_TRUE(v.GetZoomText());

  v.SetRotation(345);
  EXPECT_EQ(repaints, 0);
  v.SetRotationFloat(345.5);
  EXPECT_EQ(repaints, 1);
  EXPECT_DOUBLE_EQ(v.GetRotationFloat(), 345.5);
  EXPECT_EQ(v.GetRotation(), 346);

  std::vector<std::string> order;
  v.OnZoomChanged = [&](int32_t z) { order.push_back("zoom " + std::to_string(z) + " stored " + std::to_string(v.GetZoom())); };
  v.OnScrolled = [&](bool h) { order.push_back(h ? "h" : "v"); };
  v.SetZoom(120);
  v.SetZoom(120);
  v.SetHorizOffset(5);
  v.SetVertOffset(7);
  v.SetVertOffset(7);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], "zoom 120 stored 100");  // called before the value is stored
  EXPECT_EQ(order[1], "h");
  EXPECT_EQ(order[2], "v");
  EXPECT_EQ(repaints, 4);
}

TEST(View3DOptions, OrthoRatioAndAssign)
{
  TView3DOptions v(nullptr);
  EXPECT_NEAR(v.CalcOrthoRatio(), 1.0, 1e-12);
  // Exactly 1 at 45 and 135 degrees: callers truncate the depth in pixels.
  v.SetOrthoAngle(45);
  EXPECT_EQ(v.CalcOrthoRatio(), 1.0);
  EXPECT_EQ(static_cast<int>(v.CalcOrthoRatio() * 100), 100);
  v.SetOrthoAngle(135);
  EXPECT_EQ(v.CalcOrthoRatio(), 1.0);
  v.SetOrthoAngle(60);
  EXPECT_NEAR(v.CalcOrthoRatio(), std::sqrt(3.0), 1e-12);
  v.SetOrthogonal(false);
  EXPECT_EQ(v.CalcOrthoRatio(), 1.0);

  int repaints = 0;
  TView3DOptions w(nullptr, [&] { ++repaints; });
  v.SetTilt(7);
  v.SetElevationFloat(12.25);
  w.Assign(&v);
  EXPECT_EQ(w.GetTilt(), 7);
  EXPECT_DOUBLE_EQ(w.GetElevationFloat(), 12.25);
  EXPECT_FALSE(w.GetOrthogonal());
  EXPECT_TRUE(bool(w.OnRepaint));  // handlers stay
}

TEST(Gradient, MidColourAndChangeNotices)
{
  Counter c;
  TNuvGradient g(c.Handler());
  EXPECT_EQ(g.GetMidColor(), clNone);
  EXPECT_EQ(g.GetStartColor(), clWhite);
  EXPECT_EQ(g.GetEndColor(), TColor(0x00FFFF));
  EXPECT_EQ(g.GetBalance(), 50);
  g.SetMidColor(clRed);
  EXPECT_EQ(g.GetMidColor(), clRed);
  EXPECT_EQ(c.n, 1);
  g.SetMidColor(clNone);
  EXPECT_EQ(g.GetMidColor(), clNone);
  EXPECT_EQ(c.n, 2);
  g.SetMidColor(clNone);
  EXPECT_EQ(c.n, 2);
  g.EnableMidColor();  // the stored colour comes back
  EXPECT_EQ(g.GetMidColor(), clRed);
  TNuvGradient h;
  h.Assign(&g);
  EXPECT_EQ(h.GetMidColor(), clRed);
}

TEST(Shadow, SizeAndStoredRules)
{
  Counter c;
  TNuvShadow s(c.Handler());
  EXPECT_EQ(s.GetColor(), clSilver);
  EXPECT_FALSE(s.Visible());
  s.SetSize(4);
  EXPECT_EQ(s.GetHorizSize(), 4);
  EXPECT_EQ(s.GetVertSize(), 4);
  EXPECT_EQ(c.n, 1);
  s.SetHorizSize(-6);
  EXPECT_EQ(s.GetSize(), 4);
  EXPECT_TRUE(s.IsHorizSizeStored());
  s.SetColor(clNone);
  EXPECT_FALSE(s.Visible());
}

TEST(ChartFont, SubObjectsOnFirstReadAssignAndFree)
{
  Counter c;
  TNuvFont f(c.Handler());
  EXPECT_EQ(f.GetColor(), clBlack);
  EXPECT_EQ(f.GetName(), "Arial");
  EXPECT_EQ(f.GetSize(), 8);
  EXPECT_FALSE(f.HasShadow());
  f.GetShadow()->SetSize(2);
  EXPECT_TRUE(f.HasShadow());
  EXPECT_GE(c.n, 1);  // sub-object changes reach the font's owner

  TNuvFont g;
  g.GetGradient()->SetVisible(true);
  g.Assign(&f);
  EXPECT_TRUE(g.HasShadow());
  EXPECT_EQ(g.GetShadow()->GetHorizSize(), 2);
  EXPECT_FALSE(g.HasGradient());  // the source had none
  g.SetShadow(nullptr);
  EXPECT_FALSE(g.HasShadow());

  int before = c.n;
  f.SetInterCharSize(3);
  f.SetInterCharSize(3);
  EXPECT_EQ(c.n, before + 1);
}

TEST(MessageStrings, EveryTextPresentWithItsExactText)
{
  auto all = NuvAllMessages();
  EXPECT_EQ(all.size(), 273u);
  for (const std::string* s : all) EXPECT_FALSE(s->empty());
  EXPECT_EQ(NuvMsg_TemplateFilter, "NuvChart files (*.nuv)|*.nuv");
  EXPECT_EQ(NuvMsg_FirstLegendValue, "First Legend Value must be > 0");
  EXPECT_EQ(NuvMsg_SeriesDeleteOutOfBounds, "Series Delete: ValueIndex %d out of bounds (0 to %d).");
  EXPECT_EQ(NuvMsg_PercentOf2, "%s\rof %s");
  EXPECT_EQ(NuvMsg_GalleryHorizBar, "Horizontal\rBar");
  EXPECT_EQ(NuvMsg_PageCustom, "Custom ");
  EXPECT_EQ(NuvMsg_ExpFormat, "#.0 \"x10\" E+0");
  EXPECT_EQ(NuvMsg_DefaultFontName, "Arial");
  EXPECT_EQ(NuvMsg_DefaultFontSize, "8");
  EXPECT_EQ(NuvMsg_DepthTopAxis, "Depth Top");
  EXPECT_EQ(NuvMsg_Chart3DPercent, "3D effect percent must be between %d and %d");

  // Every text of the table, compared as a set with the texts as written.
  const std::multiset<std::string> expected = {
#define NUV_TEXT(id, text) text,
    NUV_MESSAGE_TEXTS(NUV_TEXT)
#undef NUV_TEXT
        "NuvChart files (*.nuv)|*.nuv"};
  std::multiset<std::string> actual;
  for (const std::string* s : all) actual.insert(*s);
  EXPECT_EQ(actual, expected);
  for (const char* t : {"Axis Maximum Value must be >= Minimum", "Labels Separation % must be greater than 0",
                        "Stack 100%", "Enter [Number of Days] [hh:nn:ss]", "{ Private declarations }",
                        "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf",
                        "Error code: %d downloading Series data from URL: %s", "Abo&ut NuvChart...", "y = f(x)"})
    EXPECT_EQ(actual.count(t), 1u) << t;
  EXPECT_EQ(actual.count("Pie"), 2u);
  EXPECT_EQ(actual.count("Normal"), 2u);
}

TEST(MessageStrings, ShutDownClearsAndStartUpRefills)
{
  // Start-up is counted: only the last shut-down clears.
  NuvConstStartup();
  NuvConstShutdown();
  EXPECT_FALSE(NuvMsg_LeftAxis.empty());
  int n = 0;
  while (!NuvMsg_LeftAxis.empty() && n < 10) {
    NuvConstShutdown();
    ++n;
  }
  EXPECT_LT(n, 10);
  for (const std::string* s : NuvAllMessages()) EXPECT_TRUE(s->empty());
  for (int i = 0; i < n; ++i) NuvConstStartup();
  EXPECT_EQ(NuvMsg_LeftAxis, "Left Axis");
  // The unit object shuts down what it started: the same number of shut-downs clears again.
  { TNuvConstUnit unit; }
  {
    TNuvConstUnit unit;
    EXPECT_EQ(NuvMsg_LeftAxis, "Left Axis");
  }
  int m = 0;
  while (!NuvMsg_LeftAxis.empty() && m < 10) {
    NuvConstShutdown();
    ++m;
  }
  EXPECT_EQ(m, n);
  for (int i = 0; i < n; ++i) NuvConstStartup();
  EXPECT_EQ(NuvMsg_TemplateFilter, "NuvChart files (*.nuv)|*.nuv");
}

TEST(Routines, RectanglesPointsAndCross)
{
  int32_t x, y;
  RectCenter({-3, -3, 0, 0}, x, y);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, -1);
  EXPECT_TRUE(PointInRectXY({0, 0, 10, 10}, 10, 10));
  EXPECT_FALSE(PointInRectXY({0, 0, 10, 10}, 11, 10));
  EXPECT_EQ(OrientRectangle({10, 20, 0, 5}), (TRect{0, 5, 10, 20}));
  TPoint pts[3] = {{5, 1}, {-2, 7}, {3, 3}};
  TRect b;
  PolygonBounds(pts, 3, b);
  EXPECT_EQ(b, (TRect{-2, 1, 6, 8}));
  EXPECT_TRUE(IsNegativeCross({0, 0}, {10, 0}, {10, 10}) != IsNegativeCross({10, 10}, {10, 0}, {0, 0}));
  TPoint p;
  PointAtDistance({0, 0}, {0, 10}, 4, p);
  EXPECT_EQ(p, (TPoint{0, 6}));
  PointAtDistance({0, 0}, {30, 40}, 10, p);
  EXPECT_EQ(p, (TPoint{24, 32}));
  EXPECT_EQ(DarkenColor(RGB(10, 200, 100), 64), RGB(0, 136, 36));
  EXPECT_EQ(BrightenColor(RGB(10, 200, 100), 64), RGB(74, 255, 164));
  EXPECT_EQ(DarkenColor(clBtnFace, 0), ColorToRGB(clBtnFace));
}

}  // namespace
