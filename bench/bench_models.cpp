// Reading models and projects.
#include <benchmark/benchmark.h>

#include <string>

#include "app/PointTable.h"
#include "app/ProfileModel.h"
#include "app/Project.h"
#include "platform/MessageBox.h"

namespace {

const std::string kField = ORBISK_FIELD_DATA;

void BM_ReadModelFileLine1(benchmark::State& state)
{
  for (auto _ : state) {
    fdata res, pol;
    bool ok = ReadModelFile(kField + "/line1.k2d", res, pol);
    benchmark::DoNotOptimize(ok);
    if (!ok)
      state.SkipWithError("line1.k2d did not load");
  }
}
BENCHMARK(BM_ReadModelFileLine1)->Unit(benchmark::kMillisecond);

void BM_LoadFieldProject(benchmark::State& state)
{
  TMessageCapture messages;  // a missing file must not open a window
  for (auto _ : state) {
    TProjectState project;
    bool ok = LoadProject(project, nullptr, kField + "/field.prj");
    benchmark::DoNotOptimize(ok);
    if (!ok || project.Profiles.size() != 3)
      state.SkipWithError("field.prj did not load");
  }
}
BENCHMARK(BM_LoadFieldProject)->Unit(benchmark::kMillisecond);

}  // namespace
