// Axis drawing through the OpenGL canvas (EGL, off-screen): the frame read back into a bitmap
// shows the axis line, ticks, grid and labels where the scaling puts them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"

namespace {

class AxisOnlyPanel : public TCustomAxisPanel {
public:
  using TCustomAxisPanel::TCustomAxisPanel;
  void CalcWallsRect() override {}
  int32_t GetWallSize(TChartAxis*) override { return 0; }
  void DrawTitlesAndLegend(bool) override {}
  void DrawWalls() override {}
  bool IsFreeSeriesColor(TColor, bool, TChartSeries*) override { return true; }
};

constexpr int W = 400, H = 300;

bool Near(TColor c, TColor want, int tolerance = 60)
{
  return std::abs(GetRValue(c) - GetRValue(want)) <= tolerance && std::abs(GetGValue(c) - GetGValue(want)) <= tolerance &&
         std::abs(GetBValue(c) - GetBValue(want)) <= tolerance;
}

TEST(AxisDrawGL, AxesGridAndLabelsOnTheOpenGLCanvas)
{
  AxisOnlyPanel panel(nullptr);
  panel.SetView3D(false);
  panel.SetCanvas(std::make_unique<TGLCanvas>());
  auto* gl = dynamic_cast<TGLCanvas*>(panel.Canvas());
  ASSERT_NE(gl, nullptr);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(W, H);
  const TRect all{0, 0, W, H};
  gl->InitWindow(bmp.Canvas(), nullptr, clWhite, false, all);
  ASSERT_TRUE(gl->Active()) << "no OpenGL context";
  gl->ViewPort(0, all, all);
  panel.ChartRect = {60, 20, 380, 260};

  // A flat frame: chart pixels are screen pixels.
  gl->DisableRotation();
  TChartAxis* left = panel.GetLeftAxis();
  TChartAxis* bottom = panel.GetBottomAxis();
  for (TChartAxis* a : {bottom, left}) {  // the panel's order
    a->SetLabelStyle(talValue);
    a->SetTickOnLabelsOnly(false);
    a->GetGrid()->SetStyle(psSolid);
    a->GetMinorTicks()->Hide();
    // The left axis starts below zero so that its grid line at 0 stays off the bottom axis line.
    a->SetMinMax(a == left ? -10 : 0, 100);
    a->SetIncrement(25);
    a->CalcPositions();
    a->AdjustMaxMin();
    a->Draw(true);
  }
  gl->EnableRotation();
  gl->ShowImage(bmp.Canvas(), bmp.Canvas(), all);
  auto at = [&](int x, int y) { return bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF; };
  // Somewhere within one pixel of (x, y) the colour shows.
  auto seen = [&](int x, int y, TColor want) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (Near(at(x + dx, y + dy), want)) return true;
    return false;
  };

  // Left axis line and the bottom axis line.
  for (int y = 40; y < 250; y += 30) EXPECT_TRUE(seen(60, y, clBlack)) << y;
  for (int x = 80; x < 370; x += 40) EXPECT_TRUE(seen(x, 260, clBlack)) << x;
  EXPECT_TRUE(Near(at(220, 150), clWhite) || Near(at(220, 150), clGray));
  // Ticks and grid lines of the left axis at 25, 50, 75.
  for (int v : {25, 50, 75}) {
    const int y = left->CalcPosValue(v);
    EXPECT_EQ(y, std::lround(260 - (v + 10) * 240 / 110.0));
    EXPECT_TRUE(seen(56, y, clGray)) << v;
    EXPECT_TRUE(seen(220, y, clGray)) << v;
    EXPECT_TRUE(Near(at(220, y + 10), clWhite)) << v;
  }
  // Bottom axis grid at 25 % (x = 140) and a tick below the line.
  EXPECT_TRUE(seen(140, 100, clGray));
  EXPECT_TRUE(seen(140, 263, clGray));
  // Label text left of the left axis at its values.
  int dark = 0;
  const int y50 = left->CalcPosValue(50);
  for (int y = y50 - 7; y < y50 + 7; ++y)
    for (int x = 20; x < 53; ++x) {
      const TColor c = at(x, y);
      dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 300;
    }
  EXPECT_GT(dark, 5);
}

}  // namespace
