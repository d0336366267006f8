// Seeded mutations of series settings texts (the values of the ".in" appearance file): each is
// refused with the series unchanged, or applied so that the written text reads back the same.
#include <gtest/gtest.h>

#include <random>

#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEnginePointer.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"
#include "chart/series/SurfaceSeries.h"

namespace {
const char* const kHostile[] = {"1e308", "-1", "0", "2147483648", "nan", "x", "", "1,5", "~", "%", "*", "65536",
                                "Point", "Surface", "error"};

std::string Mutate(std::string s, std::mt19937& rng)
{
  auto r = [&](size_t n) { return n ? rng() % n : 0; };
  for (int k = 1 + static_cast<int>(r(3)); k > 0; --k) {
    switch (r(5)) {
      case 0:
        if (!s.empty()) s[r(s.size())] ^= static_cast<char>(1 << r(8));
        break;
      case 1: s.resize(r(s.size() + 1)); break;
      case 2: s.insert(r(s.size() + 1), 1, "~#$^&@ \t"[r(8)]); break;
      default: {
        if (s.empty()) break;
        size_t a = r(s.size());
        while (a > 0 && s[a - 1] != '~') --a;
        size_t b = s.find('~', a);
        if (b == std::string::npos) b = s.size();
        s.replace(a, b - a, kHostile[r(std::size(kHostile))]);
      }
    }
  }
  return s;
}
}  // namespace

TEST(HostileSeriesFormat, MutatedTextsAppliedOrRefused)
{
  NuvSeriesStartup();
  TPointSeries p(nullptr);
  p.GetPointer()->SetStyle(psStar);
  p.GetMarks()->GetFont()->SetName("Times New Roman");
  TSurfaceSeries s(nullptr);
  s.SetUseColorRange(true);
  const std::vector<std::string> seeds = {SeriesFormatToText(&p), SeriesFormatToText(&s)};
  std::mt19937 rng(41);
  for (int i = 0; i < 1500; ++i) {
    const std::string text = Mutate(seeds[rng() % seeds.size()], rng);
    std::unique_ptr<TChartSeries> target;
    if (rng() % 2)
      target = std::make_unique<TPointSeries>(nullptr);
    else
      target = std::make_unique<TSurfaceSeries>(nullptr);
    const std::string before = SeriesFormatToText(target.get());
    bool ok = false;
    ASSERT_NO_THROW(ok = SeriesFormatFromText(target.get(), text)) << text;
    const std::string after = SeriesFormatToText(target.get());
    if (!ok) {
      EXPECT_EQ(after, before) << text;
      continue;
    }
    EXPECT_TRUE(SeriesFormatFromText(target.get(), after));
    EXPECT_EQ(SeriesFormatToText(target.get()), after) << text;
  }
}

// ---- Whole appearance files ----
#include "TestSupport.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartMenus.h"

TEST(HostileSeriesFormat, MutatedAppearanceFiles)
{
  NuvSeriesStartup();
  testsupport::TempDir dir;
  TPointSeries p(nullptr);
  p.GetPointer()->SetStyle(psCircle);
  const std::string seed = "[serie_vamir_ps_grid]\r\nser_Point=" + SeriesFormatToText(&p) + "\r\n[serie_vamir_ps_st]\r\nser_Point=" +
                           SeriesFormatToText(&p) + "\r\n";
  const std::string file = dir.file("viewer.in");
  SetSeriesSettingsFileName(file);
  TChart chart(nullptr);
  std::mt19937 rng(43);
  for (int i = 0; i < 300; ++i) {
    std::string text = seed;
    for (int k = 0; k < 3; ++k) text = Mutate(text, rng);
    testsupport::WriteAll(file, text);
    TPointSeries target(nullptr);
    const std::string before = SeriesFormatToText(&target);
    ASSERT_NO_THROW(LoadSeriesSettings(&chart, i % 2 ? "vamir_ps_grid" : "vamir_ps_st", &target));
    const std::string after = SeriesFormatToText(&target);
    // Applied texts are complete ones: they read back as written.
    if (after != before) {
      TPointSeries again(nullptr);
      EXPECT_TRUE(SeriesFormatFromText(&again, after));
      EXPECT_EQ(SeriesFormatToText(&again), after);
    }
  }
  SetSeriesSettingsFileName(std::string());
}
