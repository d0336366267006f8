// The series base: points kept parallel with colours and labels, checked deletion, linked
// series, data sources and their checks, visible range, paging, depth, chart membership, copy
// and stored properties. The chart is a minimal axis panel made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineFunctions.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"

namespace {

// An axis panel with nothing around the series: no walls, titles or legend.
class TestChart : public TCustomAxisPanel {
public:
  explicit TestChart(TComponent* owner = nullptr) : TCustomAxisPanel(owner) {}
  void CalcWallsRect() override {}
  int32_t GetWallSize(TChartAxis*) override { return 0; }
  void DrawTitlesAndLegend(bool) override {}
  void DrawWalls() override {}
  bool IsFreeSeriesColor(TColor color, bool, TChartSeries* series) override
  {
    for (int32_t i = 0; i < SeriesCount(); ++i)
      if (GetSeries(i) != series && GetSeries(i)->GetSeriesColor() == color) return false;
    return true;
  }
};

// Counts the series events the chart broadcasts.
class EventLog : public INuvEventListener {
public:
  explicit EventLog(TCustomAxisPanel* chart) : chart_(chart) { chart_->Listeners()->Add(this); }
  ~EventLog() override { chart_->RemoveListener(this); }
  void HandleEvent(TNuvEvent* event) override
  {
    if (auto* e = dynamic_cast<TNuvSeriesEvent*>(event)) events.push_back({e->Event, e->Series});
  }
  int Count(TChartSeriesEvent kind) const
  {
    return static_cast<int>(std::count_if(events.begin(), events.end(), [&](auto& p) { return p.first == kind; }));
  }
  std::vector<std::pair<TChartSeriesEvent, TChartSeries*>> events;

private:
  TCustomAxisPanel* chart_;
};

// Records the drawing order.
class RecordingSeries : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
  void DrawValue(int32_t valueIndex) override { drawn.push_back(valueIndex); }
  std::vector<int32_t> drawn;
};

std::vector<double> Xs(const TChartSeries& s)
{
  std::vector<double> v;
  for (int32_t i = 0; i < s.Count(); ++i) v.push_back(s.XValues()->Value(i));
  return v;
}

std::vector<double> Ys(const TChartSeries& s)
{
  std::vector<double> v;
  for (int32_t i = 0; i < s.Count(); ++i) v.push_back(s.YValues()->Value(i));
  return v;
}

TEST(SeriesPoints, OrderedXMovesYColoursAndLabelsAlong)
{
  TChartSeries s(nullptr);
  EXPECT_EQ(s.AddXY(5, 50, "five", clRed), 0);
  EXPECT_EQ(s.AddXY(1, 10, "", clDefault), 0);
  EXPECT_EQ(s.AddXY(3, 30, "three", clBlue), 1);
  EXPECT_EQ(Xs(s), (std::vector<double>{1, 3, 5}));
  EXPECT_EQ(Ys(s), (std::vector<double>{10, 30, 50}));
  EXPECT_EQ(s.GetStoredColor(0), clDefault);
  EXPECT_EQ(s.GetStoredColor(1), clBlue);
  EXPECT_EQ(s.GetStoredColor(2), clRed);
  EXPECT_EQ(s.GetXLabel(0), "");
  EXPECT_EQ(s.GetXLabel(1), "three");
  EXPECT_EQ(s.GetXLabel(2), "five");
  ASSERT_TRUE(s.HasColors());
  EXPECT_EQ(static_cast<int32_t>(s.Colors()->size()), s.Count());
}

TEST(SeriesPoints, DefaultColoursNeverMakeTheColourList)
{
  TChartSeries s(nullptr);
  for (int i = 0; i < 5; ++i) s.Add(i);
  EXPECT_FALSE(s.HasColors());
  s.SetValueColor(2, clDefault);
  EXPECT_FALSE(s.HasColors());
  s.SetSeriesColor(clGreen);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(s.GetStoredColor(i), clDefault);
    EXPECT_EQ(s.ValueColor(i), clGreen);
  }
  s.SetColorEachPoint(true);
  EXPECT_EQ(s.ValueColor(3), GetDefaultColor(3));
  TestChart chart;
  chart.SetColorPalette({clRed, clBlue});
  auto* owned = new TChartSeries(nullptr);
  owned->SetColorEachPoint(true);
  owned->SetParentChart(&chart);
  EXPECT_EQ(owned->ValueColor(3), clBlue);
  s.SetValueColor(1, clYellow);
  ASSERT_TRUE(s.HasColors());
  EXPECT_EQ(s.Colors()->size(), 5u);
  EXPECT_EQ(s.ValueColor(1), clYellow);
}

TEST(SeriesPoints, NullPointsAndHorizontalSeries)
{
  TChartSeries s(nullptr);
  s.Add(4);
  s.AddNull("gap");
  EXPECT_FALSE(s.IsNull(0));
  EXPECT_TRUE(s.IsNull(1));
  EXPECT_EQ(s.GetXValue(1), 1);
  TChartSeries h(nullptr);
  h.SetHorizontal();
  h.XValues()->SetOrder(loNone);
  h.Add(7);
  h.Add(9);
  EXPECT_EQ(Xs(h), (std::vector<double>{7, 9}));
  EXPECT_EQ(Ys(h), (std::vector<double>{0, 1}));
  EXPECT_EQ(h.GetMarkValue(1), 9);
  EXPECT_EQ(h.MandatoryValueList(), h.XValues());
}

TEST(SeriesPoints, BeforeAddCanRefuseAndAfterAddHearsTheIndex)
{
  TChartSeries s(nullptr);
  std::vector<int32_t> added;
  s.OnAfterAdd = [&](TChartSeries*, int32_t i) { added.push_back(i); };
  s.OnBeforeAdd = [](TChartSeries*) { return false; };
  EXPECT_EQ(s.AddXY(1, 2), -1);
  EXPECT_EQ(s.Count(), 0);
  s.OnBeforeAdd = {};
  s.AddXY(3, 1);
  s.AddXY(1, 1);
  EXPECT_EQ(added, (std::vector<int32_t>{0, 0}));
  s.BeginUpdate();
  s.AddXY(2, 1);
  s.EndUpdate();
  EXPECT_EQ(added.size(), 2u);
}

TEST(SeriesDelete, OutOfBoundsRaisesTheMessageTextAndChangesNothing)
{
  TChartSeries s(nullptr);
  for (int i = 0; i < 3; ++i) s.AddXY(i, i * 10, "p" + std::to_string(i), i == 1 ? clRed : clDefault);
  try {
    s.Delete(3);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "Series Delete: ValueIndex 3 out of bounds (0 to 2).");
  }
  EXPECT_THROW(s.Delete(-1), ChartException);
  try {
    s.DeleteRange(2, 2);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "Quantity of data to delete must be less than Count.");
  }
  try {
    s.DeleteRange(0, 0);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "Quantity of data points to delete must be greater than zero.");
  }
  EXPECT_THROW(s.ExchangeValues(0, 5), ChartException);
  EXPECT_EQ(s.Count(), 3);
  EXPECT_EQ(Ys(s), (std::vector<double>{0, 10, 20}));
  s.Delete(1);
  EXPECT_EQ(Xs(s), (std::vector<double>{0, 2}));
  EXPECT_EQ(s.GetXLabel(1), "p2");
  EXPECT_EQ(s.GetStoredColor(1), clDefault);
}

TEST(SeriesDelete, RangeKeepsListsParallelFreesAnEmptiedColourListAndRemovesTheGap)
{
  TChartSeries s(nullptr);
  for (int i = 0; i < 6; ++i) s.AddXY(i * 2, i, "L" + std::to_string(i), i < 2 ? clRed : clDefault);
  s.DeleteRange(1, 3, true);
  EXPECT_EQ(Xs(s), (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(Ys(s), (std::vector<double>{0, 4, 5}));
  EXPECT_EQ(s.GetXLabel(1), "L4");
  EXPECT_EQ(s.GetStoredColor(0), clRed);
  EXPECT_EQ(s.GetStoredColor(1), clDefault);
  TChartSeries c(nullptr);
  c.AddXY(0, 0, "", clRed);
  c.DeleteRange(0, 1);
  EXPECT_FALSE(c.HasColors());
}

TEST(SeriesDelete, RandomAddsAndDeletesKeepEveryListTheSameLength)
{
  std::mt19937 rng(3);
  TChartSeries s(nullptr);
  auto* z = new TChartValueList(&s, "Z");
  std::vector<std::tuple<double, double, double, TColor, std::string>> ref;
  for (int step = 0; step < 400; ++step) {
    if (ref.empty() || rng() % 3) {
      const double x = static_cast<double>(rng() % 50), y = static_cast<double>(rng() % 1000);
      z->TempValue = y * 2;
      const TColor c = rng() % 4 == 0 ? clRed : clDefault;
      const std::string l = rng() % 5 == 0 ? "l" + std::to_string(step) : "";
      const int32_t at = s.AddXY(x, y, l, c);
      auto it = std::upper_bound(ref.begin(), ref.end(), x, [](double v, auto& t) { return v < std::get<0>(t); });
      ASSERT_EQ(at, it - ref.begin());
      ref.insert(it, {x, y, y * 2, c, l});
    } else {
      const int32_t i = static_cast<int32_t>(rng() % ref.size());
      s.Delete(i);
      ref.erase(ref.begin() + i);
    }
  }
  ASSERT_EQ(s.Count(), static_cast<int32_t>(ref.size()));
  for (int32_t i = 0; i < s.Count(); ++i) {
    EXPECT_EQ(s.GetXValue(i), std::get<0>(ref[i]));
    EXPECT_EQ(s.GetYValue(i), std::get<1>(ref[i]));
    EXPECT_EQ(z->Value(i), std::get<2>(ref[i]));
    EXPECT_EQ(s.GetStoredColor(i), std::get<3>(ref[i]));
    EXPECT_EQ(s.GetXLabel(i), std::get<4>(ref[i]));
  }
  if (s.HasColors()) {
    EXPECT_EQ(static_cast<int32_t>(s.Colors()->size()), s.Count());
  }
  EXPECT_LE(s.Labels()->Count(), s.Count());
}

TEST(SeriesLinked, DependentFollowsAddsDeletesClearsAndRefreshes)
{
  TestChart chart;
  auto* source = new TChartSeries(nullptr);
  auto* copy = new TChartSeries(nullptr);
  source->SetParentChart(&chart);
  copy->SetParentChart(&chart);
  source->AddXY(1, 10, "a", clRed);
  copy->SetDataSource(source);
  EXPECT_EQ(copy->GetDataSource(), source);
  EXPECT_EQ(Ys(*copy), (std::vector<double>{10}));
  source->AddXY(0, 5);
  EXPECT_EQ(Ys(*copy), (std::vector<double>{5, 10}));
  EXPECT_EQ(copy->GetStoredColor(1), clRed);
  EXPECT_EQ(copy->GetXLabel(1), "a");
  source->Delete(0);
  EXPECT_EQ(Ys(*copy), (std::vector<double>{10}));
  copy->LinkedRefresh = lrAll & ~lrOnAdd;
  source->AddXY(2, 20);
  EXPECT_EQ(copy->Count(), 1);
  source->BeginUpdate();
  source->AddXY(3, 30);
  source->EndUpdate();
  EXPECT_EQ(Ys(*copy), (std::vector<double>{10, 20, 30}));
  source->Clear();
  EXPECT_EQ(copy->Count(), 0);
  // The source goes away: the dependent forgets it.
  delete source;
  EXPECT_EQ(copy->GetDataSource(), nullptr);
  copy->AddXY(1, 1);
  EXPECT_EQ(copy->Count(), 1);
}

TEST(SeriesLinked, AFunctionSeriesIgnoresAddsButRefillsOnRefresh)
{
  TestChart chart;
  auto* source = new TChartSeries(nullptr);
  auto* average = new TChartSeries(nullptr);
  source->SetParentChart(&chart);
  average->SetParentChart(&chart);
  for (int i = 0; i < 4; ++i) source->AddXY(i, i);
  average->SetFunction(new TNuvFunction(nullptr));
  average->SetDataSource(source);
  const int32_t filled = average->Count();
  source->AddXY(10, 10);
  EXPECT_EQ(average->Count(), filled);
  std::vector<int> cleared;
  average->OnClearValues = [&](TObject*) { cleared.push_back(1); };
  source->RefreshSeries();
  EXPECT_EQ(cleared.size(), 1u);
  average->OnClearValues = {};
  average->SetFunction(nullptr);
  EXPECT_EQ(average->GetFunction(), nullptr);
}

TEST(SeriesSources, ChecksWithAndWithoutAChart)
{
  TComponent plain(nullptr);
  plain.SetName("Plain");
  TChartSeries lone(nullptr);
  try {
    lone.SetDataSource(&plain);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "No ParentChart to validate DataSource");
  }
  EXPECT_THROW(lone.SetDataSource(&lone), ChartException);
  TestChart chart;
  auto* s = new TChartSeries(nullptr);
  s->SetParentChart(&chart);
  try {
    s->SetDataSource(&plain);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "No valid DataSource: Plain");
  }
  EXPECT_EQ(s->GetDataSource(), nullptr);
}

TEST(SeriesSources, CircularDependenceIsRefusedThroughEverySource)
{
  TestChart chart;
  TChartSeries* s[4];
  for (auto& p : s) {
    p = new TChartSeries(nullptr);
    p->SetParentChart(&chart);
  }
  s[1]->SetDataSource(s[0]);
  s[2]->DataSources()->Add(s[3]);
  s[2]->DataSources()->Add(s[1]);  // s2 <- s3, s1 <- s0
  try {
    s[0]->SetDataSource(s[2]);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "Circular Series dependences are not allowed");
  }
  EXPECT_EQ(s[0]->GetDataSource(), nullptr);
  EXPECT_THROW(s[0]->SetDataSource(s[0]), ChartException);
  s[0]->SetDataSource(s[3]);
  EXPECT_EQ(s[0]->GetDataSource(), s[3]);
}

TEST(SeriesSources, NullClearsEverySourceAndAFreedSecondSourceLeavesTheList)
{
  TestChart chart;
  auto* a = new TChartSeries(nullptr);
  auto* b = new TChartSeries(nullptr);
  auto* c = new TChartSeries(nullptr);
  for (auto* p : {a, b, c}) p->SetParentChart(&chart);
  c->DataSources()->Add(a);
  c->DataSources()->Add(b);
  ASSERT_EQ(c->DataSources()->Count(), 2);
  delete b;
  ASSERT_EQ(c->DataSources()->Count(), 1);
  EXPECT_EQ(c->GetDataSource(), a);
  c->SetDataSource(nullptr);
  EXPECT_EQ(c->DataSources()->Count(), 0);
  EXPECT_EQ(a->LinkedSeries()->Count(), 0);
}

// Points at X 0, 5, 10, 15, 20, 25 on a chart whose bottom axis spans pixels 100..500.
struct VisibleFixture {
  TestChart chart;
  RecordingSeries* s = new RecordingSeries(nullptr);
  VisibleFixture()
  {
    chart.ChartRect = Rect(100, 50, 500, 350);
    s->SetParentChart(&chart);
    for (int i = 0; i < 6; ++i) s->AddXY(i * 5, i);
  }
  void Show(double lo, double hi)
  {
    TChartAxis* axis = chart.GetBottomAxis();
    axis->SetPositions(100, 500);
    axis->SetScale(lo, hi);
    s->CalcFirstLastVisibleIndex();
  }
};

TEST(SeriesVisibleRange, FirstAndLastFollowTheHorizontalAxis)
{
  VisibleFixture f;
  f.Show(10, 18);
  EXPECT_EQ(f.s->FirstValueIndex, 2);
  EXPECT_EQ(f.s->LastValueIndex, 3);
  f.s->DrawPastLastVisible = true;
  f.Show(10, 18);
  EXPECT_EQ(f.s->LastValueIndex, 4);
  f.s->DrawPastLastVisible = false;
  f.Show(10, 20);
  EXPECT_EQ(f.s->FirstValueIndex, 2);
  EXPECT_EQ(f.s->LastValueIndex, 4);
  f.Show(30, 40);
  EXPECT_EQ(f.s->FirstValueIndex, -1);
  f.s->CalcVisiblePoints = false;
  f.Show(10, 18);
  EXPECT_EQ(f.s->FirstValueIndex, 0);
  EXPECT_EQ(f.s->LastValueIndex, 5);
}

TEST(SeriesVisibleRange, InvertedAxisDrawsBackwards)
{
  VisibleFixture f;
  f.chart.GetBottomAxis()->SetInverted(true);
  f.chart.SetView3D(false);
  f.Show(0, 25);
  EXPECT_EQ(f.s->FirstValueIndex, 0);
  EXPECT_EQ(f.s->LastValueIndex, 5);
  f.s->DrawAllValues();
  EXPECT_EQ(f.s->drawn, (std::vector<int32_t>{5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(f.s->FirstDrawIndex(), 5);
}

TEST(SeriesPaging, PagesAndTheFallbackPastTheEnd)
{
  TestChart chart;
  auto* s = new TChartSeries(nullptr);
  s->SetParentChart(&chart);
  int32_t first, last;
  s->CalcFirstLastPage(first, last);
  EXPECT_EQ(first, -1);
  for (int i = 0; i < 35; ++i) s->Add(i);
  s->CalcFirstLastPage(first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 34);
  chart.SetMaxPointsPerPage(10);
  chart.SetPage(4);
  s->CalcFirstLastPage(first, last);
  EXPECT_EQ(first, 30);
  EXPECT_EQ(last, 34);
  s->DeleteRange(25, 10);  // 25 points, page still 4
  s->CalcFirstLastPage(first, last);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(last, 19);
  chart.SetPage(3);
  s->CalcFirstLastPage(first, last);
  EXPECT_EQ(first, 20);
  EXPECT_EQ(last, 24);
  s->DeleteRange(5, 20);  // 5 points, page 3: never outside them
  s->CalcFirstLastPage(first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 4);
}

TEST(SeriesChart, JoiningTakesAFreeColourLeavingAndFreeingDetach)
{
  TestChart chart;
  chart.SetColorPalette({clRed, clGreen, clBlue});
  EventLog log(&chart);
  auto* a = new TChartSeries(nullptr);
  auto* b = new TChartSeries(nullptr);
  a->SetParentChart(&chart);
  b->SetParentChart(&chart);
  EXPECT_EQ(a->GetSeriesColor(), clRed);
  EXPECT_EQ(b->GetSeriesColor(), clGreen);
  EXPECT_EQ(a->GetStoredSeriesColor(), clDefault);
  EXPECT_EQ(log.Count(seAdd), 2);
  EXPECT_EQ(log.Count(seChangeColor), 2);
  EXPECT_EQ(a->GetHorizAxis(), chart.GetBottomAxis());
  EXPECT_EQ(a->GetVertAxis(), chart.GetLeftAxis());
  // Setting the palette colour over the default marker changes nothing and tells nobody.
  log.events.clear();
  a->SetSeriesColor(clRed);
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(a->GetStoredSeriesColor(), clDefault);
  a->SetSeriesColor(clYellow);
  EXPECT_EQ(log.Count(seChangeColor), 1);
  a->SetTitle("T");
  a->SetActive(false);
  EXPECT_EQ(log.Count(seChangeTitle), 1);
  EXPECT_EQ(log.Count(seChangeActive), 1);
  a->SetParentChart(nullptr);
  EXPECT_EQ(chart.SeriesCount(), 1);
  EXPECT_EQ(a->GetHorizAxis(), nullptr);
  EXPECT_EQ(log.Count(seRemove), 1);
  delete a;
  delete b;
  EXPECT_EQ(chart.SeriesCount(), 0);
}

TEST(SeriesChart, AxesFollowTheChoiceAndCustomAxes)
{
  TestChart chart;
  auto* s = new TChartSeries(nullptr);
  s->SetParentChart(&chart);
  s->SetHorizAxis(aTopAxis);
  s->SetVertAxis(aRightAxis);
  EXPECT_EQ(s->GetHorizAxis(), chart.GetTopAxis());
  EXPECT_EQ(s->GetVertAxis(), chart.GetRightAxis());
  EXPECT_TRUE(s->AssociatedToAxis(chart.GetTopAxis()));
  EXPECT_FALSE(s->AssociatedToAxis(chart.GetBottomAxis()));
  EXPECT_EQ(s->ValueListOfAxis(chart.GetRightAxis()), s->YValues());
  EXPECT_EQ(s->ValueListOfAxis(chart.GetLeftAxis()), nullptr);
  s->SetHorizAxis(aBothHorizAxis);
  EXPECT_TRUE(s->AssociatedToAxis(chart.GetBottomAxis()));
  TChartAxis* custom = chart.GetCustomAxes()->Add();
  s->SetCustomVertAxis(custom);
  EXPECT_EQ(s->GetVertAxisKind(), aCustomVertAxis);
  EXPECT_EQ(s->GetVertAxis(), custom);
  // Freeing the custom axis puts the series back on the left axis.
  chart.GetCustomAxes()->Delete(0);
  EXPECT_EQ(s->GetCustomVertAxis(), nullptr);
  EXPECT_EQ(s->GetVertAxis(), chart.GetLeftAxis());
}

TEST(SeriesDepth, ZOrdersDepthPositionsAndSharing)
{
  TestChart chart;
  chart.SetView3D(true);
  chart.SeriesWidth3D = 10;
  TChartSeries* s[3];
  for (auto& p : s) {
    p = new TChartSeries(nullptr);
    p->SetParentChart(&chart);
  }
  chart.CalcSeriesZOrders();
  EXPECT_EQ(chart.MaxZOrder, 2);
  EXPECT_EQ(s[0]->CalculatedZOrder(), 2);
  EXPECT_EQ(s[2]->CalculatedZOrder(), 0);
  s[0]->CalcDepthPositions();
  EXPECT_EQ(s[0]->StartZ, 20);
  EXPECT_EQ(s[0]->EndZ, 30);
  EXPECT_EQ(s[0]->MiddleZ, 25);
  s[0]->SetDepth(3);
  s[0]->CalcDepthPositions();
  EXPECT_EQ(s[0]->EndZ, 23);
  EXPECT_EQ(s[0]->MiddleZ, 21);
  EXPECT_FALSE(s[1]->SharesZOrder());
  s[2]->SetZOrder(s[1]->GetZOrder());
  EXPECT_TRUE(s[1]->SharesZOrder());
  EXPECT_TRUE(s[1]->FirstInZOrder());
  EXPECT_FALSE(s[2]->FirstInZOrder());
  chart.SetView3D(false);
  chart.CalcSeriesZOrders();
  EXPECT_EQ(s[1]->CalculatedZOrder(), 0);
}

TEST(SeriesCopy, AssignTakesSettingsAndPoints)
{
  TChartSeries a(nullptr), b(nullptr);
  a.SetTitle("Title");
  a.SetSeriesColor(clTeal);
  a.SetValueFormat("0.0");
  a.SetHorizAxis(aTopAxis);
  a.SetDepth(7);
  a.XValues()->SetDateTime(true);
  a.AddXY(1, 2, "x", clRed);
  a.AddXY(3, 4);
  a.ManualData = true;
  b.Assign(&a);
  EXPECT_EQ(b.GetTitle(), "Title");
  EXPECT_EQ(b.GetSeriesColor(), clTeal);
  EXPECT_EQ(b.GetValueFormat(), "0.0");
  EXPECT_EQ(b.GetHorizAxisKind(), aTopAxis);
  EXPECT_EQ(b.GetDepth(), 7);
  EXPECT_TRUE(b.XValues()->GetDateTime());
  EXPECT_TRUE(b.ManualData);
  EXPECT_EQ(Ys(b), (std::vector<double>{2, 4}));
  EXPECT_EQ(b.GetXLabel(0), "x");
  EXPECT_EQ(b.GetStoredColor(0), clRed);
  EXPECT_EQ(b.ValueListByName("y"), b.YValues());
  auto* extra = new TChartValueList(&b, "Open");
  EXPECT_EQ(b.ValueListByName("OPEN"), extra);
}

TEST(SeriesStream, DataSourcesAndCustomAxesRoundTrip)
{
  TComponent form(nullptr);
  TestChart chart;
  TChartAxis* custom0 = chart.GetCustomAxes()->Add(true);
  TChartAxis* custom1 = chart.GetCustomAxes()->Add(false);
  (void)custom0;
  auto* src = new TChartSeries(&form);
  src->SetName("Source1");
  auto* s = new TChartSeries(&form);
  s->SetName("Dependent");
  src->SetParentChart(&chart);
  s->SetParentChart(&chart);
  s->SetDataSource(src);
  s->SetCustomVertAxis(custom1);
  TPropertyWriter writer;
  s->DefineProperties(&writer);
  const auto& values = writer.Values();
  ASSERT_TRUE(values.count("DataSources"));
  EXPECT_EQ(std::get<std::vector<std::string>>(values.at("DataSources")), (std::vector<std::string>{"Source1"}));
  EXPECT_EQ(std::get<int64_t>(values.at("CustomVertAxis")), 1);
  EXPECT_FALSE(values.count("CustomHorizAxis"));

  auto* t = new TChartSeries(&form);
  t->SetParentChart(&chart);
  t->Loading = true;
  TPropertyReader reader(values);
  t->DefineProperties(&reader);
  t->Loaded();
  EXPECT_EQ(t->GetDataSource(), src);
  EXPECT_EQ(t->GetVertAxis(), custom1);
  // Out-of-range indexes and unknown names are ignored.
  auto* u = new TChartSeries(&form);
  u->SetParentChart(&chart);
  TPropertyReader bad({{"CustomHorizAxis", int64_t{9}}, {"DataSources", std::vector<std::string>{"Nobody"}}});
  u->DefineProperties(&bad);
  u->Loaded();
  EXPECT_EQ(u->GetCustomHorizAxis(), nullptr);
  EXPECT_EQ(u->GetDataSource(), nullptr);
  // A stored loop of sources is broken when the names are resolved.
  src->Loading = true;
  TPropertyReader loop({{"DataSources", std::vector<std::string>{"Dependent"}}});
  src->DefineProperties(&loop);
  src->Loaded();
  EXPECT_EQ(src->GetDataSource(), nullptr);
  chart.FreeAllSeries();
}

// ---- Lifetimes: moving series, linked sources, source components, groups ----

// A source that fills its series with Count points 0..Count-1 (Y = 10 * X) when it loads.
class CountingSource : public TNuvSeriesSource {
public:
  explicit CountingSource(TComponent* owner, int n = 3) : TNuvSeriesSource(owner), n_(n) {}
  void Load() override
  {
    if (!GetSeries()) return;
    GetSeries()->Clear();
    for (int i = 0; i < n_; ++i) GetSeries()->AddXY(i, 10 * i);
  }

private:
  int n_;
};

TEST(SeriesLifetime, MovingToAnotherChartDropsTheOldChartsCustomAxes)
{
  auto* first = new TestChart;
  TestChart second;
  auto* s = new TChartSeries(nullptr);
  s->SetParentChart(first);
  s->AddXY(1, 2);
  s->SetCustomHorizAxis(first->GetCustomAxes()->Add(true));
  s->SetCustomVertAxis(first->GetCustomAxes()->Add(false));
  s->SetParentChart(&second);
  EXPECT_EQ(s->GetCustomHorizAxis(), nullptr);
  EXPECT_EQ(s->GetCustomVertAxis(), nullptr);
  EXPECT_EQ(s->GetHorizAxis(), second.GetBottomAxis());
  EXPECT_EQ(s->GetVertAxis(), second.GetLeftAxis());
  delete first;
  // Nothing of the freed chart is read.
  (void)s->CalcXPos(0);
  (void)s->CalcYPos(0);
  EXPECT_TRUE(s->AssociatedToAxis(second.GetLeftAxis()));
  // An axis of another chart is never taken; one given out of any chart is kept only by the
  // chart it belongs to.
  auto* third = new TestChart;
  TChartAxis* foreign = third->GetCustomAxes()->Add(false);
  s->SetCustomVertAxis(foreign);
  EXPECT_EQ(s->GetCustomVertAxis(), nullptr);
  EXPECT_EQ(s->GetVertAxis(), second.GetLeftAxis());
  s->SetParentChart(nullptr);
  s->SetCustomVertAxis(foreign);
  s->SetParentChart(&second);
  EXPECT_EQ(s->GetCustomVertAxis(), nullptr);
  EXPECT_EQ(s->GetVertAxis(), second.GetLeftAxis());
  s->SetParentChart(nullptr);
  s->SetCustomVertAxis(foreign);
  s->SetParentChart(third);
  EXPECT_EQ(s->GetVertAxis(), foreign);
  delete third;  // frees its series
}

TEST(SeriesLifetime, MarkItemsFollowTheirSeriesToAnotherChart)
{
  auto* first = new TestChart;
  TestChart second;
  auto* s = new TChartSeries(nullptr);
  s->SetParentChart(first);
  TMarksItem* item = s->GetMarks()->Items(1);
  s->SetParentChart(&second);
  EXPECT_EQ(item->GetParentChart(), &second);
  delete first;
  item->SetColor(clRed);  // repaints the chart the item is on
  s->SetParentChart(nullptr);
  EXPECT_EQ(item->GetParentChart(), nullptr);
  delete s;
}

TEST(SeriesLifetime, AssignRefusesACircleThroughTheCopiedSources)
{
  for (bool inChart : {true, false}) {
    SCOPED_TRACE(inChart);
    TestChart chart;
    auto* a = new TChartSeries(nullptr);
    auto* b = new TChartSeries(nullptr);
    auto* c = new TChartSeries(nullptr);
    if (inChart)
      for (auto* p : {a, b, c}) p->SetParentChart(&chart);
    a->AddXY(1, 1);
    b->SetDataSource(a);
    c->SetDataSource(b);
    a->SetTitle("kept");
    try {
      a->Assign(c);
      FAIL() << "a circle was made";
    } catch (const ChartException& e) {
      EXPECT_STREQ(e.what(), "Circular Series dependences are not allowed");
    }
    EXPECT_EQ(a->GetDataSource(), nullptr);
    EXPECT_EQ(a->GetTitle(), "kept");
    EXPECT_EQ(a->Count(), 1);
    // A copy whose sources make no circle still takes them.
    auto* d = new TChartSeries(nullptr);
    if (inChart) d->SetParentChart(&chart);
    d->Assign(c);
    EXPECT_EQ(d->GetDataSource(), b);
    for (auto* p : {d, c, b, a}) delete p;
  }
}

TEST(SeriesLifetime, AFreedSourceSeriesLeavesTheListsOfSeriesOutsideTheChart)
{
  TestChart chart;
  auto* a = new TChartSeries(nullptr);
  auto* b = new TChartSeries(nullptr);
  a->SetParentChart(&chart);
  b->SetParentChart(&chart);
  a->AddXY(1, 1);
  b->SetDataSource(a);
  ASSERT_EQ(a->LinkedSeries()->Count(), 1);
  b->SetParentChart(nullptr);
  EXPECT_EQ(a->LinkedSeries()->Count(), 0);
  EXPECT_EQ(b->GetDataSource(), a);
  delete a;
  EXPECT_EQ(b->DataSources()->Count(), 0);
  EXPECT_EQ(b->GetDataSource(), nullptr);
  delete b;
}

TEST(SeriesLifetime, ASourceTakenOverMovesIntoTheNewSeriesOwnership)
{
  TestChart chart;
  auto* a = new TChartSeries(nullptr);
  auto* b = new TChartSeries(nullptr);
  a->SetParentChart(&chart);
  b->SetParentChart(&chart);
  auto* src = new CountingSource(a);
  a->SetDataSource(src);
  src->Open();
  ASSERT_EQ(a->Count(), 3);
  b->SetDataSource(src);
  EXPECT_EQ(src->GetSeries(), b);
  EXPECT_EQ(src->GetOwner(), b);
  EXPECT_TRUE(src->GetActive());
  EXPECT_EQ(a->GetDataSource(), nullptr);
  delete a;
  EXPECT_EQ(b->GetDataSource(), src);
  EXPECT_EQ(b->Count(), 3);
  delete b;  // frees the source it owns
}

TEST(SeriesLifetime, NilDataSourceUnbindsAndClosesASeriesSource)
{
  TestChart chart;
  auto* s = new TChartSeries(nullptr);
  s->SetParentChart(&chart);
  CountingSource src(nullptr);
  s->SetDataSource(&src);
  src.Open();
  ASSERT_EQ(s->Count(), 3);
  s->SetDataSource(nullptr);
  EXPECT_EQ(s->GetDataSource(), nullptr);
  EXPECT_EQ(src.GetSeries(), nullptr);
  EXPECT_FALSE(src.GetActive());
  // Points typed by hand stay.
  s->AddXY(100, 1);
  s->AddXY(200, 2);
  src.Refresh();
  src.Open();
  EXPECT_EQ(Xs(*s), (std::vector<double>{100, 200}));
  delete s;
}

TEST(SeriesLifetime, AFreedSeriesLeavesEveryGroup)
{
  TestChart chart;
  TestChart other;
  auto* inChart = new TChartSeries(nullptr);
  auto* outside = new TChartSeries(nullptr);
  auto* elsewhere = new TChartSeries(nullptr);
  inChart->SetParentChart(&chart);
  elsewhere->SetParentChart(&other);
  TSeriesGroup* g = chart.SeriesList()->AddGroup("g");
  TSeriesGroup loose("loose");
  for (auto* p : {inChart, outside, elsewhere}) {
    g->Add(p);
    loose.Add(p);
  }
  delete outside;
  delete elsewhere;
  EXPECT_EQ(g->GetSeries(), (std::vector<TChartSeries*>{inChart}));
  EXPECT_EQ(loose.GetSeries(), (std::vector<TChartSeries*>{inChart}));
  EXPECT_EQ(g->GetActive(), gaYes);
  delete inChart;
  EXPECT_TRUE(g->GetSeries().empty());
  EXPECT_TRUE(loose.GetSeries().empty());
}

TEST(SeriesLifetime, ASourceWhoseSeriesIsFreedBecomesInactive)
{
  TestChart chart;
  CountingSource src(nullptr);
  auto* s = new TChartSeries(nullptr);
  s->SetParentChart(&chart);
  s->SetDataSource(&src);
  src.Open();
  ASSERT_TRUE(src.GetActive());
  delete s;
  EXPECT_EQ(src.GetSeries(), nullptr);
  EXPECT_FALSE(src.GetActive());
  // A series that left its chart before it is freed, the same.
  auto* t = new TChartSeries(nullptr);
  t->SetParentChart(&chart);
  t->SetDataSource(&src);
  src.Open();
  ASSERT_TRUE(src.GetActive());
  t->SetParentChart(nullptr);
  delete t;
  EXPECT_EQ(src.GetSeries(), nullptr);
  EXPECT_FALSE(src.GetActive());
}

TEST(SeriesLifetime, LabelIndexesFarPastTheCountAreRefused)
{
  TChartSeries s(nullptr);
  for (int i = 0; i < 3; ++i) s.AddXY(i, i);
  // Up to 1000 past the point count a label pads the list as before.
  s.SetXLabel(3 + 1000, "edge");
  EXPECT_EQ(s.Labels()->Count(), 1004);
  ASSERT_THROW(s.SetXLabel(3 + 1001, "past"), ChartException);
  EXPECT_EQ(s.Labels()->Count(), 1004);
  EXPECT_THROW(s.SetXLabel(200000000, "far"), ChartException);
  EXPECT_THROW(s.Labels()->SetLabel(200000000, "far"), ChartException);
  EXPECT_EQ(s.Labels()->Count(), 1004);
  // Inserting or exchanging far past the count pads nothing either.
  ASSERT_THROW(s.Labels()->InsertLabel(3 + 1001, "past"), ChartException);
  ASSERT_THROW(s.Labels()->Exchange(0, 3 + 1001), ChartException);
  EXPECT_THROW(s.Labels()->InsertLabel(200000000, "far"), ChartException);
  EXPECT_THROW(s.Labels()->Exchange(200000000, 0), ChartException);
  EXPECT_EQ(s.Labels()->Count(), 1004);
}

TEST(SeriesLifetime, ALabelsListWithoutSeriesPadsAtMost1000PastItsCount)
{
  TLabelsList lone;
  lone.SetLabel(5, "five");
  EXPECT_EQ(lone.Count(), 6);
  lone.SetLabel(6 + 1000, "edge");
  EXPECT_EQ(lone.Count(), 1007);
  try {
    lone.SetLabel(1007 + 1001, "past");
    FAIL() << "an index 1001 past the count padded the list";
  } catch (const ChartException& e) {
    EXPECT_EQ(std::string(e.what()), "List index out of bounds (2008)");
  }
  EXPECT_THROW(lone.SetLabel(INT32_MAX, "far"), ChartException);
  EXPECT_THROW(lone.InsertLabel(INT32_MAX, "far"), ChartException);
  EXPECT_THROW(lone.Exchange(INT32_MAX, 0), ChartException);
  EXPECT_EQ(lone.Count(), 1007);
  EXPECT_EQ(lone.GetLabel(1006), "edge");
  // Inserting up to 1000 past the count still pads.
  lone.InsertLabel(1007 + 1000, "inserted");
  EXPECT_EQ(lone.Count(), 2008);
  EXPECT_EQ(lone.GetLabel(2007), "inserted");
}

TEST(SeriesLinked, DeleteRangeTellsLinkedSeriesOfEveryPoint)
{
  TestChart chart;
  auto* source = new TChartSeries(nullptr);
  auto* copy = new TChartSeries(nullptr);
  source->SetParentChart(&chart);
  copy->SetParentChart(&chart);
  for (int i = 0; i < 10; ++i) source->AddXY(i, i * 10);
  copy->SetDataSource(source);
  ASSERT_EQ(copy->Count(), 10);
  std::vector<int32_t> told;
  class Spy : public TChartSeries {
  public:
    using TChartSeries::TChartSeries;
    std::vector<int32_t>* told = nullptr;
    void DeletedValue(TChartSeries* src, int32_t index) override
    {
      told->push_back(index);
      TChartSeries::DeletedValue(src, index);
    }
  };
  auto* spy = new Spy(nullptr);
  spy->told = &told;
  spy->SetParentChart(&chart);
  spy->SetDataSource(source);
  source->DeleteRange(5, 5);
  EXPECT_EQ(Xs(*copy), (std::vector<double>{0, 1, 2, 3, 4}));
  EXPECT_EQ(Ys(*copy), Ys(*source));
  EXPECT_EQ(told, (std::vector<int32_t>{9, 8, 7, 6, 5}));
  source->DeleteRange(0, 2);
  EXPECT_EQ(Xs(*copy), (std::vector<double>{2, 3, 4}));
  EXPECT_EQ(spy->Count(), 3);
  chart.FreeAllSeries();
}

}  // namespace
