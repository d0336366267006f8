// Pixel positions of many values at once: each must be the position the axis gives that value
// alone, on every kind of scale, for values between pixels, halfway, far off and not numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "chart/model/NvEngineAxis.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void ExpectSameAsOneByOne(const TChartAxis& axis, const std::vector<double>& values, const char* what)
{
  std::vector<int32_t> xs(values.size(), -7), ys(values.size(), -7);
  axis.CalcXPosValues(values.data(), xs.data(), values.size());
  axis.CalcYPosValues(values.data(), ys.data(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(xs[i], axis.CalcXPosValue(values[i])) << what << " value " << values[i] << " at " << i;
    ASSERT_EQ(ys[i], axis.CalcYPosValue(values[i])) << what << " value " << values[i] << " at " << i;
  }
}

}  // namespace

TEST(AxisPositions, ManyValuesAtOnceMatchOneByOne)
{
  std::mt19937 rng(31);
  std::uniform_real_distribution<double> any(-50, 250);
  for (int round = 0; round < 40; ++round) {
    const bool logarithmic = round % 5 == 4, inverted = round % 2 == 1, zero = round == 10;
    TChartAxis axis(nullptr);
    axis.SetHorizontal(round % 3 != 0);
    axis.SetInverted(inverted);
    axis.SetLogarithmic(logarithmic);
    const double lo = logarithmic ? 0.5 : -20 + round, hi = zero ? lo : 180 + 3 * round;
    axis.SetMinMax(lo, hi);
    axis.AdjustMaxMin();
    axis.SetPositions(40 + round, 440 + 7 * round);
    // Values in the range and past it, then values that land exactly halfway between pixels
    // (either side of zero), far ones, infinities and not-a-numbers; odd counts leave a tail.
    std::vector<double> values;
    for (int i = 0; i < 101 + round; ++i) values.push_back(any(rng));
    if (axis.PixelsPerUnit != 0)
      for (int k = -30; k <= 30; ++k) values.push_back(axis.ScaleMinimum + (k + 0.5) / axis.PixelsPerUnit);
    for (double v : {0.0, -0.0, 1e300, -1e300, kInf, -kInf, kNaN, 1e-300, lo, hi, 5e7, -5e7}) values.push_back(v);
    ExpectSameAsOneByOne(axis, values, logarithmic ? "logarithmic" : zero ? "zero range" : "linear");
  }
}

TEST(AxisPositions, ARaisedOrLoweredPixelLimitHoldsForBoth)
{
  const int32_t kept = PixelLimit;
  TChartAxis axis(nullptr);
  axis.SetHorizontal(true);
  axis.SetMinMax(0, 1);
  axis.SetPositions(0, 1000);
  for (int32_t limit : {500, 2147483000}) {
    PixelLimit = limit;
    ExpectSameAsOneByOne(axis, {-3, -0.4, 0.25, 0.4995, 0.5005, 0.9, 2, 3e6, -3e6, 1e12, kNaN}, "limit");
  }
  PixelLimit = kept;
}

TEST(AxisPositions, SizesAndDepthsThatFit32BitsAreExact)
{
  // Only a result past 32 bits is held within the pixel limit.
  TChartAxis axis(nullptr);
  axis.SetHorizontal(true);
  axis.SetMinMax(0, 1);
  axis.AdjustMaxMin();
  axis.SetPositions(0, 1000);
  EXPECT_EQ(axis.ValueToPixelSize(1e6), 1000000000);
  EXPECT_EQ(axis.ValueToPixelSize(2147483.647), 2147483647);
  EXPECT_EQ(axis.ValueToPixelSize(2147483.6475), PixelLimit);
  EXPECT_EQ(axis.ValueToPixelSize(1e300), PixelLimit);
  EXPECT_EQ(axis.ValueToPixelSize(kNaN), 0);

  TChartDepthAxis depth(nullptr);
  depth.SetMinMax(0, 1);
  depth.AdjustMaxMin();
  depth.SetPositions(0, 1000);
  EXPECT_EQ(depth.CalcPosValue(1e6), 1000000000);
  EXPECT_EQ(depth.CalcPosValue(-2147483.648), -2147483647 - 1);
  EXPECT_EQ(depth.CalcPosValue(1e300), PixelLimit);
  depth.SetInverted(true);
  EXPECT_EQ(depth.CalcPosValue(-1e6), 1000001000);
  ExpectSameAsOneByOne(depth, {0, 0.5, 1e6, -1e6, 1e300, kNaN}, "depth");
}
