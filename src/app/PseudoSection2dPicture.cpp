// The section picture: contour bands per triangle, isolines traced through the mesh, colour bar.
#include <algorithm>
#include <limits>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#if defined(__SSE2__) && defined(__x86_64__)
#include <immintrin.h>
#endif

#include "app/PseudoSection2dContour.h"
#include "platform/Metafile.h"

namespace {

// Half to even, as Round32 rounds; values beyond a billion pixels are held there, others give 0.
inline int32_t ToPixel(double v)
{
  if (std::fabs(v) <= 1e9) [[likely]]
    return static_cast<int32_t>(std::nearbyint(v));
  if (!std::isfinite(v)) return 0;
  return v < 0 ? -1000000000 : 1000000000;
}

// An x and a y worked on together: each operation is the scalar one, done on both at once.
using Pair = double __attribute__((vector_size(16)));

inline Pair Splat(double v) { return Pair{v, v}; }
// x and y of a node or a complex number, which hold them one after the other.
template <class T>
inline Pair PairOf(const T& v)
{
  static_assert(offsetof(T, y) == offsetof(T, x) + sizeof(double));
  Pair p;
  std::memcpy(&p, reinterpret_cast<const char*>(&v) + offsetof(T, x), sizeof p);
  return p;
}
inline TComplex ToComplex(Pair p) { return {p[0], p[1]}; }

// ToPixel of both coordinates.
inline TPoint ToPixels(Pair v)
{
#if defined(__SSE2__) && defined(__x86_64__)
  // Both within the range: converted as the rounding mode says (to nearest, ties to even), as
  // nearbyint rounds.
  const __m128d a = reinterpret_cast<__m128d>(v);
  const __m128d size = _mm_andnot_pd(_mm_set1_pd(-0.0), a);
  if (_mm_movemask_pd(_mm_cmple_pd(size, _mm_set1_pd(1e9))) == 3) [[likely]] {
    const int64_t xy = _mm_cvtsi128_si64(_mm_cvtpd_epi32(a));
    TPoint q;
    std::memcpy(static_cast<void*>(&q), &xy, sizeof q);
    return q;
  }
#endif
  return {ToPixel(v[0]), ToPixel(v[1])};
}

// ToPixels of two points, into out[0] and out[1].
inline void ToPixels(Pair a, Pair b, TPoint* out)
{
#if defined(__AVX__) && defined(__x86_64__)
  // All four within the range: converted together.
  const __m256d v = _mm256_set_m128d(reinterpret_cast<__m128d>(b), reinterpret_cast<__m128d>(a));
  const __m256d size = _mm256_andnot_pd(_mm256_set1_pd(-0.0), v);
  if (_mm256_movemask_pd(_mm256_cmp_pd(size, _mm256_set1_pd(1e9), _CMP_LE_OQ)) == 15) [[likely]] {
    _mm_storeu_si128(static_cast<__m128i*>(static_cast<void*>(out)), _mm256_cvtpd_epi32(v));
    return;
  }
#endif
  out[0] = ToPixels(a);
  out[1] = ToPixels(b);
}

// Point lists of the picture being recorded, kept between figures so that their storage is reused.
struct Scratch {
  std::vector<TPoint> out;
  std::vector<TComplex> line;
  std::vector<std::vector<int32_t>> levelTriangles, borderTriangles;
  std::vector<int32_t> marked;  // triangles whose edges the current level marked
  std::vector<double> paddedLevels;
};
Scratch& Buffers()
{
  static thread_local Scratch s;
  return s;
}

inline Pair Mid(Pair a, Pair b) { return (a + b) / Splat(2.0); }

// InterpolateAt, for the hot paths of this file.
inline double Interpolate(double level, double value2, double coord2, double value1, double coord1)
{
  if (value2 == value1) return coord1;
  return coord1 + (level - value1) * (coord2 - coord1) / (value2 - value1);
}

// Both comparisons made, without a branch between them.
inline bool Between(double v, double a, double b) { return (std::min(a, b) < v) & (v < std::max(a, b)); }

constexpr int32_t kNextCorner[3] = {1, 2, 0};

// EdgeCrossed, inlined into the hot paths.
[[gnu::always_inline]] inline bool Crossed(const dVertex3d* nodes, const dTriangle& t, int32_t edge, double level)
{
  return Between(level, nodes[t.vertices[edge]].value, nodes[t.vertices[kNextCorner[edge]]].value);
}
// EdgeCrossing, for both coordinates at once.
[[gnu::always_inline]] inline Pair CrossingPair(const dVertex3d* nodes, const dTriangle& t, int32_t edge, double level)
{
  int32_t p = t.vertices[edge], q = t.vertices[kNextCorner[edge]];
  if (q < p) std::swap(p, q);
  const dVertex3d& n1 = nodes[p];
  const dVertex3d& n2 = nodes[q];
  const Pair c1 = PairOf(n1);
  if (n2.value == n1.value) return c1;
  return c1 + Splat(level - n1.value) * (PairOf(n2) - c1) / Splat(n2.value - n1.value);
}

// The mesh and the mapping onto the picture, as the hot paths read them.
struct Mesh {
  const dVertex3d* nodes;
  const dTriangle* triangles;
  int32_t tableSize;  // entries of the triangle table
  Pair origin, scale;  // plot minimum and pixels per unit, x and y
  TPoint Pixel(Pair p) const { return ToPixels((p - origin) * scale); }
  void Pixels(Pair p, Pair q, TPoint* out) const { ToPixels((p - origin) * scale, (q - origin) * scale, out); }
};

Mesh MeshOf(const TPseudoSectionContour& c)
{
  return {c.NodeTable.data(), c.TriangleTable.data(), static_cast<int32_t>(c.TriangleTable.size()),
          Pair{c.PlotXMin, c.PlotYMin}, Pair{c.XScale, c.YScale}};
}

// NeighbourCrossing, inlined into the curves.
[[gnu::always_inline]] inline bool NeighbourPoint(const Mesh& m, const dTriangle& t, int32_t edge, double level,
                                                  Pair& point)
{
  const int32_t nb = t.neighbours[edge];
  const int32_t s = t.shared[edge];
  if (nb <= 0 || nb >= m.tableSize || s > 2) return false;
  const dTriangle& n = m.triangles[nb];
  // The lower of the neighbour's two other edges if the level crosses it, else the higher.
  const int32_t lower = s == 0 ? 1 : 0, higher = s == 2 ? 1 : 2;
  const int32_t e = Crossed(m.nodes, n, lower, level) ? lower : higher;
  point = CrossingPair(m.nodes, n, e, level);
  return true;
}

// The eight pixels of SmoothedCrossingCurve.
void CrossingCurve(const Mesh& m, const dTriangle& t, int32_t firstEdge, int32_t secondEdge, double level, TPoint* o)
{
  const Pair c1 = CrossingPair(m.nodes, t, firstEdge, level);
  const Pair c2 = CrossingPair(m.nodes, t, secondEdge, level);
  Pair p0, p3;
  const bool has0 = NeighbourPoint(m, t, firstEdge, level, p0);
  const bool has3 = NeighbourPoint(m, t, secondEdge, level, p3);
  const Pair m0 = has0 ? Mid(p0, c1) : c1;
  const Pair m1 = Mid(c1, c2);
  const Pair m2 = has3 ? Mid(c2, p3) : c2;
  static constexpr double wa[4] = {0.25, 0.09, 0.04, 0.0}, wb[4] = {0.25, 0.49, 0.64, 1.0};
  static constexpr double wc[4] = {1.0, 0.64, 0.49, 0.25}, wd[4] = {0.0, 0.04, 0.09, 0.25};
  const Pair d0 = m0 - c1, d1 = m1 - c1, e1 = m1 - c2, e2 = m2 - c2;
  // The first half from c1 towards the middle, the second from there to c2; without a neighbour
  // the curve ends on the crossing itself.
  auto first = [&](int k) { return c1 + Splat(wa[k]) * d0 + Splat(wb[k]) * d1; };
  auto second = [&](int k) { return c2 + Splat(wc[k]) * e1 + Splat(wd[k]) * e2; };
  m.Pixels(has0 ? first(0) : c1, first(1), o);
  m.Pixels(first(2), first(3), o + 2);
  m.Pixels(second(0), second(1), o + 4);
  m.Pixels(second(2), has3 ? second(3) : c2, o + 6);
}

// TraceIsoline over the given tables: the point is set when the line leaves the triangle.
[[gnu::always_inline]] inline bool TraceStep(dTriangle* triangles, const dVertex3d* nodes, int32_t triangleCount,
                                             int32_t& triangle, int32_t& entryEdge, double level, Pair& point)
{
  dTriangle& t = triangles[triangle];
  t.visited[entryEdge] = 1;
  static constexpr int32_t order[3][2] = {{1, 2}, {0, 2}, {0, 1}};
  for (int32_t e : order[entryEdge]) {
    if (t.visited[e] || !Crossed(nodes, t, e, level)) continue;
    point = CrossingPair(nodes, t, e, level);
    t.visited[e] = 1;
    const int32_t nb = t.neighbours[e];
    const int32_t s = t.shared[e];
    if (nb <= 0 || nb > triangleCount || s > 2) return false;
    triangle = nb;
    entryEdge = s;
    return true;
  }
  return false;
}

// Whether each level is at most the next one.
bool Ascending(const double* levels, int32_t count)
{
  for (int32_t k = 0; k + 1 < count; ++k)
    if (!(levels[k] <= levels[k + 1])) return false;
  return true;
}

// The levels as the hot paths read them: whether they ascend, and then, four at a time (the last
// four filled up with NaN, which no comparison counts), how many lie below or at a value.
struct Levels {
  const double* values;
  int32_t count;
  bool ascending;
  const double* padded;
  int32_t groups;
  // Levels below v (lower_bound over ascending levels); and at or below v (upper_bound).
  int32_t Below(double v) const { return Count<false>(v); }
  int32_t AtOrBelow(double v) const { return Count<true>(v); }
  template <bool OrEqual>
  int32_t Count(double v) const
  {
#if defined(__AVX__) && defined(__x86_64__)
    const __m256d x = _mm256_set1_pd(v);
    int32_t n = 0;
    for (int32_t g = 0; g < groups; ++g) {
      const __m256d l = _mm256_loadu_pd(padded + 4 * g);
      const __m256d in = OrEqual ? _mm256_cmp_pd(l, x, _CMP_LE_OQ) : _mm256_cmp_pd(l, x, _CMP_LT_OQ);
      n += std::popcount(static_cast<unsigned>(_mm256_movemask_pd(in)));
    }
    return n;
#else
    return static_cast<int32_t>((OrEqual ? std::upper_bound(values, values + count, v) : std::lower_bound(values, values + count, v)) - values);
#endif
  }
};

Levels LevelsOf(const TPseudoSectionContour& c)
{
  std::vector<double>& padded = Buffers().paddedLevels;
  const int32_t n = c.LevelCount, groups = (n + 3) / 4;
  padded.assign(static_cast<size_t>(4 * groups), std::numeric_limits<double>::quiet_NaN());
  std::copy_n(c.LevelValues.data(), n, padded.data());
  return {c.LevelValues.data(), n, Ascending(c.LevelValues.data(), n), padded.data(), groups};
}

// LevelIndexRange; over ascending levels by counting.
[[gnu::always_inline]] inline void LevelRange(const TPseudoSectionContour& c, const Levels& lv, double va, double vb,
                                              double vc, int32_t& lo, int32_t& hi)
{
  const double vmin = std::min({va, vb, vc}), vmax = std::max({va, vb, vc});
  if (!lv.ascending || std::isnan(vmin) || std::isnan(vmax)) {
    c.LevelIndexRange(va, vb, vc, lo, hi);
    return;
  }
  // The first level at or above vmin; the last level from the second on at or below vmax, else 0.
  lo = lv.Below(vmin);
  hi = lv.count > 1 ? lv.AtOrBelow(vmax) - (lv.values[0] <= vmax ? 1 : 0) : 0;
}

// Point arrays of one triangle's bands: a level's curve and a band.
struct BandPoints {
  TPoint curve[8], band[17];
};

// CornerPoints, inlined.
inline void Corners(int32_t m, int32_t newUncrossedEdge, int32_t& middle, int32_t& top, int32_t& flag)
{
  // Edge e joins vertices e and (e + 1) mod 3.
  const int32_t e0 = newUncrossedEdge, e1 = (newUncrossedEdge + 1) % 3;
  middle = e0 == m ? e1 : e0;
  top = 3 - m - middle;
  flag = middle == (m + 1) % 3 ? 1 : 0;
}

bool CornersValid(const dTriangle& t, int32_t nextNode)
{
  for (int32_t v : t.vertices)
    if (v < 1 || v >= nextNode) return false;
  return true;
}

// The bands of one triangle with valid corners (see FillTriangleBands), the pen left as it is.
void RecordBands(const TPseudoSectionContour& c, const Mesh& mesh, const Levels& lv, BandPoints& pts,
                 TMetafileCanvas* cv, int32_t triangle)
{
  const dTriangle& t = mesh.triangles[triangle];
  const dVertex3d* const nodes = mesh.nodes;
  const double val[3] = {nodes[t.vertices[0]].value, nodes[t.vertices[1]].value, nodes[t.vertices[2]].value};
  TPoint corner[3];
  for (int i = 0; i < 3; ++i) corner[i] = mesh.Pixel(PairOf(nodes[t.vertices[i]]));
  const int32_t levelCount = c.LevelCount;
  const TColor* const colors = c.BandColors.data();
  const double first = c.LevelValues.front(), last = c.LevelValues.back();
  int32_t lo, hi;
  LevelRange(c, lv, val[0], val[1], val[2], lo, hi);
  if (val[0] < first && val[1] < first && val[2] < first) {
    cv->FillPolygon(corner, colors[0]);
    return;
  }
  if (val[0] > last && val[1] > last && val[2] > last) {
    cv->FillPolygon(corner, colors[levelCount]);
    return;
  }
  if (val[0] == val[1] && val[1] == val[2]) {
    cv->FillPolygon(corner, colors[std::min(lo, levelCount)]);
    return;
  }
  int32_t m = 0;
  if (val[1] < val[m]) m = 1;
  if (val[2] < val[m]) m = 2;
  int32_t u = (m + 1) % 3;  // the edge opposite m
  // Each band starts with its lower border: the corner m, then the last curve.
  TPoint *const curve = pts.curve, *const band = pts.band;
  size_t lower = 1;
  band[0] = corner[m];
  bool passed = false;
  int32_t top = 0;
  for (int32_t k = lo; k <= hi; ++k) {
    const double level = c.LevelValues[k];
    int32_t u2 = 0;
    while (u2 < 2 && Between(level, val[u2], val[u2 + 1])) ++u2;  // Crossed, from the values at hand
    CrossingCurve(mesh, t, (u2 + 1) % 3, (u2 + 2) % 3, level, curve);
    size_t n = lower;
    if (u2 == u) {
      for (int i = 7; i >= 0; --i) band[n++] = curve[i];
    } else {
      int32_t middle, flag;
      Corners(m, u2, middle, top, flag);
      passed = true;
      if (flag == 1) band[n++] = corner[middle];
      for (int i = 0; i < 8; ++i) band[n++] = curve[i];
      if (flag != 1) band[n++] = corner[middle];
    }
    cv->FillPolygon({band, n}, colors[k]);
    std::copy_n(curve, 8, band);
    lower = 8;
    u = u2;
  }
  if (passed) {
    band[lower++] = corner[top];
  } else {
    band[lower++] = corner[(m + 1) % 3];
    band[lower++] = corner[(m + 2) % 3];
  }
  cv->FillPolygon({band, lower}, colors[std::min(hi + 1, levelCount)]);
}

// FillAllTriangles; the corners are known to be valid when checked.
void RecordAllBands(TPseudoSectionContour& c, bool checked)
{
  // The pen is clear while any bands are recorded, as FillTriangleBands leaves it after each.
  const Mesh mesh = MeshOf(c);
  const Levels lv = LevelsOf(c);
  BandPoints pts;
  bool any = false;
  for (int32_t t = 1; t <= c.TriangleCount; ++t) {
    if (!checked && !CornersValid(mesh.triangles[t], c.NextNode)) continue;
    if (!any) c.PictureCanvas->Pen()->SetStyle(psClear);
    any = true;
    RecordBands(c, mesh, lv, pts, c.PictureCanvas, t);
  }
  if (any) c.PictureCanvas->Pen()->SetStyle(psSolid);
}

}  // namespace

// The picture's own rounding of both coordinates, of which one is asked for.
int32_t TPseudoSectionContour::XToPixel(double x) const { return ToPixels(Pair{(x - PlotXMin) * XScale, 0.0}).x; }
int32_t TPseudoSectionContour::YToPixel(double y) const { return ToPixels(Pair{0.0, (y - PlotYMin) * YScale}).y; }

double TPseudoSectionContour::InterpolateAt(double level, double value2, double coord2, double value1, double coord1)
{
  return Interpolate(level, value2, coord2, value1, coord1);
}

bool TPseudoSectionContour::StrictlyBetween(double v, double a, double b) { return Between(v, a, b); }

void TPseudoSectionContour::LevelIndexRange(double va, double vb, double vc, int32_t& lo, int32_t& hi) const
{
  const double vmin = std::min({va, vb, vc}), vmax = std::max({va, vb, vc});
  lo = LevelCount;
  for (int32_t i = 0; i < LevelCount; ++i)
    if (LevelValues[i] >= vmin) {
      lo = i;
      break;
    }
  hi = 0;
  for (int32_t i = LevelCount - 1; i >= 1; --i)
    if (LevelValues[i] <= vmax) {
      hi = i;
      break;
    }
}

// Middle vertex: the far end of the new uncrossed edge seen from m; top: the remaining vertex;
// flag 1 when the middle vertex follows m in the order a, b, c, a.
void TPseudoSectionContour::CornerPoints(int32_t m, int32_t newUncrossedEdge, int32_t& middle, int32_t& top,
                                         int32_t& flag)
{
  Corners(m, newUncrossedEdge, middle, top, flag);
}

bool TPseudoSectionContour::EdgeCrossed(const dTriangle& t, int32_t edge, double level) const
{
  return Crossed(NodeTable.data(), t, edge, level);
}

// The crossing point of a level on an edge, computed from the lower-numbered node so that both
// triangles of an edge get the very same point.
TComplex TPseudoSectionContour::EdgeCrossing(const dTriangle& t, int32_t edge, double level) const
{
  return ToComplex(CrossingPair(NodeTable.data(), t, edge, level));
}

bool TPseudoSectionContour::NeighbourCrossing(int32_t triangle, int32_t edge, double level, TComplex& point) const
{
  Pair p;
  if (!NeighbourPoint(MeshOf(*this), TriangleTable[triangle], edge, level, p)) return false;
  point = ToComplex(p);
  return true;
}

void TPseudoSectionContour::SmoothedCrossingCurve(int32_t triangle, int32_t firstEdge, int32_t secondEdge,
                                                  double level, std::vector<TPoint>& out) const
{
  out.resize(8);
  CrossingCurve(MeshOf(*this), TriangleTable[triangle], firstEdge, secondEdge, level, out.data());
}

void TPseudoSectionContour::FillTriangleBands(int32_t triangle)
{
  if (!CornersValid(TriangleTable[triangle], NextNode)) return;
  PictureCanvas->Pen()->SetStyle(psClear);
  BandPoints pts;
  RecordBands(*this, MeshOf(*this), LevelsOf(*this), pts, PictureCanvas, triangle);
  PictureCanvas->Pen()->SetStyle(psSolid);
}

void TPseudoSectionContour::FillAllTriangles() { RecordAllBands(*this, false); }

bool TPseudoSectionContour::TraceIsoline(int32_t& triangle, int32_t& entryEdge, double level, TComplex& point)
{
  Pair p = PairOf(point);
  const bool more = TraceStep(TriangleTable.data(), NodeTable.data(), TriangleCount, triangle, entryEdge, level, p);
  point = ToComplex(p);
  return more;
}

void TPseudoSectionContour::SmoothPolyline(const std::vector<TComplex>& pointsIn, bool closed)
{
  const size_t n = pointsIn.size();
  if (n < 2) return;
  // At most six points a piece and the two ends.
  std::vector<TPoint>& out = Buffers().out;
  out.resize(6 * n + 2);
  TPoint* const o = out.data();
  size_t count = 0;
  const Mesh mesh = MeshOf(*this);
  // Points are added unless they repeat the last one; the first is always added.
  uint64_t last = 0;
  auto add = [&](const TPoint& q) {
    uint64_t bits;
    std::memcpy(&bits, static_cast<const void*>(&q), sizeof bits);
    if (count != 0 && bits == last) return;
    last = bits;
    o[count++] = q;
  };
  static constexpr double wm0[6] = {1, 0.64, 0.25, 0.09, 0.04, 0}, wm1[6] = {0, 0.04, 0.25, 0.49, 0.64, 1};
  static constexpr double wp[6] = {0, 0.32, 0.5, 0.42, 0.32, 0};
  const TComplex* const in = pointsIn.data();
  // A closed line ends where its second point is.
  auto at = [&](size_t i) { return PairOf(in[closed && i == n - 1 ? 1 : i]); };
  auto piece = [&](Pair ma, Pair ctrl, Pair mb) {
    TPoint q[6];
    for (int k = 0; k < 6; k += 2)
      mesh.Pixels(Splat(wm0[k]) * ma + Splat(wp[k]) * ctrl + Splat(wm1[k]) * mb,
                  Splat(wm0[k + 1]) * ma + Splat(wp[k + 1]) * ctrl + Splat(wm1[k + 1]) * mb, q + k);
    for (const TPoint& pt : q) add(pt);
  };
  if (n < 3) {
    add(mesh.Pixel(at(0)));
    add(mesh.Pixel(PairOf(in[1])));
  } else {
    if (!closed) add(mesh.Pixel(at(0)));
    for (size_t i = 0; i + 3 <= n; ++i) piece(Mid(at(i), at(i + 1)), at(i + 1), Mid(at(i + 1), at(i + 2)));
    if (!closed) add(mesh.Pixel(at(n - 1)));
  }
  if (count == 1) o[count++] = o[0];
  out.resize(count);
  PictureCanvas->Polyline(out);
}

void TPseudoSectionContour::DrawIsolines()
{
  std::vector<TComplex>& line = Buffers().line;
  // The triangles each level passes through, in triangle order: those whose value range holds the
  // level (a level outside it crosses none of the edges). Those with a border edge are listed apart
  // too, for the lines that start on the border.
  std::vector<std::vector<int32_t>>& crossed = Buffers().levelTriangles;
  std::vector<std::vector<int32_t>>& crossedAtBorder = Buffers().borderTriangles;
  crossed.resize(static_cast<size_t>(LevelCount));
  crossedAtBorder.resize(static_cast<size_t>(LevelCount));
  for (auto& list : crossed) list.clear();
  for (auto& list : crossedAtBorder) list.clear();
  dTriangle* const triangles = TriangleTable.data();
  const dVertex3d* const nodes = NodeTable.data();
  const double* const levels = LevelValues.data();
  const Levels lv = LevelsOf(*this);
  for (int32_t t = 1; t <= TriangleCount; ++t) {
    const dTriangle& tr = triangles[t];
    const double a = nodes[tr.vertices[0]].value, b = nodes[tr.vertices[1]].value, c = nodes[tr.vertices[2]].value;
    double lo = -INFINITY, hi = INFINITY;  // left to the edges themselves
    if (!std::isnan(a) && !std::isnan(b) && !std::isnan(c)) {
      lo = std::min({a, b, c});
      hi = std::max({a, b, c});
    }
    const bool atBorder = (tr.border[0] | tr.border[1] | tr.border[2]) != 0;
    auto add = [&](size_t k) {
      crossed[k].push_back(t);
      if (atBorder) crossedAtBorder[k].push_back(t);
    };
    if (lv.ascending) {
      for (int32_t k = lv.AtOrBelow(lo); k < LevelCount && levels[k] < hi; ++k) add(static_cast<size_t>(k));
    } else {
      for (int32_t k = 0; k < LevelCount; ++k)
        if (lo < levels[k] && levels[k] < hi) add(static_cast<size_t>(k));
    }
  }
  // Each level starts with no edge marked: all are cleared once, then those the level before marked.
  std::vector<int32_t>& marked = Buffers().marked;
  marked.clear();
  for (int32_t t = 1; t <= TriangleCount; ++t) std::fill_n(triangles[t].visited, 3, 0);
  for (int32_t k = 0; k < LevelCount; ++k) {
    const double level = levels[k];
    PictureCanvas->Pen()->SetColor(IsolineColors[k]);
    for (const int32_t t : marked) std::fill_n(triangles[t].visited, 3, 0);
    marked.clear();
    // Lines from the border first, then the closed ones.
    for (int pass = 0; pass < 2; ++pass) {
      const int32_t wantBorder = pass == 0 ? 1 : 0;
      for (const int32_t t : pass == 0 ? crossedAtBorder[k] : crossed[k]) {
        for (int32_t e = 0; e < 3; ++e) {
          dTriangle& tr = triangles[t];
          if (tr.border[e] != wantBorder || tr.visited[e] || !Crossed(nodes, tr, e, level)) continue;
          line.clear();
          Pair point = CrossingPair(nodes, tr, e, level);
          line.push_back(ToComplex(point));
          tr.visited[e] = 1;
          marked.push_back(t);
          int32_t tri = t, edge = e;
          for (;;) {
            const bool more = TraceStep(triangles, nodes, TriangleCount, tri, edge, level, point);
            line.push_back(ToComplex(point));
            if (!more) break;
            marked.push_back(tri);  // marked by the next step
          }
          SmoothPolyline(line, pass == 1);
        }
      }
    }
  }
}

bool TPseudoSectionContour::PictureUsable() const
{
  return LevelCount > 0 && TriangleCount >= 3 && LevelValues.size() == static_cast<size_t>(LevelCount) &&
         BandColors.size() == static_cast<size_t>(LevelCount) + 1 &&
         IsolineColors.size() == static_cast<size_t>(LevelCount) && PlotXSpan > 0 && PlotYSpan > 0 &&
         std::isfinite(XScale) && std::isfinite(YScale) && XScale > 0 && YScale > 0 &&
         TriangleCount < static_cast<int32_t>(TriangleTable.size()) && TrianglesUseCurrentNodes();
}

// Triangles kept from an earlier section (fewer than three nodes were added since) join nodes
// that are gone.
bool TPseudoSectionContour::TrianglesUseCurrentNodes() const
{
  for (int32_t t = 1; t <= TriangleCount; ++t)
    for (int32_t v : TriangleTable[t].vertices)
      if (v < 1 || v >= NextNode) return false;
  return true;
}

void TPseudoSectionContour::RenderPicture()
{
  sectionPicture_->Clear();
  sectionPicture_->SetSize(PictureWidth, PictureHeight);
  // A section that cannot be drawn leaves an empty picture, never the previous one.
  if (!PictureUsable()) return;
  TMetafileCanvas canvas(sectionPicture_.get());
  PictureCanvas = &canvas;
  try {
    RecordAllBands(*this, true);  // PictureUsable checked the corners
    if (ShowIsolines) DrawIsolines();
  } catch (...) {
    PictureCanvas = nullptr;
    throw;
  }
  canvas.Finish();
  PictureCanvas = nullptr;
}

void TPseudoSectionContour::DrawColorBar(int32_t left, int32_t top, int32_t width, int32_t height, int32_t,
                                         int32_t, const std::string& title, TCanvas* canvas)
{
  if (BandColors.empty() || !canvas) return;
  const int32_t n = LevelCount;
  if (n <= 0 || BandColors.size() != static_cast<size_t>(n) + 1 || IsolineColors.size() != static_cast<size_t>(n) ||
      LevelValues.size() != static_cast<size_t>(n))
    return;
  canvas->Pen()->SetMode(pmCopy);
  canvas->Font()->Assign(LabelFont.get());
  canvas->Pen()->SetColor(clBlack);
  double h = std::abs(canvas->TextHeight("123"));
  const int32_t right = left + width;
  const double step = static_cast<double>(height) / (n + 1);
  double lastBottom = -10.0;
  for (int32_t i = 0; i <= n; ++i) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(BandColors[n - i]);
    canvas->FillRect(TRect{left, Round32(top + i * step), right, Round32(top + (i + 1) * step)});
    if (i < 1) continue;
    const int32_t j = n - i;
    canvas->Pen()->SetColor(IsolineColors[j]);
    const int32_t y = Round32(top + i * step);
    canvas->MoveTo(right, y);
    canvas->LineTo(right + 3, y);
    const double value = LevelValues[j];
    int32_t d = 0;
    if (value != 0.0) {
      double spacing = 0.0;
      if (n >= 2) spacing = j == 0 ? LevelValues[1] - LevelValues[0] : LevelValues[j] - LevelValues[j - 1];
      double lg = std::log10(std::fabs(value));
      if (n >= 2) lg = spacing > 0 ? std::min(std::log10(spacing), lg) : NAN;
      if (std::isfinite(lg)) d = std::clamp(-static_cast<int32_t>(std::floor(lg)), 0, 15);
    }
    const double textTop = y - h / 2.0;
    if (textTop >= lastBottom) {
      canvas->Brush()->SetStyle(bsClear);
      canvas->TextOut(right + 6, Round32(textTop), FloatToStrDec(d, false, value));
      lastBottom = y + h / 2.0;
    }
  }
  canvas->Brush()->SetStyle(bsClear);
  TFont titleFont;
  titleFont.Assign(LabelFont.get());
  titleFont.SetSize(LabelFont->GetSize() + 2);
  canvas->Font()->Assign(&titleFont);
  h = std::abs(canvas->TextHeight("123"));
  canvas->TextOut(left, Round32(top - h - 3), title);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(left, top, left + width, top + height);
}
