#include <gtest/gtest.h>

#include "app/Supermath2d.h"

TEST(StrToFloatRange, ParsesCommaAndRejectsNonNumbers)
{
  EXPECT_DOUBLE_EQ(StrToFloatRange("3,5", false, 0, 0), 3.5);
  EXPECT_EQ(StrToFloatRange("3,5,1", false, 0, 0), NoValue);
  EXPECT_EQ(StrToFloatRange("word", false, 0, 0), NoValue);
  EXPECT_EQ(StrToFloatRange("", false, 0, 0), NoValue);
  EXPECT_EQ(StrToFloatRange("nan", false, 0, 0), NoValue);
  EXPECT_EQ(StrToFloatRange("inf", false, 0, 0), NoValue);
  EXPECT_EQ(StrToFloatRange("1e999", false, 0, 0), NoValue);
  EXPECT_DOUBLE_EQ(StrToFloatRange(" -2.5E+0003 ", false, 0, 0), -2500.0);
}

TEST(StrToFloatRange, Bounds)
{
  EXPECT_DOUBLE_EQ(StrToFloatRange("10", true, 1, 10), 10.0);
  EXPECT_EQ(StrToFloatRange("10", false, 1, 10), NoValue);
  EXPECT_EQ(StrToFloatRange("1", false, 1, 10), NoValue);
  EXPECT_EQ(StrToFloatRange("11", true, 1, 10), NoValue);
  EXPECT_DOUBLE_EQ(StrToFloatRange("-5", true, 0, 10), -5.0);  // 0 is no bound
  EXPECT_DOUBLE_EQ(StrToFloatRange("500", true, 5, 5), 500.0);  // Lo = Hi: no bounds
}

TEST(FloatToStrDec, AdaptiveDecimals)
{
  EXPECT_EQ(FloatToStrDec(0, true, 1234.5), "1234.5");
  EXPECT_EQ(FloatToStrDec(0, true, 0.05), "0.05");
  EXPECT_EQ(FloatToStrDec(0, true, 0.0), "0.0");
  EXPECT_EQ(FloatToStrDec(1, true, -12.25), "-12.25");
  EXPECT_EQ(FloatToStrDec(2, false, 3.14159), "3.14");
  EXPECT_EQ(FloatToStrDec(0, false, 1e6), "1000000");
  EXPECT_EQ(FloatToStrDec(0, true, NoValue), "*");
  EXPECT_EQ(FloatToStrDec(5, false, NoValue), "*");
}

TEST(SplitFloats, TokensAndSkip)
{
  EXPECT_EQ(SplitFloats("word 1 2,5", 0), (arofdouble{1, 2.5}));
  EXPECT_EQ(SplitFloats("word 1 2,5", 2), (arofdouble{2.5}));
  EXPECT_TRUE(SplitFloats("", 0).empty());
  EXPECT_EQ(SplitFloats("\t 7\t\t-8  ", 0), (arofdouble{7, -8}));
  EXPECT_EQ(SplitWords("a  b\tc", 1), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(JoinFloats({1, 0.5}, "v:", 0, false), "v:1 1");
  EXPECT_EQ(JoinFloats({1, 0.5}, "", 1, true), "1.00 0.50");
}

TEST(Interpolation, LinearAndTable)
{
  EXPECT_DOUBLE_EQ(LinearInterpolate(5, {3, 7}, {3, 9}), 7.0);  // xa = xb
  const arofcomplex t{{0, 0}, {10, 100}};
  EXPECT_DOUBLE_EQ(TableInterpolate(t, 5), 50.0);
  EXPECT_DOUBLE_EQ(TableInterpolate(t, -1), 0.0);
  EXPECT_DOUBLE_EQ(TableInterpolate(t, 20), 100.0);
  EXPECT_DOUBLE_EQ(TableInterpolate({{0, 0}, {10, 100}, {20, 0}}, 15), 50.0);
  EXPECT_DOUBLE_EQ(TableInterpolate({}, 1), 0.0);
}

TEST(ExtremeValues, SkipNoValueAndHonourMode)
{
  EXPECT_DOUBLE_EQ(MaxValueMode({NoValue, 3, 7}, 0), 7.0);
  EXPECT_DOUBLE_EQ(MaxValueMode({}, 0), -1e20);
  EXPECT_DOUBLE_EQ(MinValueMode({}, 0), 1e20);
  EXPECT_DOUBLE_EQ(MinValueMode({-2, 0, 3}, 1), 3.0);
  EXPECT_DOUBLE_EQ(MinValueMode({-2, 0, 3}, 0), -2.0);
  EXPECT_DOUBLE_EQ(MaxValueMode({-2, -5, 3}, 2), -2.0);
  EXPECT_DOUBLE_EQ(MaxValue2D({{1, NoValue}, {}, {9, 4}}, 0), 9.0);
  EXPECT_DOUBLE_EQ(MinValue2D({{1, NoValue}, {}, {9, 4}}, 0), 1.0);
}

TEST(MakeColorGradient, KeysAtSegmentEndsAndBlendsBetween)
{
  const std::vector<TColor> keys{clBlack, clWhite, clRed};
  // Fewer colours than keys: the keys as they are.
  EXPECT_EQ(MakeColorGradient(1, keys, 2), (std::vector<TColor>{clBlack, clWhite}));
  const auto r = MakeColorGradient(4, keys, 2);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0], clBlack);
  EXPECT_EQ(r[2], clWhite);
  EXPECT_EQ(r[4], clRed);
  EXPECT_EQ(r[1], RGB(128, 128, 128));  // 127.5 rounds to even
  EXPECT_EQ(r[3], RGB(255, 128, 128));
  // System colours are turned into RGB before blending.
  const auto s = MakeColorGradient(2, {clWindow, clWindow}, 1);
  EXPECT_EQ(s[1], ColorToRGB(clWindow));
}
