// Triangulation of scattered nodes and the picture of one field section.
#include <benchmark/benchmark.h>

#include <random>

#include "app/ProfileModel.h"
#include "app/PseudoSection2dContour.h"
#include "platform/Metafile.h"

namespace {

void BM_Triangulate4000ScatteredNodes(benchmark::State& state)
{
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> ux(0, 1000), uy(0, 80), uv(1, 5000);
  for (int i = 0; i < 4000; ++i) c.AddNode(0, ux(rng), uy(rng), uv(rng));
  for (auto _ : state) {
    c.BuildSection(true);
    benchmark::DoNotOptimize(c.TriangleCount);
  }
  state.counters["triangles"] = c.TriangleCount;
}
BENCHMARK(BM_Triangulate4000ScatteredNodes)->Unit(benchmark::kMillisecond);

// The edge map alone, over the triangles of the scattered nodes above.
void BM_Adjacency4000ScatteredNodes(benchmark::State& state)
{
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> ux(0, 1000), uy(0, 80), uv(1, 5000);
  for (int i = 0; i < 4000; ++i) c.AddNode(0, ux(rng), uy(rng), uv(rng));
  c.BuildSection(true);
  for (auto _ : state) {
    c.BuildAdjacency(c.TriangleCount);
    benchmark::DoNotOptimize(c.TriangleTable[1].neighbours[0]);
  }
}
BENCHMARK(BM_Adjacency4000ScatteredNodes)->Unit(benchmark::kMillisecond);

// The metafile's own fill and lines on or off for one benchmark.
struct OwnRaster {
  explicit OwnRaster(bool on)
  {
    TMetafile::SetOwnPolygonFill(on);
    TMetafile::SetOwnPolylines(on);
  }
  ~OwnRaster()
  {
    TMetafile::SetOwnPolygonFill(true);
    TMetafile::SetOwnPolylines(true);
  }
};

// The field section line1.k2d handed to the contouring as gridded input; false, with the benchmark
// skipped, when the file cannot be read.
bool FeedFieldSection(benchmark::State& state, TPseudoSectionContour& c)
{
  fdata res, pol;
  if (!ReadModelFile(std::string(ORBISK_FIELD_DATA) + "/line1.k2d", res, pol)) {
    state.SkipWithError("line1.k2d not readable");
    return false;
  }
  c.SetGridInput(res, res);
  return true;
}

// Gridded input, levels, bands and isolines recorded at five times a 1024 x 768 screen.
void BM_FieldSectionPicture(benchmark::State& state)
{
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  if (!FeedFieldSection(state, c)) return;
  c.LevelCount = 15;
  for (auto _ : state) {
    c.BuildSection(true);
    c.UpdateLevels();
    c.RenderPicture();
    benchmark::DoNotOptimize(c.SectionPicture()->RecordCount());
  }
  state.counters["records"] = static_cast<double>(c.SectionPicture()->RecordCount());
}
BENCHMARK(BM_FieldSectionPicture)->Unit(benchmark::kMillisecond);

// Bands and isolines recorded alone, from triangles and levels made once.
void BM_FieldSectionRecord(benchmark::State& state)
{
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  if (!FeedFieldSection(state, c)) return;
  c.LevelCount = 15;
  c.BuildSection(true);
  c.UpdateLevels();
  for (auto _ : state) {
    c.RenderPicture();
    benchmark::DoNotOptimize(c.SectionPicture()->RecordCount());
  }
}
BENCHMARK(BM_FieldSectionRecord)->Unit(benchmark::kMillisecond);

// The same while the viewer shows a copy of each picture, so that the next one cannot reuse its storage.
void BM_FieldSectionRecordShown(benchmark::State& state)
{
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  if (!FeedFieldSection(state, c)) return;
  c.LevelCount = 15;
  c.BuildSection(true);
  c.UpdateLevels();
  TMetafile shown;
  for (auto _ : state) {
    c.RenderPicture();
    shown.Assign(c.SectionPicture());
    benchmark::DoNotOptimize(shown.RecordCount());
  }
}
BENCHMARK(BM_FieldSectionRecordShown)->Unit(benchmark::kMillisecond);

// The recorded picture stretched into a 512 x 512 texture bitmap.
// With the argument 0 the bands and isolines are drawn through the painter instead.
void BM_FieldSectionReplay512(benchmark::State& state)
{
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  if (!FeedFieldSection(state, c)) return;
  c.BuildSection(true);
  c.UpdateLevels();
  c.RenderPicture();
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(512, 512);
  OwnRaster own(state.range(0) != 0);
  for (auto _ : state) {
    bmp.Canvas()->StretchDraw(TRect{0, 0, 512, 512}, c.SectionPicture());
    benchmark::DoNotOptimize(bmp.ScanLine(0));
  }
}
BENCHMARK(BM_FieldSectionReplay512)->ArgName("own")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The whole way: gridded input, levels, bands and isolines recorded, then replayed into 512 x 512
// (the comparison for bench/section_matplotlib.py). With the argument 0 the bands and isolines are
// drawn through the painter instead.
void BM_FieldSectionEndToEnd512(benchmark::State& state)
{
  OwnRaster own(state.range(0) != 0);
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  if (!FeedFieldSection(state, c)) return;
  c.LevelCount = 15;
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(512, 512);
  for (auto _ : state) {
    c.BuildSection(true);
    c.UpdateLevels();
    c.RenderPicture();
    bmp.Canvas()->StretchDraw(TRect{0, 0, 512, 512}, c.SectionPicture());
    benchmark::DoNotOptimize(bmp.ScanLine(0));
  }
}
BENCHMARK(BM_FieldSectionEndToEnd512)->ArgName("own")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
