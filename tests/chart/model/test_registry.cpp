// Type registries, series creation by class, palettes applied to a chart, and the series'
// companions: labels list, groups, data sources (circular chains), naming.
#include <gtest/gtest.h>

#include "chart/canvas/NuvConst.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartPalettes.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineFunctions.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineSources.h"
#include "chart/model/NvEngineTools.h"

namespace {

class TSeriesA : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
};
class TSeriesB : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
};
class TFunctionA : public TNuvFunction {
public:
  using TNuvFunction::TNuvFunction;
  // The sum of the mandatory values of the range.
  double Calculate(TChartSeries* source, int32_t first, int32_t last) override
  {
    if (first < 0) {
      first = 0;
      last = source->Count() - 1;
    }
    double sum = 0;
    for (int32_t i = first; i <= last; ++i) sum += ValueList(source)->Value(i);
    return sum;
  }
};
class TToolA : public TNuvCustomTool {
public:
  using TNuvCustomTool::TNuvCustomTool;
};

std::string DescA = "Series A", DescB = "Series B", Page = "Page";

struct Registry : ::testing::Test {
  void TearDown() override
  {
    UnRegisterNuvSeries({NuvClassOf<TSeriesA>(), NuvClassOf<TSeriesB>()});
    UnRegisterNuvFunctions({NuvClassOf<TFunctionA>()});
    UnRegisterNuvTools({NuvClassOf<TToolA>()});
  }
};

}  // namespace

TEST_F(Registry, SeriesAndFunctionTypes)
{
  auto count = [] { return NuvSeriesTypesList() ? NuvSeriesTypesList()->Count() : 0; };
  const int32_t before = count();
  RegisterNuvSeries(NuvClassOf<TSeriesA>(), &DescA, &Page, 3);
  RegisterNuvSeries(NuvClassOf<TSeriesA>(), &DescA, &Page, 3);
  EXPECT_EQ(count(), before + 1);
  RegisterNuvSeriesFunction(NuvClassOf<TSeriesA>(), NuvClassOf<TFunctionA>(), &DescA, &Page, 1);
  EXPECT_EQ(count(), before + 2);
  const TNuvSeriesType* t = NuvSeriesTypesList()->FindSeriesType(NuvClassOf<TSeriesA>());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->FunctionClass, nullptr);
  EXPECT_EQ(t->NumGallerySeries, 3);
  RegisterNuvBasicFunction(NuvClassOf<TFunctionA>(), &DescB);
  EXPECT_EQ(NuvSeriesTypesList()->Get(count() - 1)->GalleryPage, &NuvMsg_GalleryStandard);

  TSeriesA a(nullptr);
  TSeriesB b(nullptr);
  EXPECT_EQ(GetGallerySeriesName(&a), "Series A");
  EXPECT_EQ(GetGallerySeriesName(&b), "TSeriesB");  // not registered: the class name
  // The description follows the message string it points at.
  DescA = "Renamed";
  EXPECT_EQ(GetGallerySeriesName(&a), "Renamed");
  DescA = "Series A";

  // Removing a function class removes both of its records; the series record stays.
  UnRegisterNuvFunctions({NuvClassOf<TFunctionA>()});
  EXPECT_EQ(count(), before + 1);
  UnRegisterNuvSeries({NuvClassOf<TSeriesA>()});
  EXPECT_EQ(count(), before);
  EXPECT_EQ(FindNuvClass("TSeriesA"), NuvClassOf<TSeriesA>());  // still known for streaming
}

TEST_F(Registry, ToolTypes)
{
  const int32_t before = NuvToolTypesList()->Count();
  RegisterNuvTools({NuvClassOf<TToolA>(), NuvClassOf<TToolA>()});
  EXPECT_EQ(NuvToolTypesList()->Count(), before + 1);
  EXPECT_EQ(NuvToolTypesList()->GetToolClass(before), NuvClassOf<TToolA>());
  UnRegisterNuvTools({NuvClassOf<TToolA>()});
  EXPECT_EQ(NuvToolTypesList()->Count(), before);
}

TEST_F(Registry, CreateCloneAndChangeType)
{
  RegisterNuvSeries(NuvClassOf<TSeriesA>(), &DescA, &Page, 1);
  RegisterNuvSeries(NuvClassOf<TSeriesB>(), &DescB, &Page, 1);
  RegisterNuvFunction(NuvClassOf<TFunctionA>(), &DescA, &Page, 1);
  TComponent form(nullptr);
  TChart chart(&form);
  TChartSeries* s1 = CreateNewSeries(&form, &chart, NuvClassOf<TSeriesA>(), nullptr);
  TChartSeries* s2 = CreateNewSeries(&form, &chart, NuvClassOf<TSeriesA>(), NuvClassOf<TFunctionA>());
  EXPECT_EQ(s1->GetName(), "Series1");
  EXPECT_EQ(s2->GetName(), "Series2");
  EXPECT_EQ(chart.SeriesCount(), 2);
  ASSERT_NE(s2->GetFunction(), nullptr);
  EXPECT_EQ(s2->GetFunction()->GetName(), "NuvFunction1");
  EXPECT_EQ(s2->GetFunction()->GetParentSeries(), s2);

  // The function fills its series from the source: the sum over all points, in the middle.
  for (int i = 1; i <= 10; ++i) s1->AddXY(i, i);
  s2->SetDataSource(s1);
  ASSERT_EQ(s2->Count(), 1);
  EXPECT_EQ(s2->XValues()->Value(0), 5.5);
  EXPECT_EQ(s2->YValues()->Value(0), 55);
  s2->CenterFunctionPoint = false;
  s2->CheckDataSource();
  ASSERT_EQ(s2->Count(), 2);
  EXPECT_EQ(s2->XValues()->Value(1), 10);
  s2->GetFunction()->SetPeriod(3);
  ASSERT_EQ(s2->Count(), 3);
  EXPECT_EQ(s2->YValues()->Value(0), 6);
  EXPECT_THROW(s2->GetFunction()->SetPeriod(-1), ChartException);
  EXPECT_EQ(s2->GetFunction()->GetPeriod(), 3);

  TChartSeries* copy = CloneChartSeries(s1);
  EXPECT_EQ(copy->Count(), 10);
  EXPECT_EQ(chart.SeriesCount(), 3);

  // Same class: untouched. Another class: a new series in the old one's place, with its name.
  TChartSeries* same = s1;
  ChangeSeriesType(same, NuvClassOf<TSeriesA>());
  EXPECT_EQ(same, s1);
  s1->SetTitle("first");
  TChartSeries* changed = s1;
  ChangeSeriesType(changed, NuvClassOf<TSeriesB>());
  EXPECT_NE(dynamic_cast<TSeriesB*>(changed), nullptr);
  EXPECT_EQ(changed->GetName(), "Series1");
  EXPECT_EQ(changed->GetTitle(), "first");
  EXPECT_EQ(chart.SeriesList()->IndexOf(changed), 0);
  EXPECT_EQ(changed->Count(), 10);
  // The dependent series now takes its points from the new series.
  EXPECT_EQ(s2->GetDataSource(), changed);
  changed->AddXY(11, 11);
  EXPECT_EQ(s2->Count(), 3);
}

TEST_F(Registry, ADependentOutOfTheChartHearsOfTheChangedSeriesBeingFreed)
{
  RegisterNuvSeries(NuvClassOf<TSeriesA>(), &DescA, &Page, 1);
  RegisterNuvSeries(NuvClassOf<TSeriesB>(), &DescB, &Page, 1);
  TComponent form(nullptr);
  TChart chart(&form);
  TChartSeries* source = CreateNewSeries(&form, &chart, NuvClassOf<TSeriesA>(), nullptr);
  source->AddXY(1, 1);
  // A dependent of another owner: the form does not tell it of its series going.
  auto* dependent = new TSeriesA(nullptr);
  dependent->SetParentChart(&chart);
  dependent->SetDataSource(source);
  ChangeSeriesType(source, NuvClassOf<TSeriesB>());
  ASSERT_EQ(dependent->GetDataSource(), source);
  dependent->SetParentChart(nullptr);
  delete source;
  EXPECT_EQ(dependent->GetDataSource(), nullptr);
  delete dependent;
}

TEST(RegistryPalettes, ApplyToAChart)
{
  TChart chart(nullptr);
  TChartSeries a(nullptr), b(nullptr);
  a.SetParentChart(&chart);
  b.SetParentChart(&chart);
  ApplyPalette(&chart, 8);
  EXPECT_EQ(chart.GetColorPalette().size(), 25u);
  EXPECT_EQ(chart.ColorPaletteIndex, 8);
  // Series on the default colour take colours of the new palette.
  const auto rainbow = PaletteColors(8);
  EXPECT_NE(std::find(rainbow.begin(), rainbow.end(), a.GetSeriesColor()), rainbow.end());
  EXPECT_NE(a.GetSeriesColor(), b.GetSeriesColor());
  for (int32_t i : {0, 12, -1, -2147483647 - 1}) {
    ApplyPalette(&chart, 8);
    ApplyPalette(&chart, i);
    EXPECT_TRUE(chart.GetColorPalette().empty()) << i;
  }
  SetChartPalette(&chart, {clRed, clGreen, clBlue}, 1);
  EXPECT_EQ(chart.GetColorPalette(), (std::vector<TColor>{clRed, clGreen}));
  SetChartPalette(&chart, {clRed}, 5);
  EXPECT_EQ(chart.GetColorPalette().size(), 1u);
  SetChartPalette(&chart, {clRed}, -1);
  EXPECT_TRUE(chart.GetColorPalette().empty());
  a.SetParentChart(nullptr);
  b.SetParentChart(nullptr);
}

TEST(SeriesCompanions, LabelsList)
{
  TLabelsList l;
  EXPECT_EQ(l.GetLabel(3), "");
  EXPECT_EQ(l.GetLabel(-1), "");
  l.SetLabel(5, "five");
  EXPECT_EQ(l.Count(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(l.HasLabel(i));
  l.InsertLabel(0, "");
  EXPECT_EQ(l.GetLabel(6), "five");
  l.SetLabel(6, "");
  EXPECT_FALSE(l.HasLabel(6));
  TLabelsList empty;
  empty.InsertLabel(0, "");
  EXPECT_EQ(empty.Count(), 0);
  l.SetLabel(2, "two");
  TLabelsList copy;
  copy.Assign(l);
  EXPECT_EQ(copy.GetLabel(2), "two");
  l.DeleteLabel(2);
  EXPECT_EQ(l.GetLabel(2), "");
  l.DeleteLabel(100);
}

TEST(SeriesCompanions, GroupsAndNames)
{
  TChart chart(nullptr);
  TChartSeries a(nullptr), b(nullptr), c(nullptr);
  for (TChartSeries* s : {&a, &b, &c}) s->SetParentChart(&chart);
  TSeriesGroup* g = chart.SeriesList()->AddGroup("g");
  EXPECT_EQ(g->GetActive(), gaYes);
  g->SetSeries({&a, &b, &c});
  b.SetActive(false);
  EXPECT_EQ(g->GetActive(), gaSome);
  g->SetActive(gaSome);
  EXPECT_FALSE(b.GetActive());
  g->SetActive(gaNo);
  EXPECT_EQ(g->GetActive(), gaNo);
  g->SetActive(gaYes);
  EXPECT_TRUE(b.GetActive());
  EXPECT_EQ(chart.SeriesList()->Groups()->GroupOfSeries(&c), 0);

  EXPECT_EQ(SeriesTitleOrName(&c), "Series3");
  c.SetName("Named");
  EXPECT_EQ(SeriesTitleOrName(&c), "Named");
  c.SetTitle(std::string("left") + '\x06' + "right");
  EXPECT_EQ(SeriesTitleOrName(&c), "left right");
  for (TChartSeries* s : {&a, &b, &c}) s->SetParentChart(nullptr);
}

TEST(SeriesCompanions, CircularSourcesThroughAnySource)
{
  // a <- b (sources a and x), x <- c, c <- ... making c take b closes a loop through the second source.
  TChartSeries a(nullptr), b(nullptr), c(nullptr), x(nullptr);
  b.DataSources()->Add(&a);
  b.DataSources()->Add(&x);
  x.DataSources()->Add(&c);
  EXPECT_TRUE(SeriesDependsOn(&b, &c));
  EXPECT_THROW(c.DataSources()->Add(&b), ChartException);
  EXPECT_EQ(c.DataSources()->Count(), 0);
  EXPECT_THROW(CheckCircularSeriesDependence(&c, &b), ChartException);
  EXPECT_NO_THROW(CheckCircularSeriesDependence(&c, &a));
  EXPECT_THROW(a.DataSources()->Add(&a), ChartException);
}

TEST(SeriesCompanions, SeriesSourceDeactivation)
{
  struct TSource : TNuvSeriesSource {
    using TNuvSeriesSource::TNuvSeriesSource;
    int loads = 0;
    void Load() override
    {
      ++loads;
      GetSeries()->AddXY(1, 2);
    }
  };
  TChart chart(nullptr);
  TChartSeries s(nullptr);
  s.SetParentChart(&chart);
  TSource src(nullptr);
  src.SetSeries(&s);
  EXPECT_EQ(s.GetDataSource(), &src);
  src.Open();
  EXPECT_EQ(src.loads, 1);
  EXPECT_EQ(s.Count(), 1);
  src.Close();
  EXPECT_EQ(s.Count(), 0);
  src.SetKeepPointsOnClose(true);
  src.Open();
  src.Close();
  EXPECT_EQ(s.Count(), 1);
  EXPECT_TRUE(src.HasSeries(&s));
  src.SetSeries(nullptr);
  EXPECT_EQ(s.GetDataSource(), nullptr);
  // A source destroyed while active: the series forgets it.
  {
    TSource going(nullptr);
    going.SetSeries(&s);
    going.Open();
    EXPECT_EQ(s.Count(), 1);
  }
  EXPECT_EQ(s.GetDataSource(), nullptr);
  EXPECT_EQ(s.DataSources()->Count(), 0);
  s.SetParentChart(nullptr);
}

// ---- Legend symbols, class icons, editor lists ----
#include "platform/Graphics.h"
#include "platform/ResourceModules.h"

TEST(SeriesCompanions, PaintSeriesLegendBorrowsAChart)
{
  TChartSeries s(nullptr);
  s.SetSeriesColor(clRed);
  s.GetPen()->Hide();
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(40, 20);
  PaintSeriesLegend(&s, bmp.Canvas(), {5, 5, 35, 15}, nullptr);
  EXPECT_EQ(s.GetParentChart(), nullptr);
  EXPECT_EQ(bmp.Canvas()->GetPixel(20, 10) & 0xFFFFFF, clRed);
  EXPECT_EQ(bmp.Canvas()->GetPixel(2, 2) & 0xFFFFFF, clWhite);

  // With a chart given, that chart is borrowed and given back.
  TChart chart(nullptr);
  s.SetSeriesColor(clBlue);
  PaintSeriesLegend(&s, bmp.Canvas(), {5, 5, 35, 15}, &chart);
  EXPECT_EQ(s.GetParentChart(), nullptr);
  EXPECT_EQ(chart.SeriesCount(), 0);
  EXPECT_EQ(bmp.Canvas()->GetPixel(20, 10) & 0xFFFFFF, clBlue);
}

TEST(SeriesCompanions, ClassIconsAndEditorLists)
{
  RegisterNuvClass(NuvClassOf<TSeriesB, TChartSeries>());
  RegisterBitmapResource(0, "TChartSeries", [](TBitmap* b) {
    b->SetSize(4, 3);
    b->Canvas()->Brush()->SetColor(clGreen);
    b->Canvas()->FillRect({0, 0, 4, 3});
    return true;
  });
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(20, 20);
  TSeriesB b(nullptr);
  DrawClassIcon(bmp.Canvas(), &b, 5, 6);  // no "TSeriesB" bitmap: the parent's
  EXPECT_EQ(bmp.Canvas()->GetPixel(8, 8) & 0xFFFFFF, clGreen);
  EXPECT_EQ(bmp.Canvas()->GetPixel(9, 8) & 0xFFFFFF, clWhite);
  UnregisterBitmapResource(0, "TChartSeries");
  TBitmap untouched;
  untouched.SetSize(20, 20);
  DrawClassIcon(untouched.Canvas(), &b, 5, 6);
  EXPECT_EQ(untouched.Canvas()->GetPixel(6, 7) & 0xFFFFFF, clWhite);

  TChartSeries x(nullptr), y(nullptr);
  x.SetName("X1");
  x.SetTitle("Title");
  y.SetName("Y1");
  y.ShowInEditor = false;
  std::vector<std::pair<std::string, TChartSeries*>> items;
  FillSeriesItems(items, {&x, &y}, true);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].first, "Title");
  FillSeriesItems(items, {&x}, false);
  EXPECT_EQ(items[0].first, "X1");
}

TEST(SeriesCompanions, LongSourceChainsAreFollowedWithoutRecursion)
{
  // 20000 series, each fed by the one before it (and a side source): closing the ring is refused.
  std::vector<std::unique_ptr<TChartSeries>> chain;
  TChartSeries side(nullptr);
  for (int i = 0; i < 20000; ++i) {
    chain.push_back(std::make_unique<TChartSeries>(nullptr));
    chain.back()->DataSources()->InternalAdd(&side);
    if (i > 0) chain.back()->DataSources()->InternalAdd(chain[static_cast<size_t>(i) - 1].get());
  }
  EXPECT_TRUE(SeriesDependsOn(chain.back().get(), chain.front().get()));
  EXPECT_FALSE(SeriesDependsOn(chain.front().get(), chain.back().get()));
  EXPECT_THROW(CheckCircularSeriesDependence(chain.front().get(), chain.back().get()), ChartException);
  // Unlinked by hand (they were linked by hand) before the series go.
  for (size_t i = 0; i < chain.size(); ++i) {
    chain[i]->DataSources()->InternalRemove(&side);
    if (i > 0) chain[i]->DataSources()->InternalRemove(chain[i - 1].get());
  }
}
