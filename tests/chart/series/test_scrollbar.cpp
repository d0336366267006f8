// Scroll bars: thumb arithmetic against the proportions written here, the tool's defaults, clicks
// on arrows, track and thumb drags, and the legend's scroll bar scrolling a long side legend.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/series/LegendScrollBar.h"
#include "chart/series/SeriesFormat.h"
#include "platform/TestInput.h"

namespace {

TEST(ScrollThumb, LengthFollowsThePageAndOffsetThePosition)
{
  // 100 positions, 10 shown, track 200: thumb 20 long, 180 free pixels over 90 steps.
  TScrollThumb t = ScrollThumbPlace(200, 0, 99, 10, 0, 4);
  EXPECT_EQ(t.Length, 20);
  EXPECT_EQ(t.Offset, 0);
  EXPECT_EQ(ScrollThumbPlace(200, 0, 99, 10, 90, 4).Offset, 180);
  EXPECT_EQ(ScrollThumbPlace(200, 0, 99, 10, 45, 4).Offset, 90);
  // Positions beyond the range are held at its ends.
  EXPECT_EQ(ScrollThumbPlace(200, 0, 99, 10, 500, 4).Offset, 180);
  EXPECT_EQ(ScrollThumbPlace(200, 0, 99, 10, -3, 4).Offset, 0);
  // A huge range keeps the minimum thumb size; a page larger than the range fills the track.
  EXPECT_EQ(ScrollThumbPlace(200, 0, 1000000, 1, 0, 4).Length, 4);
  EXPECT_EQ(ScrollThumbPlace(200, 0, 4, 50, 0, 4).Length, 200);
  // Nothing to draw on an empty track.
  EXPECT_EQ(ScrollThumbPlace(0, 0, 99, 10, 5, 4).Length, 0);
  // Dragging back: the offset of every position gives that position.
  for (int pos = 0; pos <= 90; ++pos)
    EXPECT_EQ(ScrollPositionAt(200, 0, 99, 10, ScrollThumbPlace(200, 0, 99, 10, pos, 4).Offset, 4), pos);
  EXPECT_EQ(ScrollPositionAt(200, 0, 99, 10, -50, 4), 0);
  EXPECT_EQ(ScrollPositionAt(200, 0, 99, 10, 5000, 4), 90);
}

TEST(ScrollBar, DefaultsAndClampedPosition)
{
  TNuvScrollBar bar(nullptr);
  EXPECT_EQ(bar.GetSize(), 18);
  EXPECT_EQ(bar.GetInitialDelay(), 250);
  EXPECT_EQ(bar.GetMinThumbSize(), 4);
  EXPECT_TRUE(bar.GetAutoRepeat());
  EXPECT_EQ(bar.GetBevel(), bvRaised);
  EXPECT_EQ(bar.GetBrush()->GetColor(), clWhite);
  EXPECT_EQ(bar.GetPen()->GetColor(), clWindowFrame);
  EXPECT_EQ(bar.GetThumbBrush()->GetColor(), clSilver);
  bar.SetSize(24);
  EXPECT_EQ(bar.GetSize(), 24);
  int changes = 0;
  bar.OnChange = [&](TObject*) { ++changes; };
  bar.SetParams(0, 19, 5);
  bar.SetPosition(100);
  EXPECT_EQ(bar.GetPosition(), 15);
  bar.SetPosition(15);
  EXPECT_EQ(changes, 1);
  bar.SetPosition(-2);
  EXPECT_EQ(bar.GetPosition(), 0);
  // Extreme ranges and sizes stay in range (the sanitizers watch the arithmetic).
  bar.SetParams(INT32_MIN, INT32_MIN, 5);
  bar.SetPosition(INT32_MAX);
  EXPECT_EQ(bar.GetPosition(), INT32_MIN);
  bar.SetParams(INT32_MIN, INT32_MAX, INT32_MAX);
  bar.SetPosition(3);
  bar.SetSize(INT32_MAX);
  EXPECT_EQ(bar.GetSize(), 100000);
  bar.SetBounds(Rect(INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2));
  bar.ThumbRect();
  EXPECT_EQ(ScrollThumbPlace(INT32_MAX, INT32_MIN, INT32_MAX, 1, 0, 4).Length, 4);
  EXPECT_EQ(ScrollThumbPlace(INT32_MAX, INT32_MIN, INT32_MAX, 1, INT32_MAX, 4).Offset, INT32_MAX - 4);
  EXPECT_EQ(ScrollPositionAt(INT32_MAX, INT32_MIN, INT32_MAX, 1, INT32_MAX, 4), INT32_MAX);
}

struct BarChart {
  TChart chart{nullptr};
  std::vector<std::unique_ptr<TChartSeries>> series;
  explicit BarChart(int count)
  {
    chart.SetBounds(0, 0, 640, 300);
    chart.SetView3D(false);
    for (int i = 0; i < count; ++i) {
      auto s = std::make_unique<TChartSeries>(nullptr);
      s->SetTitle("Series " + std::to_string(i));
      s->AddXY(0, i);
      s->SetParentChart(&chart);
      series.push_back(std::move(s));
    }
  }
  ~BarChart()
  {
    for (auto& s : series) s->SetParentChart(nullptr);
  }
};

TEST(LegendScrollBar, ScrollsALongSideLegendAndTakesItsStrip)
{
  BarChart c(40);
  TChartLegend* legend = c.chart.GetLegend();
  legend->SetMaxNumRows(100);
  c.chart.PaintBuffer();
  const int widthWithout = legend->ShapeBounds.Right - legend->ShapeBounds.Left;
  const int rows = legend->NumRows();
  ASSERT_GT(rows, 0);
  ASSERT_LT(rows, 40);

  auto* bar = new TLegendScrollBar(&c.chart);
  bar->SetParentChart(&c.chart);
  c.chart.Invalidate();
  c.chart.PaintBuffer();
  // The legend is wider by the bar, which lies along its right edge.
  EXPECT_EQ(legend->ShapeBounds.Right - legend->ShapeBounds.Left, widthWithout + 18);
  const TRect r = bar->GetBounds();
  EXPECT_EQ(r.Right, legend->ShapeBounds.Right);
  EXPECT_EQ(r.Right - r.Left, 18);
  EXPECT_EQ(bar->GetMax(), 39);
  EXPECT_EQ(bar->GetPageSize(), rows);
  // The bar's strip is not part of the items.
  EXPECT_EQ(legend->Clicked(r.Left + 9, legend->LastLayout().ItemsTop + 5), -1);

  // A click on the lower arrow shows the next item first.
  const TRect down = bar->SecondArrowRect();
  testinput::Click(&c.chart, (down.Left + down.Right) / 2, (down.Top + down.Bottom) / 2);
  EXPECT_EQ(legend->GetFirstValue(), 1);
  c.chart.PaintBuffer();
  EXPECT_EQ(legend->ListedTexts(0).front(), "Series 1");
  // A click on the track below the thumb pages down.
  c.chart.PaintBuffer();
  const TRect thumb = bar->ThumbRect();
  testinput::Click(&c.chart, (r.Left + r.Right) / 2, (thumb.Bottom + down.Top) / 2);
  EXPECT_EQ(legend->GetFirstValue(), std::min(1 + rows, 40 - rows));
  // Dragging the thumb to the end shows the last page, never past it.
  c.chart.PaintBuffer();
  const TRect t2 = bar->ThumbRect();
  testinput::MouseDown(&c.chart, mbLeft, (t2.Left + t2.Right) / 2, t2.Top + 2);
  testinput::MouseMove(&c.chart, (t2.Left + t2.Right) / 2, r.Bottom + 100, ssLeft);
  testinput::MouseUp(&c.chart, mbLeft, (t2.Left + t2.Right) / 2, r.Bottom + 100);
  EXPECT_EQ(legend->GetFirstValue(), 40 - rows);
  c.chart.PaintBuffer();
  EXPECT_EQ(legend->ListedTexts(0).back(), "Series 39");

  // The bar freed before its chart leaves the legend working.
  delete bar;
  c.chart.Invalidate();
  c.chart.PaintBuffer();
  EXPECT_EQ(legend->ShapeBounds.Right - legend->ShapeBounds.Left, widthWithout);
}

TEST(LegendScrollBar, FreedWithItsChart)
{
  // The chart frees the tools in its list; the legend's handler never reaches a freed bar.
  BarChart c(3);
  auto* bar = new TLegendScrollBar(nullptr);
  bar->SetParentChart(&c.chart);
  c.chart.PaintBuffer();
  EXPECT_TRUE(c.chart.GetLegend()->OnLegendExtraSpace != nullptr);
}

TEST(LegendScrollBar, RegisteredAsAToolTypeAndForStreaming)
{
  // Charts store their tools with it: the class is found by name and made from its record.
  NuvSeriesStartup();
  TNuvClass cls = FindNuvClass("TLegendScrollBar");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(SameNuvClass(cls, (NuvClassOf<TLegendScrollBar, TNuvScrollBar>())));
  EXPECT_GE(NuvToolTypesList()->IndexOf(cls), 0);
  std::unique_ptr<TComponent> made(cls->Create(nullptr));
  EXPECT_NE(dynamic_cast<TLegendScrollBar*>(made.get()), nullptr);
  TLegendScrollBar bar(nullptr);
  EXPECT_TRUE(SameNuvClass(NuvClassOfObject(&bar), cls));
}

}  // namespace
