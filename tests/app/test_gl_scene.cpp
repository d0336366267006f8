// The scene drawn headless through the OpenGL canvas: section panels in texture and cell mode,
// the selection pen, hidden sections, equal scale and the horizontal slice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>

#include "TestSupport.h"
#include "app/Project.h"
#include "app/SceneDrawing.h"
#include "app/SceneChart.h"
#include "app/SceneGeometry.h"
#include "app/SectionPictures.h"
#include "app/PseudoSection2d.h"
#include "chart/canvas/NuvGLCanvas.h"
#include "platform/Metafile.h"

namespace {

bool Near(TColor a, TColor b, int tolerance = 10)
{
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Linear axes over a chart rectangle: plan x across, depth down, plan y into the screen.
struct LinearAxes : ISceneAxes {
  TRect r = Rect(60, 40, 340, 260);
  double depth = 200;
  double x0 = 0, x1 = 1, y0 = 0, y1 = 1, d0 = 0, d1 = 1;
  void Fit(const TProjectState& s)
  {
    x0 = s.XMin, x1 = s.XMax, y0 = s.YMin, y1 = s.YMax, d0 = s.DepthMin, d1 = s.DepthMax;
  }
  static double Map(double v, double lo, double hi, double a, double length)
  {
    return hi == lo ? a + length / 2 : a + (v - lo) / (hi - lo) * length;
  }
  double XPos(double v) override { return Map(v, x0, x1, r.Left, r.Width()); }
  double YPos(double v) override { return Map(v, d0, d1, r.Top, r.Height()); }
  double ZPos(double v) override { return Map(v, y0, y1, 0, depth); }
  double BottomLength() override { return r.Width(); }
  double LeftLength() override { return r.Height(); }
  double DepthLength() override { return depth; }
  void SetBottomRange(double lo, double hi) override { x0 = lo, x1 = hi; }
  void SetLeftRange(double lo, double hi) override { d0 = lo, d1 = hi; }
  void SetDepthRange(double lo, double hi) override { y0 = lo, y1 = hi; }
};

// A project with its pictures contoured, and frames of its scene.
class Scene : public ::testing::Test {
protected:
  void Load(const std::string& path)
  {
    ASSERT_TRUE(LoadProject(state, nullptr, path));
    ASSERT_TRUE(AnySectionPresent(state));
    axes.Fit(state);
    ContourSectionPictures(state, chart);
  }

  // One frame; during runs while the frame's matrices are current.
  void Frame(const std::function<void()>& during = {})
  {
    bmp.SetSize(400, 300);
    options.SetOrthogonal(false);
    options.SetPerspective(50);
    options.SetZoom(80);
    options.SetElevation(elevation);
    options.SetRotation(rotation);
    const TRect rect = Rect(0, 0, 400, 300);
    canvas.InitWindow(bmp.Canvas(), &options, clWhite, true, rect);
    ASSERT_TRUE(canvas.Active()) << "no OpenGL context";
    canvas.ViewPort(200, rect, axes.r);
    DrawScene3D(state, canvas, axes, section, nullptr);
    if (during) during();
    canvas.ShowImage(bmp.Canvas(), bmp.Canvas(), rect);
  }

  TPoint Project(const TScenePoint& p)
  {
    std::vector<TPoint3DFloat> in{{axes.XPos(p.x), -axes.YPos(p.z), -axes.ZPos(p.y)}}, out;
    canvas.ProjectPoints(in, out);
    return {static_cast<int32_t>(std::lround(out[0].x)), static_cast<int32_t>(std::lround(out[0].y))};
  }

  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF; }
  int CountNonWhite()
  {
    int n = 0;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x) n += At(x, y) != clWhite;
    return n;
  }
  void ShowOnly(size_t index)
  {
    for (size_t i = 0; i < state.Profiles.size(); ++i) state.Profiles[i][0].Shown = i == index;
  }
  // A point inside panel i: half-way along, half-way between relief and bottom; and its texture
  // coordinates.
  TScenePoint Inside(size_t i, TComplex& uv)
  {
    const fdata& d = state.Profiles[i][0];
    const size_t j = d.X.size() / 2;
    const TComplex p = SectionPlanPoint(d, d.X[j]);
    const double top = d.ReliefAtX[j], bottom = SectionDepthToScene(d, top, d.Z.back());
    const double depth = (top + bottom) / 2;
    const double rmin = MinValueMode(d.ReliefAtX, 0), rmax = MaxValueMode(d.ReliefAtX, 0);
    uv = MakePair((d.X[j] - d.X.front()) / (d.X.back() - d.X.front()), (depth - rmin) / (d.Z.back() + rmax - rmin));
    return MakePoint3D(p.x, p.y, depth);
  }
  // Whether colour c is in the texture near (u, v).
  static bool InTexture(TBitmap* texture, TComplex uv, TColor c)
  {
    const int tx = static_cast<int>(uv.x * (SceneTextureSize - 1)), ty = static_cast<int>(uv.y * (SceneTextureSize - 1));
    for (int dy = -6; dy <= 6; ++dy)
      for (int dx = -6; dx <= 6; ++dx) {
        const int x = std::clamp(tx + dx, 0, SceneTextureSize - 1), y = std::clamp(ty + dy, 0, SceneTextureSize - 1);
        if (Near(texture->Canvas()->GetPixel(x, y) & 0xFFFFFF, c)) return true;
      }
    return false;
  }

  TProjectState state;
  TPseudoSection2d chart{nullptr};
  TSectionChartScene section{chart};
  TPseudoSectionContour& contour = chart.Contour();
  LinearAxes axes;
  TView3DOptions options{nullptr};
  int rotation = 20, elevation = 340;
  TBitmap bmp;
  TGLCanvas canvas;
};

}  // namespace

TEST_F(Scene, EachFieldPanelShowsItsOwnPictureWhereItProjects)
{
  Load(testsupport::FieldPath("field.prj"));
  ASSERT_EQ(state.Profiles.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(state.Profiles[i][0].Picture) << i;
    ShowOnly(i);
    TPoint at;
    TComplex uv;
    Frame([&] { at = Project(Inside(i, uv)); });
    ASSERT_TRUE(state.Profiles[i][0].Texture) << i;
    EXPECT_NE(At(at.x, at.y), clWhite) << "section " << i;
    EXPECT_TRUE(InTexture(state.Profiles[i][0].Texture.get(), uv, At(at.x, at.y))) << "section " << i;
  }
  // The texture is made once and kept between frames.
  TBitmap* kept = state.Profiles[2][0].Texture.get();
  Frame();
  EXPECT_EQ(state.Profiles[2][0].Texture.get(), kept);
}

TEST_F(Scene, TheSelectedRowsOutlineIsRedAndOnlyThere)
{
  Load(testsupport::FieldPath("field.prj"));
  state.SelectedRow = 0;
  Frame();
  TBitmap plain;
  plain.Assign(&bmp);
  state.SelectedRow = 2;  // the second entry
  std::vector<TPoint> corners;
  Frame([&] {
    for (const TScenePoint& p : state.Profiles[1][0].Frame) corners.push_back(Project(p));
  });
  int red = 0, other = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) {
      const TColor now = At(x, y), before = plain.Canvas()->GetPixel(x, y) & 0xFFFFFF;
      if (now == before) continue;
      if (Near(now, clRed, 40)) ++red;
      else ++other;
    }
  EXPECT_GT(red, 50);
  EXPECT_LT(other, red / 10 + 5);
  // Red lies within the second panel's projected extent.
  int left = 400, right = 0, top = 300, bottom = 0;
  for (const TPoint& p : corners) left = std::min(left, p.x), right = std::max(right, p.x), top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      if (At(x, y) != (plain.Canvas()->GetPixel(x, y) & 0xFFFFFF) && Near(At(x, y), clRed, 40)) {
        EXPECT_TRUE(x >= left - 3 && x <= right + 3 && y >= top - 30 && y <= bottom + 3) << x << "," << y;
      }
}

TEST_F(Scene, UntickedAndEtaLessSectionsAreNotDrawn)
{
  Load(testsupport::ExamplePath("demo.prj"));
  for (TProfileEntry& e : state.Profiles) e[0].Shown = 0;
  Frame();
  EXPECT_EQ(CountNonWhite(), 0);
  state.Profiles[0][0].Shown = 1;
  Frame();
  EXPECT_GT(CountNonWhite(), 500);

  // Polarizability mode: only the first demo section has eta values; the others stay out.
  state.DisplayMode = 1;
  ReleaseSceneTextures(state, nullptr);
  UpdateSceneBounds(state, nullptr);
  ContourSectionPictures(state, chart);
  ASSERT_TRUE(state.Profiles[0][1].Present);
  EXPECT_TRUE(state.Profiles[0][1].Picture);
  for (size_t i : {1u, 2u}) {
    ASSERT_FALSE(state.Profiles[i][1].Present);
    ShowOnly(i);
    Frame();
    EXPECT_EQ(CountNonWhite(), 0) << i;
  }
  ShowOnly(0);
  Frame();
  EXPECT_GT(CountNonWhite(), 500);
}

TEST_F(Scene, APictureLessSectionIsSkippedNotDrawnBlank)
{
  Load(testsupport::ExamplePath("demo.prj"));
  ShowOnly(0);
  state.Profiles[0][0].Picture.reset();
  state.Profiles[0][0].Texture.reset();
  Frame();
  EXPECT_EQ(CountNonWhite(), 0);
  EXPECT_FALSE(state.Profiles[0][0].Texture);
}

TEST_F(Scene, CellModeColoursEveryCellThroughTheStrip)
{
  Load(testsupport::FieldPath("field.prj"));
  state.CellMode = 1;
  ShowOnly(0);
  TPoint at;
  TComplex uv;
  Frame([&] { at = Project(Inside(0, uv)); });
  const TColor c = At(at.x, at.y);
  EXPECT_NE(c, clWhite);
  // The colour is one of the strip's.
  TBitmap* strip = contour.ColorStrip();
  bool found = false;
  for (int x = 0; x < strip->GetWidth() && !found; ++x) found = Near(strip->Canvas()->GetPixel(x, 0) & 0xFFFFFF, c);
  EXPECT_TRUE(found);
  // No section texture was made.
  EXPECT_FALSE(state.Profiles[0][0].Texture);
}

TEST_F(Scene, APanelSeenEdgeOnStillDraws)
{
  Load(testsupport::ExamplePath("demo.prj"));
  // The first demo section runs along x at one y: looking straight along y sees it edge-on,
  // looking across shows it.
  ShowOnly(0);
  rotation = 0;
  elevation = 360;
  options.SetOrthogonal(true);
  EXPECT_NO_THROW(Frame());
  rotation = 90;
  EXPECT_NO_THROW(Frame());
}

TEST_F(Scene, TheSliceShowsAtItsDepthInTextureModeOnly)
{
  Load(testsupport::FieldPath("field.prj"));
  // A level that every section reaches.
  double highestTop = -1e19, shallowestBottom = 1e19;
  for (const TProfileEntry& e : state.Profiles) {
    highestTop = std::max(highestTop, MinValueMode(e[0].ReliefAtX, 0));
    shallowestBottom = std::min(shallowestBottom, MaxValueMode(e[0].ReliefAtX, 0) + e[0].Z.back());
  }
  ASSERT_LT(highestTop, shallowestBottom);
  state.PlaneShown = 1;
  state.PlaneDepth = -(highestTop + shallowestBottom) / 2;
  BuildPlaneSlice(state, section);
  ASSERT_EQ(state.PlaneReady, 1);
  ASSERT_GE(state.PlanePolygon.size(), 4u);
  EXPECT_EQ(state.PlanePolygon.front(), state.PlanePolygon.back());
  ASSERT_EQ(state.PlaneTexCoords.size(), state.PlanePolygon.size());
  for (const TScenePoint& p : state.PlanePolygon) EXPECT_DOUBLE_EQ(p.z, -state.PlaneDepth);
  for (const TComplex& t : state.PlaneTexCoords) {
    EXPECT_GE(t.x, 0.0);
    EXPECT_LE(t.x, 1.0);
    EXPECT_GE(t.y, 0.0);
    EXPECT_LE(t.y, 1.0);
  }
  // The sections hidden: what remains is the slice, around its centre.
  for (TProfileEntry& e : state.Profiles) e[0].Shown = 0;
  elevation = 300;
  TScenePoint centre;
  for (size_t k = 0; k + 1 < state.PlanePolygon.size(); ++k) {
    centre.x += state.PlanePolygon[k].x / (state.PlanePolygon.size() - 1);
    centre.y += state.PlanePolygon[k].y / (state.PlanePolygon.size() - 1);
  }
  centre.z = -state.PlaneDepth;
  TPoint at;
  Frame([&] { at = Project(centre); });
  EXPECT_GT(CountNonWhite(), 300);
  EXPECT_NE(At(at.x, at.y), clWhite);
  ASSERT_TRUE(state.PlaneTexture);

  // Cell mode draws no slice, even one built before.
  state.CellMode = 1;
  Frame();
  EXPECT_EQ(CountNonWhite(), 0);
}

TEST_F(Scene, TheSliceTakesThePenOfTheLastSectionInEntryOrder)
{
  Load(testsupport::FieldPath("field.prj"));
  ASSERT_EQ(state.Profiles.size(), 3u);
  double highestTop = -1e19, shallowestBottom = 1e19;
  for (const TProfileEntry& e : state.Profiles) {
    highestTop = std::max(highestTop, MinValueMode(e[0].ReliefAtX, 0));
    shallowestBottom = std::min(shallowestBottom, MaxValueMode(e[0].ReliefAtX, 0) + e[0].Z.back());
  }
  state.PlaneShown = 1;
  state.PlaneDepth = -(highestTop + shallowestBottom) / 2;
  BuildPlaneSlice(state, section);
  ASSERT_EQ(state.PlaneReady, 1);
  elevation = 300;
  // The pen the slice is drawn with: the slice is the last thing the scene draws.
  auto slicePen = [&](int selectedRow) {
    state.SelectedRow = selectedRow;
    TColor pen = clNone;
    Frame([&] { pen = canvas.Pen()->GetColor(); });
    return pen;
  };
  // Its texture made in the frame: black.
  EXPECT_EQ(slicePen(1), clBlack);
  ASSERT_TRUE(state.PlaneTexture);
  // Made before: the pen of the last shown section in entry order, whichever is drawn last.
  EXPECT_EQ(slicePen(1), clBlack);
  EXPECT_EQ(slicePen(2), clBlack);
  EXPECT_EQ(slicePen(3), clRed);
  EXPECT_EQ(slicePen(0), clBlack);
  state.Profiles[2][0].Shown = 0;
  EXPECT_EQ(slicePen(2), clRed);
  EXPECT_EQ(slicePen(3), clBlack);
  state.Profiles[2][0].Shown = 1;

  // With the second row selected, no red is drawn beyond the second panel: its outline only.
  slicePen(0);
  TBitmap plain;
  plain.Assign(&bmp);
  std::vector<TPoint> corners;
  state.SelectedRow = 2;
  Frame([&] {
    for (const TScenePoint& p : state.Profiles[1][0].Frame) corners.push_back(Project(p));
  });
  int left = 400, right = 0, top = 300, bottom = 0;
  for (const TPoint& p : corners) left = std::min(left, p.x), right = std::max(right, p.x), top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  int red = 0, outside = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      if (At(x, y) != (plain.Canvas()->GetPixel(x, y) & 0xFFFFFF) && Near(At(x, y), clRed, 40)) {
        ++red;
        outside += !(x >= left - 3 && x <= right + 3 && y >= top - 3 && y <= bottom + 3);
      }
  EXPECT_GT(red, 20);
  EXPECT_EQ(outside, 0);
}

TEST(SceneSlice, CutPointsTriangulationAndBoundary)
{
  TProjectState state;
  ASSERT_TRUE(LoadProject(state, nullptr, testsupport::ExamplePath("demo.prj")));
  TPseudoSectionContour contour(500, 500);
  TContourSceneSection section(contour);
  state.PlaneShown = 1;
  state.PlaneDepth = -(state.DepthMin + state.DepthMax) / 2;
  BuildPlaneSlice(state, section);
  ASSERT_EQ(state.PlaneReady, 1);
  // No two nodes share a plan position.
  std::set<std::pair<double, double>> seen;
  for (int32_t i = 1; i < contour.NextNode; ++i)
    EXPECT_TRUE(seen.insert({contour.NodeTable[i].x, contour.NodeTable[i].y}).second) << i;
  // The chain closes and every step runs along a boundary edge.
  const std::vector<int32_t> chain = TraceSliceBoundary(contour);
  ASSERT_GE(chain.size(), 4u);
  EXPECT_EQ(chain.front(), chain.back());

  // Moving the slice a little keeps the node positions: the triangles stay as they were.
  const int32_t triangles = contour.TriangleCount;
  const int32_t firstVertex = contour.TriangleTable[1].vertices[0];
  const double firstValue = contour.NodeTable[1].value;
  state.PlaneDepth += 0.01;
  BuildPlaneSlice(state, section);
  EXPECT_EQ(contour.TriangleCount, triangles);
  EXPECT_EQ(contour.TriangleTable[1].vertices[0], firstVertex);
  EXPECT_NE(contour.NodeTable[1].value, firstValue);

  // A level above every section: no nodes, no sheet.
  state.PlaneDepth = -(state.DepthMin - 100);
  BuildPlaneSlice(state, section);
  EXPECT_EQ(state.PlaneReady, 0);
  EXPECT_TRUE(state.PlanePolygon.empty());
  EXPECT_FALSE(state.PlanePicture);

  // Cell mode builds nothing.
  state.PlaneDepth = -(state.DepthMin + state.DepthMax) / 2;
  state.CellMode = 1;
  BuildPlaneSlice(state, section);
  EXPECT_EQ(state.PlaneReady, 0);
}

// The slice is contoured on the scale of the first section present: an entry without a model
// before it (an appended row, a file that could not be read) does not make it linear.
TEST(SceneSlice, TakesItsScaleFromTheFirstSectionPresent)
{
  TProjectState state;
  ASSERT_TRUE(LoadProject(state, nullptr, testsupport::ExamplePath("demo.prj")));
  ASSERT_EQ(state.Profiles[0][0].LogScale, 1);
  state.Profiles.insert(state.Profiles.begin(), TProfileEntry{});
  state.Loaded.insert(state.Loaded.begin(), 0);
  TPseudoSectionContour contour(500, 500);
  TContourSceneSection section(contour);
  state.PlaneShown = 1;
  state.PlaneDepth = -(state.DepthMin + state.DepthMax) / 2;
  contour.LogData = false;
  BuildPlaneSlice(state, section);
  EXPECT_EQ(state.PlaneReady, 1);
  EXPECT_TRUE(contour.LogData);
}

TEST(SceneSlice, ABrokenBoundaryEndsTheTrace)
{
  TPseudoSectionContour c(100, 100);
  for (auto [x, y] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}}) c.AddNode(0, x, y, 1);
  c.BuildSection(true);
  ASSERT_EQ(c.TriangleCount, 2);
  EXPECT_EQ(TraceSliceBoundary(c).size(), 5u);
  // One outer edge claimed by a neighbour that is not there: the boundary has a gap.
  for (int e = 0; e < 3; ++e)
    if (c.TriangleTable[1].neighbours[e] == 0) {
      c.TriangleTable[1].neighbours[e] = 2;
      break;
    }
  EXPECT_TRUE(TraceSliceBoundary(c).empty());
}

TEST(SceneEqualScale, EveryAxisShowsTheSameUnitsPerPixel)
{
  TProjectState s;
  s.XMin = 0, s.XMax = 300, s.YMin = 0, s.YMax = 100, s.DepthMin = -50, s.DepthMax = 10;
  LinearAxes axes;  // 280 x 220 pixels, 200 deep
  auto upp = [](double lo, double hi, double length) { return (hi - lo) / length; };
  for (double ratio : {1.0, 2.0}) {
    s.ScaleRatio = ratio;
    ApplyEqualScale(s, axes);
    const double f = upp(axes.x0, axes.x1, 280);
    EXPECT_NEAR(f, 300.0 / 280, 1e-12);
    EXPECT_NEAR(upp(axes.y0, axes.y1, 200), f, 1e-12);
    EXPECT_NEAR(upp(axes.d0, axes.d1, 220), ratio * f, 1e-12);
    // Centred on the scene bounds.
    EXPECT_NEAR((axes.y0 + axes.y1) / 2, 50, 1e-9);
    EXPECT_NEAR((axes.d0 + axes.d1) / 2, -20, 1e-9);
  }
  // The same ranges on every paint.
  const double x0 = axes.x0, d1 = axes.d1;
  ApplyEqualScale(s, axes);
  EXPECT_EQ(axes.x0, x0);
  EXPECT_EQ(axes.d1, d1);
}

TEST(SceneEqualScale, ZeroRangesGetTheCommonScaleWithoutNaN)
{
  LinearAxes axes;
  TProjectState s;
  s.ScaleRatio = 1;
  // Sections on one plan line along x: no y range.
  s.XMin = 0, s.XMax = 280, s.YMin = 5, s.YMax = 5, s.DepthMin = 0, s.DepthMax = 22;
  ApplyEqualScale(s, axes);
  for (double v : {axes.x0, axes.x1, axes.y0, axes.y1, axes.d0, axes.d1}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(axes.y0, 5 - 100, 1e-9);  // one unit per pixel, 200 pixels deep, centred
  EXPECT_NEAR(axes.y1, 5 + 100, 1e-9);
  // Everything at one point.
  s.XMin = s.XMax = 1, s.YMin = s.YMax = 2, s.DepthMin = s.DepthMax = 3;
  ApplyEqualScale(s, axes);
  for (double v : {axes.x0, axes.x1, axes.y0, axes.y1, axes.d0, axes.d1}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_GT(axes.x1, axes.x0);
  // An axis without length changes nothing.
  axes.depth = 0;
  const double before = axes.x0;
  s.XMax = 100;
  ApplyEqualScale(s, axes);
  EXPECT_EQ(axes.x0, before);
}

TEST_F(Scene, OneSectionAndSectionsOnOneLineRenderWithoutNaN)
{
  Load(testsupport::ExamplePath("demo.prj"));
  // Keep only the first (east-west) section: no y range at all.
  state.Profiles.resize(1);
  state.Loaded.resize(1);
  UpdateSceneBounds(state, nullptr);
  EXPECT_EQ(state.YMin, state.YMax);
  axes.Fit(state);
  state.EqualScale = 1;
  Frame();
  for (double v : {axes.x0, axes.x1, axes.y0, axes.y1, axes.d0, axes.d1}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_GT(CountNonWhite(), 500);
}
