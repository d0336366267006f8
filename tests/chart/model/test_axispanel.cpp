// The axis panel: axis ranges from the series (active, excluded, paged, depth), paging and its
// setters, the legend's series filter, free colours, series exchange, 3-D sizes, series margins,
// and the paint phases as tools, handlers and series hear them, on a bitmap.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSources.h"
#include "chart/model/NvEngineTools.h"
#include "platform/Graphics.h"
#include "platform/Printers.h"
#include "TestSupport.h"

namespace {

std::vector<std::string>* gLog = nullptr;
void Log(const std::string& s)
{
  if (gLog) gLog->push_back(s);
}

class TestChart : public TCustomAxisPanel {
public:
  explicit TestChart(TComponent* owner = nullptr) : TCustomAxisPanel(owner) {}
  void CalcWallsRect() override { Log("walls-rect"); }
  int32_t GetWallSize(TChartAxis*) override { return 0; }
  void DrawTitlesAndLegend(bool before) override { Log(before ? "titles-before" : "titles-after"); }
  void DrawWalls() override { Log("walls"); }
  bool IsFreeSeriesColor(TColor color, bool, TChartSeries* series) override
  {
    for (int32_t i = 0; i < SeriesCount(); ++i)
      if (GetSeries(i) != series && GetSeries(i)->GetSeriesColor() == color) return false;
    return true;
  }
  int32_t GetLegendCheckMode() const override { return checkMode; }
  int32_t checkMode = 0;
};

// Draws each point as a 5 x 5 red square and logs the series' phases.
class SquareSeries : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
  void DrawValue(int32_t i) override
  {
    Log("value " + std::to_string(i));
    TCanvas3D* c = GetParentChart()->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clRed);
    c->Pen()->SetColor(clRed);
    const int32_t x = CalcXPos(i), y = CalcYPos(i);
    c->Rectangle(x - 2, y - 2, x + 3, y + 3);
  }
  void DoBeforeDrawChart() override { Log("series-before-chart"); }
  void CalcHorizMargins(int32_t& l, int32_t& r) override
  {
    l = left;
    r = right;
  }
  int32_t left = 0, right = 0;
};

class LogTool : public TNuvCustomTool {
public:
  using TNuvCustomTool::TNuvCustomTool;
  void ChartEvent(TChartToolEvent kind) override { Log("tool " + std::to_string(static_cast<int>(kind))); }
  void ChartMouseEvent(TChartMouseEvent kind, TMouseButton, TShiftState, int32_t x, int32_t y) override
  {
    Log("mouse " + std::to_string(static_cast<int>(kind)) + " " + std::to_string(x) + "," + std::to_string(y));
  }
};

SquareSeries* NewSeries(TestChart& chart, std::initializer_list<std::pair<double, double>> points)
{
  auto* s = new SquareSeries(nullptr);
  s->SetParentChart(&chart);
  for (auto [x, y] : points) s->AddXY(x, y);
  return s;
}

TEST(AxisPanelRanges, NoSeriesGivesZeroAndOnePage)
{
  TestChart chart;
  for (int32_t i = 0; i < chart.AxesList()->Count(); ++i) {
    TChartAxis* a = chart.AxesList()->GetAxis(i);
    EXPECT_EQ(chart.MinXValue(a), 0);
    EXPECT_EQ(chart.MaxYValue(a), 0);
  }
  EXPECT_EQ(chart.NumPages(), 1);
  EXPECT_EQ(chart.AxesList()->Count(), 6);
  EXPECT_TRUE(chart.GetBottomAxis()->GetHorizontal());
  EXPECT_TRUE(chart.GetTopAxis()->GetOtherSide());
  EXPECT_EQ(chart.GetLeftAxis()->GetTitle()->GetAngle(), 90);
  EXPECT_EQ(chart.GetRightAxis()->GetTitle()->GetAngle(), 270);
  EXPECT_TRUE(chart.GetDepthAxis()->IsDepthAxis);
}

TEST(AxisPanelRanges, ActiveSeriesExcludedSeriesAndAxisChoice)
{
  TestChart chart;
  auto* a = NewSeries(chart, {{0, 5}, {10, 15}});
  auto* b = NewSeries(chart, {{-20, -50}, {40, 100}});
  TChartAxis* bottom = chart.GetBottomAxis();
  TChartAxis* left = chart.GetLeftAxis();
  EXPECT_EQ(chart.MinXValue(bottom), -20);
  EXPECT_EQ(chart.MaxXValue(bottom), 40);
  b->SetActive(false);
  EXPECT_EQ(chart.MinXValue(bottom), 0);
  EXPECT_EQ(chart.MaxYValue(left), 15);
  a->SetActive(false);  // no active series: every series counts again
  EXPECT_EQ(chart.MinXValue(bottom), -20);
  a->SetActive(true);
  b->SetActive(true);
  b->YAutoExcluded = true;
  EXPECT_EQ(chart.MinYValue(left), 5);
  EXPECT_EQ(chart.MinXValue(bottom), -20);
  b->SetHorizAxis(aTopAxis);
  EXPECT_EQ(chart.MinXValue(bottom), 0);
  EXPECT_EQ(chart.MinXValue(chart.GetTopAxis()), -20);
  b->SetHorizAxis(aBothHorizAxis);
  EXPECT_EQ(chart.MinXValue(bottom), -20);
  EXPECT_EQ(chart.GetAxisSeries(chart.GetTopAxis()), b);
  EXPECT_FALSE(chart.NoActiveSeries(bottom));
  EXPECT_TRUE(chart.NoActiveSeries(chart.GetRightAxis()));
}

TEST(AxisPanelRanges, PagedAxisAndTheLastPageScale)
{
  TestChart chart;
  auto* s = new SquareSeries(nullptr);
  s->SetParentChart(&chart);
  for (int i = 0; i < 25; ++i) s->AddXY(i, 100 + i);
  chart.SetMaxPointsPerPage(10);
  EXPECT_EQ(chart.NumPages(), 3);
  chart.SetPage(3);
  TChartAxis* bottom = chart.GetBottomAxis();
  EXPECT_EQ(chart.MinXValue(bottom), 20);
  EXPECT_EQ(chart.MaxXValue(bottom), 24);
  chart.SetScaleLastPage(false);
  EXPECT_EQ(chart.MaxXValue(bottom), 28);
  // The vertical axis is not paged.
  EXPECT_EQ(chart.MinYValue(chart.GetLeftAxis()), 100);
  chart.SetPage(2);
  EXPECT_EQ(chart.MinXValue(bottom), 10);
  EXPECT_EQ(chart.MaxXValue(bottom), 19);
  // A last page of one point keeps the spacing of a full page.
  s->DeleteRange(21, 4);
  chart.SetPage(3);
  EXPECT_EQ(chart.MinXValue(bottom), 20);
  EXPECT_EQ(chart.MaxXValue(bottom), 30);
}

TEST(AxisPanelRanges, DepthAxisByZOrderOrByValue)
{
  TestChart chart;
  NewSeries(chart, {{0, 0}});
  NewSeries(chart, {{0, 0}});
  chart.MaxZOrder = 1;
  TChartAxis* depth = chart.GetDepthAxis();
  EXPECT_EQ(chart.MinXValue(depth), -0.5);
  EXPECT_EQ(chart.MaxXValue(depth), 1.5);
  chart.GetSeries(1)->SetZOrder(4);
  depth->SetLabelStyle(talValue);
  EXPECT_EQ(chart.MaxXValue(depth), 4);
  EXPECT_EQ(chart.MinXValue(depth), 0);
}

TEST(AxisPanelPaging, SettersClampAndRefuse)
{
  TestChart chart;
  std::vector<int> changes;
  chart.OnPageChange = [&](TObject*) { changes.push_back(chart.GetPage()); };
  auto* s = new SquareSeries(nullptr);
  s->SetParentChart(&chart);
  for (int i = 0; i < 25; ++i) s->Add(i);
  chart.SetMaxPointsPerPage(10);
  chart.SetPage(0);
  EXPECT_EQ(chart.GetPage(), 1);
  chart.SetPage(9);
  EXPECT_EQ(chart.GetPage(), 3);
  EXPECT_EQ(changes, (std::vector<int>{3}));
  chart.SetMaxPointsPerPage(20);
  EXPECT_EQ(chart.GetPage(), 2);
  try {
    chart.SetMaxPointsPerPage(-1);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "MaxPointsPerPage must be >= 0");
  }
  EXPECT_EQ(chart.GetMaxPointsPerPage(), 20);
  try {
    chart.SetChart3DPercent(101);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "3D effect percent must be between 1 and 100");
  }
  EXPECT_THROW(chart.SetChart3DPercent(0), Exception);
  chart.SetChart3DPercent(100);
  EXPECT_EQ(chart.GetChart3DPercent(), 100);
  // A horizontal first series pages the vertical axes.
  auto* h = new SquareSeries(nullptr);
  h->SetHorizontal();
  h->SetParentChart(&chart);
  chart.ExchangeSeriesObjects(s, h);
  ASSERT_EQ(chart.GetSeries(0), h);
  for (int i = 0; i < 45; ++i) h->Add(i);
  chart.SetMaxPointsPerPage(10);
  EXPECT_EQ(chart.NumPages(), 5);
}

TEST(AxisPanelSeries, LegendFilterFreeColoursAndExchange)
{
  TestChart chart;
  chart.SetColorPalette({clRed, clGreen, clBlue, clYellow});
  auto* a = NewSeries(chart, {{0, 0}});
  auto* b = NewSeries(chart, {{0, 0}});
  auto* c = NewSeries(chart, {{0, 0}});
  b->SetShowInLegend(false);
  c->SetActive(false);
  EXPECT_EQ(chart.SeriesLegend(0, true), a);
  EXPECT_EQ(chart.SeriesLegend(1, true), nullptr);
  EXPECT_EQ(chart.SeriesLegend(1, false), c);
  chart.checkMode = 2;
  c->YAutoExcluded = true;
  EXPECT_EQ(chart.SeriesLegend(1, true), nullptr);
  EXPECT_EQ(chart.SeriesLegend(1, false), c);
  EXPECT_EQ(c->GetSeriesColor(), clBlue);
  // Only the last palette colour is given without a test.
  a->SetSeriesColor(clYellow);
  EXPECT_EQ(chart.GetFreeSeriesColor(true, nullptr), clRed);
  b->SetSeriesColor(clRed);
  a->SetSeriesColor(clGreen);
  c->SetSeriesColor(clBlue);
  auto* d = NewSeries(chart, {});
  EXPECT_EQ(d->GetSeriesColor(), clYellow);
  EXPECT_EQ(chart.GetDefaultColor(-1), clYellow);
  // Exchange: list order, group order and one swap event with no series.
  TSeriesGroup* g = chart.SeriesList()->AddGroup("g");
  g->Add(a);
  g->Add(c);
  int swaps = 0;
  struct Counter : INuvEventListener {
    int* n;
    void HandleEvent(TNuvEvent* e) override
    {
      if (auto* s = dynamic_cast<TNuvSeriesEvent*>(e); s && s->Event == seSwap && !s->Series) ++*n;
    }
  } counter;
  counter.n = &swaps;
  chart.Listeners()->Add(&counter);
  chart.ExchangeSeries(0, 2);
  chart.RemoveListener(&counter);
  EXPECT_EQ(chart.GetSeries(0), c);
  EXPECT_EQ(chart.GetSeries(2), a);
  EXPECT_EQ(g->GetSeries(), (std::vector<TChartSeries*>{c, a}));
  EXPECT_EQ(swaps, 1);
  EXPECT_THROW(chart.ExchangeSeries(0, 9), ChartException);
  EXPECT_EQ(chart.CountActiveSeries(), 3);
  EXPECT_EQ(chart.GetMaxValuesCount(), 1);
  EXPECT_FALSE(chart.SeriesList()->AllActive());
  chart.SeriesList()->SetAllActive(true);
  EXPECT_TRUE(chart.SeriesList()->AllActive());
  // The chart frees its series; a removed series is the caller's again.
  chart.RemoveSeries(d);
  EXPECT_EQ(d->GetParentChart(), nullptr);
  delete d;
}

class NoAxisSeries : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
  bool UseAxis() override { return false; }
};

TEST(AxisPanelAxes, VisibilityFollowsSeriesAndView)
{
  TestChart chart;
  EXPECT_TRUE(chart.IsAxisVisible(chart.GetLeftAxis()));
  chart.SetView3D(false);
  EXPECT_FALSE(chart.IsAxisVisible(chart.GetDepthAxis()));
  NewSeries(chart, {{1, 1}});
  EXPECT_TRUE(chart.IsAxisVisible(chart.GetBottomAxis()));
  // An axis no series uses is still shown unless a series without axes is active.
  EXPECT_TRUE(chart.IsAxisVisible(chart.GetTopAxis()));
  auto* pie = new NoAxisSeries(nullptr);
  chart.ExchangeSeries(0, chart.SeriesCount() - 1);
  pie->SetParentChart(&chart);
  chart.ExchangeSeries(0, 1);
  EXPECT_FALSE(chart.AxisHasSeries(chart.GetBottomAxis(), true));
  chart.SetAxisVisible(false);
  EXPECT_FALSE(chart.IsAxisVisible(chart.GetLeftAxis()));
}

TEST(AxisPanelAxes, SeriesMarginsWidenAnAutomaticRange)
{
  TestChart chart;
  auto* s = NewSeries(chart, {{0, 0}, {100, 1}});
  s->left = 10;
  s->right = 20;
  TChartAxis* bottom = chart.GetBottomAxis();
  bottom->SetPositions(100, 500);
  bottom->SetScale(0, 100);
  chart.CalcSeriesMargins(bottom);
  const double ppu = 370.0 / 100.0;
  EXPECT_NEAR(bottom->ScaleMinimum, -10 / ppu, 1e-9);
  EXPECT_NEAR(bottom->ScaleMaximum, 100 + 20 / ppu, 1e-9);
  EXPECT_EQ(bottom->CalcXPosValue(0), 110);
  EXPECT_EQ(bottom->CalcXPosValue(100), 480);
  // A fixed minimum keeps its end.
  bottom->SetScale(0, 100);
  bottom->SetAutomaticMinimum(false);
  bottom->SetAutomatic(false);
  bottom->SetAutomaticMaximum(true);
  chart.CalcSeriesMargins(bottom);
  EXPECT_NEAR(bottom->ScaleMinimum, 0, 1e-9);
  EXPECT_NEAR(bottom->ScaleMaximum, 100 + 20 / (380.0 / 100.0), 1e-9);
}

TEST(AxisPanelAxes, SeriesMarginsWiderThanTheAxisLeaveItsRange)
{
  TestChart chart;
  auto* s = NewSeries(chart, {{0, 0}, {100, 1}});
  s->left = INT32_MAX;
  s->right = INT32_MAX;
  TChartAxis* bottom = chart.GetBottomAxis();
  bottom->SetPositions(100, 500);
  bottom->SetScale(0, 100);
  chart.CalcSeriesMargins(bottom);
  EXPECT_EQ(bottom->ScaleMinimum, 0);
  EXPECT_EQ(bottom->ScaleMaximum, 100);
  EXPECT_EQ(bottom->PosStart, 100);
  EXPECT_EQ(bottom->PosEnd, 500);
}

TEST(AxisPanel3D, SizesZOrdersAndTurnedView)
{
  TestChart chart;
  chart.SetView3D(true);
  chart.ChartWidth = 400;
  NewSeries(chart, {{0, 0}});
  NewSeries(chart, {{0, 0}});
  chart.CalcSeriesZOrders();
  chart.CalcSize3D();
  EXPECT_EQ(chart.SeriesWidth3D, 6);  // 400 x 15 per mille
  EXPECT_EQ(chart.SeriesHeight3D, 6);
  EXPECT_EQ(chart.Width3D, 12);
  EXPECT_EQ(chart.Height3D, 12);
  chart.GetView3DOptions()->SetOrthogonal(false);
  chart.GetView3DOptions()->SetZoom(200);
  chart.CalcSize3D();
  EXPECT_EQ(chart.SeriesWidth3D, 6);   // 12 / 2
  EXPECT_EQ(chart.SeriesHeight3D, 12);
  chart.GetView3DOptions()->SetRotation(170);
  EXPECT_TRUE(chart.CalcIsViewTurned());
  chart.GetView3DOptions()->SetOrthogonal(true);
  EXPECT_FALSE(chart.CalcIsViewTurned());
  chart.SetView3D(false);
  chart.CalcSize3D();
  EXPECT_EQ(chart.Width3D, 0);
  EXPECT_FALSE(chart.CalcIsViewTurned());
}

struct PaintFixture {
  std::vector<std::string> log;
  TestChart* chart = new TestChart();
  SquareSeries* series;
  PaintFixture()
  {
    gLog = &log;
    chart->SetBounds(0, 0, 400, 300);
    chart->SetView3D(false);
    chart->SetColor(clWhite);
    series = NewSeries(*chart, {{0, 0}, {10, 5}, {20, 10}});
    series->BeforeDrawValues = [](TObject*) { Log("before-values"); };
    series->AfterDrawValues = [](TObject*) { Log("after-values"); };
    chart->OnBeforeDrawChart = [](TObject*) { Log("before-chart"); };
    chart->OnBeforeDrawAxes = [](TObject*) { Log("before-axes"); };
    chart->OnBeforeDrawSeries = [](TObject*) { Log("before-series"); };
    chart->OnAfterDraw = [](TObject*) { Log("after-draw"); };
    chart->Tools()->Add(new LogTool(nullptr));
    auto* off = new LogTool(nullptr);
    off->SetActive(false);
    chart->Tools()->Add(off);
  }
  ~PaintFixture()
  {
    delete chart;
    gLog = nullptr;
  }
};

TEST(AxisPanelPaint, PhasesReachToolsHandlersAndSeriesInOrder)
{
  PaintFixture f;
  f.chart->PaintBuffer();
  const std::vector<std::string> expected = {
      "tool 2",       "before-chart", "series-before-chart", "titles-before", "walls-rect", "walls",
      "tool 3",       "before-axes",  "tool 1",              "before-series", "before-values", "value 0",
      "value 1",      "value 2",      "after-values",        "tool 4",        "titles-after", "tool 0",
      "after-draw"};
  EXPECT_EQ(f.log, expected);
  f.log.clear();
  f.chart->SetAxisBehind(false);
  f.chart->PaintBuffer();
  const auto at = [&](const std::string& s) { return std::find(f.log.begin(), f.log.end(), s) - f.log.begin(); };
  EXPECT_LT(at("tool 4"), at("tool 3"));
  EXPECT_LT(at("tool 3"), at("before-axes"));
  EXPECT_LT(at("before-axes"), at("titles-after"));
  f.log.clear();
  f.chart->MouseLeave();
  f.chart->BroadcastToolMouseEvent(cmeMove, mbLeft, 0, 7, 8);
  EXPECT_EQ(f.log, (std::vector<std::string>{"tool 5", "mouse 1 7,8"}));
}

TEST(AxisPanelPaint, PointsLandWhereTheAxesPutThem)
{
  PaintFixture f;
  f.chart->PaintBuffer();
  TChartAxis* bottom = f.chart->GetBottomAxis();
  TChartAxis* left = f.chart->GetLeftAxis();
  EXPECT_EQ(bottom->ScaleMinimum, 0);
  EXPECT_EQ(bottom->ScaleMaximum, 20);
  EXPECT_EQ(left->ScaleMinimum, 0);
  EXPECT_EQ(left->ScaleMaximum, 10);
  // The axes span the chart rectangle the layout left.
  const TRect r = f.chart->ChartRect;
  EXPECT_EQ(bottom->IStartPos(), r.Left);
  EXPECT_EQ(bottom->IEndPos(), r.Right);
  EXPECT_EQ(left->IStartPos(), r.Top);
  EXPECT_EQ(left->IEndPos(), r.Bottom);
  EXPECT_GT(r.Left, 0);
  EXPECT_LT(r.Bottom, 300);
  TBitmap* b = f.chart->BackBuffer();
  for (int i = 0; i < 3; ++i) {
    const double x = i * 10.0, y = i * 5.0;
    const int px = r.Left + static_cast<int>(std::lround((x - 0) * r.Width() / 20.0));
    const int py = r.Bottom - static_cast<int>(std::lround((y - 0) * r.Height() / 10.0));
    EXPECT_NEAR(f.series->CalcXPos(i), px, 1);
    EXPECT_NEAR(f.series->CalcYPos(i), py, 1);
    // The square's centre is red unless clipped away at the chart's edge.
    if (i == 1) {
      EXPECT_EQ(b->Canvas()->GetPixel(f.series->CalcXPos(i), f.series->CalcYPos(i)) & 0xFFFFFF, clRed);
    }
  }
  EXPECT_EQ(f.series->FirstValueIndex, 0);
  EXPECT_EQ(f.series->LastValueIndex, 2);
}

TEST(AxisPanelAxes, SetMinMaxCopiesTheRangeToLinkedCustomAxes)
{
  TestChart chart;
  TChartAxis* a = chart.GetCustomAxes()->Add(false);
  TChartAxis* b = chart.GetCustomAxes()->Add(false);
  TChartAxis* c = chart.GetCustomAxes()->Add(true);
  TChartAxis* left = chart.GetLeftAxis();
  EXPECT_TRUE(chart.LinkCustomAxis(a, left));
  EXPECT_TRUE(chart.LinkCustomAxis(b, a));
  EXPECT_EQ(chart.LinkedMaster(b), a);
  // Refused: a standard axis as follower, an axis following itself, a loop, another chart's axis.
  TestChart other;
  EXPECT_FALSE(chart.LinkCustomAxis(left, a));
  EXPECT_FALSE(chart.LinkCustomAxis(c, c));
  EXPECT_FALSE(chart.LinkCustomAxis(a, b));
  EXPECT_FALSE(chart.LinkCustomAxis(c, other.GetLeftAxis()));
  EXPECT_FALSE(chart.LinkCustomAxis(nullptr, left));
  EXPECT_EQ(chart.LinkedMaster(c), nullptr);
  EXPECT_EQ(chart.LinkedMaster(a), left);

  left->SetMinMax(8, 2);
  for (TChartAxis* x : {a, b}) {
    EXPECT_FALSE(x->GetAutomatic());
    EXPECT_FALSE(x->GetAutomaticMinimum());
    EXPECT_EQ(x->GetMinimum(), 2);
    EXPECT_EQ(x->GetMaximum(), 8);
  }
  EXPECT_TRUE(c->GetAutomatic());
  // The range copied is the one stored, widened when its ends are equal; the master stays.
  a->SetMinMax(3, 3);
  EXPECT_EQ(b->GetMinimum(), 3);
  EXPECT_EQ(b->GetMaximum(), a->GetMaximum());
  EXPECT_GT(b->GetMaximum(), 3);
  EXPECT_EQ(left->GetMinimum(), 2);

  // Linking again moves the axis; a freed axis leaves every link.
  EXPECT_TRUE(chart.LinkCustomAxis(b, left));
  EXPECT_EQ(chart.LinkedCustomAxes(left), (std::vector<TChartAxis*>{a, b}));
  chart.GetCustomAxes()->Delete(0);  // a
  EXPECT_EQ(chart.LinkedCustomAxes(left), (std::vector<TChartAxis*>{b}));
  left->SetMinMax(-1, 1);
  EXPECT_EQ(b->GetMinimum(), -1);
  chart.UnlinkCustomAxis(b);
  left->SetMinMax(0, 5);
  EXPECT_EQ(b->GetMaximum(), 1);
  // A freed master leaves its followers free.
  EXPECT_TRUE(chart.LinkCustomAxis(c, b));
  chart.GetCustomAxes()->Delete(0);  // b
  EXPECT_EQ(chart.LinkedMaster(c), nullptr);
}

TEST(AxisPanelAxes, TheAxisListHookChangesTheLabelsSize)
{
  PaintFixture f;
  f.chart->PaintBuffer();
  const TRect plain = f.chart->ChartRect;
  TChartAxis* left = f.chart->GetLeftAxis();
  std::vector<TChartAxis*> seen;
  int32_t grow = 30;
  f.chart->AxesList()->OnLabelsSize = [&](TChartAxis* axis, int32_t& size) {
    seen.push_back(axis);
    if (axis == left) size = grow < 0 ? grow : size + grow;
  };
  f.chart->Invalidate();
  f.chart->PaintBuffer();
  EXPECT_EQ(f.chart->ChartRect.Left, plain.Left + 30);
  EXPECT_EQ(f.chart->ChartRect.Bottom, plain.Bottom);
  EXPECT_NE(std::find(seen.begin(), seen.end(), left), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), f.chart->GetBottomAxis()), seen.end());
  // A negative size counts as none.
  grow = -1000;
  f.chart->Invalidate();
  f.chart->PaintBuffer();
  const int32_t none = f.chart->ChartRect.Left;
  EXPECT_LT(none, plain.Left);
  f.chart->AxesList()->OnLabelsSize = [&](TChartAxis* axis, int32_t& size) {
    if (axis == left) size = 0;
  };
  f.chart->Invalidate();
  f.chart->PaintBuffer();
  EXPECT_EQ(f.chart->ChartRect.Left, none);
  // Axes without labels are not asked.
  seen.clear();
  left->SetLabels(false);
  f.chart->AxesList()->OnLabelsSize = [&](TChartAxis* axis, int32_t&) { seen.push_back(axis); };
  f.chart->Invalidate();
  f.chart->PaintBuffer();
  EXPECT_EQ(std::find(seen.begin(), seen.end(), left), seen.end());
}

TEST(AxisPanelLife, CustomAxesToolsAndSeriesAreFreedWithTheChart)
{
  auto* chart = new TestChart();
  TChartAxis* custom = chart->GetCustomAxes()->Add(true);
  EXPECT_EQ(chart->AxesList()->Count(), 7);
  EXPECT_TRUE(chart->IsCustomAxesStored());
  auto* tool = new TNuvCustomToolAxis(nullptr);
  chart->Tools()->Add(tool);
  tool->SetAxis(custom);
  auto* s = NewSeries(*chart, {{1, 2}});
  s->SetCustomHorizAxis(custom);
  chart->GetCustomAxes()->Delete(0);
  EXPECT_EQ(tool->GetAxis(), nullptr);
  EXPECT_EQ(tool->GetParentChart(), chart);
  EXPECT_EQ(s->GetHorizAxis(), chart->GetBottomAxis());
  EXPECT_EQ(chart->AxesList()->Count(), 6);
  chart->GetCustomAxes()->Add(false);
  // A series owning another series: freeing the first frees the second with it.
  auto* parent = NewSeries(*chart, {});
  auto* child = new SquareSeries(parent);
  child->SetParentChart(chart);
  chart->ExchangeSeriesObjects(parent, s);
  delete chart;  // frees the series, the tool and the custom axis
}

}  // namespace

namespace {

TEST(AxisPanelLegendSymbol, SeriesColourFillsTheSymbolAndAFrameShowsOnTheBackColour)
{
  TestChart chart;
  chart.SetBounds(0, 0, 100, 80);
  TBitmap target;
  target.SetSize(100, 80);
  chart.Canvas()->AttachCanvas(target.Canvas());
  auto* s = NewSeries(chart, {{0, 1}, {1, 2}});
  s->SetSeriesColor(clBlue);
  const TBrushStyle style = s->GetBrush()->GetStyle();
  s->DrawLegend(-1, Rect(10, 10, 30, 20));
  EXPECT_EQ(target.Canvas()->GetPixel(20, 15) & 0xFFFFFF, clBlue);
  EXPECT_EQ(s->GetBrush()->GetStyle(), style);
  s->SetValueColor(1, clLime);
  s->DrawLegend(1, Rect(40, 10, 60, 20));
  EXPECT_EQ(target.Canvas()->GetPixel(50, 15) & 0xFFFFFF, clLime);
  // Colour per point: the whole-series symbol is not drawn.
  s->SetColorEachPoint(true);
  s->DrawLegend(-1, Rect(10, 40, 30, 50));
  EXPECT_EQ(target.Canvas()->GetPixel(20, 45) & 0xFFFFFF, clWhite);
  // A black symbol on a black legend background gets a white frame.
  chart.LegendSymbolBackColor = clBlack;
  chart.Canvas()->Brush()->SetStyle(bsSolid);
  chart.Canvas()->Brush()->SetColor(clBlack);
  chart.Canvas()->Pen()->SetColor(clBlack);
  chart.Canvas()->Pen()->SetStyle(psSolid);
  chart.DrawLegendSymbolRect(s, Rect(60, 40, 80, 60));
  EXPECT_EQ(target.Canvas()->GetPixel(60, 50) & 0xFFFFFF, clWhite);
  EXPECT_EQ(target.Canvas()->GetPixel(70, 50) & 0xFFFFFF, clBlack);
  EXPECT_EQ(chart.Canvas()->Pen()->GetColor(), clBlack);
}

class HitSeries : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
  int32_t Clicked(int32_t x, int32_t) override { return x < 50 ? 0 : -1; }
};

TEST(AxisPanelMouse, SeriesHearEnterAndLeaveAndSetTheCursor)
{
  TestChart chart;
  auto* s = new HitSeries(nullptr);
  s->SetParentChart(&chart);
  EXPECT_FALSE(chart.CheckMouseSeries(10, 10));  // no cursor, no events: not asked
  std::vector<std::string> seen;
  s->OnMouseEnter = [&](TObject*) { seen.push_back("enter"); };
  s->OnMouseLeave = [&](TObject*) { seen.push_back("leave"); };
  s->SetCursor(crCross);
  EXPECT_TRUE(chart.CheckMouseSeries(10, 10));
  EXPECT_TRUE(chart.CheckMouseSeries(12, 10));
  EXPECT_EQ(chart.GetCursor(), crCross);
  EXPECT_FALSE(chart.CheckMouseSeries(90, 10));
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "leave"}));
  s->OnMouseEnter = {};
  s->OnMouseLeave = {};
}

class CountingSource : public TNuvSeriesSource {
public:
  using TNuvSeriesSource::TNuvSeriesSource;
  void Load() override
  {
    if (GetSeries())
      for (int i = 0; i < 3; ++i) GetSeries()->Add(i);
  }
};

TEST(AxisPanelSources, ASourceComponentFillsItsSeriesAndGoesWithIt)
{
  TestChart chart;
  auto* s = NewSeries(chart, {});
  auto* source = new CountingSource(s);
  s->SetDataSource(source);
  EXPECT_EQ(s->GetDataSource(), source);
  EXPECT_EQ(source->GetSeries(), s);
  source->SetActive(true);
  EXPECT_EQ(s->Count(), 3);
  delete s;  // owns the source: freed first, nothing dangles
  EXPECT_EQ(chart.SeriesCount(), 0);
}

TEST(AxisPanelStream, DataBlockIsStoredOnlyForManualData)
{
  TestChart chart;
  auto* s = NewSeries(chart, {{0, 5}, {1, 7}, {5, 9}});
  TPropertyWriter none;
  s->DefineProperties(&none);
  EXPECT_FALSE(none.Values().count("Data"));
  s->ManualData = true;
  TPropertyWriter writer;
  s->DefineProperties(&writer);
  ASSERT_TRUE(writer.Values().count("Data"));
  auto* t = NewSeries(chart, {});
  TPropertyReader reader(writer.Values());
  t->DefineProperties(&reader);
  EXPECT_EQ(t->Count(), 3);
  EXPECT_EQ(t->GetXValue(2), 5);
  EXPECT_EQ(t->GetYValue(2), 9);
  EXPECT_TRUE(t->ManualData);
}

TEST(AxisPanelPrint, PagesPrintOneSheetEachAndThePageComesBack)
{
  testsupport::TempDir dir;
  const std::string pdf = dir.file("pages.pdf");
  TestChart chart;
  chart.SetBounds(0, 0, 300, 200);
  chart.SetView3D(false);
  auto* s = NewSeries(chart, {});
  for (int i = 0; i < 25; ++i) s->AddXY(i, i % 7);
  chart.SetMaxPointsPerPage(10);
  chart.SetPage(2);
  Printer()->SetOutputFileName(pdf);
  chart.PrintPages();
  Printer()->SetOutputFileName("");
  EXPECT_EQ(chart.GetPage(), 2);
  const std::string bytes = testsupport::ReadAll(pdf);
  ASSERT_FALSE(bytes.empty());
  size_t pages = 0;
  for (size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
    if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
  EXPECT_EQ(pages, 3u);
}

}  // namespace

namespace {

class NamedSeries : public TChartSeries {
public:
  NamedSeries(const std::string& name) : TChartSeries(nullptr), name_(name) {}
  void DrawValue(int32_t i) override { Log(name_ + std::to_string(i)); }

private:
  std::string name_;
};

TEST(AxisPanelPaint, SeriesSharingADepthAreDrawnPointByPoint)
{
  std::vector<std::string> log;
  gLog = &log;
  {
    TestChart chart;
    chart.SetBounds(0, 0, 300, 200);
    chart.SetView3D(true);
    auto* a = new NamedSeries("a");
    auto* b = new NamedSeries("b");
    auto* c = new NamedSeries("c");
    for (auto* s : {a, b, c}) {
      s->SetParentChart(&chart);
      for (int i = 0; i < 3; ++i) s->AddXY(i, i);
    }
    c->DeleteRange(2, 1);
    a->SetZOrder(0);
    c->SetZOrder(0);
    b->SetZOrder(1);
    chart.PaintBuffer();
    std::vector<std::string> drawn;
    for (const auto& s : log)
      if (s.size() == 2) drawn.push_back(s);
    // b has a depth of its own; a and c alternate, c lacking point 2.
    const std::vector<std::string> expected = {"a0", "c0", "a1", "c1", "a2", "b0", "b1", "b2"};
    EXPECT_EQ(drawn, expected);
  }
  gLog = nullptr;
}

}  // namespace
