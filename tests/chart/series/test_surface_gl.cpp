// The 3-D scene chart's parts on the OpenGL canvas (EGL, off-screen): a surface series drawn in a
// 3-D chart, turned by a drag of the rotate tool, whose xor outline shows while the drag lasts.
#include <gtest/gtest.h>

#include <memory>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/series/ChartTools.h"
#include "chart/series/SurfaceSeries.h"
#include "platform/Graphics.h"

namespace {
constexpr int W = 360, H = 280;

bool Reddish(TColor c) { return GetRValue(c) > 180 && GetGValue(c) < 80 && GetBValue(c) < 80; }

int CountRed(TBitmap& bmp)
{
  int n = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) n += Reddish(bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF);
  return n;
}
// A perspective 3-D chart on the OpenGL canvas holding a red surface and a rotate tool.
struct RedSurfaceChart {
  TChart chart{nullptr};
  TSurfaceSeries s{nullptr};
  TRotateTool* rotate = new TRotateTool(nullptr);  // freed by the chart

  RedSurfaceChart()
  {
    chart.SetCanvas(std::make_unique<TGLCanvas>());
    chart.SetView3D(true);
    chart.GetView3DOptions()->SetOrthogonal(false);
    chart.GetLegend()->SetVisible(false);
    s.GetPen()->Hide();
    s.GetMarks()->SetVisible(false);
    s.SetUseColorRange(true);
    s.SetStartColor(clRed);
    s.SetEndColor(clRed);
    for (int z = 0; z < 4; ++z)
      for (int x = 0; x < 4; ++x) s.AddXYZ(x, (x * z) % 3, z);
    s.SetParentChart(&chart);
    rotate->SetParentChart(&chart);
  }
  ~RedSurfaceChart() { s.SetParentChart(nullptr); }
};
}  // namespace

TEST(SurfaceSeriesGL, SurfaceInA3DChartTurnedByTheRotateTool)
{
  RedSurfaceChart f;
  TChart& chart = f.chart;
  TRotateTool* rotate = f.rotate;

  TBitmap first, second;
  for (TBitmap* b : {&first, &second}) {
    b->SetPixelFormat(pf24bit);
    b->SetSize(W, H);
  }
  chart.Draw(first.Canvas(), {0, 0, W, H});
  auto* gl = dynamic_cast<TGLCanvas*>(chart.Canvas());
  ASSERT_NE(gl, nullptr);
  ASSERT_TRUE(gl->Active()) << "no OpenGL context";
  EXPECT_GT(CountRed(first), 500);
  // The surface stays inside the chart: the frame's corners keep the background.
  for (auto [x, y] : {std::pair{2, 2}, std::pair{W - 3, 2}, std::pair{2, H - 3}, std::pair{W - 3, H - 3}})
    EXPECT_FALSE(Reddish(first.Canvas()->GetPixel(x, y) & 0xFFFFFF)) << x << " " << y;

  // A drag across a quarter of the chart turns the view; the surface shows from another side.
  const TRect r = chart.ChartRect;
  const int x0 = (r.Left + r.Right) / 2, y0 = (r.Top + r.Bottom) / 2;
  const double rotation = chart.GetView3DOptions()->GetRotationFloat();
  rotate->ChartMouseEvent(cmeDown, mbLeft, 0, x0, y0);
  rotate->ChartMouseEvent(cmeMove, mbLeft, ssLeft, x0 + r.Width() / 4, y0 + 10);
  rotate->ChartMouseEvent(cmeUp, mbLeft, 0, x0 + r.Width() / 4, y0 + 10);
  EXPECT_NE(chart.GetView3DOptions()->GetRotationFloat(), rotation);
  chart.Draw(second.Canvas(), {0, 0, W, H});
  EXPECT_GT(CountRed(second), 500);
  int differ = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) differ += first.Canvas()->GetPixel(x, y) != second.Canvas()->GetPixel(x, y);
  EXPECT_GT(differ, 200);
}

TEST(SurfaceSeriesGL, RotateToolOutlineInvertsWhatLiesBeneath)
{
  RedSurfaceChart f;
  TChart& chart = f.chart;
  TRotateTool* rotate = f.rotate;
  TBitmap during, after;
  for (TBitmap* b : {&during, &after}) {
    b->SetPixelFormat(pf24bit);
    b->SetSize(W, H);
  }
  chart.Draw(after.Canvas(), {0, 0, W, H});
  auto* gl = dynamic_cast<TGLCanvas*>(chart.Canvas());
  ASSERT_NE(gl, nullptr);
  ASSERT_TRUE(gl->Active()) << "no OpenGL context";
  const TRect r = chart.ChartRect;
  const int x0 = (r.Left + r.Right) / 2, y0 = (r.Top + r.Bottom) / 2;
  rotate->ChartMouseEvent(cmeDown, mbLeft, 0, x0, y0);
  rotate->ChartMouseEvent(cmeMove, mbLeft, ssLeft, x0 + 40, y0 + 10);
  chart.Draw(during.Canvas(), {0, 0, W, H});
  rotate->ChartMouseEvent(cmeUp, mbLeft, 0, x0 + 40, y0 + 10);
  chart.Draw(after.Canvas(), {0, 0, W, H});
  // The same view: the frames differ only along the outline, where each pixel is turned by the
  // white xor pen, over the surface as over the background.
  int changed = 0, overRed = 0, wrong = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const TColor d = during.Canvas()->GetPixel(x, y) & 0xFFFFFF, a = after.Canvas()->GetPixel(x, y) & 0xFFFFFF;
      if (d == a) continue;
      ++changed;
      overRed += Reddish(a);
      wrong += d != (a ^ 0xFFFFFF);
    }
  EXPECT_GT(changed, r.Width() + r.Height());
  EXPECT_GT(overRed, 0);
  EXPECT_EQ(wrong, 0);
}
