#include "app/SceneDrawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/SceneGeometry.h"
#include "chart/canvas/NuvGLCanvas.h"
#include "chart/canvas/NuvOpenGL.h"
#include "platform/Graphics.h"
#include "platform/Metafile.h"

namespace {

int ActiveHalf(const TProjectState& state) { return state.DisplayMode == 1 ? 1 : 0; }

// Canvas point of a scene point, in the OpenGL orientation (X, -Y, -Z).
TPoint3DFloat GLPoint(ISceneAxes& axes, const TScenePoint& p)
{
  return {axes.XPos(p.x), -axes.YPos(p.z), -axes.ZPos(p.y)};
}

bool Finite(const TPoint3DFloat& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

TPoint3DFloat Normal(const TPoint3DFloat& a, const TPoint3DFloat& b, const TPoint3DFloat& c)
{
  const TScenePoint n = TriangleNormal({a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z});
  return {n.x, n.y, n.z};
}

// Not PolygonOrientation of the projected points: the panel is seen from its back. A projection
// without area (seen edge-on) counts as either side; the panel is drawn all the same. Distance:
// the mean depth value of the points on the screen.
bool Flipped(TGLCanvas& canvas, const std::vector<TPoint3DFloat>& points, double* distance = nullptr)
{
  std::vector<TPoint3DFloat> screen;
  canvas.ProjectPoints(points, screen);
  arofcomplex p;
  p.reserve(screen.size());
  double z = 0;
  for (const TPoint3DFloat& s : screen) {
    p.push_back(MakePair(s.x, s.y));
    z += s.z;
  }
  if (distance) *distance = screen.empty() ? 0 : z / static_cast<double>(screen.size());
  return !PolygonOrientation(p);
}

// A section ready to draw: its outline in the OpenGL orientation, normal, side and distance.
struct Panel {
  size_t index;
  std::vector<TPoint3DFloat> outline;
  TPoint3DFloat normal;
  bool flipped;
  double distance;
};

void SetSolidPen(TGLCanvas& canvas, TColor color)
{
  canvas.Pen()->SetStyle(psSolid);
  canvas.Pen()->SetWidth(1);
  canvas.Pen()->SetColor(color);
}

// Cell mode: every cell of the section as a quadrilateral coloured through the colour strip.
void DrawSectionCells(TGLCanvas& canvas, ISceneAxes& axes, const fdata& geo, const fdata& active,
                      const TPseudoSectionContour& contour, TPoint3DFloat normal)
{
  const size_t nx = geo.X.size(), nz = geo.Z.size();
  if (nx < 2 || nz < 2 || geo.ReliefAtX.size() < nx || active.Nodes.size() < nx) return;
  for (size_t j = 0; j < nx; ++j)
    if (active.Nodes[j].size() < nz) return;
  // Per node: chart position and strip coordinate, computed once.
  std::vector<double> colX(nx), colZ(nx);
  std::vector<double> rowY(nx * nz), coord(nx * nz);
  for (size_t j = 0; j < nx; ++j) {
    const TComplex p = SectionPlanPoint(geo, geo.X[j]);
    colX[j] = axes.XPos(p.x);
    colZ[j] = axes.ZPos(p.y);
    for (size_t k = 0; k < nz; ++k) {
      rowY[j * nz + k] = axes.YPos(SectionDepthToScene(geo, geo.ReliefAtX[j], geo.Z[k]));
      TComplex c;
      contour.ValueToStripCoord(active.Nodes[j][k], c);
      coord[j * nz + k] = c.x;
    }
  }
  // The canvas takes chart points and turns the normal's sides itself.
  const TPoint3DFloat n = normal;
  for (size_t j = 0; j + 1 < nx; ++j) {
    for (size_t k = 0; k + 1 < nz; ++k) {
      const size_t a = j * nz + k, b = (j + 1) * nz + k;
      const TPoint3DFloat p0{colX[j], rowY[a], colZ[j]};
      const TPoint3DFloat p1{colX[j + 1], rowY[b], colZ[j + 1]};
      const TPoint3DFloat p2{colX[j + 1], rowY[b + 1], colZ[j + 1]};
      const TPoint3DFloat p3{colX[j], rowY[a + 1], colZ[j]};
      canvas.TexturedQuad1D(p0, p1, p2, p3, n,
                            {{{coord[a], 1}, {coord[b], 1}, {coord[b + 1], 1}, {coord[a + 1], 1}}});
    }
  }
}

}  // namespace

std::shared_ptr<TBitmap> MakeSceneTexture(TMetafile* picture)
{
  auto bitmap = std::make_shared<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(SceneTextureSize, SceneTextureSize);
  if (picture) bitmap->Canvas()->StretchDraw(Rect(0, 0, SceneTextureSize, SceneTextureSize), picture);
  return bitmap;
}

// ---------------------------------------------------------------- equal scale

void ApplyEqualScale(const TProjectState& state, ISceneAxes& axes)
{
  const double left = axes.LeftLength(), bottom = axes.BottomLength(), depth = axes.DepthLength();
  if (!(left > 0) || !(bottom > 0) || !(depth > 0)) return;
  const double dz = std::fabs(state.DepthMin - state.DepthMax);
  const double dx = std::fabs(state.XMin - state.XMax);
  const double dy = std::fabs(state.YMin - state.YMax);
  if (!std::isfinite(dz) || !std::isfinite(dx) || !std::isfinite(dy)) return;
  const double ratio = state.ScaleRatio > 0 && std::isfinite(state.ScaleRatio) ? state.ScaleRatio : 1.0;
  const double a = dz / left, b = dx / bottom, c = dy / depth;
  double f = std::max({a, b, c});
  // Every range zero (one point): one unit per pixel.
  if (!(f > 0)) f = 1.0;
  // Units per pixel u over a range [lo, hi] of an axis length pixels long, centred.
  auto range = [f](double lo, double hi, double units, double length, double u, double factor,
                   auto set) {
    double d;
    if (units > 0)
      d = ((f / u) * factor - 1.0) * units / 2.0;
    else
      d = f * factor * length / 2.0;
    set(std::min(lo, hi) - d, std::max(lo, hi) + d);
  };
  range(state.DepthMin, state.DepthMax, dz, left, a, ratio, [&](double lo, double hi) { axes.SetLeftRange(lo, hi); });
  range(state.XMin, state.XMax, dx, bottom, b, 1.0, [&](double lo, double hi) { axes.SetBottomRange(lo, hi); });
  range(state.YMin, state.YMax, dy, depth, c, 1.0, [&](double lo, double hi) { axes.SetDepthRange(lo, hi); });
}

// ---------------------------------------------------------------- drawing

void DrawScene3D(TProjectState& state, TGLCanvas& canvas, ISceneAxes& axes, ISceneSection& section,
                 TNuvOpenGL* gl)
{
  // 1. One light, at a fixed place on the screen, undirected.
  if (gl) {
    gl->GetLight()->SetVisible(true);
    gl->GetLight1()->SetVisible(false);
    gl->GetLight()->SetUseDirection(false);
    gl->GetLight()->SetFixedPosition(true);
  }
  // 2.
  if (state.EqualScale) ApplyEqualScale(state, axes);

  const int mode = ActiveHalf(state);
  const bool cells = state.CellMode == 1;
  TPseudoSectionContour& contour = section.Contour();
  // 3.
  if (cells) {
    canvas.Brush()->SetBitmap(contour.ColorStrip());
    canvas.EnableBrushTexture();
  }
  // 4. Nearest first: with the depth test, what lies behind a drawn panel costs little.
  std::vector<Panel> panels;
  std::vector<TPoint3DFloat> frame(4);
  for (size_t i = 0; i < state.Profiles.size(); ++i) {
    TProfileEntry& e = state.Profiles[i];
    fdata& active = e[mode];
    const fdata& geo = e[0];
    if (!active.Present || !geo.Shown) continue;
    if (geo.Frame.size() < 4 || geo.Outline.size() < 2) continue;
    // A section without a picture has nothing to show.
    if (!cells && !active.Picture) continue;
    Panel panel{i, std::vector<TPoint3DFloat>(geo.Outline.size()), {}, false, 0};
    for (size_t k = 0; k < geo.Outline.size(); ++k) panel.outline[k] = GLPoint(axes, geo.Outline[k]);
    for (size_t k = 0; k < 4; ++k) frame[k] = GLPoint(axes, geo.Frame[k]);
    if (!std::all_of(frame.begin(), frame.end(), Finite) ||
        !std::all_of(panel.outline.begin(), panel.outline.end(), Finite))
      continue;
    panel.normal = Normal(frame[0], frame[1], frame[2]);
    panel.flipped = Flipped(canvas, frame, &panel.distance);
    panels.push_back(std::move(panel));
  }
  std::stable_sort(panels.begin(), panels.end(), [](const Panel& a, const Panel& b) { return a.distance < b.distance; });
  // The selected panel last: an outline drawn later at the same depth (a shared edge) would hide
  // its red one.
  const auto selected = static_cast<size_t>(state.SelectedRow - 1);
  std::stable_partition(panels.begin(), panels.end(), [selected](const Panel& p) { return p.index != selected; });
  for (Panel& panel : panels) {
    TProfileEntry& e = state.Profiles[panel.index];
    fdata& active = e[mode];
    const fdata& geo = e[0];
    if (!cells) {
      if (!active.Texture) active.Texture = MakeSceneTexture(active.Picture.get());
      // The picture shows in its own colours, not tinted by what the chart left in the brush.
      canvas.Brush()->SetStyle(bsSolid);
      canvas.Brush()->SetColor(clWhite);
    }
    SetSolidPen(canvas, static_cast<int32_t>(panel.index) == state.SelectedRow - 1 ? clRed : clBlack);
    if (!cells) {
      std::vector<TFloatPoint> tex(geo.TexCoords.size());
      for (size_t k = 0; k < tex.size(); ++k) tex[k] = {geo.TexCoords[k].x, geo.TexCoords[k].y};
      canvas.QuadStrip3DTextured(panel.outline, tex, active.Texture.get(), panel.flipped, panel.normal);
    } else {
      TPoint3DFloat normal = panel.normal;
      if (panel.flipped) normal = {-normal.x, -normal.y, -normal.z};
      DrawSectionCells(canvas, axes, geo, active, contour, normal);
    }
  }
  // What the pen would be had the panels been drawn in entry order: the slice takes it.
  const auto last = std::max_element(panels.begin(), panels.end(),
                                     [](const Panel& a, const Panel& b) { return a.index < b.index; });
  if (last != panels.end()) SetSolidPen(canvas, last->index == selected ? clRed : clBlack);
  // 5.
  if (cells) {
    canvas.DisableBrushTexture();
    canvas.Brush()->SetBitmap(nullptr);
  }
  // 6. The slice, in texture mode.
  if (!cells && state.PlaneShown && state.PlaneReady && state.PlanePolygon.size() >= 2 && state.PlanePicture) {
    if (!state.PlaneTexture) {
      state.PlaneTexture = MakeSceneTexture(state.PlanePicture.get());
      SetSolidPen(canvas, clBlack);
    }
    std::vector<TPoint3DFloat> points(state.PlanePolygon.size());
    for (size_t k = 0; k < points.size(); ++k) points[k] = GLPoint(axes, state.PlanePolygon[k]);
    if (std::all_of(points.begin(), points.end(), Finite)) {
      canvas.Brush()->SetStyle(bsSolid);
      canvas.Brush()->SetColor(clWhite);
      std::vector<TFloatPoint> tex(state.PlaneTexCoords.size());
      for (size_t k = 0; k < tex.size(); ++k) tex[k] = {state.PlaneTexCoords[k].x, state.PlaneTexCoords[k].y};
      const bool flipped = Flipped(canvas, points);
      canvas.Polygon3DTextured(points, tex, state.PlaneTexture.get(), flipped, {0, 1, 0});
    }
  }
}

void DrawLegendOnGL(ISceneSection& section, TCanvas* canvas)
{
  if (!canvas) return;
  TPseudoSectionContour& c = section.Contour();
  c.DrawColorBar(3, 5, 15, 150, 0, 0, c.ColorBarTitle, canvas);
}
