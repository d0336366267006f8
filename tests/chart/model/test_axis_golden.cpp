// Axis label sequences against golden text (tests/chart/model/golden/axis_labels.txt): the
// texts an axis draws, top label first, for a table of ranges, formats and scales. With
// AXIS_GOLDEN_DUMP set the test prints what it got (to review before updating the file).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "TestSupport.h"
#include "chart/model/NvEngineAxis.h"

namespace {

struct Case {
  const char* name;
  std::function<void(TChartAxis&)> setUp;
  double increment;  // 0: logarithmic powers
};

std::string Sequence(const Case& c)
{
  TChartAxis axis(nullptr);
  c.setUp(axis);
  axis.AdjustMaxMin();
  axis.SetPositions(0, 400);
  const auto labels = c.increment > 0 ? axis.CalcValueLabels(c.increment) : axis.CalcLogLabels();
  std::string line = std::string(c.name) + ":";
  for (const auto& l : labels) {
    std::string text = l.Text;
    for (char& ch : text)
      if (ch == '\r') ch = '/';
    line += " " + text + " |";
  }
  return line;
}

TEST(AxisGolden, LabelSequences)
{
  auto range = [](double lo, double hi) { return [=](TChartAxis& a) { a.SetMinMax(lo, hi); }; };
  const Case cases[] = {
      {"linear 0..100 by 10", range(0, 100), 10},
      {"linear 3..97 by 10", range(3, 97), 10},
      {"negative -35..-2 by 5", range(-35, -2), 5},
      {"tenths 0..1", range(0, 1), 0.1},
      {"millions", range(1e6, 5e6), 1e6},
      {"below the format's decimals", range(0, 0.001), 0.0002},
      {"one point", range(7, 7), 1},
      {"factor -1", [](TChartAxis& a) { a.SetMinMax(0, 100); a.LabelFactor = -1; }, 25},
      {"offset and factor", [](TChartAxis& a) { a.SetMinMax(0, 100); a.LabelOffset = 1000; a.LabelFactor = 0.01; }, 25},
      {"fixed decimals", [](TChartAxis& a) { a.SetMinMax(-1, 1); a.SetAxisValuesFormat("0.00"); }, 0.5},
      {"multi-line", [](TChartAxis& a) { a.SetMinMax(0, 2); a.SetAxisValuesFormat("0 \"m a.s.l.\""); a.SetLabelsMultiLine(true); }, 1},
      {"log decades", [](TChartAxis& a) { a.SetMinMax(1, 1e5); a.SetLogarithmic(true); }, 0},
      {"log powers of ten", [](TChartAxis& a) { a.AutoLogFormat = true; a.SetMinMax(0.01, 1000); a.SetLogarithmic(true); }, 0},
      {"log base 2", [](TChartAxis& a) { a.SetLogarithmicBase(2); a.SetMinMax(1, 64); a.SetLogarithmic(true); }, 0},
      {"symmetric log", [](TChartAxis& a) { a.SetMinMax(-1000, 1000); a.SetLogarithmic(true); }, 0},
      {"months", [](TChartAxis& a) {
         a.IsDateTimeAxis = true;
         a.SetIncrement(30);
         a.SetMinMax(EncodeDate(2024, 1, 10), EncodeDate(2024, 6, 20));
       }, 30},
      {"hours", [](TChartAxis& a) { a.IsDateTimeAxis = true; a.SetMinMax(0.25, 0.5); }, 1.0 / 24},
      {"dates in a format", [](TChartAxis& a) {
         a.IsDateTimeAxis = true;
         a.SetDateTimeFormat("d mmm yyyy");
         a.SetMinMax(EncodeDate(1999, 12, 30), EncodeDate(2000, 1, 2));
       }, 1},
  };
  std::string got;
  for (const Case& c : cases) got += Sequence(c) + "\n";
  const auto golden = std::filesystem::path(ORBISK_TESTS_DIR) / "chart" / "model" / "golden" / "axis_labels.txt";
  const std::string want = testsupport::ReadAll(golden.string());
  if (std::getenv("AXIS_GOLDEN_DUMP") != nullptr) std::printf("%s", got.c_str());
  ASSERT_FALSE(want.empty()) << golden;
  EXPECT_EQ(got, want);
}

}  // namespace
