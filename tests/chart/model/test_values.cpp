// Value lists: ordered insertion, growth, statistics against a separate computation, search,
// reordering, checked deletion and exchange, settings copy and the obsolete "Multiplier".
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineValues.h"
#include "platform/MessageBox.h"

namespace {

std::vector<double> Values(const TChartValueList& list)
{
  std::vector<double> v;
  for (int32_t i = 0; i < list.Count(); ++i) v.push_back(list.Value(i));
  return v;
}

TEST(ValueListOrder, AscendingPlacesEachValueAfterItsEquals)
{
  TChartValueList list(nullptr, "X");
  list.SetOrder(loAscending);
  EXPECT_EQ(list.AddChartValue(3), 0);
  EXPECT_EQ(list.AddChartValue(1), 0);
  EXPECT_EQ(list.AddChartValue(2), 1);
  EXPECT_EQ(Values(list), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(list.AddChartValue(2), 2);
  EXPECT_EQ(Values(list), (std::vector<double>{1, 2, 2, 3}));
  EXPECT_EQ(list.TempValue, 2);
}

TEST(ValueListOrder, DescendingAndNone)
{
  TChartValueList down(nullptr, "Y");
  down.SetOrder(loDescending);
  for (double v : {1.0, 3.0, 2.0}) down.AddChartValue(v);
  EXPECT_EQ(Values(down), (std::vector<double>{3, 2, 1}));
  TChartValueList none(nullptr, "Y");
  for (double v : {1.0, 3.0, 2.0}) none.AddChartValue(v);
  EXPECT_EQ(Values(none), (std::vector<double>{1, 3, 2}));
}

TEST(ValueListOrder, RandomAdditionsStaySortedLikeAStableSort)
{
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> d(-50, 50);
  TChartValueList list(nullptr, "X");
  list.SetOrder(loAscending);
  std::vector<double> reference;
  for (int i = 0; i < 3000; ++i) {
    const double v = d(rng);
    const int32_t at = list.AddChartValue(v);
    const auto it = std::upper_bound(reference.begin(), reference.end(), v);
    EXPECT_EQ(at, it - reference.begin());
    reference.insert(it, v);
  }
  EXPECT_EQ(Values(list), reference);
}

TEST(ValueListCapacity, GrowsInStepsOfAThousandAndFreesOnClear)
{
  TChartValueList list(nullptr, "Y");
  for (int i = 0; i < 1000; ++i) list.AddChartValue(i);
  EXPECT_EQ(list.Capacity(), 1000);
  list.AddChartValue(1000);
  EXPECT_EQ(list.Capacity(), 2000);
  EXPECT_EQ(list.Count(), 1001);
  list.Delete(0);
  EXPECT_EQ(list.Capacity(), 2000);
  list.ClearValues();
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(ValueListStats, EmptyListAnswersZero)
{
  TChartValueList list(nullptr, "Y");
  EXPECT_EQ(list.MaxValue(), 0);
  EXPECT_EQ(list.MinValue(), 0);
  EXPECT_EQ(list.Total(), 0);
  EXPECT_EQ(list.TotalABS(), 0);
  EXPECT_EQ(list.Range(), 0);
}

TEST(ValueListStats, MatchASeparateComputationAfterEveryKindOfChange)
{
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> d(-1000, 1000);
  TChartValueList list(nullptr, "Y");
  std::vector<double> ref;
  auto check = [&] {
    double mn = ref.empty() ? 0 : ref[0], mx = mn, t = 0, ta = 0;
    for (double v : ref) {
      mn = std::min(mn, v);
      mx = std::max(mx, v);
      t += v;
      ta += std::fabs(v);
    }
    EXPECT_EQ(list.MinValue(), mn);
    EXPECT_EQ(list.MaxValue(), mx);
    EXPECT_NEAR(list.Total(), t, 1e-9);
    EXPECT_NEAR(list.TotalABS(), ta, 1e-9);
    EXPECT_EQ(list.Range(), mx - mn);
  };
  for (int i = 0; i < 200; ++i) {
    const double v = d(rng);
    list.AddChartValue(v);
    ref.push_back(v);
  }
  check();
  list.Delete(5);
  ref.erase(ref.begin() + 5);
  check();
  list.DeleteRange(10, 20);
  ref.erase(ref.begin() + 10, ref.begin() + 30);
  check();
  list.InsertChartValue(3, 5000);
  ref.insert(ref.begin() + 3, 5000);
  check();
  list.SetValue(0, -7000);
  ref[0] = -7000;
  check();
  list.Scroll();
  std::rotate(ref.begin(), ref.begin() + 1, ref.end());
  check();
  EXPECT_EQ(Values(list), ref);
}

TEST(ValueListSearch, LocateFindsOnlyExactValuesAndTheFirstOne)
{
  TChartValueList list(nullptr, "Y");
  for (double v : {1.0, 2.0, 3.0, 2.0}) list.AddChartValue(v);
  EXPECT_EQ(list.Locate(2), 1);
  EXPECT_EQ(list.Locate(2.0000001), -1);
  EXPECT_EQ(list.LocateInRange(2, 2, 3), 3);
  EXPECT_EQ(list.LocateInRange(2, 3, 2), -1);
  EXPECT_EQ(list.LocateInRange(1, -5, 99), 0);
}

TEST(ValueListReorder, FillSequenceScrollAndEmptyScroll)
{
  TChartValueList list(nullptr, "Y");
  for (double v : {9.0, 8.0, 7.0, 6.0}) list.AddChartValue(v);
  list.FillSequence();
  EXPECT_EQ(Values(list), (std::vector<double>{0, 1, 2, 3}));
  TChartValueList s(nullptr, "Y");
  s.Scroll();
  for (double v : {1.0, 2.0, 3.0}) s.AddChartValue(v);
  s.Scroll();
  EXPECT_EQ(Values(s), (std::vector<double>{2, 3, 1}));
}

TEST(ValueListChecks, BadIndicesRaiseChartExceptionAndChangeNothing)
{
  TChartValueList list(nullptr, "Y");
  for (double v : {1.0, 2.0, 3.0}) list.AddChartValue(v);
  try {
    list.Exchange(0, 3);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  try {
    list.Exchange(-1, 3);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
  }
  EXPECT_THROW(list.Delete(3), ChartException);
  EXPECT_THROW(list.Delete(-1), ChartException);
  try {
    list.DeleteRange(2, 2);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "Quantity of data to delete must be less than Count.");
  }
  try {
    list.DeleteRange(0, 0);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "Quantity of data points to delete must be greater than zero.");
  }
  EXPECT_THROW(list.DeleteRange(-1, 1), ChartException);
  EXPECT_THROW(list.InsertChartValue(5, 1), ChartException);
  EXPECT_THROW(list.Value(list.Capacity()), ERangeError);
  EXPECT_EQ(Values(list), (std::vector<double>{1, 2, 3}));
  list.Exchange(0, 2);
  list.DeleteRange(1, 2);
  EXPECT_EQ(Values(list), (std::vector<double>{3}));
}

TEST(ValueListSettings, AssignCopiesSettingsNotValues)
{
  TChartValueList a(nullptr, "A"), b(nullptr, "B");
  a.SetOrder(loDescending);
  a.SetDateTime(true);
  a.SetValueSource("Close");
  a.AddChartValue(4);
  b.Assign(&a);
  EXPECT_EQ(b.GetOrder(), loDescending);
  EXPECT_TRUE(b.GetDateTime());
  EXPECT_EQ(b.GetValueSource(), "Close");
  EXPECT_EQ(b.Count(), 0);
  EXPECT_EQ(b.GetName(), "B");
  b.InitDateTime(false);
  EXPECT_FALSE(b.IsDateTimeStored());
  b.SetDateTime(true);
  EXPECT_TRUE(b.IsDateTimeStored());
}

TEST(ValueListStream, MultiplierOfOneIsSilentOtherValuesShowTheObsoleteMessage)
{
  TMessageCapture capture;
  TChartValueList list(nullptr, "Y");
  TPropertyReader one({{"Multiplier", 1.0}});
  list.DefineProperties(&one);
  EXPECT_TRUE(capture.Messages().empty());
  TPropertyReader two({{"Multiplier", int64_t{2}}});
  list.DefineProperties(&two);
  ASSERT_EQ(capture.Messages().size(), 1u);
  EXPECT_EQ(capture.Messages()[0],
            "Error: Multiplier property is obsolete.\rModify NuvDefs.inc (enable Multiplier) and recompile.");
  // A task-modal stop box with an empty caption.
  ASSERT_EQ(capture.Captions().size(), 1u);
  EXPECT_EQ(capture.Captions()[0], "");
  ASSERT_EQ(capture.Flags().size(), 1u);
  EXPECT_EQ(capture.Flags()[0], MB_ICONSTOP | MB_TASKMODAL);
  TPropertyWriter writer;
  list.DefineProperties(&writer);
  EXPECT_TRUE(writer.Values().empty());
}

TEST(ValueListSeries, SortMovesEveryListColourAndLabelTogether)
{
  TChartSeries s(nullptr);
  s.XValues()->SetOrder(loNone);
  s.AddXY(3, 30, "c", clRed);
  s.AddXY(1, 10, "a", clBlue);
  s.AddXY(2, 20, "b", clDefault);
  s.XValues()->SetOrder(loAscending);
  s.XValues()->Sort();
  EXPECT_EQ(Values(*s.XValues()), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Values(*s.YValues()), (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(s.GetXLabel(0), "a");
  EXPECT_EQ(s.GetXLabel(1), "b");
  EXPECT_EQ(s.GetXLabel(2), "c");
  EXPECT_EQ(s.GetStoredColor(0), clBlue);
  EXPECT_EQ(s.GetStoredColor(1), clDefault);
  EXPECT_EQ(s.GetStoredColor(2), clRed);
  // A series fed by this one follows the sort (told once, at the end).
  TChartSeries copy(nullptr);
  copy.XValues()->SetOrder(loNone);
  copy.SetDataSource(&s);  // without a chart nothing refills it yet
  EXPECT_EQ(copy.Count(), 0);
  s.YValues()->SetOrder(loDescending);
  s.YValues()->Sort();
  EXPECT_EQ(Values(*s.XValues()), (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(s.GetXLabel(0), "c");
  EXPECT_EQ(Values(*copy.XValues()), (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(copy.GetXLabel(2), "a");
}

}  // namespace
