// Tool bases: the chart's tool list, the axes a series tool works on, series and axis links that
// are cleared when their target goes, the "AxisID" stream property.
#include <gtest/gtest.h>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineTools.h"

namespace {
// Counts the paint phases it hears.
class TPhaseTool : public TNuvCustomTool {
public:
  using TNuvCustomTool::TNuvCustomTool;
  std::vector<TChartToolEvent> heard;
  void ChartEvent(TChartToolEvent kind) override { heard.push_back(kind); }
};
}  // namespace

TEST(ToolBases, ParentChartAndAxes)
{
  TChart chart(nullptr);
  // The chart frees its tools.
  auto& tool = *new TNuvCustomToolSeries(nullptr);
  tool.SetParentChart(&chart);
  EXPECT_EQ(chart.Tools()->Count(), 1);
  // No series: bottom and left, or top and right when the only series uses those.
  EXPECT_EQ(tool.GetHorizAxis(), chart.GetBottomAxis());
  TChartSeries s(nullptr);
  s.SetHorizAxis(aTopAxis);
  s.SetVertAxis(aRightAxis);
  s.SetParentChart(&chart);
  EXPECT_EQ(tool.GetHorizAxis(), chart.GetTopAxis());
  EXPECT_EQ(tool.GetVertAxis(), chart.GetRightAxis());
  {
    TChartSeries gone(nullptr);
    tool.SetSeries(&gone);
  }
  EXPECT_EQ(tool.GetSeries(), nullptr);
  TChart other(nullptr);
  tool.SetParentChart(&other);
  EXPECT_EQ(chart.Tools()->Count(), 0);
  EXPECT_EQ(other.Tools()->Count(), 1);

  auto& axisTool = *new TNuvCustomToolAxis(nullptr);
  axisTool.SetAxis(chart.GetLeftAxis());
  EXPECT_EQ(axisTool.GetParentChart(), &chart);
  TPropertyWriter w;
  axisTool.DefineProperties(&w);
  ASSERT_EQ(w.Values().count("AxisID"), 1u);
  auto& readBack = *new TNuvCustomToolAxis(nullptr);
  readBack.SetParentChart(&chart);
  TPropertyReader r(w.Values());
  readBack.DefineProperties(&r);
  EXPECT_EQ(readBack.GetAxis(), chart.GetLeftAxis());
  s.SetParentChart(nullptr);
}

TEST(ToolBases, ActiveToolsHearThePaintPhases)
{
  TChart chart(nullptr);
  auto* on = new TPhaseTool(nullptr);
  auto* off = new TPhaseTool(nullptr);
  on->SetParentChart(&chart);
  off->SetParentChart(&chart);
  off->SetActive(false);
  TBitmap bmp;
  bmp.SetSize(200, 150);
  chart.Draw(bmp.Canvas(), {0, 0, 200, 150});
  EXPECT_TRUE(off->heard.empty());
  ASSERT_FALSE(on->heard.empty());
  EXPECT_EQ(on->heard.front(), cteBeforeDraw);
  EXPECT_EQ(on->heard.back(), cteAfterDraw);
  // A tool destroyed by its owner leaves the chart's list.
  delete off;
  EXPECT_EQ(chart.Tools()->Count(), 1);
}
