// The axis panel's paint phases on the OpenGL canvas (EGL, off-screen): the canvas rotates fully,
// so the background, titles and legend come after the layout; a point lands where the axes put it.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineTools.h"

namespace {

std::vector<std::string> gLog;

class GLChart : public TCustomAxisPanel {
public:
  using TCustomAxisPanel::TCustomAxisPanel;
  void CalcWallsRect() override { gLog.push_back("walls-rect"); }
  int32_t GetWallSize(TChartAxis*) override { return 0; }
  void DrawTitlesAndLegend(bool before) override { gLog.push_back(before ? "titles-before" : "titles-after"); }
  void DrawWalls() override { gLog.push_back("walls"); }
  bool IsFreeSeriesColor(TColor, bool, TChartSeries*) override { return true; }
};

class SquareSeries : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
  void DrawValue(int32_t i) override
  {
    gLog.push_back("value " + std::to_string(i));
    TCanvas3D* c = GetParentChart()->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clRed);
    c->Pen()->SetColor(clRed);
    const int32_t x = CalcXPos(i), y = CalcYPos(i);
    c->Rectangle(x - 4, y - 4, x + 5, y + 5);
  }
};

class LogTool : public TNuvCustomTool {
public:
  using TNuvCustomTool::TNuvCustomTool;
  void ChartEvent(TChartToolEvent kind) override { gLog.push_back("tool " + std::to_string(static_cast<int>(kind))); }
};

TEST(AxisPanelGL, PhasesAndAPointOnTheOpenGLCanvas)
{
  constexpr int W = 400, H = 300;
  GLChart chart(nullptr);
  chart.SetBounds(0, 0, W, H);
  chart.SetView3D(false);
  chart.SetColor(clWhite);
  chart.SetCanvas(std::make_unique<TGLCanvas>());
  auto* s = new SquareSeries(nullptr);
  s->SetParentChart(&chart);
  for (int i = 0; i < 3; ++i) s->AddXY(i * 10, i * 5);
  chart.Tools()->Add(new LogTool(nullptr));
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(W, H);
  gLog.clear();
  chart.Draw(bmp.Canvas(), Rect(0, 0, W, H));
  auto* gl = dynamic_cast<TGLCanvas*>(chart.Canvas());
  ASSERT_TRUE(gl && gl->Active()) << "no OpenGL context";
  const std::vector<std::string> expected = {"tool 2", "walls-rect", "titles-before", "walls",  "tool 3",  "tool 1",
                                             "value 0", "value 1",   "value 2",       "tool 4", "titles-after", "tool 0"};
  EXPECT_EQ(gLog, expected);
  const int x = s->CalcXPos(1), y = s->CalcYPos(1);
  const TRect r = chart.ChartRect;
  EXPECT_NEAR(x, r.Left + r.Width() / 2.0, 1);
  EXPECT_NEAR(y, r.Top + r.Height() / 2.0, 1);
  // The canvas centres the chart rectangle in the window at its zoom: the square lies where the
  // canvas projects the point (not at the chart pixel itself unless the rectangle is centred).
  TPoint at;
  gl->ProjectPoint(at, x, -y, 0);
  int red = 0;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const TColor c = bmp.Canvas()->GetPixel(at.x + dx, at.y + dy);
      if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60) ++red;
    }
  EXPECT_GE(red, 20);
}

}  // namespace
