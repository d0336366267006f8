// Axis scaling checked against formulas written here: nice steps, range rounding, increments of
// linear, logarithmic and date-time axes over a table of ranges, value <-> pixel round trips,
// and the range setters' refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/canvas/NuvConst.h"
#include "chart/model/NvEngineAxis.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Smallest number of the 1-2-5 series strictly above t (enumerated from powers of ten).
double NextNiceAbove(double t)
{
  int e = static_cast<int>(std::floor(std::log10(t))) - 1;
  for (;; ++e)
    for (double m : {1.0, 2.0, 5.0}) {
      const double s = m * std::pow(10.0, e);
      if (s > t * (1 + 1e-12)) return s;
    }
}

// Linear increment: the first nice number above range / (n + 1) that leaves at most n labels.
double ReferenceLinearIncrement(double range, int n)
{
  if (range == 0) return 1.0;
  double s = NextNiceAbove(std::fabs(range) / (n + 1));
  while (std::llround(range / s) > n) s = NextNiceAbove(s);
  return std::max(s, MinAxisIncrement);
}

// Logarithmic increment: base^round(log_base(range / (n + 1))), times the base while too many.
double ReferenceLogIncrement(double range, int n, double base)
{
  double s = std::pow(base, std::round(std::log(range / (n + 1)) / std::log(base)));
  while (std::llround(range / s) > n) s *= base;
  return s;
}

TAxisIncrementInput Linear(double range)
{
  TAxisIncrementInput in;
  in.ScaleRange = range;
  return in;
}

TEST(AxisEngine, NiceStepFollowsTheOneTwoFiveSeries)
{
  EXPECT_EQ(NiceStep(0), 1.0);
  EXPECT_EQ(NiceStep(1), 2.0);
  EXPECT_EQ(NiceStep(2), 5.0);
  EXPECT_EQ(NiceStep(3), 5.0);
  EXPECT_EQ(NiceStep(5), 10.0);
  EXPECT_EQ(NiceStep(7), 10.0);
  EXPECT_DOUBLE_EQ(NiceStep(23), 50.0);
  EXPECT_NEAR(NiceStep(0.07), 0.1, 1e-15);
  for (double t : {1e-300, 3.3e-9, 0.123, 4.9, 77.0, 1.5e12, 9.9e299})
    EXPECT_NEAR(NiceStep(t) / NextNiceAbove(t), 1.0, 1e-9) << t;
}

TEST(AxisEngine, NiceStepAndIncrementNeverHangOnNonFiniteInput)
{
  EXPECT_TRUE(std::isinf(NiceStep(kInf)));
  EXPECT_TRUE(std::isnan(NiceStep(kNaN)));
  EXPECT_EQ(NiceStep(-3), -5.0);
  EXPECT_GT(NiceStep(1e-320), 0.0);
  for (double range : {kInf, -kInf, kNaN}) {
    const double inc = AxisCalcIncrement(Linear(range), 10);
    EXPECT_TRUE(std::isfinite(inc)) << range;
    EXPECT_GT(inc, 0.0);
  }
  TAxisIncrementInput dates = Linear(30);
  dates.IsDateTime = true;
  dates.Increment = kNaN;
  EXPECT_TRUE(std::isfinite(AxisCalcIncrement(dates, 10)));
  TAxisIncrementInput log = Linear(kInf);
  log.Kind.Logarithmic = true;
  EXPECT_TRUE(std::isfinite(AxisCalcIncrement(log, 10)));
  // A base below 1 cannot grow the step: the search still ends.
  TAxisIncrementInput shrinking = Linear(1000);
  shrinking.Kind.Logarithmic = true;
  shrinking.Kind.LogBase = 0.5;
  EXPECT_TRUE(std::isfinite(AxisCalcIncrement(shrinking, 3)));
}

TEST(AxisEngine, LinearIncrementsOverATableOfRanges)
{
  const double ranges[] = {1e-12, 3.3e-7, 0.5, 1, 7, 100, 480, 12345.678, 1e15, 1e300};
  for (double range : ranges)
    for (int n : {1, 2, 5, 10, 13, 40}) {
      const double inc = AxisCalcIncrement(Linear(range), n);
      EXPECT_NEAR(inc / ReferenceLinearIncrement(range, n), 1.0, 1e-9) << range << " " << n;
      EXPECT_LE(std::llround(range / inc), n);
    }
  // Equal ends and a single point: one step of 1.
  EXPECT_EQ(AxisCalcIncrement(Linear(0), 10), 1.0);
  // A negative range (ends reversed) keeps a positive step.
  EXPECT_GT(AxisCalcIncrement(Linear(-480), 10), 0.0);
  // No labels fit: the smallest increment.
  EXPECT_EQ(AxisCalcIncrement(Linear(100), 0), MinAxisIncrement);
  // A fixed increment that fits is kept; one that does not is raised along the series.
  TAxisIncrementInput fixed = Linear(100);
  fixed.Increment = 25;
  EXPECT_EQ(AxisCalcIncrement(fixed, 10), 25.0);
  fixed.Increment = 3;
  EXPECT_EQ(AxisCalcIncrement(fixed, 10), 10.0);
  // Without a label separation the first trial stands.
  TAxisIncrementInput loose = Linear(100);
  loose.LabelsSeparation = 0;
  EXPECT_NEAR(AxisCalcIncrement(loose, 12), 100.0 / 13, 1e-12);
}

TEST(AxisEngine, ThirtyPixelLabelsOnFourHundredPixelsStepByTen)
{
  const int maxLabels = AxisMaxLabels(30, 10, 400);
  EXPECT_EQ(maxLabels, 12);
  EXPECT_EQ(AxisCalcIncrement(Linear(100), maxLabels), 10.0);
  EXPECT_EQ(AxisMaxLabels(0.5, 10, 400), 1);
}

TEST(AxisEngine, FewPointsRaiseTheStartStepToOne)
{
  TAxisIncrementInput in = Linear(3);
  in.LabelsSeparation = 0;
  in.FewPointsSeries = [](int32_t) { return true; };
  EXPECT_EQ(AxisCalcIncrement(in, 10), 1.0);
  in.FewPointsSeries = [](int32_t) { return false; };
  EXPECT_NEAR(AxisCalcIncrement(in, 10), 3.0 / 11, 1e-12);
}

TEST(AxisEngine, LogarithmicIncrementsOverATableOfRanges)
{
  for (double base : {10.0, 2.0, std::exp(1.0)})
    for (double range : {0.9, 9.0, 999.0, 1e6, 1e200})
      for (int n : {2, 5, 10}) {
        TAxisIncrementInput in = Linear(range);
        in.Kind.Logarithmic = true;
        in.Kind.LogBase = base;
        EXPECT_NEAR(AxisCalcIncrement(in, n) / ReferenceLogIncrement(range, n, base), 1.0, 1e-9)
            << base << " " << range << " " << n;
      }
}

TEST(AxisEngine, DateTimeIncrementsWalkTheStepTable)
{
  TAxisIncrementInput in = Linear(30);
  in.IsDateTime = true;
  EXPECT_DOUBLE_EQ(AxisCalcIncrement(in, 10), 3.0);
  // Two hours for a day with twelve labels; one week for a quarter year with fifteen.
  in.ScaleRange = 1;
  EXPECT_NEAR(AxisCalcIncrement(in, 12), 2.0 / 24, 1e-12);
  in.ScaleRange = 91;
  EXPECT_DOUBLE_EQ(AxisCalcIncrement(in, 15), 7.0);
  // Past a year the step doubles.
  in.ScaleRange = 365 * 20;
  EXPECT_DOUBLE_EQ(AxisCalcIncrement(in, 5), 365.0 * 4);
  // Reference over the table: the first entry from five seconds on that leaves at most n labels.
  for (double range : {0.01, 0.3, 2.0, 45.0, 200.0})
    for (int n : {4, 8, 16}) {
      double expected = 0;
      for (int i = 3; i < NumDateTimeSteps; ++i)
        if (std::llround(range / DateTimeSteps[i]) <= n) {
          expected = DateTimeSteps[i];
          break;
        }
      if (expected == 0) continue;
      in.ScaleRange = range;
      EXPECT_NEAR(AxisCalcIncrement(in, n) / expected, 1.0, 1e-9) << range << " " << n;
    }
  // Equal ends and nothing fitting.
  in.ScaleRange = 0;
  EXPECT_EQ(AxisCalcIncrement(in, 10), DateTimeSteps[0]);
  EXPECT_EQ(AxisCalcIncrement(in, 0), DateTimeSteps[0]);
}

TEST(AxisEngine, RoundedEnds)
{
  TAxisScaleKind linear;
  TAxisEnds e = AxisRoundEnds(3, 17, true, 5, linear);
  EXPECT_EQ(e.Minimum, 0.0);
  EXPECT_EQ(e.Maximum, 20.0);
  e = AxisRoundEnds(-17, -3, true, 5, linear);
  EXPECT_EQ(e.Minimum, -20.0);
  EXPECT_EQ(e.Maximum, 0.0);
  // Within 1e-10 of a whole increment counts as on it.
  e = AxisRoundEnds(5 + 1e-12, 15 - 1e-12, true, 5, linear);
  EXPECT_EQ(e.Minimum, 5.0);
  EXPECT_EQ(e.Maximum, 15.0);
  e = AxisRoundEnds(3, 17, false, 5, linear);
  EXPECT_EQ(e.Minimum, 3.0);
  e = AxisRoundEnds(3, 17, true, 0, linear);
  EXPECT_EQ(e.Maximum, 17.0);

  TAxisScaleKind log;
  log.Logarithmic = true;
  e = AxisRoundEnds(3, 70, true, 0, log);
  EXPECT_NEAR(e.Minimum, 1, 1e-12);
  EXPECT_NEAR(e.Maximum, 100, 1e-9);
  e = AxisRoundEnds(20, 30, true, 0, log);
  EXPECT_NEAR(e.Minimum, 10, 1e-12);
  EXPECT_NEAR(e.Maximum, 100, 1e-9);
  e = AxisRoundEnds(10, 10, true, 0, log);
  EXPECT_NEAR(e.Minimum, 1, 1e-12);
  EXPECT_NEAR(e.Maximum, 100, 1e-9);

  TAxisScaleKind sym = log;
  sym.Symmetric = true;
  e = AxisRoundEnds(-30, 700, true, 0, sym);
  EXPECT_NEAR(e.Minimum, -100, 1e-9);
  EXPECT_NEAR(e.Maximum, 1000, 1e-9);
  e = AxisRoundEnds(0, 50, true, 0, sym);
  EXPECT_EQ(e.Minimum, 0.0);
  EXPECT_NEAR(e.Maximum, 100, 1e-9);
  // Huge ends whose rounding leaves the number range keep their value.
  e = AxisRoundEnds(-1e308, 1.7e308, true, 1e-300, linear);
  EXPECT_TRUE(std::isfinite(e.Minimum));
  EXPECT_TRUE(std::isfinite(e.Maximum));
}

TEST(AxisEngine, SymmetricLogarithm)
{
  for (double s : {0.01, 1.0, 37.0})
    for (double x : {-5e6, -3.0, -0.001, 0.0, 0.25, 42.0, 1e9}) {
      EXPECT_NEAR(SymmetricLog10(s, x), (x >= 0 ? 1 : -1) * std::log10(std::fabs(x) / s + 1), 1e-12);
      EXPECT_NEAR(SymmetricPower10(s, SymmetricLog10(s, x)), x, 1e-9 * std::max(1.0, std::fabs(x)));
    }
  // The scale keeps three decades below the largest magnitude: T = 10^(round(log10 M) - 3).
  double minStep = 0.01;
  EXPECT_NEAR(AxisSymmetricScale(-20, 1000, 3, false, minStep), 1.0 / 9, 1e-12);
  // A wholly negative range: T = 10^round(log10(1e-5 |max|)).
  EXPECT_NEAR(AxisSymmetricScale(-1e6, -1e3, 3, false, minStep), 0.01 / 9, 1e-15);
  EXPECT_EQ(AxisSymmetricScale(0, 0, 3, false, minStep), 1.0);
  // Min-step mode: from SymmetricMinStep, which becomes M / 100 when not positive.
  minStep = 0;
  EXPECT_NEAR(AxisSymmetricScale(-5, 1000, 3, true, minStep), 10.0 / 9, 1e-12);
  EXPECT_EQ(minStep, 10.0);
  // A minimum step above M is held at M.
  minStep = 1e9;
  EXPECT_NEAR(AxisSymmetricScale(-5, 1000, 3, true, minStep), 1000.0 / 9, 1e-9);
}

// ---- The axis object ----

TEST(AxisRange, SetMinMaxOrdersWidensAndLeavesAutomatic)
{
  TChartAxis axis(nullptr);
  EXPECT_TRUE(axis.GetAutomatic());
  axis.SetMinMax(5, 2);
  EXPECT_EQ(axis.GetMinimum(), 2.0);
  EXPECT_EQ(axis.GetMaximum(), 5.0);
  EXPECT_FALSE(axis.GetAutomatic());
  EXPECT_FALSE(axis.GetAutomaticMinimum());
  EXPECT_FALSE(axis.GetAutomaticMaximum());
  axis.SetMinMax(3, 3);
  EXPECT_EQ(axis.GetMaximum(), 3 + MinAxisRange);
  // A new pair may lie wholly above the old one.
  axis.SetMinMax(100, 200);
  EXPECT_EQ(axis.GetMinimum(), 100.0);
}

TEST(AxisRange, NonFiniteEndsAreRefusedAndChangeNothing)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(1, 2);
  axis.SetAutomatic(true);
  for (auto [a, b] : {std::pair{kNaN, 1.0}, {0.0, kInf}, {-kInf, 0.0}}) {
    EXPECT_THROW(axis.SetMinMax(a, b), AxisException);
    EXPECT_THROW(axis.RestoreRange(false, false, false, a, b), AxisException);
  }
  EXPECT_EQ(axis.GetMinimum(), 1.0);
  EXPECT_EQ(axis.GetMaximum(), 2.0);
  EXPECT_TRUE(axis.GetAutomatic());
}

TEST(AxisRange, SettersRefuseBadValuesWithTheTableTexts)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(0, 10);
  try {
    axis.SetMinimum(11);
    FAIL();
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), "Axis Minimum Value must be <= Maximum");
  }
  try {
    axis.SetMaximum(-1);
    FAIL();
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), "Axis Maximum Value must be >= Minimum");
  }
  EXPECT_EQ(axis.GetMinimum(), 0.0);
  EXPECT_EQ(axis.GetMaximum(), 10.0);
  for (double base : {1.0, 0.0, -2.0, kNaN}) EXPECT_THROW(axis.SetLogarithmicBase(base), AxisException);
  EXPECT_EQ(axis.GetLogarithmicBase(), 10.0);
  try {
    axis.SetLogarithmicBase(1);
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), "Axis Logarithmic Base should be <> 1 and > 0");
  }
  EXPECT_THROW(axis.SetIncrement(-1), AxisException);
  EXPECT_THROW(axis.SetIncrement(kNaN), AxisException);
  EXPECT_EQ(axis.GetIncrement(), 0.0);
  axis.IsDateTimeAxis = true;
  try {
    axis.SetLogarithmic(true);
    FAIL();
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), "DateTime Axis cannot be Logarithmic");
  }
  EXPECT_FALSE(axis.GetLogarithmic());
}

TEST(AxisRange, RestoreRangePutsBackBothEndsAtOnce)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(50, 60);
  // Undo of a scroll past the old minimum: the saved range lies wholly below.
  axis.RestoreRange(false, true, false, 0, 10);
  EXPECT_EQ(axis.GetMinimum(), 0.0);
  EXPECT_EQ(axis.GetMaximum(), 10.0);
  EXPECT_FALSE(axis.GetAutomatic());
  EXPECT_TRUE(axis.GetAutomaticMinimum());
  EXPECT_FALSE(axis.GetAutomaticMaximum());
}

TEST(AxisRange, AutomaticFlagsMirrorEachOther)
{
  TChartAxis axis(nullptr);
  axis.SetAutomaticMaximum(false);
  EXPECT_FALSE(axis.GetAutomatic());
  EXPECT_TRUE(axis.GetAutomaticMinimum());
  axis.SetAutomaticMaximum(true);
  EXPECT_TRUE(axis.GetAutomatic());
  axis.SetAutomatic(false);
  EXPECT_FALSE(axis.GetAutomaticMinimum());
  EXPECT_FALSE(axis.GetAutomaticMaximum());
}

TEST(AxisRange, AdjustMaxMinRoundsAndSwitchesSymmetricLog)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(3, 17);
  axis.SetIncrement(5);
  axis.RoundMinMax = true;
  axis.AdjustMaxMin();
  EXPECT_EQ(axis.ScaleMinimum, 0.0);
  EXPECT_EQ(axis.ScaleMaximum, 20.0);
  EXPECT_EQ(axis.GetMaximum(), 20.0);
  EXPECT_TRUE(axis.RangeChanged);
  axis.AdjustMaxMin();
  EXPECT_FALSE(axis.RangeChanged);
  axis.KeepRange = true;
  axis.SetMinMax(1, 2);
  axis.AdjustMaxMin();
  EXPECT_EQ(axis.ScaleMaximum, 20.0);

  TChartAxis log(nullptr);
  log.SetMinMax(-5, 100);
  log.SetLogarithmic(true);
  EXPECT_TRUE(log.SymmetricLog);
  log.SetMinMax(1, 100);
  log.AdjustMaxMin();
  EXPECT_FALSE(log.SymmetricLog);
  // Forced limits replace automatic ends only.
  TChartAxis forced(nullptr);
  forced.UseForcedLimits = true;
  forced.ForcedMinimum = -7;
  forced.ForcedMaximum = 9;
  forced.AdjustMaxMin();
  EXPECT_EQ(forced.ScaleMinimum, -7.0);
  EXPECT_EQ(forced.ScaleMaximum, 9.0);
}

TEST(AxisRange, AutoLogFormatSwitchesTheLabelFormat)
{
  TChartAxis axis(nullptr);
  axis.AutoLogFormat = true;
  axis.SetMinMax(1, 1000);
  int changes = 0;
  axis.OnScaleChange = [&](TObject*) { ++changes; };
  axis.SetLogarithmic(true);
  EXPECT_EQ(axis.GetAxisValuesFormat(), "0\"0\"e-0");
  EXPECT_TRUE(axis.GetLabelsExponent());
  EXPECT_EQ(axis.GetMinorTickCount(), 8);
  axis.SetLogarithmic(false);
  EXPECT_EQ(axis.GetAxisValuesFormat(), "##0.###");
  EXPECT_EQ(axis.GetMinorTickCount(), 1);
  EXPECT_EQ(changes, 2);
}

// ---- Value <-> pixel ----

struct Mapped {
  TChartAxis axis{nullptr};
  Mapped(bool horizontal, bool inverted, double lo, double hi, int start = 40, int end = 440)
  {
    axis.SetHorizontal(horizontal);
    axis.SetInverted(inverted);
    axis.SetMinMax(lo, hi);
    axis.AdjustMaxMin();
    axis.SetPositions(start, end);
  }
};

TEST(AxisMap, LinearPixelsFollowTheFormula)
{
  for (bool horizontal : {true, false})
    for (bool inverted : {false, true}) {
      Mapped m(horizontal, inverted, -20, 180);
      for (double v : {-20.0, -7.3, 0.0, 55.5, 180.0, 250.0}) {
        const double offset = (v + 20) * 400.0 / 200.0;
        const double fromStart = horizontal != inverted;
        const double expected = fromStart ? 40 + offset : 440 - offset;
        EXPECT_EQ(m.axis.CalcPosValue(v), std::lround(expected)) << horizontal << inverted << v;
        EXPECT_DOUBLE_EQ(m.axis.ValueToPositionFloat(v), expected);
        // Pixel -> value -> pixel, and value -> pixel -> value within half a pixel's worth.
        EXPECT_NEAR(m.axis.PositionToValue(m.axis.CalcPosValue(v)), v, 0.5 * 200 / 400);
      }
      for (int px = 40; px <= 440; px += 37) EXPECT_EQ(m.axis.CalcPosValue(m.axis.PositionToValue(px)), px);
    }
}

TEST(AxisMap, EndsOfAVerticalAxis)
{
  Mapped m(false, false, 0, 10);
  EXPECT_EQ(m.axis.PositionToValue(m.axis.PosStart), m.axis.ScaleMaximum);
  Mapped inv(false, true, 0, 10);
  EXPECT_EQ(inv.axis.PositionToValue(inv.axis.PosStart), inv.axis.ScaleMinimum);
  EXPECT_EQ(inv.axis.CalcYPosValue(0), 40);
}

TEST(AxisMap, FarValuesAreHeldAtThePixelLimit)
{
  Mapped m(true, false, 0, 1);
  EXPECT_EQ(m.axis.CalcPosValue(1e300), PixelLimit);
  EXPECT_EQ(m.axis.CalcPosValue(-1e300), -PixelLimit);
  EXPECT_EQ(m.axis.CalcPosValue(kInf), PixelLimit);
  EXPECT_NO_THROW(m.axis.CalcPosValue(kNaN));
  Mapped tiny(false, false, 0, 1e-10);
  EXPECT_EQ(tiny.axis.CalcPosValue(1), -PixelLimit);
  EXPECT_EQ(m.axis.ValueToPixelSize(1e300), PixelLimit);
}

TEST(AxisMap, ZeroRangeGoesToTheCentre)
{
  TChartAxis axis(nullptr);
  axis.SetScale(5, 5);
  axis.SetPositions(100, 301);
  EXPECT_EQ(axis.PixelsPerUnit, 0.0);
  EXPECT_EQ(axis.CalcPosValue(5), 200);
  EXPECT_EQ(axis.CalcPosValue(1e9), 200);
  EXPECT_EQ(axis.ValueToPixelSize(3), 0);
  EXPECT_EQ(axis.ValueToPositionFloat(7), 200.0);
  axis.SetLogarithmic(true);
  axis.SetScale(5, 5);
  EXPECT_EQ(axis.CalcPosValue(5), 200);
  EXPECT_EQ(axis.PositionToValue(150), 5.0);
}

TEST(AxisMap, LogarithmicRoundTrips)
{
  for (bool horizontal : {true, false})
    for (bool inverted : {false, true}) {
      TChartAxis axis(nullptr);
      axis.SetHorizontal(horizontal);
      axis.SetInverted(inverted);
      axis.SetMinMax(1, 1e4);
      axis.SetLogarithmic(true);
      axis.SetPositions(0, 400);
      for (double v : {1.0, 3.0, 10.0, 777.0, 1e4}) {
        const double q = std::log10(v) * 100;  // 100 pixels a decade
        const double offset = inverted ? 400 - q : q;
        const double expected = horizontal ? offset : 400 - offset;
        EXPECT_EQ(axis.CalcPosValue(v), std::lround(expected)) << horizontal << inverted << v;
        const double back = axis.PositionToValue(axis.CalcPosValue(v));
        EXPECT_NEAR(std::log10(back), std::log10(v), 0.5 / 100 + 1e-12);
      }
      // Zero and below sit at the end that shows the minimum.
      const int minEnd = axis.CalcPosValue(1);
      EXPECT_EQ(axis.CalcPosValue(0), minEnd);
      EXPECT_EQ(axis.CalcPosValue(-5), minEnd);
      EXPECT_EQ(axis.PositionToValue(horizontal != inverted ? 0 : 400), 1.0);
    }
}

TEST(AxisMap, SymmetricLogarithmicRoundTrips)
{
  TChartAxis axis(nullptr);
  axis.SetMinMax(-1000, 1000);
  axis.SetLogarithmic(true);
  ASSERT_TRUE(axis.SymmetricLog);
  axis.SetPositions(0, 600);
  const double s = axis.SymmetricScale;
  const double lmin = SymmetricLog10(s, -1000), lmax = SymmetricLog10(s, 1000);
  for (double v : {-1000.0, -20.0, -0.5, 0.0, 3.0, 640.0}) {
    const double expected = 600 - (SymmetricLog10(s, v) - lmin) * 600 / (lmax - lmin);
    EXPECT_EQ(axis.CalcPosValue(v), std::lround(expected));
    EXPECT_NEAR(axis.PositionToValue(axis.CalcPosValue(v)), v, std::fabs(v) * 0.05 + 0.01);
  }
  EXPECT_EQ(axis.CalcPosValue(kNaN), 0);
}

TEST(AxisMap, DepthAxisMeasuresFromTheFront)
{
  TChartDepthAxis depth(nullptr);
  EXPECT_FALSE(depth.GetVisible());
  depth.SetMinMax(-0.5, 2.5);
  depth.AdjustMaxMin();
  depth.SetPositions(0, 90);
  EXPECT_EQ(depth.CalcPosValue(0.5), 30);
  depth.SetInverted(true);
  EXPECT_EQ(depth.CalcPosValue(0.5), 60);
  TChartDepthAxis other(nullptr);
  depth.OtherDepthAxis = &other;
  depth.SetInverted(false);
  depth.SetInverted(true);
  EXPECT_TRUE(other.GetInverted());
}

}  // namespace
