// Triangulation of 4000 scattered nodes against a library Delaunay triangulation (exact
// predicates) of the same points, for comparison only. Run with
// --benchmark_enable_random_interleaving=true so that both are measured under the same load.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "app/PseudoSection2dContour.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel>;

struct Node {
  double x, y, value;
};

// The nodes of bench_contour's triangulation benchmark.
std::vector<Node> ScatteredNodes()
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> ux(0, 1000), uy(0, 80), uv(1, 5000);
  std::vector<Node> nodes;
  for (int i = 0; i < 4000; ++i) {
    const double x = ux(rng), y = uy(rng);
    nodes.push_back({x, y, uv(rng)});
  }
  return nodes;
}

void BM_Triangulate4000ScatteredNodes(benchmark::State& state)
{
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  for (const Node& n : ScatteredNodes()) c.AddNode(0, n.x, n.y, n.value);
  for (auto _ : state) {
    c.BuildSection(true);
    benchmark::DoNotOptimize(c.TriangleCount);
  }
  state.counters["triangles"] = c.TriangleCount;
}
BENCHMARK(BM_Triangulate4000ScatteredNodes)->Unit(benchmark::kMillisecond);

void BM_LibraryDelaunay4000ScatteredNodes(benchmark::State& state)
{
  std::vector<Kernel::Point_2> points;
  for (const Node& n : ScatteredNodes()) points.emplace_back(n.x, n.y);
  size_t faces = 0;
  for (auto _ : state) {
    Delaunay dt;
    dt.insert(points.begin(), points.end());
    faces = dt.number_of_faces();
    benchmark::DoNotOptimize(faces);
  }
  state.counters["triangles"] = static_cast<double>(faces);
}
BENCHMARK(BM_LibraryDelaunay4000ScatteredNodes)->Unit(benchmark::kMillisecond);

}  // namespace
