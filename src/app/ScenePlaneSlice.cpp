// The horizontal slice: cut points, the contoured sheet and its outline.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "app/SceneDrawing.h"
#include "app/SceneGeometry.h"
#include "platform/Metafile.h"

namespace {

struct CutPoint {
  double x, y, value;
  size_t section;  // index of the entry cut
};

// Points where the sections cross model depth level (the interval of a column that holds the level
// counts from its upper end, included, to its lower end, excluded). Geometry from the resistivity
// half, values from the active one.
std::vector<CutPoint> CutPoints(const TProjectState& state, int mode, double level)
{
  std::vector<CutPoint> cuts;
  for (size_t i = 0; i < state.Profiles.size(); ++i) {
    const TProfileEntry& e = state.Profiles[i];
    const fdata& active = e[mode];
    const fdata& geo = e[0];
    if (!active.Present || geo.X.empty()) continue;
    const size_t nx = geo.X.size(), nz = geo.Z.size();
    if (geo.ReliefAtX.size() < nx || active.Values.size() < nx) continue;
    for (size_t j = 0; j < nx; ++j) {
      const double r = geo.ReliefAtX[j];
      const arofdouble& v = active.Values[j];
      for (size_t k = 0; k + 1 < nz && k + 1 < v.size(); ++k) {
        const double top = geo.Z[k] + r, bottom = geo.Z[k + 1] + r;
        if (!(top <= level && level < bottom)) continue;
        const TComplex p = SectionPlanPoint(geo, geo.X[j]);
        cuts.push_back({p.x, p.y, LinearInterpolate(level, MakePair(top, v[k]), MakePair(bottom, v[k + 1])), i});
      }
    }
  }
  return cuts;
}

// The cut points that become nodes: each plan position once (its first point). Beyond limit,
// every section keeps a share of the limit in proportion to its number of points (at least
// its two ends, largest remainders rounding up), spread evenly along it: the nodes thin all
// sections alike, and the sheet still spans every section it cuts.
std::vector<CutPoint> SliceNodes(const std::vector<CutPoint>& cuts, size_t limit)
{
  std::vector<CutPoint> unique;
  unique.reserve(cuts.size());
  std::set<std::pair<double, double>> seen;
  for (const CutPoint& p : cuts) {
    // A position that is not a number equals none.
    if (!std::isnan(p.x) && !std::isnan(p.y) && !seen.insert({p.x == 0 ? 0.0 : p.x, p.y == 0 ? 0.0 : p.y}).second)
      continue;
    unique.push_back(p);
  }
  if (unique.size() <= limit) return unique;

  // Runs of points of one section (the points come section by section).
  struct Run {
    size_t begin, count, quota;
    double remainder;
  };
  std::vector<Run> runs;
  for (size_t i = 0; i < unique.size(); ++i)
    if (i == 0 || unique[i].section != unique[i - 1].section)
      runs.push_back({i, 1, 0, 0});
    else
      ++runs.back().count;
  const double total = static_cast<double>(unique.size());
  size_t sum = 0;
  for (Run& r : runs) {
    const double share = static_cast<double>(r.count) * static_cast<double>(limit) / total;
    r.quota = std::max(static_cast<size_t>(share), std::min<size_t>(r.count, 2));
    r.remainder = share - std::floor(share);
    sum += r.quota;
  }
  while (sum < limit) {
    Run* best = nullptr;
    for (Run& r : runs)
      if (r.quota < r.count && (!best || r.remainder > best->remainder)) best = &r;
    if (!best) break;
    ++best->quota;
    best->remainder = -1;
    ++sum;
  }
  while (sum > limit) {
    Run* largest = nullptr;
    for (Run& r : runs)
      if (r.quota > 1 && (!largest || r.quota > largest->quota)) largest = &r;
    if (!largest) break;
    --largest->quota;
    --sum;
  }
  std::vector<CutPoint> kept;
  kept.reserve(limit);
  for (const Run& r : runs) {
    if (r.quota == 1) kept.push_back(unique[r.begin + r.count / 2]);
    if (r.quota < 2) continue;
    for (size_t k = 0; k < r.quota; ++k) {
      const size_t at = static_cast<size_t>(std::llround(static_cast<double>(k) * static_cast<double>(r.count - 1) /
                                                          static_cast<double>(r.quota - 1)));
      kept.push_back(unique[r.begin + at]);
    }
  }
  return kept;
}

}  // namespace

// The trace ends when it cannot go on or has taken more steps than there are boundary edges (a
// broken or doubly used boundary).
std::vector<int32_t> TraceSliceBoundary(const TPseudoSectionContour& c)
{
  struct Edge {
    int32_t a, b;
  };
  // Boundary edges in triangle and edge order, and for each node the edges that touch it.
  std::vector<Edge> edges;
  for (int32_t t = 1; t <= c.TriangleCount && t < static_cast<int32_t>(c.TriangleTable.size()); ++t) {
    const dTriangle& tri = c.TriangleTable[static_cast<size_t>(t)];
    for (int e = 0; e < 3; ++e)
      if (tri.neighbours[e] == 0) edges.push_back({tri.vertices[e], tri.vertices[(e + 1) % 3]});
  }
  if (edges.empty()) return {};
  std::map<int32_t, std::vector<size_t>> touching;
  for (size_t i = 0; i < edges.size(); ++i) {
    touching[edges[i].a].push_back(i);
    if (edges[i].b != edges[i].a) touching[edges[i].b].push_back(i);
  }
  const int32_t start = edges[0].a;
  std::vector<int32_t> chain{start};
  int32_t current = start, previous = 0;
  bool first = true;
  for (size_t steps = 0; steps <= edges.size(); ++steps) {
    int32_t next = 0;
    for (size_t i : touching[current]) {
      const int32_t other = edges[i].a == current ? edges[i].b : edges[i].a;
      if (first || other != previous) {
        next = other;
        break;
      }
    }
    if (next == 0) return {};
    first = false;
    chain.push_back(next);
    previous = current;
    current = next;
    if (current == start) return chain;
  }
  return {};
}

namespace {

void ClearSlice(TProjectState& state)
{
  state.PlanePicture.reset();
  state.PlaneTexture.reset();
  state.PlanePolygon.clear();
  state.PlaneTexCoords.clear();
  state.PlaneReady = 0;
}

}  // namespace

void BuildPlaneSlice(TProjectState& state, ISceneSection& section)
{
  if (!state.PlaneShown || state.CellMode != 0 || state.Profiles.empty()) return;
  const int mode = state.DisplayMode == 1 ? 1 : 0;
  const double level = -state.PlaneDepth;
  const std::vector<CutPoint> cuts = CutPoints(state, mode, level);

  TPseudoSectionContour& c = section.Contour();
  c.GridMode = false;
  // The scale of the first section present: an entry without a model has none.
  c.LogData = false;
  for (const TProfileEntry& e : state.Profiles)
    if (e[mode].Present) {
      c.LogData = e[mode].LogScale != 0;
      break;
    }
  // The positions of the nodes triangulated last: the same positions keep their triangles.
  std::vector<TComplex> before;
  for (int32_t i = 1; i < c.NextNode && i < static_cast<int32_t>(c.NodeTable.size()); ++i)
    before.push_back(MakePair(c.NodeTable[static_cast<size_t>(i)].x, c.NodeTable[static_cast<size_t>(i)].y));
  c.NextNode = 1;
  std::vector<TComplex> added;
  for (const CutPoint& p : SliceNodes(cuts, TPseudoSectionContour::MaxNodes)) {
    if (c.NextNode > TPseudoSectionContour::MaxNodes) break;
    c.AddNode(0, p.x, p.y, p.value);
    added.push_back(MakePair(p.x, p.y));
  }
  c.ReliefFactor = 0;
  const bool samePositions = added == before && c.TriangleCount > 0;
  c.BuildSection(!samePositions);

  double xmin = 1e19, xmax = -1e19, ymin = 1e19, ymax = -1e19;
  for (const TComplex& p : added) {
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  // Too few nodes, nodes on one line in x or y, or nothing triangulated: no sheet.
  if (added.size() < 3 || !(xmax > xmin) || !(ymax > ymin) || c.TriangleCount < 1) {
    ClearSlice(state);
    return;
  }
  if (!c.UserLimits) {
    c.DataMax = c.RangeMax = state.ValueMax;
    c.DataMin = c.RangeMin = state.ValueMin;
  }
  c.UpdateLevels();
  section.UpdateLayout();
  auto picture = std::make_shared<TMetafile>();
  if (c.SectionPicture()) picture->Assign(c.SectionPicture());

  const std::vector<int32_t> chain = TraceSliceBoundary(c);
  if (chain.size() < 4) {
    ClearSlice(state);
    return;
  }
  state.PlanePicture = std::move(picture);
  state.PlanePolygon.clear();
  state.PlaneTexCoords.clear();
  double bx0 = 1e19, bx1 = -1e19, by0 = 1e19, by1 = -1e19;
  for (int32_t n : chain) {
    const dVertex3d& v = c.NodeTable[static_cast<size_t>(n)];
    state.PlanePolygon.push_back(MakePoint3D(v.x, v.y, -state.PlaneDepth));
    bx0 = std::min(bx0, v.x);
    bx1 = std::max(bx1, v.x);
    by0 = std::min(by0, v.y);
    by1 = std::max(by1, v.y);
  }
  const double w = std::fabs(bx1 - bx0), h = std::fabs(by1 - by0);
  for (const TScenePoint& p : state.PlanePolygon)
    state.PlaneTexCoords.push_back(MakePair(w > 0 ? (p.x - bx0) / w : 0.0, h > 0 ? (p.y - by0) / h : 0.0));
  // The old sheet's texture goes, and with it its place in the texture cache.
  state.PlaneTexture.reset();
  state.PlaneReady = 1;
}
