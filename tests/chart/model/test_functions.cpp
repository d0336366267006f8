// Function periods: point periods, X-range windows, alignment, and periods that cannot advance.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/model/NvEngineFunctions.h"

namespace {
std::vector<double> Seq(int n, double start = 0, double step = 1)
{
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(start + i * step);
  return v;
}
}  // namespace

TEST(FunctionPeriods, NumPoints)
{
  // Period 3 over 10 points: 0..2, 3..5, 6..8; the tenth point is left out.
  auto p = CalculateFunctionPeriods(Seq(10, 1), 3, psNumPoints, paCenter);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].First, 0);
  EXPECT_EQ(p[0].Last, 2);
  EXPECT_EQ(p[2].First, 6);
  EXPECT_EQ(p[2].Last, 8);
  EXPECT_EQ(p[0].X, 2.0);  // centre of X 1..3
  EXPECT_EQ(CalculateFunctionPeriods(Seq(3), 3, psNumPoints, paCenter)[0].X, 1.0);
  EXPECT_EQ(CalculateFunctionPeriods(Seq(3), 3, psNumPoints, paFirst)[0].X, 0.0);
  EXPECT_EQ(CalculateFunctionPeriods(Seq(3), 3, psNumPoints, paLast)[0].X, 2.0);
  // Rounded half to even: 2.5 points are 2.
  EXPECT_EQ(CalculateFunctionPeriods(Seq(4), 2.5, psNumPoints, paFirst).size(), 2u);
  // Longer than the data: nothing.
  EXPECT_TRUE(CalculateFunctionPeriods(Seq(4), 5, psNumPoints, paFirst).empty());
}

TEST(FunctionPeriods, PeriodsThatCannotAdvanceEnd)
{
  // A period that rounds to 0 points takes one point per period instead of looping.
  auto p = CalculateFunctionPeriods(Seq(5), 0.3, psNumPoints, paFirst);
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[4].First, 4);
  EXPECT_EQ(p[4].Last, 4);
  // Huge periods, zero, negative and non-finite ones give nothing.
  EXPECT_TRUE(CalculateFunctionPeriods(Seq(5), 1e300, psNumPoints, paFirst).empty());
  for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)}) {
    EXPECT_TRUE(CalculateFunctionPeriods(Seq(5), bad, psNumPoints, paFirst).empty());
    EXPECT_TRUE(CalculateFunctionPeriods(Seq(5), bad, psRange, paFirst).empty());
  }
  // A range too small to move the window start (1e6 + 1e-12 == 1e6) stops at once.
  EXPECT_TRUE(CalculateFunctionPeriods(Seq(5, 1e6), 1e-12, psRange, paFirst).empty());
  // A step that never advances ends too.
  EXPECT_TRUE(CalculateFunctionPeriods(Seq(5), 1, psRange, paFirst, [](double s) { return s; }).empty());
  // Tiny but advancing windows over a wide range are bounded.
  EXPECT_LE(CalculateFunctionPeriods({0.0, 1e9}, 1e-3, psRange, paFirst).size(),
            static_cast<size_t>(TNuvFunction::MaxPeriodPoints));
}

TEST(FunctionPeriods, Range)
{
  // X 0, 1, 2, 5, 6 in windows of 2: [0,2) holds 0..1, [2,4) holds 2, [4,6) holds 5, [6,8) holds 6.
  const std::vector<double> x = {0, 1, 2, 5, 6};
  auto p = CalculateFunctionPeriods(x, 2, psRange, paFirst);
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[0].First, 0);
  EXPECT_EQ(p[0].Last, 1);
  EXPECT_EQ(p[1].First, 2);
  EXPECT_EQ(p[1].Last, 2);
  EXPECT_EQ(p[2].First, 3);
  EXPECT_EQ(p[2].Last, 3);
  EXPECT_EQ(p[2].X, 4.0);
  EXPECT_EQ(p[3].First, 4);
  // An empty window: X 0 and 5 in windows of 2 leave [2,4) empty.
  auto e = CalculateFunctionPeriods({0.0, 5.0}, 2, psRange, paLast);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_LT(e[1].Last, e[1].First);
  EXPECT_DOUBLE_EQ(e[1].X, 4 - 0.002);
  EXPECT_DOUBLE_EQ(CalculateFunctionPeriods(x, 2, psRange, paCenter)[0].X, (0 + 2 - 0.002) / 2);
}

// ---- A function filling its series ----
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineSeries.h"

namespace {
class TCountFunction : public TNuvFunction {
public:
  using TNuvFunction::TNuvFunction;
  int calls = 0;
  double Calculate(TChartSeries* source, int32_t first, int32_t last) override
  {
    ++calls;
    return first < 0 ? source->Count() : last - first + 1;
  }
};
}  // namespace

TEST(FunctionSeries, CalendarMonthsAndRecalculation)
{
  TChart chart(nullptr);
  TChartSeries source(nullptr), result(nullptr);
  source.SetParentChart(&chart);
  result.SetParentChart(&chart);
  source.XValues()->SetDateTime(true);
  const double jan1 = EncodeDate(2021, 1, 1);
  for (int d = 0; d < 90; ++d) source.AddXY(jan1 + d, 1);  // January to March 2021
  auto* f = new TCountFunction(nullptr);
  result.SetFunction(f);
  f->SetPeriodStyle(psRange);
  f->SetPeriodAlign(paFirst);
  result.SetDataSource(&source);
  f->SetPeriod(30);  // one calendar month
  ASSERT_EQ(result.Count(), 3);
  EXPECT_EQ(result.YValues()->Value(0), 31);
  EXPECT_EQ(result.YValues()->Value(1), 28);
  EXPECT_EQ(result.YValues()->Value(2), 31);
  EXPECT_EQ(result.XValues()->Value(1), EncodeDate(2021, 2, 1));

  // The same period again recalculates nothing; updates postpone the recalculation.
  const int calls = f->calls;
  f->SetPeriod(30);
  EXPECT_EQ(f->calls, calls);
  f->BeginUpdate();
  f->SetPeriod(7);
  EXPECT_EQ(f->calls, calls);
  f->EndUpdate();
  EXPECT_GT(f->calls, calls);
  EXPECT_EQ(result.Count(), 13);  // twelve weeks and the part week at the end of 90 days
  source.SetParentChart(nullptr);
  result.SetParentChart(nullptr);
}
