// The section chart: field sections contoured through the chart, and every picture of the
// 50-section project.
#include <benchmark/benchmark.h>

#include <string>

#include "app/ProfileModel.h"
#include "app/Project.h"
#include "app/PseudoSection2d.h"
#include "app/SectionPictures.h"
#include "platform/Metafile.h"

namespace {

// Grid input, triangles, levels, layout and picture of one field section through the chart.
void BM_SectionChartFieldSection(benchmark::State& state, const char* name)
{
  fdata res, pol;
  if (!ReadModelFile(std::string(ORBISK_FIELD_DATA) + "/" + name, res, pol)) {
    state.SkipWithError("field section not readable");
    return;
  }
  // Hidden, as the main window keeps it.
  TPseudoSection2d chart(nullptr);
  chart.SetVisible(false);
  chart.SetBounds(0, 0, 400, 300);
  TPseudoSectionContour& c = chart.Contour();
  c.SetGridInput(res, res);
  for (auto _ : state) {
    chart.BuildSection(true);
    chart.UpdateLevels();
    chart.UpdateLayout();
    benchmark::DoNotOptimize(chart.SectionPicture()->RecordCount());
  }
  state.counters["nodes"] = c.NextNode - 1;
  state.counters["records"] = static_cast<double>(chart.SectionPicture()->RecordCount());
}
BENCHMARK_CAPTURE(BM_SectionChartFieldSection, line1_k2d, "line1.k2d")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SectionChartFieldSection, line2_m2d, "line2.m2d")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SectionChartFieldSection, line3_cht, "line3.cht")->Unit(benchmark::kMillisecond);

// Every picture of the 50-section project, as the main window builds them after opening it.
void BM_SectionChartProject50(benchmark::State& state)
{
  TProjectState project;
  if (!LoadProject(project, nullptr, std::string(ORBISK_FIELD_DATA) + "/../sections50/sections50.prj") ||
      project.Profiles.size() != 50) {
    state.SkipWithError("sections50.prj not readable");
    return;
  }
  // Hidden, as the main window keeps it.
  TPseudoSection2d chart(nullptr);
  chart.SetVisible(false);
  chart.SetBounds(0, 0, 400, 300);
  chart.SetSettings(project.SettingsLines[0]);
  for (auto _ : state) {
    ContourSectionPictures(project, chart);
    benchmark::DoNotOptimize(project.Profiles.back()[0].Picture.get());
  }
  state.counters["sections"] = static_cast<double>(project.Profiles.size());
}
BENCHMARK(BM_SectionChartProject50)->Unit(benchmark::kMillisecond);

}  // namespace
