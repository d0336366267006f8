// Shared main of the benchmark programs: the headless application object first, then the runs.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/Application.h"

int main(int argc, char** argv)
{
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application_Initialize(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
