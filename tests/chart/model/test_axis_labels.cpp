// Axis label values and texts without a canvas: value, logarithmic and date-time label runs,
// number and date formats, label factor and offset, minor marks and grid positions.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/model/NvEngineAxis.h"

namespace {

TAxisLabelRun LabelRunOf(double lo, double hi, double inc)
{
  TAxisLabelRun r;
  r.A = lo;
  r.B = hi;
  r.Step = inc;
  r.Increment = inc;
  r.ScaleMinimum = lo;
  r.ScaleRange = hi - lo;
  return r;
}

std::vector<double> Expected(double top, double bottom, double step)
{
  std::vector<double> v;
  for (double t = top; t >= bottom - 1e-9; t -= step) v.push_back(t);
  return v;
}

void ExpectValues(const std::vector<double>& got, const std::vector<double>& want)
{
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9 * std::max(1.0, std::fabs(want[i]))) << i;
}

TEST(AxisLabelValues, RunDownFromTheTopOnMultiplesOfTheIncrement)
{
  ExpectValues(AxisValueLabelValues(LabelRunOf(0, 100, 10)), Expected(100, 0, 10));
  ExpectValues(AxisValueLabelValues(LabelRunOf(3, 97, 10)), Expected(90, 10, 10));
  ExpectValues(AxisValueLabelValues(LabelRunOf(-35, -2, 5)), Expected(-5, -35, 5));
  ExpectValues(AxisValueLabelValues(LabelRunOf(-1e6, 3e6, 1e6)), Expected(3e6, -1e6, 1e6));
  ExpectValues(AxisValueLabelValues(LabelRunOf(0.001, 0.0042, 0.001)), Expected(0.004, 0.001, 0.001));
  // Without RoundFirstLabel the maximum itself is the first label.
  TAxisLabelRun r = LabelRunOf(3, 97, 10);
  r.RoundFirstLabel = false;
  ExpectValues(AxisValueLabelValues(r), Expected(97, 7, 10));
}

TEST(AxisLabelValues, DegenerateRanges)
{
  // Equal ends (one point): the single label of the value.
  ExpectValues(AxisValueLabelValues(LabelRunOf(7, 7, 1)), {7});
  // 10000 steps or more across the range: no labels at all.
  EXPECT_TRUE(AxisValueLabelValues(LabelRunOf(0, 1e6, 100)).empty());
  EXPECT_EQ(AxisValueLabelValues(LabelRunOf(0, 9999, 1)).size(), 10000u);
  // A step too small to move a huge value: one label, not a loop.
  EXPECT_EQ(AxisValueLabelValues(LabelRunOf(1e20, 1e20 + 1e5, 1e5 / 4)).size(), 1u);
  EXPECT_TRUE(AxisValueLabelValues(LabelRunOf(0, 10, 0)).empty());
  EXPECT_TRUE(AxisValueLabelValues(LabelRunOf(0, INFINITY, 1)).empty());
}

TEST(AxisLabelValues, LogarithmicPowers)
{
  TAxisScaleKind log;
  log.Logarithmic = true;
  ExpectValues(AxisLogLabelValues(1, 1000, log, false), {1, 10, 100, 1000});
  ExpectValues(AxisLogLabelValues(3, 7000, log, false), {10, 100, 1000});
  // A minimum of zero starts at 0.1.
  ExpectValues(AxisLogLabelValues(0, 10, log, false), {0.1, 1, 10});
  log.LogBase = 2;
  ExpectValues(AxisLogLabelValues(1, 16, log, false), {1, 2, 4, 8, 16});
  // Minor-grid ticks below and above the labels.
  log.LogBase = 10;
  std::vector<double> extra;
  ExpectValues(AxisLogLabelValues(1, 500, log, true, &extra), {1, 10, 100});
  ASSERT_EQ(extra.size(), 2u);
  EXPECT_NEAR(extra[0], 0.1, 1e-15);
  EXPECT_NEAR(extra[1], 1000, 1e-9);
  // No power inside the range, equal ends: nothing.
  EXPECT_TRUE(AxisLogLabelValues(2, 8, log, false).empty());
  EXPECT_TRUE(AxisLogLabelValues(5, 5, log, false).empty());
}

TEST(AxisLabelValues, SymmetricDecadesStepThroughZero)
{
  TAxisScaleKind sym;
  sym.Logarithmic = sym.Symmetric = true;
  sym.SymmetricScale = 1.0 / 9;  // linear zone up to 1
  const std::vector<double> v = AxisLogLabelValues(-100, 100, sym, false);
  ASSERT_FALSE(v.empty());
  for (size_t i = 1; i < v.size(); ++i) EXPECT_GT(v[i], v[i - 1]);
  EXPECT_NEAR(v.front(), -100, 1e-9);
  EXPECT_NEAR(v.back(), 100, 1e-9);
  EXPECT_NE(std::find(v.begin(), v.end(), 0.0), v.end());
}

TEST(AxisLabelValues, DateTimeMonthsFallOnTheFirstDay)
{
  const double jan = EncodeDate(2024, 1, 10), jun = EncodeDate(2024, 6, 20);
  TAxisLabelRun r = LabelRunOf(jan, jun, 30);
  r.IsDateTime = true;
  r.StepIndex = DateTimeStepIndex(30);
  ASSERT_EQ(r.StepIndex, 21);
  const std::vector<double> v = AxisValueLabelValues(r);
  ASSERT_EQ(v.size(), 5u);
  for (size_t i = 0; i < v.size(); ++i) {
    int32_t y, m, d;
    DecodeDate(v[i], y, m, d);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(m, 6 - static_cast<int32_t>(i));
  }
}

TEST(AxisFormats, NumberFormats)
{
  EXPECT_EQ(FormatFloat("#,##0.###", 1234567.891), "1,234,567.891");
  EXPECT_EQ(FormatFloat("#,##0.###", 0.5), "0.5");
  EXPECT_EQ(FormatFloat("#,##0.###", 100), "100");
  EXPECT_EQ(FormatFloat("#,##0.###", -2.0625), "-2.063");
  EXPECT_EQ(FormatFloat("#,##0.###", 0.0625), "0.063");
  EXPECT_EQ(FormatFloat("#,##0.###", -1e-17), "-0");
  EXPECT_EQ(FormatFloat("0.00", 1), "1.00");
  EXPECT_EQ(FormatFloat("#.##", 1), "1");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("##0.## %", 12.375), "12.38 %");
  EXPECT_EQ(FormatFloat("0\"0\"e-0", 1000), "10e3");
  EXPECT_EQ(FormatFloat("0\"0\"e-0", 0.01), "10e-2");
  EXPECT_EQ(FormatFloat("#.0 \"x10\" E+0", 1234), "1.2 x10 E+3");
  EXPECT_EQ(FormatFloat("0.00E+00", 0.000123), "1.23E-04");
  EXPECT_EQ(FormatFloat("0;(0);zero", -5), "(5)");
  EXPECT_EQ(FormatFloat("0;(0);zero", 0), "zero");
  EXPECT_EQ(FormatFloat("#,##0", 1e21), "1,000,000,000,000,000,000,000");
  EXPECT_EQ(FormatFloat("", 2.5), "2.5");
  EXPECT_EQ(FormatFloat("#,##0.###", NAN), "NAN");
}

TEST(AxisFormats, DateFormatsAndGeneralText)
{
  const double d = EncodeDate(2024, 2, 29) + (13 * 3600 + 4 * 60 + 5) / 86400.0;
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", d), "29/02/2024");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", d), "13:04:05");
  EXPECT_EQ(FormatDateTime("d mmm yy h:mm am/pm", d), "29 Feb 24 1:04 pm");
  EXPECT_EQ(FormatDateTime("dddd mmmm", d), "Thursday February");
  EXPECT_EQ(FormatDateTime("yyyy \"week\"", d), "2024 week");
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", 1e12), "");
  EXPECT_EQ(FloatToStrGeneral(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToStrGeneral(1e20), "1E20");
  EXPECT_EQ(FloatToStrGeneral(-1.5e-7), "-1.5E-7");
  double v = 0;
  EXPECT_TRUE(AxisTextToFloat("2,5", v));
  EXPECT_EQ(v, 2.5);
  EXPECT_FALSE(AxisTextToFloat("x", v));
}

TEST(AxisLabels, TextsAsTheAxisFormatsThem)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(0, 100);
  axis.AdjustMaxMin();
  axis.SetPositions(0, 400);
  std::vector<TAxisLabelItem> labels = axis.CalcValueLabels(25);
  ASSERT_EQ(labels.size(), 5u);
  EXPECT_EQ(labels[0].Text, "100");
  EXPECT_EQ(labels[0].Position, 0);
  EXPECT_EQ(labels[4].Text, "0");
  EXPECT_EQ(labels[4].Position, 400);

  // Labels show (value + offset) x factor; a factor of -1 shows negated values.
  axis.LabelOffset = 1000;
  axis.LabelFactor = 0.01;
  labels = axis.CalcValueLabels(25);
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(labels[0].Text, "11");
  EXPECT_NEAR(labels[0].Value, 100, 1e-9);
  axis.LabelOffset = 0;
  axis.LabelFactor = -1;
  labels = axis.CalcValueLabels(50);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0].Text, "-100");
  EXPECT_EQ(labels[2].Position, 400);
  // A factor of 0 is taken as 1: finite values, no 0/0.
  axis.LabelFactor = 0;
  labels = axis.CalcValueLabels(50);
  ASSERT_EQ(labels.size(), 3u);
  for (const auto& l : labels) EXPECT_TRUE(std::isfinite(l.Value));
  EXPECT_EQ(labels[1].Text, "50");

  axis.LabelFactor = 1;
  axis.SetAxisValuesFormat("0.0 'm'");
  EXPECT_EQ(axis.LabelValueText(2), "2.0 m");
  axis.SetLabelsMultiLine(true);
  EXPECT_EQ(axis.LabelValueText(2), "2.0\rm");
  axis.IsDateTimeAxis = true;
  EXPECT_EQ(axis.LabelValueText(-1), "");
  axis.SetDateTimeFormat("yyyy");
  EXPECT_EQ(axis.LabelValueText(EncodeDate(1999, 5, 5)), "1999");
}

TEST(AxisLabels, LogarithmicAxisLabelsTheDecades)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(1, 1000);
  axis.SetLogarithmic(true);
  axis.SetPositions(0, 300);
  const std::vector<TAxisLabelItem> labels = axis.CalcLogLabels();
  ASSERT_EQ(labels.size(), 4u);
  const char* texts[] = {"1", "10", "100", "1,000"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(labels[i].Text, texts[i]);
    EXPECT_EQ(labels[i].Position, 300 - 100 * i);
  }
}

TEST(AxisTicks, MinorMarksAndGridPositions)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(0, 100);
  axis.AdjustMaxMin();
  axis.SetPositions(50, 250);
  axis.SetMinorTickCount(3);
  axis.Tick = {100, 140, 180};
  const std::vector<int32_t> minor = axis.CalcMinorTickPositions();
  const std::vector<int32_t> want = {110, 120, 130, 150, 160, 170, 90, 80, 70, 190, 200, 210};
  EXPECT_EQ(minor, want);
  // Only inside the axis ends.
  axis.SetPositions(95, 205);
  const std::vector<int32_t> inner = axis.CalcMinorTickPositions();
  EXPECT_EQ(inner, (std::vector<int32_t>{110, 120, 130, 150, 160, 170, 190, 200}));

  axis.SetPositions(0, 400);
  axis.Tick = {0, 100, 200, 300, 400};
  EXPECT_EQ(axis.CalcGridPositions(), axis.Tick);
  axis.SetGridCentered(true);
  EXPECT_EQ(axis.CalcGridPositions(), (std::vector<int32_t>{50, 150, 250, 350}));
  // Ticks beyond two pixels outside the ends get no grid.
  axis.SetGridCentered(false);
  axis.Tick = {-3, -1, 401, 402};
  EXPECT_EQ(axis.CalcGridPositions(), (std::vector<int32_t>{-1, 401}));
}

}  // namespace
