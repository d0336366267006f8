// Axes driven by the series of a chart: automatic ranges, the date-time flag, the automatic
// label style, scrolling within the data, the zoomed state, point labels and the label events.
#include <gtest/gtest.h>

#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineValues.h"

namespace {

constexpr int W = 400, H = 300;

// A 2-D chart drawing on a white bitmap; its series are freed by the chart.
struct ChartFrame {
  TChart chart{nullptr};
  TBitmap bmp;
  ChartFrame()
  {
    chart.SetView3D(false);
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(W, H);
    TCanvas3D* c = chart.Canvas();
    c->SetBufferedDisplay(false);
    c->InitWindow(bmp.Canvas(), chart.GetView3DOptions(), clWhite, false, {0, 0, W, H});
    c->ViewPort(0, {0, 0, W, H}, {0, 0, W, H});
    chart.ChartRect = {60, 20, 380, 260};
  }
  TChartSeries* Series(std::initializer_list<std::pair<double, double>> points, const std::vector<std::string>& labels = {})
  {
    auto* s = new TChartSeries(nullptr);
    chart.AddSeries(s);
    size_t i = 0;
    for (auto [x, y] : points) {
      s->AddXY(x, y, i < labels.size() ? labels[i] : std::string());
      ++i;
    }
    return s;
  }
  void Layout(TChartAxis* a)
  {
    a->CalcPositions();
    a->AdjustMaxMin();
  }
};

TEST(AxisSeries, AutomaticRangeComesFromTheSeries)
{
  ChartFrame f;
  f.Series({{1, 5}, {3, -2}, {10, 7}});
  TChartAxis* bottom = f.chart.GetBottomAxis();
  TChartAxis* left = f.chart.GetLeftAxis();
  f.Layout(bottom);
  f.Layout(left);
  EXPECT_EQ(bottom->ScaleMinimum, 1.0);
  EXPECT_EQ(bottom->ScaleMaximum, 10.0);
  EXPECT_EQ(left->ScaleMinimum, -2.0);
  EXPECT_EQ(left->ScaleMaximum, 7.0);
  // Minimum and Maximum hold the drawn range while automatic.
  EXPECT_EQ(left->GetMinimum(), -2.0);
  // Only the automatic end follows the data.
  left->SetAutomaticMaximum(false);
  left->SetMaximum(50);
  f.Layout(left);
  EXPECT_EQ(left->ScaleMinimum, -2.0);
  EXPECT_EQ(left->ScaleMaximum, 50.0);
  // Whole increments with RoundMinMax.
  bottom->RoundMinMax = true;
  bottom->SetIncrement(4);
  f.Layout(bottom);
  EXPECT_EQ(bottom->ScaleMinimum, 0.0);
  EXPECT_EQ(bottom->ScaleMaximum, 12.0);
}

TEST(AxisSeries, DateTimeValuesMakeADateTimeAxis)
{
  ChartFrame f;
  TChartSeries* s = f.Series({{EncodeDate(2024, 3, 1), 1}, {EncodeDate(2024, 3, 31), 2}});
  TChartAxis* bottom = f.chart.GetBottomAxis();
  EXPECT_FALSE(bottom->IsDateTime());
  s->XValues()->SetDateTime(true);
  EXPECT_TRUE(bottom->IsDateTime());
  EXPECT_FALSE(f.chart.GetLeftAxis()->IsDateTime());
  EXPECT_THROW(bottom->SetLogarithmic(true), AxisException);
  EXPECT_FALSE(bottom->GetLogarithmic());
  // Drawn with dates: thirty days, labels on the day steps, texts as dates.
  f.Layout(bottom);
  bottom->Draw(true);
  EXPECT_TRUE(bottom->IsDateTimeAxis);
  EXPECT_EQ(bottom->LabelValueText(EncodeDate(2024, 3, 10)), "10/03/2024");
  EXPECT_GE(bottom->Tick.size(), 3u);
  // An inactive series no longer counts.
  s->SetActive(false);
  EXPECT_FALSE(bottom->IsDateTime());
}

TEST(AxisSeries, AutomaticLabelStyle)
{
  ChartFrame f;
  TChartAxis* bottom = f.chart.GetBottomAxis();
  TChartAxis* left = f.chart.GetLeftAxis();
  EXPECT_EQ(bottom->CalcLabelStyle(), talNone);
  TChartSeries* s = f.Series({{1, 5}, {2, 6}});
  EXPECT_EQ(bottom->CalcLabelStyle(), talValue);
  EXPECT_EQ(f.chart.GetTopAxis()->CalcLabelStyle(), talNone);
  s->AddXY(3, 7, "March");
  EXPECT_EQ(bottom->CalcLabelStyle(), talText);
  EXPECT_EQ(left->CalcLabelStyle(), talValue);
  bottom->SetLabelStyle(talValue);
  EXPECT_EQ(bottom->CalcLabelStyle(), talValue);
}

TEST(AxisSeries, PointLabelsStandAtTheirXValues)
{
  ChartFrame f;
  TChartSeries* s = f.Series({{0, 1}, {5, 2}, {10, 3}}, {"Jan", "", "Mar"});
  TChartAxis* bottom = f.chart.GetBottomAxis();
  bottom->GetGrid()->Hide();
  f.Layout(bottom);
  s->CalcFirstLastVisibleIndex();
  bottom->Draw(true);
  // Empty texts draw nothing; the others stand at their X values.
  std::vector<int32_t> ticks = bottom->Tick;
  std::sort(ticks.begin(), ticks.end());
  EXPECT_EQ(ticks, (std::vector<int32_t>{60, 380}));
  std::vector<std::string> texts;
  f.chart.OnGetAxisLabel = [&](TChartAxis*, TChartSeries* series, int32_t index, std::string& text) {
    // Value texts measured for the increment come without a series.
    if (series == nullptr) return;
    EXPECT_EQ(series, s);
    texts.push_back(std::to_string(index) + text);
  };
  bottom->Draw(true);
  EXPECT_EQ(texts, (std::vector<std::string>{"0Jan", "1", "2Mar"}));
}

TEST(AxisSeries, ScrollWithinTheDataOnly)
{
  ChartFrame f;
  f.Series({{0, 0}, {10, 1}});
  TChartAxis* bottom = f.chart.GetBottomAxis();
  bottom->SetMinMax(0, 10);
  bottom->Scroll(2, true);  // nothing beyond the maximum
  EXPECT_EQ(bottom->GetMinimum(), 0.0);
  bottom->SetMinMax(0, 5);
  bottom->Scroll(2, true);
  EXPECT_EQ(bottom->GetMinimum(), 2.0);
  EXPECT_EQ(bottom->GetMaximum(), 7.0);
  bottom->Scroll(-1, true);
  EXPECT_EQ(bottom->GetMinimum(), 1.0);
  bottom->Scroll(0, true);
  EXPECT_EQ(bottom->GetMinimum(), 1.0);
  bottom->SetMinMax(0, 5);
  bottom->Scroll(-3, true);  // nothing below the minimum
  EXPECT_EQ(bottom->GetMinimum(), 0.0);
  bottom->Scroll(-3, false);
  EXPECT_EQ(bottom->GetMinimum(), -3.0);
  EXPECT_FALSE(bottom->GetAutomatic());
}

TEST(AxisSeries, ZoomedChartKeepsTheUsersRange)
{
  ChartFrame f;
  f.Series({{3, 0}, {17, 1}});
  TChartAxis* bottom = f.chart.GetBottomAxis();
  bottom->RoundMinMax = true;
  bottom->SetIncrement(5);
  f.Layout(bottom);
  EXPECT_EQ(bottom->ScaleMinimum, 0.0);
  EXPECT_EQ(bottom->ScaleMaximum, 20.0);
  // Zoomed: the range set is the range drawn, not rounded.
  f.chart.ZoomToRanges(0, 1, 0, 1, 6, 9, 6, 9);
  ASSERT_FALSE(f.chart.RangesFree());
  f.Layout(bottom);
  EXPECT_EQ(bottom->ScaleMinimum, 6.0);
  EXPECT_EQ(bottom->ScaleMaximum, 9.0);
  // Undo puts the automatic range back.
  f.chart.UndoZoom();
  EXPECT_TRUE(bottom->GetAutomatic());
  f.Layout(bottom);
  EXPECT_EQ(bottom->ScaleMinimum, 0.0);
  EXPECT_EQ(bottom->ScaleMaximum, 20.0);
}

TEST(AxisSeries, NextAxisLabelEventChoosesTheValues)
{
  ChartFrame f;
  f.Series({{0, 0}, {100, 1}});
  TChartAxis* bottom = f.chart.GetBottomAxis();
  bottom->GetGrid()->Hide();
  f.Layout(bottom);
  const double values[] = {10, 35, 80, 500};
  // The value runs on from call to call, starting at the scale's minimum; Stop is set before
  // every call.
  double last = 0;
  f.chart.OnGetNextAxisLabel = [&](TChartAxis*, int32_t index, double& value, bool& stop) {
    EXPECT_EQ(value, last);
    EXPECT_TRUE(stop);
    if (index < 4) {
      last = values[index];
      value = values[index];
      stop = false;
    }
  };
  bottom->Draw(true);
  // 500 lies outside and ends the run.
  EXPECT_EQ(bottom->Tick, (std::vector<int32_t>{92, 172, 316}));
  // Stopping at once leaves the automatic labels.
  f.chart.OnGetNextAxisLabel = [](TChartAxis*, int32_t, double&, bool&) {};
  bottom->Draw(true);
  EXPECT_GT(bottom->Tick.size(), 3u);
}

TEST(AxisSeries, NextAxisLabelEventSteppingTheValueItGets)
{
  // A handler that steps the value it receives draws each step once.
  ChartFrame f;
  f.Series({{0, 0}, {100, 1}});
  TChartAxis* bottom = f.chart.GetBottomAxis();
  bottom->GetGrid()->Hide();
  f.Layout(bottom);
  int calls = 0;
  f.chart.OnGetNextAxisLabel = [&](TChartAxis*, int32_t, double& value, bool& stop) {
    ++calls;
    value += 25;
    stop = false;
  };
  bottom->Draw(true);
  // 25, 50, 75, 100, then 125 lies outside and ends the run.
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(bottom->Tick.size(), 4u);
}

TEST(AxisSeries, CustomAxesAreTheOnesAfterTheStandardSix)
{
  ChartFrame f;
  EXPECT_FALSE(f.chart.GetRightAxis()->IsCustomAxis());
  TChartAxis* custom = f.chart.GetCustomAxes()->Add(true);
  EXPECT_TRUE(custom->IsCustomAxis());
  EXPECT_TRUE(custom->GetHorizontal());
  EXPECT_FALSE(TChartAxis(nullptr).IsCustomAxis());
}

TEST(AxisSeries, CustomAxisTakesItsPartOfTheChart)
{
  ChartFrame f;
  TChartSeries* s = f.Series({{0, 10}, {1, 30}});
  TChartAxis* custom = f.chart.GetCustomAxes()->Add(false);
  s->SetCustomVertAxis(custom);
  custom->SetStartPosition(50);
  custom->SetEndPosition(100);
  custom->SetPositionPercent(25);
  custom->SetOtherSide(true);
  f.Layout(custom);
  // The lower half of the chart rectangle (20..260), the line a quarter of the width in from the right.
  EXPECT_EQ(custom->PosStart, 140);
  EXPECT_EQ(custom->PosEnd, 260);
  EXPECT_EQ(custom->CalcPosAxisFromRect(f.chart.ChartRect), 380 - 80);
  EXPECT_EQ(custom->ScaleMinimum, 10.0);
  EXPECT_EQ(custom->ScaleMaximum, 30.0);
  EXPECT_EQ(custom->CalcPosValue(20), 200);
  EXPECT_DOUBLE_EQ(custom->ValueToPositionFloat(12.5), 245.0);
  EXPECT_DOUBLE_EQ(custom->PositionToValue(170), 25.0);
  // Pixels as units: 12 pixels in from the right edge.
  custom->SetPositionUnits(muPixels);
  custom->SetPositionPercent(12);
  EXPECT_EQ(custom->CalcPosAxisFromRect(f.chart.ChartRect), 368);
}

TEST(AxisSeries, DepthAxisNamesTheSeries)
{
  ChartFrame f;
  TChartSeries* a = f.Series({{0, 0}});
  TChartSeries* b = f.Series({{0, 0}});
  a->SetTitle("back");
  b->SetTitle("front");
  TChartDepthAxis* depth = f.chart.GetDepthAxis();
  EXPECT_EQ(depth->CalcLabelStyle(), talText);
  std::vector<std::string> seen;
  depth->OnDrawLabel = [&](TChartAxis*, int32_t&, int32_t&, int32_t&, std::string& text, bool&) { seen.push_back(text); };
  depth->SetMinMax(-0.5, 1.5);
  depth->AdjustMaxMin();
  depth->SetPositions(0, 40);
  depth->Draw(true);
  EXPECT_EQ(seen, (std::vector<std::string>{"back", "front"}));
}

}  // namespace
