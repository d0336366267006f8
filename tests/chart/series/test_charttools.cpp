// The rotate tool (drags turn and tilt a 3-D view) and the image tool (a picture over its series'
// extremes, flipped on request, and pixel <-> value through the series' axes).
#include <gtest/gtest.h>

#include <vector>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/series/ChartTools.h"
#include "chart/series/PointSeries.h"
#include "platform/Graphics.h"

namespace {
struct Frame {
  TChart chart{nullptr};
  TBitmap bmp;
  Frame()
  {
    chart.GetLegend()->SetVisible(false);
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(320, 240);
  }
  void Paint() { chart.Draw(bmp.Canvas(), {0, 0, 320, 240}); }
  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF; }
};
}  // namespace

TEST(RotateTool, DragTurnsAndTilts)
{
  double r, e;
  TRotateTool::DragAngles(345, 345, 100, 0, 400, 300, false, r, e);
  EXPECT_DOUBLE_EQ(r, 255);
  EXPECT_DOUBLE_EQ(e, 345);
  TRotateTool::DragAngles(10, 350, -400, 30, 400, 300, true, r, e);
  EXPECT_DOUBLE_EQ(r, 10);
  EXPECT_DOUBLE_EQ(e, 314);
  TRotateTool::DragAngles(0, 0, 5, 5, 0, 0, false, r, e);  // no size: no division by zero
  EXPECT_GE(r, 0);
  EXPECT_LT(r, 360);

  Frame f;
  auto* tool = new TRotateTool(nullptr);  // freed by the chart
  EXPECT_EQ(tool->GetPen()->GetColor(), clWhite);
  EXPECT_EQ(tool->GetPen()->GetMode(), pmXor);
  tool->SetParentChart(&f.chart);
  f.chart.SetView3D(true);
  f.Paint();
  const double rotation = f.chart.GetView3DOptions()->GetRotationFloat();
  const TRect cr = f.chart.ChartRect;
  const int x0 = (cr.Left + cr.Right) / 2, y0 = (cr.Top + cr.Bottom) / 2;
  tool->ChartMouseEvent(cmeDown, mbLeft, 0, x0, y0);
  EXPECT_TRUE(tool->Dragging());
  tool->ChartMouseEvent(cmeMove, mbLeft, ssLeft, x0 + 20, y0);
  EXPECT_NE(f.chart.GetView3DOptions()->GetRotationFloat(), rotation);
  tool->ChartMouseEvent(cmeUp, mbLeft, 0, x0 + 20, y0);
  EXPECT_FALSE(tool->Dragging());
  const double after = f.chart.GetView3DOptions()->GetRotationFloat();
  tool->ChartMouseEvent(cmeMove, mbLeft, ssLeft, x0 + 80, y0);
  EXPECT_EQ(f.chart.GetView3DOptions()->GetRotationFloat(), after);
  // A release lost outside the window: the next move without the tool's button ends the drag
  // and turns nothing.
  tool->ChartMouseEvent(cmeDown, mbLeft, ssLeft, x0, y0);
  ASSERT_TRUE(tool->Dragging());
  tool->ChartMouseEvent(cmeMove, mbLeft, 0, x0 + 40, y0 + 10);
  EXPECT_FALSE(tool->Dragging());
  EXPECT_EQ(f.chart.GetView3DOptions()->GetRotationFloat(), after);
  tool->ChartMouseEvent(cmeMove, mbLeft, ssLeft, x0 + 60, y0 + 10);
  EXPECT_EQ(f.chart.GetView3DOptions()->GetRotationFloat(), after);
  // Another button held does not keep a left-button drag going.
  tool->ChartMouseEvent(cmeDown, mbLeft, ssLeft, x0, y0);
  tool->ChartMouseEvent(cmeMove, mbLeft, ssRight, x0 + 40, y0);
  EXPECT_FALSE(tool->Dragging());
  EXPECT_EQ(f.chart.GetView3DOptions()->GetRotationFloat(), after);
  // A flat chart, or another button, is not turned.
  f.chart.SetView3D(false);
  tool->ChartMouseEvent(cmeDown, mbLeft, 0, x0, y0);
  EXPECT_FALSE(tool->Dragging());
  f.chart.SetView3D(true);
  tool->ChartMouseEvent(cmeDown, mbRight, 0, x0, y0);
  EXPECT_FALSE(tool->Dragging());
}

TEST(RotateTool, DrawsTheChartBoxWithItsXorPenWhileDragging)
{
  Frame f;
  auto* tool = new TRotateTool(nullptr);  // freed by the chart
  tool->SetParentChart(&f.chart);
  f.chart.SetView3D(true);
  f.Paint();
  const TRect cr = f.chart.ChartRect;
  const int x0 = (cr.Left + cr.Right) / 2, y0 = (cr.Top + cr.Bottom) / 2;
  auto picture = [&f] {
    std::vector<TColor> p;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) p.push_back(f.At(x, y));
    return p;
  };
  // The same view painted during the drag and after it: they differ only by the outline, whose
  // pixels are those beneath turned by the white xor pen.
  auto outlinePixels = [&](bool penVisible) {
    tool->GetPen()->SetVisible(penVisible);
    tool->ChartMouseEvent(cmeDown, mbLeft, 0, x0, y0);
    tool->ChartMouseEvent(cmeMove, mbLeft, ssLeft, x0 + 30, y0 + 10);
    EXPECT_TRUE(tool->Dragging());
    f.Paint();
    const std::vector<TColor> during = picture();
    tool->ChartMouseEvent(cmeUp, mbLeft, 0, x0 + 30, y0 + 10);
    f.Paint();
    const std::vector<TColor> after = picture();
    int changed = 0;
    for (size_t i = 0; i < during.size(); ++i)
      if (during[i] != after[i]) {
        ++changed;
        EXPECT_EQ(during[i], after[i] ^ 0xFFFFFF) << "pixel " << i;
        if (during[i] != (after[i] ^ 0xFFFFFF)) break;
      }
    return changed;
  };
  // At least the front and back rectangles of the box.
  EXPECT_GT(outlinePixels(true), 2 * (cr.Width() + cr.Height()));
  EXPECT_EQ(outlinePixels(false), 0);
}

// The outline a drag drew goes with the next paint: the end of a drag, by its release or by a move
// without the button, asks the chart for one.
TEST(RotateTool, TheEndOfADragRepaintsTheChart)
{
  struct CountingChart : TChart {
    using TChart::TChart;
    int invalidated = 0;
    void Invalidate() override
    {
      ++invalidated;
      TChart::Invalidate();
    }
  } chart(nullptr);
  auto* tool = new TRotateTool(nullptr);  // freed by the chart
  tool->SetParentChart(&chart);
  chart.SetView3D(true);
  TBitmap bmp;
  bmp.SetSize(320, 240);
  chart.Draw(bmp.Canvas(), {0, 0, 320, 240});
  const TRect cr = chart.ChartRect;
  const int x0 = (cr.Left + cr.Right) / 2, y0 = (cr.Top + cr.Bottom) / 2;
  for (bool lostRelease : {false, true}) {
    tool->ChartMouseEvent(cmeDown, mbLeft, ssLeft, x0, y0);
    ASSERT_TRUE(tool->Dragging());
    chart.invalidated = 0;
    if (lostRelease)
      tool->ChartMouseEvent(cmeMove, mbLeft, 0, x0 + 5, y0);
    else
      tool->ChartMouseEvent(cmeUp, mbLeft, 0, x0, y0);
    EXPECT_FALSE(tool->Dragging());
    EXPECT_GT(chart.invalidated, 0) << (lostRelease ? "lost release" : "release");
  }
  // A release with no drag asks for nothing.
  chart.invalidated = 0;
  tool->ChartMouseEvent(cmeUp, mbLeft, 0, x0, y0);
  EXPECT_EQ(chart.invalidated, 0);
}

TEST(ImageTool, PictureOverTheSeriesExtremes)
{
  Frame f;
  f.chart.SetView3D(false);
  TPointSeries bounds(nullptr);
  bounds.GetPointer()->SetVisible(false);
  bounds.AddXY(0, 0);
  bounds.AddXY(10, 100);
  bounds.SetParentChart(&f.chart);
  auto* tool = new TChartImageTool(nullptr);
  EXPECT_EQ(tool->XScreenToValue(50), 0.0);
  EXPECT_EQ(tool->YScreenToValue(50), 0.0);
  tool->SetParentChart(&f.chart);
  tool->SetSeries(&bounds);
  // Top half red, bottom half blue.
  TBitmap* pic = tool->GetPicture()->Bitmap();
  pic->SetPixelFormat(pf24bit);
  pic->SetSize(20, 20);
  pic->Canvas()->Brush()->SetColor(clRed);
  pic->Canvas()->FillRect({0, 0, 20, 10});
  pic->Canvas()->Brush()->SetColor(clBlue);
  pic->Canvas()->FillRect({0, 10, 20, 20});
  f.Paint();
  const TRect r = tool->PictureRect();
  EXPECT_LT(r.Top, r.Bottom);
  EXPECT_EQ(r.Left, bounds.CalcXPosValue(0));
  EXPECT_EQ(r.Bottom, bounds.CalcYPosValue(0));
  const int cx = (r.Left + r.Right) / 2;
  EXPECT_EQ(f.At(cx, r.Top + 3), clRed);
  EXPECT_EQ(f.At(cx, r.Bottom - 3), clBlue);
  EXPECT_NEAR(tool->XScreenToValue(r.Right), 10, 0.1);
  EXPECT_NEAR(tool->YScreenToValue(r.Top), 100, 1);

  tool->SetVertFlip(true);
  f.Paint();
  const TRect flipped = tool->PictureRect();
  EXPECT_EQ(flipped.Top, r.Bottom);
  EXPECT_EQ(flipped.Bottom, r.Top);
  EXPECT_EQ(f.At(cx, r.Top + 3), clBlue);
  EXPECT_EQ(f.At(cx, r.Bottom - 3), clRed);

  // Zoomed in so that the picture reaches far beyond the chart: the visible part is the right one.
  f.chart.GetLeftAxis()->SetMinMax(75, 100);
  f.Paint();
  const TRect zr = f.chart.ChartRect;
  for (int y = zr.Top + 3; y < zr.Bottom - 3; y += 20) EXPECT_EQ(f.At(cx, y), clBlue) << y;
  f.chart.GetLeftAxis()->SetMinMax(0, 25);
  f.Paint();
  for (int y = zr.Top + 3; y < zr.Bottom - 3; y += 20) EXPECT_EQ(f.At(cx, y), clRed) << y;
  f.chart.GetLeftAxis()->SetMinMax(40, 60);
  f.Paint();
  EXPECT_EQ(f.At(cx, zr.Top + 3), clBlue);
  EXPECT_EQ(f.At(cx, zr.Bottom - 3), clRed);

  // Without its series the tool draws nothing and answers 0.
  bounds.SetParentChart(nullptr);
  tool->SetSeries(nullptr);
  EXPECT_EQ(tool->XScreenToValue(r.Right), 0.0);
}
