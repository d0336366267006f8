// Right-click menus opened by synthetic Shift-right-clicks on a chart: the legend menu and its
// check modes, the axis menu and its "Default", one menu object per kind however often they open,
// and the ".in" file read by LoadSeriesSettings (missing file, section, key).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/SettingsText.h"
#include "platform/Menus.h"
#include "platform/TestInput.h"

namespace {

struct MenuChart {
  TChart chart{nullptr};
  std::vector<std::unique_ptr<TChartSeries>> series;
  std::vector<std::string> captions;
  std::vector<bool> ticks;
  int answer = -1;
  int pops = 0;

  explicit MenuChart(int count = 2)
  {
    chart.SetBounds(0, 0, 640, 480);
    for (int i = 0; i < count; ++i) {
      auto s = std::make_unique<TChartSeries>(nullptr);
      s->SetTitle("S" + std::to_string(i));
      for (int p = 0; p < 5; ++p) s->AddXY(p, (i + 1) * p * 10.0);
      s->SetParentChart(&chart);
      series.push_back(std::move(s));
    }
    TPopupMenu::TestAnswer = [this](TPopupMenu* menu) {
      ++pops;
      captions.clear();
      ticks.clear();
      for (int i = 0; i < menu->Count(); ++i) {
        captions.push_back(menu->Items(i)->GetCaption());
        ticks.push_back(menu->Items(i)->GetChecked());
      }
      return answer;
    };
    chart.PaintBuffer();
  }
  ~MenuChart()
  {
    TPopupMenu::TestAnswer = nullptr;
    for (auto& s : series) s->SetParentChart(nullptr);
  }
  TPoint LegendItemPoint(int item)
  {
    const TRect r = chart.GetLegend()->Items()->Item(item).SymbolRect;
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  // A point on the left axis (found through the chart's own hit test).
  TPoint AxisPoint(TChartAxis* axis)
  {
    const int y = (chart.ChartRect.Top + chart.ChartRect.Bottom) / 2;
    for (int x = 0; x < chart.GetWidth(); ++x) {
      TChartClickedPart part;
      chart.CalcClickedPart(TPoint{x, y}, part);
      if (part.Part == cpAxis && part.AAxis == axis) return TPoint{x, y};
    }
    return TPoint{-1, -1};
  }
  void ShiftRightClick(TPoint p)
  {
    testinput::MouseDown(&chart, mbRight, p.x, p.y, ssShift | ssRight);
    testinput::MouseUp(&chart, mbRight, p.x, p.y, ssShift);
  }
  int MenuObjects()
  {
    int n = 0;
    for (int i = 0; i < chart.ComponentCount(); ++i)
      if (auto* m = dynamic_cast<TChartMenus*>(chart.Components(i))) n += m != nullptr;
    return n;
  }
};

TEST(LegendMenu, ShiftRightClickOpensItWithTheCheckModeTicked)
{
  MenuChart c;
  c.ShiftRightClick(c.LegendItemPoint(0));
  ASSERT_EQ(c.pops, 1);
  EXPECT_EQ(c.captions, (std::vector<std::string>{"Options", "Visible", "X auto", "Y auto"}));
  EXPECT_EQ(c.ticks, (std::vector<bool>{false, true, false, false}));
  // A right click without Shift opens no menu.
  const TPoint p = c.LegendItemPoint(0);
  testinput::MouseDown(&c.chart, mbRight, p.x, p.y, ssRight);
  testinput::MouseUp(&c.chart, mbRight, p.x, p.y, 0);
  EXPECT_EQ(c.pops, 1);
}

TEST(LegendMenu, XAutoBoxesExcludeFromTheHorizontalRangeAndVisibleBringsBackActive)
{
  MenuChart c;
  TChartLegend* legend = c.chart.GetLegend();
  legend->SetCheckBoxes(true);
  int seriesMenuCalls = 0;
  c.chart.OnSeriesMenu = [&](TObject* sender) {
    ++seriesMenuCalls;
    EXPECT_EQ(sender, &c.chart);
  };
  c.chart.PaintBuffer();
  c.answer = 2;  // "X auto"
  c.ShiftRightClick(c.LegendItemPoint(0));
  EXPECT_EQ(c.chart.LegendCheckMode, 1);
  EXPECT_EQ(seriesMenuCalls, 1);
  // The menu shows the new mode next time.
  c.answer = -1;
  c.chart.PaintBuffer();
  c.ShiftRightClick(c.LegendItemPoint(0));
  EXPECT_EQ(c.ticks, (std::vector<bool>{false, false, true, false}));
  // Unticking the second series' box excludes it from the horizontal automatic range only.
  c.series[1]->AddXY(1000, 5);
  c.chart.PaintBuffer();
  const TRect symbol = legend->Items()->Item(1).SymbolRect;
  testinput::Click(&c.chart, symbol.Left - 10, (symbol.Top + symbol.Bottom) / 2);
  EXPECT_TRUE(c.series[1]->XAutoExcluded);
  EXPECT_TRUE(c.series[1]->GetActive());
  c.chart.PaintBuffer();
  EXPECT_LT(c.chart.GetBottomAxis()->GetMaximum(), 1000.0);
  // "Visible" brings back boxes that show Active.
  c.answer = 1;
  c.ShiftRightClick(c.LegendItemPoint(0));
  EXPECT_EQ(c.chart.LegendCheckMode, 0);
  EXPECT_TRUE(legend->IsItemChecked(c.series[1].get()));
}

TEST(LegendMenu, OptionsOpensTheLegendDialogThroughTheEditorServices)
{
  MenuChart c;
  TCustomChartLegend* edited = nullptr;
  auto saved = ChartEditorServices().EditLegend;
  ChartEditorServices().EditLegend = [&](TCustomChart*, TCustomChartLegend* legend) { edited = legend; };
  c.answer = 0;
  c.ShiftRightClick(c.LegendItemPoint(0));
  EXPECT_EQ(edited, c.chart.GetLegend());
  ChartEditorServices().EditLegend = saved;
}

TEST(Menus, OneMenuObjectPerKindHoweverOftenTheyOpen)
{
  MenuChart c;
  for (int i = 0; i < 5; ++i) c.ShiftRightClick(c.LegendItemPoint(0));
  EXPECT_EQ(c.pops, 5);
  ASSERT_EQ(c.MenuObjects(), 1);
  TChartMenus* menus = TChartMenus::Of(&c.chart);
  const int components = menus->ComponentCount();
  for (int i = 0; i < 5; ++i) c.ShiftRightClick(c.LegendItemPoint(0));
  EXPECT_EQ(menus->ComponentCount(), components);
  EXPECT_EQ(menus->LegendMenu()->Count(), 4);
}

TEST(AxisMenu, DefaultRestoresTheSavedAxisSettings)
{
  MenuChart c;
  TChartAxis* left = c.chart.GetLeftAxis();
  left->SetAutomatic(false);
  left->SetMinMax(-5, 95);
  left->SetIncrement(7);
  SaveAxesDefaults(&c.chart);
  EXPECT_FALSE(left->DefaultSettingsText.empty());
  EXPECT_FALSE(c.chart.GetBottomAxis()->DefaultSettingsText.empty());
  c.chart.PaintBuffer();
  const TPoint p = c.AxisPoint(left);
  ASSERT_GE(p.x, 0);
  int axisMenuCalls = 0;
  c.chart.OnAxisMenu = [&](TObject* sender) {
    ++axisMenuCalls;
    EXPECT_EQ(sender, &c.chart);
  };
  c.ShiftRightClick(p);
  EXPECT_EQ(c.captions, (std::vector<std::string>{"Options", "Default"}));
  EXPECT_EQ(c.chart.ClickedAxis, left);
  // Change the axis, then take back its saved settings.
  left->SetMinMax(100, 200);
  left->SetIncrement(0);
  c.answer = 1;
  c.ShiftRightClick(c.AxisPoint(left));
  EXPECT_EQ(left->GetMinimum(), -5.0);
  EXPECT_EQ(left->GetMaximum(), 95.0);
  EXPECT_EQ(left->GetIncrement(), 7.0);
  // A dismissed menu ran no command.
  EXPECT_EQ(axisMenuCalls, 1);
  // A damaged saved text leaves the axis as it is.
  left->DefaultSettingsText = "1~x~";
  left->SetMinMax(1, 2);
  AxisMenuClick(&c.chart, 1);
  EXPECT_EQ(left->GetMaximum(), 2.0);
}

TEST(SeriesSettingsFile, MissingFileSectionOrKeyLeavesTheSeries)
{
  testsupport::TempDir dir;
  MenuChart c(1);
  int applied = 0;
  std::string seen;
  auto saved = ChartEditorServices().SeriesFormatFromText;
  ChartEditorServices().SeriesFormatFromText = [&](TChartSeries*, const std::string& text) {
    ++applied;
    seen = text;
    return true;
  };
  SetSeriesSettingsFileName(dir.file("missing.in"));
  LoadSeriesSettings(&c.chart, "vamir_ps_grid", c.series[0].get());
  EXPECT_EQ(applied, 0);
  testsupport::WriteAll(dir.file("prog.in"),
                        "[serie_other]\r\nser_TChartSeries=zzz\r\n[serie_vamir_ps_grid]\r\nser_Other=yyy\r\n");
  SetSeriesSettingsFileName(dir.file("prog.in"));
  LoadSeriesSettings(&c.chart, "vamir_ps_grid", c.series[0].get());
  EXPECT_EQ(applied, 0);
  testsupport::WriteAll(dir.file("prog.in"), "[serie_vamir_ps_grid]\r\nser_TChartSeries=a~b~c\r\n");
  LoadSeriesSettings(&c.chart, "vamir_ps_grid", c.series[0].get());
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(seen, "a~b~c");
  SetSeriesSettingsFileName("");
  EXPECT_NE(SeriesSettingsFileName().find(".in"), std::string::npos);
  ChartEditorServices().SeriesFormatFromText = saved;
}

}  // namespace
