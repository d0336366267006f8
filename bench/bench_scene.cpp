// The viewer's 3-D scene in the real main window, its chart 1280 x 1024: opening the field project
// to its first frame, opening the 50-section project (files read, sections contoured, drawn), and
// one frame while the view turns with 50 textured panels (and the slice), with 50 sections cell by
// cell, and with no section at all (the same chart, same ranges).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/Unit1.h"
#include "chart/canvas/NuvGLCanvas.h"
#include "chart/canvas/NuvOpenGL.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "platform/MessageBox.h"

namespace {
constexpr int kWidth = 1280, kHeight = 1024;

std::string FieldProject() { return std::string(ORBISK_FIELD_DATA) + "/field.prj"; }
std::string Sections50Project() { return std::string(ORBISK_FIELD_DATA) + "/../sections50/sections50.prj"; }

// Windows live to the end of the program: freeing them after the application object is gone
// would be too late.
std::unique_ptr<TForm1> MakeWindow()
{
  // The file association written at start goes to a folder of its own.
  setenv("XDG_DATA_HOME", "/tmp/orbisk-bench-scene", 1);
  auto f = std::make_unique<TForm1>(nullptr, std::vector<std::string>{});
  f->Timer1->SetEnabled(false);
  f->Chart3->SetAlign(alNone);
  f->Chart3->SetBounds(0, 0, kWidth, kHeight);
  return f;
}

bool Drawing(TForm1& f)
{
  f.Chart3->PaintBuffer();
  TGLCanvas* c = f.NuvOpenGL1->GetGLCanvas();
  return c && c->Active();
}

// One frame with the view turned on by the auto-rotation step.
void RotatingFrame(TForm1& f)
{
  f.Timer2Timer();
  f.Chart3->PaintBuffer();
}

void BM_FieldProjectToFirstFrame(benchmark::State& state)
{
  TForm1* f = MakeWindow().release();
  if (!Drawing(*f)) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) {
    f->OpenProject(FieldProject());
    f->Chart3->PaintBuffer();
  }
}
BENCHMARK(BM_FieldProjectToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_Sections50ToFirstFrame(benchmark::State& state)
{
  TForm1* f = MakeWindow().release();
  if (!Drawing(*f)) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) {
    f->OpenProject(Sections50Project());
    f->Chart3->PaintBuffer();
  }
  state.counters["sections"] = static_cast<double>(f->State.Profiles.size());
}
BENCHMARK(BM_Sections50ToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

// The 50-section window, opened once for the rotating frames.
TForm1& Sections50()
{
  static TForm1* f = [] {
    auto w = MakeWindow();
    w->OpenProject(Sections50Project());
    return w.release();
  }();
  return *f;
}

void BM_RotatingFrame50Textured(benchmark::State& state)
{
  TForm1& f = Sections50();
  f.State.CellMode = 0;
  if (!Drawing(f)) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) RotatingFrame(f);
}
BENCHMARK(BM_RotatingFrame50Textured)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same with the slice at 450 shown: 51 textures for a cache of 50, so each frame makes one or
// two of them again.
void BM_RotatingFrame50TexturedWithSlice(benchmark::State& state)
{
  TForm1& f = Sections50();
  f.State.CellMode = 0;
  TMessageCapture messages;  // the node limit's message
  f.State.PlaneDepth = 450;
  if (!f.State.PlaneShown) f.PlaneClick();
  if (!Drawing(f)) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) RotatingFrame(f);
  f.PlaneClick();
}
BENCHMARK(BM_RotatingFrame50TexturedWithSlice)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RotatingFrame50Cells(benchmark::State& state)
{
  TForm1& f = Sections50();
  f.State.CellMode = 1;
  if (!Drawing(f)) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) RotatingFrame(f);
  f.State.CellMode = 0;
}
BENCHMARK(BM_RotatingFrame50Cells)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RotatingFrameNoSections(benchmark::State& state)
{
  // The same chart with the same axis ranges and view, nothing to draw in it.
  TForm1& loaded = Sections50();
  static TForm1* f = MakeWindow().release();
  const TProjectState& s = loaded.State;
  f->SetSceneAxisRanges(s.XMin, s.XMax, s.YMin, s.YMax, s.DepthMin, s.DepthMax);
  int zoom, rotation, elevation;
  loaded.GetView3D(zoom, rotation, elevation);
  f->SetView3D(zoom, rotation, elevation);
  if (!Drawing(*f)) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) RotatingFrame(*f);
}
BENCHMARK(BM_RotatingFrameNoSections)->Unit(benchmark::kMillisecond)->MinTime(2.0);
}  // namespace
