// The series appearance settings text: written and read back unchanged, applied to another series
// of the type, kept by SaveDefaults, and refused whole when it does not fit.
#include <gtest/gtest.h>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEnginePointer.h"
#include "chart/model/SettingsText.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"
#include "chart/series/SurfaceSeries.h"

namespace {
struct SeriesFormat : ::testing::Test {
  void SetUp() override { NuvSeriesStartup(); }
};

std::vector<std::string> Words(const std::string& text)
{
  std::string t;
  ReplaceCharWithBlank(text, '~', t);
  std::vector<std::string> w;
  SplitAtBlanks(t, 0, w);
  return w;
}

std::string Join(const std::vector<std::string>& w)
{
  std::string s;
  for (size_t i = 0; i < w.size(); ++i) s += (i ? "~" : "") + w[i];
  return s;
}

void Dress(TPointSeries& s)
{
  s.SetSeriesColor(clTeal);
  s.SetColorEachPoint(true);
  s.SetShowInLegend(false);
  s.GetPen()->SetWidth(3);
  s.GetBrush()->SetStyle(bsCross);
  s.GetMarks()->SetVisible(true);
  s.GetMarks()->SetStyle(smsXY);
  s.GetMarks()->SetTransparent(true);
  s.GetMarks()->GetFont()->SetName("Courier New");
  s.GetMarks()->GetFont()->SetStyle(fsBold);
  s.GetMarks()->GetPen()->Hide();
  s.GetMarks()->SetArrowLength(0);
  s.GetPointer()->SetHorizSize(7);
  s.GetPointer()->SetVertSize(2);
  s.GetPointer()->SetStyle(psDiamond);
  s.GetPointer()->GetBrush()->SetColor(clYellow);
}
}  // namespace

TEST_F(SeriesFormat, RoundTripAndApply)
{
  TPointSeries a(nullptr);
  Dress(a);
  const std::string text = SeriesFormatToText(&a);
  const auto w = Words(text);
  ASSERT_EQ(w.size(), 42u);
  EXPECT_EQ(w[40], "Point");
  EXPECT_EQ(text.find(','), std::string::npos);

  TPointSeries b(nullptr);
  EXPECT_TRUE(SeriesFormatFromText(&b, text));
  EXPECT_EQ(SeriesFormatToText(&b), text);
  EXPECT_EQ(b.GetSeriesColor(), clTeal);
  EXPECT_FALSE(b.GetShowInLegend());
  EXPECT_EQ(b.GetPointer()->GetStyle(), psDiamond);
  EXPECT_EQ(b.GetPointer()->GetHorizSize(), 7);
  EXPECT_EQ(b.GetMarks()->GetFont()->GetName(), "Courier New");
  EXPECT_EQ(b.GetMarks()->GetArrowLength(), 0);

  TSurfaceSeries s(nullptr);
  s.SetUseColorRange(true);
  s.SetStartColor(clBlue);
  s.SetWireFrame(true);
  const std::string st = SeriesFormatToText(&s);
  EXPECT_EQ(Words(st)[40], "Surface");
  TSurfaceSeries s2(nullptr);
  EXPECT_TRUE(SeriesFormatFromText(&s2, st));
  EXPECT_TRUE(s2.GetWireFrame());
  EXPECT_EQ(s2.GetStartColor(), clBlue);
  EXPECT_EQ(SeriesFormatToText(&s2), st);
}

TEST_F(SeriesFormat, DefaultRestoresTheSavedAppearance)
{
  TChart chart(nullptr);
  TPointSeries a(nullptr);
  a.SetParentChart(&chart);
  a.SaveDefaults();
  const std::string saved = a.DefaultSettingsText;
  EXPECT_EQ(Words(saved).size(), 42u);
  Dress(a);
  EXPECT_TRUE(SeriesFormatFromText(&a, a.DefaultSettingsText));
  EXPECT_EQ(SeriesFormatToText(&a), saved);
  // Back on the default marker, the series has a real colour again.
  EXPECT_EQ(a.GetStoredSeriesColor(), clDefault);
  EXPECT_NE(a.GetSeriesColor(), clDefault);
  a.SetParentChart(nullptr);
}

TEST_F(SeriesFormat, TextsThatDoNotFitAreRefusedWhole)
{
  TPointSeries a(nullptr);
  Dress(a);
  const std::string good = SeriesFormatToText(&a);
  TPointSeries target(nullptr);
  const std::string before = SeriesFormatToText(&target);
  auto refused = [&](const std::string& t) {
    EXPECT_FALSE(SeriesFormatFromText(&target, t)) << t;
    EXPECT_EQ(SeriesFormatToText(&target), before);
  };
  refused("");
  EXPECT_FALSE(SeriesFormatFromText(nullptr, good));
  auto w = Words(good);
  refused(Join({w.begin(), w.begin() + 41}));
  // Another series type's text.
  TSurfaceSeries s(nullptr);
  refused(SeriesFormatToText(&s));
  auto named = w;
  named[40] = "PointError";
  refused(Join(named));
  // Every field damaged in turn (the gallery name aside), and a surplus field.
  for (size_t i = 0; i < w.size(); ++i) {
    if (i == 40) continue;
    auto v = w;
    v[i] = i % 2 ? "x" : "1e308";
    refused(Join(v));
  }
  auto longer = w;
  longer.push_back("0");
  refused(Join(longer));
}

TEST_F(SeriesFormat, PointerSizesThePointerRefusesAreRefusedBeforeAnythingIsApplied)
{
  // A point series' default text with a pointer size of 0: the pointer takes only sizes from 1.
  TPointSeries fresh(nullptr);
  const auto w = Words(SeriesFormatToText(&fresh));
  for (size_t field : {24u, 25u}) {
    for (const char* size : {"0", "-1"}) {
      auto v = w;
      v[1] = "1";  // colour each point: would be applied before the pointer
      v[field] = size;
      TPointSeries target(nullptr);
      Dress(target);
      const std::string before = SeriesFormatToText(&target);
      bool ok = true;
      EXPECT_NO_THROW(ok = SeriesFormatFromText(&target, Join(v))) << field + 1;
      EXPECT_FALSE(ok) << field + 1;
      EXPECT_EQ(SeriesFormatToText(&target), before) << field + 1;
    }
  }
  // Size 1 is the smallest taken.
  auto v = w;
  v[24] = v[25] = "1";
  TPointSeries target(nullptr);
  EXPECT_TRUE(SeriesFormatFromText(&target, Join(v)));
  EXPECT_EQ(target.GetPointer()->GetHorizSize(), 1);
  EXPECT_EQ(target.GetPointer()->GetVertSize(), 1);
}

// ---- The ".in" appearance file ----
#include "TestSupport.h"
#include "chart/model/ChartMenus.h"

TEST_F(SeriesFormat, AppearanceFileAppliesTheTextOfTheSeriesType)
{
  testsupport::TempDir dir;
  TPointSeries dressed(nullptr);
  Dress(dressed);
  TSurfaceSeries surface(nullptr);
  surface.SetWireFrame(true);
  const std::string file = dir.file("viewer.in");
  testsupport::WriteAll(file, "[serie_vamir_ps_grid]\r\nser_Point=" + SeriesFormatToText(&dressed) +
                                  "\r\nser_Surface=" + SeriesFormatToText(&surface) + "\r\n[serie_vamir_ps_st]\r\nser_Point=1~2~3\r\n");
  SetSeriesSettingsFileName(file);
  TChart chart(nullptr);
  TPointSeries grid(nullptr), st(nullptr);
  LoadSeriesSettings(&chart, "vamir_ps_grid", &grid);
  EXPECT_EQ(SeriesFormatToText(&grid), SeriesFormatToText(&dressed));
  const std::string plain = SeriesFormatToText(&st);
  LoadSeriesSettings(&chart, "vamir_ps_st", &st);  // a short text changes nothing
  EXPECT_EQ(SeriesFormatToText(&st), plain);
  TSurfaceSeries s2(nullptr);
  LoadSeriesSettings(&chart, "vamir_ps_grid", &s2);
  EXPECT_TRUE(s2.GetWireFrame());
  SetSeriesSettingsFileName(std::string());
}

TEST_F(SeriesFormat, AppearanceFileThatIsRefusedOrUnreadableKeepsTheBuiltInAppearance)
{
  testsupport::TempDir dir;
  TPointSeries fresh(nullptr);
  auto w = Words(SeriesFormatToText(&fresh));
  w[24] = "0";
  const std::string file = dir.file("viewer.in");
  testsupport::WriteAll(file, "[serie_vamir_ps_grid]\r\nser_Point=" + Join(w) + "\r\n");
  SetSeriesSettingsFileName(file);
  TChart chart(nullptr);
  TPointSeries grid(nullptr);
  grid.GetPointer()->SetHorizSize(2);
  const std::string before = SeriesFormatToText(&grid);
  EXPECT_NO_THROW(LoadSeriesSettings(&chart, "vamir_ps_grid", &grid));
  EXPECT_EQ(SeriesFormatToText(&grid), before);
  // A folder where the file should be: nothing to read, nothing changed.
  SetSeriesSettingsFileName(dir.path().string());
  EXPECT_NO_THROW(LoadSeriesSettings(&chart, "vamir_ps_grid", &grid));
  EXPECT_EQ(SeriesFormatToText(&grid), before);
  SetSeriesSettingsFileName(std::string());
}
