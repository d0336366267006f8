// The legend on the OpenGL canvas (EGL, off-screen): the box and the series' colour symbols land
// where the legend's layout puts them, as on the GDI canvas.
#include <gtest/gtest.h>

#include <memory>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/NvEngineSeries.h"

namespace {

int CountNear(TBitmap& bmp, const TRect& r, TColor want)
{
  int n = 0;
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
    for (int x = r.Left + 1; x < r.Right - 1; ++x) {
      const TColor c = bmp.Canvas()->GetPixel(x, y);
      if (std::abs(GetRValue(c) - GetRValue(want)) < 40 && std::abs(GetGValue(c) - GetGValue(want)) < 40 &&
          std::abs(GetBValue(c) - GetBValue(want)) < 40)
        ++n;
    }
  return n;
}

constexpr int W = 500, H = 360;

// A flat chart on the OpenGL canvas with a red and a blue series in its legend.
struct TwoSeriesChart {
  TChart chart{nullptr};
  TChartSeries a{nullptr}, b{nullptr};
  TBitmap bmp;
  TwoSeriesChart()
  {
    chart.SetBounds(0, 0, W, H);
    chart.SetView3D(false);
    chart.SetCanvas(std::make_unique<TGLCanvas>());
    a.SetTitle("Red");
    b.SetTitle("Blue");
    a.SetSeriesColor(clRed);
    b.SetSeriesColor(clBlue);
    for (int i = 0; i < 3; ++i) {
      a.AddXY(i, i);
      b.AddXY(i, 2 - i);
    }
    a.SetParentChart(&chart);
    b.SetParentChart(&chart);
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(W, H);
  }
  ~TwoSeriesChart()
  {
    a.SetParentChart(nullptr);
    b.SetParentChart(nullptr);
  }
  // Draws the chart; false without an OpenGL context.
  bool Draw()
  {
    chart.Draw(bmp.Canvas(), Rect(0, 0, W, H));
    auto* gl = dynamic_cast<TGLCanvas*>(chart.Canvas());
    return gl && gl->Active();
  }
};

TEST(LegendGL, SymbolsDrawnWhereTheLayoutPutsThem)
{
  TwoSeriesChart f;
  TChart& chart = f.chart;
  TBitmap& bmp = f.bmp;
  ASSERT_TRUE(f.Draw()) << "no OpenGL context";
  TChartLegend* legend = chart.GetLegend();
  ASSERT_TRUE(legend->LastLayout().HasBox);
  EXPECT_EQ(legend->NumRows(), 2);
  const TRect red = legend->Items()->Item(0).SymbolRect;
  const TRect blue = legend->Items()->Item(1).SymbolRect;
  EXPECT_GT(CountNear(bmp, red, clRed), (red.Width() - 2) * (red.Height() - 2) / 2);
  EXPECT_GT(CountNear(bmp, blue, clBlue), (blue.Width() - 2) * (blue.Height() - 2) / 2);
  EXPECT_EQ(CountNear(bmp, red, clBlue), 0);
  // The box lies inside the control at the right.
  EXPECT_GT(legend->ShapeBounds.Left, W / 2);
  EXPECT_LT(legend->ShapeBounds.Right, W);
}

TEST(LegendGL, CheckBoxesShowOnTheFrame)
{
  // The check boxes go through the chart's canvas like the rest of the legend: the OpenGL frame
  // does not cover them.
  TwoSeriesChart f;
  TChart& chart = f.chart;
  TBitmap& bmp = f.bmp;
  f.b.SetActive(false);
  TChartLegend* legend = chart.GetLegend();
  legend->SetCheckBoxes(true);
  ASSERT_TRUE(f.Draw()) << "no OpenGL context";
  ASSERT_TRUE(legend->LastLayout().HasBox);
  // Between the legend's left edge and each symbol lies only the item's check box: a frame, and
  // a tick in the first (its series is active), none in the second.
  auto dark = [&](int item) {
    const TRect symbol = legend->Items()->Item(item).SymbolRect;
    int n = 0;
    for (int y = symbol.Top + 1; y < symbol.Bottom + 2; ++y)
      for (int x = legend->ShapeBounds.Left + 2; x < symbol.Left - 1; ++x) {
        const TColor c = bmp.Canvas()->GetPixel(x, y);
        n += GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 60;
      }
    return n;
  };
  auto framed = [&](int item) {
    const TRect symbol = legend->Items()->Item(item).SymbolRect;
    int n = 0;
    for (int y = symbol.Top + 1; y < symbol.Bottom + 2; ++y)
      for (int x = legend->ShapeBounds.Left + 2; x < symbol.Left - 1; ++x) {
        const TColor c = bmp.Canvas()->GetPixel(x, y);
        n += GetRValue(c) < 200 && GetRValue(c) > 60 && GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c);
      }
    return n;
  };
  EXPECT_GE(dark(0), 10) << "no tick";
  EXPECT_EQ(dark(1), 0);
  EXPECT_GE(framed(0), 20) << "no frame";
  EXPECT_GE(framed(1), 20) << "no frame";
}

}  // namespace
