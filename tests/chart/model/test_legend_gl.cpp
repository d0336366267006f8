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

TEST(LegendGL, SymbolsDrawnWhereTheLayoutPutsThem)
{
  constexpr int W = 500, H = 360;
  TChart chart(nullptr);
  chart.SetBounds(0, 0, W, H);
  chart.SetView3D(false);
  chart.SetCanvas(std::make_unique<TGLCanvas>());
  TChartSeries a(nullptr), b(nullptr);
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
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(W, H);
  chart.Draw(bmp.Canvas(), Rect(0, 0, W, H));
  auto* gl = dynamic_cast<TGLCanvas*>(chart.Canvas());
  ASSERT_TRUE(gl && gl->Active()) << "no OpenGL context";
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
  a.SetParentChart(nullptr);
  b.SetParentChart(nullptr);
}

TEST(LegendGL, CheckBoxesShowOnTheFrame)
{
  // The check boxes go through the chart's canvas like the rest of the legend: the OpenGL frame
  // does not cover them.
  constexpr int W = 500, H = 360;
  TChart chart(nullptr);
  chart.SetBounds(0, 0, W, H);
  chart.SetView3D(false);
  chart.SetCanvas(std::make_unique<TGLCanvas>());
  TChartSeries a(nullptr), b(nullptr);
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
  b.SetActive(false);
  TChartLegend* legend = chart.GetLegend();
  legend->SetCheckBoxes(true);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(W, H);
  chart.Draw(bmp.Canvas(), Rect(0, 0, W, H));
  auto* gl = dynamic_cast<TGLCanvas*>(chart.Canvas());
  ASSERT_TRUE(gl && gl->Active()) << "no OpenGL context";
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
  a.SetParentChart(nullptr);
  b.SetParentChart(nullptr);
}

}  // namespace
