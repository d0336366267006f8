// The chart with a point series drawn through the OpenGL canvas (EGL, off-screen). The canvas
// maps chart pixels through its own projection (at zoom 50 one chart pixel is one window pixel,
// centred on the chart rectangle); each checked place is the canvas' projection of where the
// axis scale, written out here, puts the value.
#include <gtest/gtest.h>

#include "chart/canvas/NuvGLCanvas.h"
#include "test_pointseries_fixture.h"

namespace {

using chartfixture::PointChart;

struct GlChart : PointChart {
  TGLCanvas* gl = nullptr;
  GlChart() : PointChart(std::make_unique<TGLCanvas>())
  {
    gl = dynamic_cast<TGLCanvas*>(chart.Canvas());
    chart.GetView3DOptions()->SetZoom(50);
  }
  // The window pixel of a chart pixel on the front plane.
  TPoint Window(int x, int y)
  {
    TPoint p;
    gl->ProjectPoint(p, x, -y, 0);
    return p;
  }
  // Whether a colour appears within d pixels of the window pixel of chart pixel (x, y).
  bool Near(int x, int y, TColor color, int d = 1)
  {
    const TPoint p = Window(x, y);
    for (int dy = -d; dy <= d; ++dy)
      for (int dx = -d; dx <= d; ++dx)
        if (At(p.x + dx, p.y + dy) == color) return true;
    return false;
  }
};

TEST(PointSeriesChartGl, PixelsLandWhereTheScalePutsThem)
{
  GlChart f;
  ASSERT_NE(f.gl, nullptr);
  f.Render();
  ASSERT_TRUE(f.gl->Active()) << "no OpenGL context";
  TChartAxis* left = f.chart.GetLeftAxis();
  TChartAxis* bottom = f.chart.GetBottomAxis();
  const TRect r = f.chart.ChartRect;

  // One chart pixel is one window pixel.
  const TPoint a = f.Window(r.Left, r.Top), b = f.Window(r.Right, r.Bottom);
  EXPECT_NEAR(b.x - a.x, r.Right - r.Left, 1);
  EXPECT_NEAR(b.y - a.y, r.Bottom - r.Top, 1);

  // Title (on the front plane, unprojected) and plot area.
  EXPECT_GT(f.CountIn(Rect(0, 0, 400, 30), clBlue), 10);
  EXPECT_TRUE(f.Near(r.Left + 9, r.Top + 3, chartfixture::kWallColor, 0));
  EXPECT_TRUE(f.Near(r.Right - 9, r.Bottom - 3, chartfixture::kWallColor, 0));

  // Axis lines and a tick at 20.
  const int ymid = (r.Top + r.Bottom) / 2;
  EXPECT_TRUE(f.Near(left->PosAxis, ymid + 3, chartfixture::kAxisColor));
  EXPECT_TRUE(f.Near((r.Left + r.Right) / 2 + 3, bottom->PosAxis, chartfixture::kAxisColor));
  const int y20 = chartfixture::ExpectedY(*left, 20.0);
  bool tick = false;
  for (int x = left->PosAxis - 6; x < left->PosAxis - 1; ++x) tick = tick || f.Near(x, y20, chartfixture::kTickColor);
  EXPECT_TRUE(tick) << "no tick at y " << y20;

  // Markers and a mark.
  for (int i = 0; i < f.series->Count(); ++i) {
    const int x = chartfixture::ExpectedX(*bottom, f.series->GetXValue(i));
    const int y = chartfixture::ExpectedY(*left, f.series->GetYValue(i));
    EXPECT_TRUE(f.Near(x, y, clRed, 0)) << "point " << i;
    EXPECT_TRUE(f.Near(x + 2, y - 2, clRed)) << "point " << i;
    EXPECT_FALSE(f.Near(x + 9, y, clRed, 0)) << "point " << i;
  }
  const int x1 = chartfixture::ExpectedX(*bottom, f.series->GetXValue(1));
  const int y1 = chartfixture::ExpectedY(*left, f.series->GetYValue(1));
  const TPoint m = f.Window(x1, y1);
  EXPECT_GT(f.CountIn(Rect(m.x - 12, m.y - 30, m.x + 12, m.y - 4), chartfixture::kMarksColor), 20);
}

}  // namespace
