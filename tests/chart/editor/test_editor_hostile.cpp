// Hostile ".in" appearance files: seeded mutations of a file the settings writer produced are read
// by LoadSeriesSettings under the sanitizers. Each read either applies a whole valid text or leaves
// the series exactly as it was (its settings text unchanged); nothing crashes or reads past the text.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "chart/editor/ChartEditor.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/ChartRegistry.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"

namespace {

std::string Mutate(const std::string& text, std::mt19937& rng)
{
  static const std::vector<std::string> junk{"~", "~~~~", "99999999999999999999", "-", "1e999", "nan", ",",
                                             std::string(1, '\0'), "[", "]", "=", "\r", "\n", "*", "\t",
                                             "-2147483649", "0x7fffffff", std::string(300, '9')};
  std::string s = text;
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits && !s.empty(); ++e) {
    const size_t at = rng() % s.size();
    switch (rng() % 5) {
      case 0: s[at] = static_cast<char>(rng() % 256); break;
      case 1: s.erase(at, 1 + rng() % std::min<size_t>(40, s.size() - at)); break;
      case 2: s.insert(at, junk[rng() % junk.size()]); break;
      case 3: s.insert(at, s.substr(at, rng() % 30)); break;
      case 4: s.resize(at); break;
    }
  }
  return s;
}

TEST(HostileSettingsFile, SeededMutationsApplyWhollyOrNotAtAll)
{
  InstallChartEditorServices();
  testsupport::TempDir dir;
  const std::string file = dir.file("orbisk.in");
  SetSeriesSettingsFileName(file);

  TChart chart(nullptr);
  TPointSeries model(nullptr);
  model.SetSeriesColor(clTeal);
  model.GetPointer()->SetHorizSize(7);
  model.SetTitle("a title with blanks");
  const std::string good = "[serie_grid]\r\nser_" + GetGallerySeriesName(&model) + "=" + SeriesFormatToText(&model) +
                           "\r\n[serie_other]\r\nser_x=1\r\n";

  std::mt19937 rng(20261207);
  int applied = 0, refused = 0;
  for (int round = 0; round < 400; ++round) {
    const std::string text = round == 0 ? good : Mutate(good, rng);
    testsupport::WriteAll(file, text);
    TPointSeries s(nullptr);
    s.SetParentChart(&chart);
    const std::string before = SeriesFormatToText(&s);
    LoadSeriesSettings(&chart, "grid", &s);
    const std::string after = SeriesFormatToText(&s);
    if (after == before) {
      ++refused;
    } else {
      ++applied;
      // What was applied is a complete settings text: written again, it reads back the same.
      TPointSeries again(nullptr);
      EXPECT_TRUE(SeriesFormatFromText(&again, after)) << "round " << round;
      EXPECT_EQ(SeriesFormatToText(&again), after) << "round " << round;
    }
    s.SetParentChart(nullptr);
  }
  EXPECT_GT(applied, 0);
  EXPECT_GT(refused, 0);
  SetSeriesSettingsFileName("");
}

TEST(HostileSettingsFile, BrokenFilesReadAsEmpty)
{
  InstallChartEditorServices();
  testsupport::TempDir dir;
  const std::string file = dir.file("orbisk.in");
  SetSeriesSettingsFileName(file);
  TChart chart(nullptr);
  TPointSeries s(nullptr);
  s.SetParentChart(&chart);
  const std::string before = SeriesFormatToText(&s);
  const std::string key = "ser_" + GetGallerySeriesName(&s);
  for (const std::string& text :
       {std::string(), std::string("[serie_grid"), std::string("[serie_grid]\r\n" + key),
        std::string("[serie_grid]\r\n" + key + "="), std::string("[serie_grid]\r\n=" + key),
        std::string("\0\0\0[serie_grid]\0", 16) + key + std::string("=\0", 2), std::string(100000, '['),
        std::string("[serie_grid]\r\n" + key + "=" + std::string(200000, '~'))}) {
    testsupport::WriteAll(file, text);
    LoadSeriesSettings(&chart, "grid", &s);
    EXPECT_EQ(SeriesFormatToText(&s), before);
  }
  s.SetParentChart(nullptr);
  SetSeriesSettingsFileName("");
}

}  // namespace
