// Series texts: mark texts for every marks style, percent texts, legend strings for every text
// style, and the sample values (counts, refusals, never negative, repeatable from the seed).
#include <gtest/gtest.h>

#include <string>

#include "chart/canvas/NuvConst.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineTexts.h"
#include "chart/model/NvEngineValues.h"

namespace {

const std::string Sep(1, LegendColumnSeparator);

// Three points: (1, 10 "a"), (2, -30 ""), (3, 60 "c").
struct Points {
  TChartSeries s{nullptr};
  Points()
  {
    s.SetValueFormat("0.#");
    s.SetPercentFormat("0.## %");
    s.AddXY(1, 10, "a");
    s.AddXY(2, -30, "");
    s.AddXY(3, 60, "c");
  }
};

TEST(SeriesTexts, ValueAndPercentTexts)
{
  Points p;
  EXPECT_EQ(p.s.GetMarkValueText(1), "-30");
  // Percent of the absolute total (100).
  EXPECT_EQ(p.s.GetPercentText(0, false), "10 %");
  EXPECT_EQ(p.s.GetPercentText(1, false), "30 %");
  EXPECT_EQ(p.s.GetPercentText(2, true), "60 % of 100");
  p.s.GetMarks()->SetMultiLine(true);
  EXPECT_EQ(p.s.GetPercentText(2, true), "60 %\rof 100");
}

TEST(SeriesTexts, AllZeroValuesGiveAHundredPercent)
{
  TChartSeries s(nullptr);
  s.SetPercentFormat("0.## %");
  s.Add(0);
  s.Add(0);
  EXPECT_EQ(s.GetPercentText(1, false), "100 %");
  EXPECT_EQ(s.LegendString(0, ltsPercent), "100 %");
}

TEST(SeriesTexts, MarkTextOfEachStyle)
{
  Points p;
  TSeriesMarks* m = p.s.GetMarks();
  auto text = [&](TSeriesMarksStyle style, int i) {
    m->SetStyle(style);
    return p.s.GetMarkText(i);
  };
  EXPECT_EQ(text(smsValue, 0), "10");
  EXPECT_EQ(text(smsPercent, 2), "60 %");
  EXPECT_EQ(text(smsLabel, 0), "a");
  EXPECT_EQ(text(smsLabelPercent, 2), "c 60 %");
  EXPECT_EQ(text(smsLabelValue, 0), "a 10");
  // An empty label leaves the value preceded by a blank.
  EXPECT_EQ(text(smsLabelValue, 1), " -30");
  EXPECT_EQ(text(smsPercentTotal, 0), "10 % of 100");
  EXPECT_EQ(text(smsLabelPercentTotal, 0), "a 10 % of 100");
  EXPECT_EQ(text(smsXValue, 2), "3");
  EXPECT_EQ(text(smsXY, 2), "3 60");
  // Two empty parts give an empty text, not a blank.
  EXPECT_EQ(text(smsLabel, 1), "");
  TChartSeries zero(nullptr);
  zero.SetValueFormat("#");
  zero.Add(0);
  zero.GetMarks()->SetStyle(smsLabelValue);
  ASSERT_EQ(zero.GetMarkValueText(0), "");
  EXPECT_EQ(zero.GetMarkText(0), "");
}

TEST(SeriesTexts, MarkItemTextAndEventWin)
{
  Points p;
  std::vector<std::string> lines{"one", "two"};
  p.s.GetMarks()->Items(1)->SetText(&lines);
  EXPECT_EQ(p.s.GetMarkText(1), std::string("one\rtwo"));
  p.s.OnGetMarkText = [](TChartSeries*, int32_t index, std::string& text) { text += "#" + std::to_string(index); };
  EXPECT_EQ(p.s.GetMarkText(1), std::string("one\rtwo#1"));
}

TEST(SeriesTexts, LegendStringOfEachStyle)
{
  Points p;
  EXPECT_EQ(p.s.LegendString(0, ltsPlain), "a");
  EXPECT_EQ(p.s.LegendString(0, ltsLeftValue), "10" + Sep + "a");
  EXPECT_EQ(p.s.LegendString(0, ltsRightValue), "a" + Sep + "10");
  // Without a label no separator.
  EXPECT_EQ(p.s.LegendString(1, ltsLeftValue), "-30");
  EXPECT_EQ(p.s.LegendString(1, ltsRightValue), "-30");
  // Percent here keeps the sign.
  EXPECT_EQ(p.s.LegendString(1, ltsLeftPercent), "-30 %");
  EXPECT_EQ(p.s.LegendString(2, ltsRightPercent), "c" + Sep + "60 %");
  EXPECT_EQ(p.s.LegendString(2, ltsXValue), "3");
  EXPECT_EQ(p.s.LegendString(2, ltsValue), "60");
  EXPECT_EQ(p.s.LegendString(2, ltsPercent), "60 %");
  EXPECT_EQ(p.s.LegendString(2, ltsXAndValue), "3" + Sep + "60");
  EXPECT_EQ(p.s.LegendString(2, ltsXAndPercent), "3" + Sep + "60 %");
}

TEST(SeriesTexts, DateTimeValuesAreWrittenAsDates)
{
  TChartSeries s(nullptr);
  s.YValues()->SetDateTime(true);
  s.Add(EncodeDate(2024, 3, 5));
  const std::string text = s.LegendString(0, ltsValue);
  EXPECT_NE(text.find("2024"), std::string::npos) << text;
  EXPECT_NE(text.find('5'), std::string::npos) << text;
}

TEST(SampleValues, CountsRefusalsAndNoNegatives)
{
  TChartSeries s(nullptr);
  s.FillSampleValues(0);
  EXPECT_EQ(s.Count(), 25);
  for (int i = 0; i < s.Count(); ++i) EXPECT_GE(s.YValues()->Value(i), 0.0);
  // X values ascend 0..24 without a chart.
  EXPECT_EQ(s.XValues()->Value(0), 0.0);
  EXPECT_EQ(s.XValues()->Value(24), 24.0);
  EXPECT_FALSE(s.ManualData);
  EXPECT_THROW(s.FillSampleValues(-1), ChartException);
  EXPECT_EQ(s.Count(), 25);
  s.FillSampleValues(7);
  EXPECT_EQ(s.Count(), 7);
  // The same generator state gives the same samples.
  NuvRandomize(1234);
  s.FillSampleValues(10);
  std::vector<double> first;
  for (int i = 0; i < 10; ++i) first.push_back(s.YValues()->Value(i));
  NuvRandomize(1234);
  s.FillSampleValues(10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(s.YValues()->Value(i), first[i]);
}

TEST(SampleValues, RandomValueStaysInRange)
{
  NuvRandomize(99);
  for (int i = 0; i < 1000; ++i) {
    int32_t v = TChartSeries::RandomValue(7);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 7);
  }
  EXPECT_EQ(TChartSeries::RandomValue(0), 0);
  EXPECT_EQ(TChartSeries::RandomValue(-5), 0);
}

TEST(SampleValues, GalleryPreparation)
{
  TChart chart(nullptr);
  TChartSeries a(nullptr), b(nullptr);
  a.SetParentChart(&chart);
  b.SetParentChart(&chart);
  a.PrepareForGallery(true);
  b.PrepareForGallery(true);
  EXPECT_EQ(a.Count(), 4);
  EXPECT_FALSE(a.GetMarks()->GetVisible());
  EXPECT_EQ(a.GetMarks()->GetDrawEvery(), 2);
  EXPECT_EQ(a.GetSeriesColor(), chart.GetDefaultColor(0));
  EXPECT_EQ(b.GetSeriesColor(), chart.GetDefaultColor(3));
  b.PrepareForGallery(false);
  EXPECT_EQ(b.GetSeriesColor(), clSilver);
  a.SetParentChart(nullptr);
  b.SetParentChart(nullptr);
}

TEST(SeriesMarksDrawing, BoxesCentredOnTheirPointsEveryDrawEveryPoint)
{
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 400, 300);
  chart.SetView3D(false);
  TChartSeries s(nullptr);
  s.SetValueFormat("0");
  for (int i = 0; i < 6; ++i) s.AddXY(i, 10 + i * 5);
  s.SetParentChart(&chart);
  TSeriesMarks* marks = s.GetMarks();
  marks->SetVisible(true);
  marks->SetStyle(smsValue);
  marks->SetArrowLength(0);
  marks->SetDrawEvery(2);
  // Point 4 has no text: it draws no mark.
  s.OnGetMarkText = [](TChartSeries*, int32_t index, std::string& text) {
    if (index == 4) text.clear();
  };
  chart.PaintBuffer();
  for (int i = 0; i < 6; ++i) {
    TSeriesMarkPosition* p = marks->Positions().Position(i);
    if (i % 2 != 0 || i == 4) {
      EXPECT_TRUE(p == nullptr || p->Width == 0) << i;
      continue;
    }
    ASSERT_NE(p, nullptr) << i;
    EXPECT_EQ(p->ArrowEnd.x, s.CalcXPos(i));
    EXPECT_EQ(p->ArrowEnd.y, s.CalcYPos(i));
    EXPECT_EQ(p->TopLeft.x, p->ArrowEnd.x - p->Width / 2);
    EXPECT_EQ(p->TopLeft.y + p->Height - 1, p->ArrowEnd.y);
    // Wider than the text by a "W" and the frame.
    EXPECT_GT(p->Width, chart.Canvas()->TextWidth(s.GetMarkText(i)));
  }
  s.SetParentChart(nullptr);
}

}  // namespace
