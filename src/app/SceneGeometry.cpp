#include "app/SceneGeometry.h"

#include <algorithm>
#include <cmath>

#include "app/Project.h"
#include "app/SceneHost.h"

void PlaceSection(fdata& d)
{
  const double span = d.Span();
  double t0 = 0.0, t1 = 0.0;
  if (span != 0.0 && std::isfinite(span)) {
    t0 = (d.st - d.XFirst) / span;
    t1 = (d.XLast - d.en) / span;
  }
  d.PlanX0 = d.X0 - (d.X1 - d.X0) * t0;
  d.PlanY0 = d.Y0 - (d.Y1 - d.Y0) * t0;
  d.PlanX1 = d.X1 + (d.X1 - d.X0) * t1;
  d.PlanY1 = d.Y1 + (d.Y1 - d.Y0) * t1;
  // A stretch far shorter than the section overflows: the first and last X then lie on the ends.
  if (!std::isfinite(d.PlanX0) || !std::isfinite(d.PlanY0) || !std::isfinite(d.PlanX1) || !std::isfinite(d.PlanY1)) {
    d.PlanX0 = d.X0;
    d.PlanY0 = d.Y0;
    d.PlanX1 = d.X1;
    d.PlanY1 = d.Y1;
  }
}

TComplex SectionPlanPoint(const fdata& d, double x)
{
  if (d.X.size() < 2 || d.X.back() == d.X.front())
    return MakePair(d.PlanX0, d.PlanY0);
  const double t = (x - d.X.front()) / (d.X.back() - d.X.front());
  return MakePair(d.PlanX0 + (d.PlanX1 - d.PlanX0) * t, d.PlanY0 + (d.PlanY1 - d.PlanY0) * t);
}

double SectionDepthToScene(const fdata& d, double r, double z)
{
  const double zLast = d.Z.empty() ? 0.0 : d.Z.back();
  const double rMax = d.MaxRelief;
  if (zLast == 0.0)
    return r + z;
  const double depth = r + z * (1.0 + d.K * (rMax - r) / zLast);
  return std::min(depth, rMax + z);
}

void BuildSectionOutline(fdata& d)
{
  if (!d.Present)
    return;
  d.Outline.clear();
  d.TexCoords.clear();
  d.Frame.clear();
  if (d.X.size() < 2 || d.Z.empty() || d.ReliefAtX.size() != d.X.size())
    return;
  const double zLast = d.Z.back();
  const double rMin = MinValueMode(d.ReliefAtX, 0);
  const double rMax = MaxValueMode(d.ReliefAtX, 0);
  if (d.Relief.size() < 2) {
    d.Outline = {MakePoint3D(d.PlanX0, d.PlanY0, 0.0), MakePoint3D(d.PlanX1, d.PlanY1, 0.0),
                 MakePoint3D(d.PlanX0, d.PlanY0, zLast + d.ReliefAtX[0]), MakePoint3D(d.PlanX1, d.PlanY1, zLast)};
    d.TexCoords = {MakePair(0, 0), MakePair(1, 0), MakePair(0, 1), MakePair(1, 1)};
  } else {
    const size_t n = d.X.size();
    const double height = zLast + rMax - rMin;
    const double x0 = d.X.front(), length = d.X.back() - d.X.front();
    d.Outline.reserve(2 * n);
    d.TexCoords.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
      const TComplex p = SectionPlanPoint(d, d.X[i]);
      d.Outline.push_back(MakePoint3D(p.x, p.y, d.ReliefAtX[i]));
      d.TexCoords.push_back(MakePair((d.X[i] - x0) / length, (d.ReliefAtX[i] - rMin) / height));
    }
    for (size_t i = 0; i < n; ++i) {
      const TComplex p = SectionPlanPoint(d, d.X[i]);
      const double b = SectionDepthToScene(d, d.ReliefAtX[i], zLast);
      d.Outline.push_back(MakePoint3D(p.x, p.y, b));
      d.TexCoords.push_back(MakePair((d.X[i] - x0) / length, (b - rMin) / height));
    }
  }
  const double bottom = SectionDepthToScene(d, rMax, zLast);
  d.Frame = {MakePoint3D(d.PlanX0, d.PlanY0, rMin), MakePoint3D(d.PlanX1, d.PlanY1, rMin),
             MakePoint3D(d.PlanX1, d.PlanY1, bottom), MakePoint3D(d.PlanX0, d.PlanY0, bottom)};
}

void BuildSectionOutlines(TProjectState& state)
{
  for (TProfileEntry& e : state.Profiles)
    BuildSectionOutline(e[0]);
}

void UpdateSceneBounds(TProjectState& state, ISceneHost* host)
{
  state.XMin = state.YMin = state.DepthMin = state.ValueMin = 1e19;
  state.XMax = state.YMax = state.DepthMax = state.ValueMax = -1e19;
  const int mode = state.DisplayMode == 1 ? 1 : 0;
  for (const TProfileEntry& e : state.Profiles) {
    const fdata& r = e[0];
    if (r.Present && !r.Z.empty()) {
      state.XMin = std::min({state.XMin, r.PlanX0, r.PlanX1});
      state.XMax = std::max({state.XMax, r.PlanX0, r.PlanX1});
      state.YMin = std::min({state.YMin, r.PlanY0, r.PlanY1});
      state.YMax = std::max({state.YMax, r.PlanY0, r.PlanY1});
      state.DepthMin = std::min(state.DepthMin, MinValueMode(r.ReliefAtX, 0));
      state.DepthMax = std::max(state.DepthMax, MaxValueMode(r.ReliefAtX, 0) + r.Z.back());
    }
    const fdata& a = e[mode];
    if (a.Present) {
      state.ValueMin = std::min(state.ValueMin, a.MinValue);
      state.ValueMax = std::max(state.ValueMax, a.MaxValue);
    }
  }
  if (host)
    host->SetSceneAxisRanges(state.XMin, state.XMax, state.YMin, state.YMax, state.DepthMin, state.DepthMax);
}

void ReleaseSceneTextures(TProjectState& state, ISceneHost* host)
{
  if (host)
    host->ClearTextureCache();
  for (TProfileEntry& e : state.Profiles) {
    e[0].Texture.reset();
    e[1].Texture.reset();
  }
  state.PlaneTexture.reset();
}

bool AnySectionPresent(const TProjectState& state)
{
  return std::any_of(state.Profiles.begin(), state.Profiles.end(),
                     [](const TProfileEntry& e) { return e[0].Present != 0; });
}

TScenePoint TriangleNormal(const TScenePoint& a, const TScenePoint& b, const TScenePoint& c)
{
  const double ux = a.x - b.x, uy = a.y - b.y, uz = a.z - b.z;
  const double vx = c.x - b.x, vy = c.y - b.y, vz = c.z - b.z;
  TScenePoint n{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
  const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (length == 0.0 || !std::isfinite(length))
    return TScenePoint{};
  return TScenePoint{n.x / length, n.y / length, n.z / length};
}

bool PolygonOrientation(const arofcomplex& p)
{
  const long n = static_cast<long>(p.size());
  for (long i = n - 3; i >= 0; --i) {
    const double ax = p[i + 1].x - p[i].x, ay = p[i + 1].y - p[i].y;
    const double bx = p[i + 2].x - p[i].x, by = p[i + 2].y - p[i].y;
    const double c = ax * by - ay * bx;
    if (std::fabs(c) >= 1e-10)
      return c > 0.0;
  }
  return false;
}

bool PolygonOrientation(const std::vector<TPoint>& points)
{
  arofcomplex p;
  p.reserve(points.size());
  for (const TPoint& q : points)
    p.push_back(MakePair(q.x, q.y));
  return PolygonOrientation(p);
}

TScenePoint MakePoint3D(double x, double y, double z) { return TScenePoint{x, y, z}; }
